#!/usr/bin/env bash
# What `make run` does where there is no display, instead of leaving a window
# nobody can see: sprite-cli packs the samples into an archive and unpacks it
# into a temporary folder; then the window does the same work on a virtual X
# server (Xvfb), driven by the keyboard, and a screenshot of it is saved.
# Prints where both are and ends: nothing is left running.
#
# BUILD_DIR names the build to take the programs from (default build/default).
set -euo pipefail

script_name=run
source "$(dirname "$0")/window-programs.sh"

out="$(mktemp -d "${TMPDIR:-/tmp}/sprite-run.XXXXXX")"
echo "run: no display here (DISPLAY and WAYLAND_DISPLAY are empty), so no window is started;"
echo "run: instead sprite-cli packs and unpacks the samples, and the window does the same on a virtual screen."
echo

mkdir -p "$out/cli/decoded"
(
  cd "$root/samples"
  set -x
  "$cli" encode -o "$out/cli/hero_walk.spr" hero_walk_*.bmp
  "$cli" decode -C "$out/cli/decoded" "$out/cli/hero_walk.spr"
)
echo

# The window is started with the samples and an archive: the archive given is
# its output path. It is sprite-cli's, which Encode replaces with its own.
mkdir -p "$out/window"
cp "$root"/samples/hero_walk_*.bmp "$out/cli/hero_walk.spr" "$out/window/"
export SPRITE="$sprite" WINDOW_DIR="$out/window" SHOT="$out/window.png"
echo "run: the window, on a virtual screen: sprite hero_walk_*.bmp hero_walk.spr, then Encode and Decode"
xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
  fail() { echo "run: FAILED: $*" >&2; exit 1; }
  # until_true SECONDS CONDITION...: waits for a condition, or fails.
  until_true() {
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
    fail "timed out waiting for: $*"
  }
  window_up() { xdotool search --onlyvisible --name "^Sprite Encoder$" >/dev/null 2>&1; }
  # Encode writes a new file and moves it over the archive.
  archive_replaced() { [ "$(stat -c %i hero_walk.spr)" != "$1" ]; }

  cd "$WINDOW_DIR"
  "$SPRITE" hero_walk_*.bmp hero_walk.spr & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  until_true 20 window_up
  main=$(xdotool search --onlyvisible --name "^Sprite Encoder$" | head -1)
  xdotool windowfocus --sync "$main"
  sleep 0.5
  before=$(stat -c %i hero_walk.spr)
  xdotool key --clearmodifiers alt+e
  until_true 20 archive_replaced "$before"
  sleep 0.5
  xdotool key --clearmodifiers alt+d
  until_true 20 test -s hero_walk.spr.0004.bmp
  sleep 1
  import -window "$main" "$SHOT"
  kill -0 $pid || fail "the window ended"
'
cmp "$out/window/hero_walk.spr" "$out/cli/hero_walk.spr" ||
  { echo "run: FAILED: the window's archive differs from sprite-cli's" >&2; exit 1; }

echo
echo "run: sprite-cli's archive:        $out/cli/hero_walk.spr"
echo "run: and the bitmaps it unpacked: $out/cli/decoded/"
echo "run: the window's screenshot:     $out/window.png"
echo "run: and what the window wrote:   $out/window/ (its archive is byte for byte sprite-cli's)"
