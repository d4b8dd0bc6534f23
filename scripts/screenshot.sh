#!/usr/bin/env bash
# Screenshots taken on a virtual X server (xvfb-run, ImageMagick's import).
#
#   scripts/screenshot.sh [window]   a person's session with the window
#                                    (scripts/walkthrough.sh) in ~/sprites
#                                    (SPRITES_DIR), which holds only the
#                                    sample sprites and the files made of them
#                                    -> docs/add-dialog.png, docs/viewer.png,
#                                       docs/archive-viewer.png,
#                                       docs/archive-playing.png,
#                                       docs/screenshot.png
#   scripts/screenshot.sh gallery    every style of the progress bar control
#                                    -> docs/progress-gallery.png
#
# BUILD_DIR names the build to take the programs from (default build/default).
set -euo pipefail

mode="${1:-window}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build/default}"
settle="${SCREENSHOT_SETTLE_SECONDS:-3}"

for tool in xvfb-run import; do
  if ! command -v "$tool" >/dev/null; then
    echo "screenshot: $tool is missing; run scripts/install-deps.sh" >&2
    exit 1
  fi
done

# capture OUT PROGRAM [ARGS...]: starts the program on a fresh virtual screen,
# waits for it to draw, saves the screen trimmed to what was drawn, stops it.
capture() {
  local out="$1"
  shift
  mkdir -p "$(dirname "$out")"
  SHOT="$out" SETTLE="$settle" xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$@" &
    pid=$!
    sleep "$SETTLE"
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "screenshot: $1 ended before the screen was taken" >&2
      exit 1
    fi
    import -window root -trim +repage "$SHOT"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  ' _ "$@"
  echo "screenshot: wrote $out"
}

# The first built copy of a program, building it when a configured build exists.
find_program() {
  local target="$1" relative="$2" dir
  for dir in "$build" "$root/build/qt" "$root/build/default"; do
    if [ -x "$dir/$relative" ]; then
      echo "$dir/$relative"
      return 0
    fi
  done
  if [ -f "$build/build.ninja" ] || [ -f "$build/Makefile" ]; then
    cmake --build "$build" --target "$target" >&2 && echo "$build/$relative" && return 0
  fi
  return 1
}

case "$mode" in
  gallery)
    gallery="$(find_program progress-gallery tools/progress-gallery)" || {
      echo "screenshot: progress-gallery is not built; run make build" >&2
      exit 1
    }
    capture "$root/docs/progress-gallery.png" "$gallery"
    ;;
  window)
    SHOTS="$root/docs" WORK="${SPRITES_DIR:-$HOME/sprites}" BUILD_DIR="$build" \
      bash "$root/scripts/walkthrough.sh"
    echo "screenshot: wrote $root/docs/add-dialog.png, $root/docs/archive-viewer.png," \
      "$root/docs/archive-playing.png, $root/docs/viewer.png and $root/docs/screenshot.png"
    ;;
  *)
    echo "usage: scripts/screenshot.sh [window|gallery]" >&2
    exit 2
    ;;
esac
