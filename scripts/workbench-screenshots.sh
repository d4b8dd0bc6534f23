#!/usr/bin/env bash
# Screenshots of the window's menu bar, of a window made larger with long
# reason lines scrolled into view, and of the bars at 192 dots per inch: the
# Linux window (Qt; QT_SCALE_FACTOR=2 for 192 dpi) and sprite.exe under Wine
# (Wine's LogPixels), each on a virtual X server.
#
#   scripts/workbench-screenshots.sh [linux|windows|both]
#     -> docs/options-menu.png, docs/resized-window.png, docs/bars-192dpi.png
#        and docs/windows-*.png of the same
#
# BUILD_DIR and WINDOWS_BUILD name the builds (default build/default, build/windows).
set -euo pipefail
which="${1:-both}"
root="$(cd "$(dirname "$0")/.." && pwd)"
linux_sprite="${BUILD_DIR:-$root/build/default}/src/sprite"
windows_sprite="${WINDOWS_BUILD:-$root/build/windows}/src/sprite.exe"
work="$(mktemp -d "${TMPDIR:-/tmp}/sprites.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The pictures of the sessions: a walk cycle, and pictures Encode refuses
# with a long reason (a soft edge, 24 bits per pixel).
mkdir "$work/frames"
for n in $(seq 12); do
  convert -size 24x32 xc:none +antialias -fill "rgb($(( n * 20 )),60,90)" \
    -draw "rectangle 4,$n 19,$(( n + 16 ))" "$work/frames/walk_$n.png"
done
convert -size 40x40 xc:none -fill '#d03030' -draw 'circle 20,20 20,5' "$work/hero_soft_edges.png"
convert -size 16x16 xc:'#3060c0' -type TrueColor BMP3:"$work/tree_true_colour.bmp"
"${BUILD_DIR:-$root/build/default}/src/sprite-cli" encode -q -o "$work/walk.spr" "$work/frames"
cp "$work/walk.spr" "$work/mixed.spr"

# session PREFIX SCREEN START...: the three looks at the window that START...
# opens, on a virtual screen of SCREEN pixels; PREFIX begins the files' names.
session() {
  local prefix="$1" screen="$2"
  shift 2
  export PREFIX="$prefix" SHOTS="$root/docs" WORK_DIR="$work"
  xvfb-run -a -s "-screen 0 ${screen}x24" bash -euo pipefail -c '
    until_window() {
      for _ in $(seq 100); do
        main=$(xdotool search --onlyvisible --name "^Sprite Encoder$" 2>/dev/null | head -1 || true)
        [ -n "$main" ] && return 0
        sleep 0.2
      done
      echo "workbench-screenshots: no window" >&2; exit 1
    }
    focus() { xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"; sleep 0.5; }
    keys() { xdotool key --clearmodifiers --delay 100 "$@"; }
    shot() { sleep 2; import -window root -trim +repage "$SHOTS/$PREFIX$1"; echo "workbench-screenshots: wrote docs/$PREFIX$1"; }
    close() { focus; keys alt+f x; wait "$pid" 2>/dev/null || true; }
    cd "$WORK_DIR"
    { [ -z "${WINEPREFIX:-}" ] || { wineserver -k; wine wineboot; }; } </dev/null >/dev/null 2>&1 || true
    if [ -n "${DPI:-}" ]; then
      "$@" frames/walk_*.png walk.spr & pid=$!
      until_window; xdotool windowmove "$main" 0 0; focus
      keys alt+d
      shot bars-192dpi.png
      close
      exit 0
    fi
    "$@" frames/walk_*.png walk.spr & pid=$!
    until_window; xdotool windowmove "$main" 40 40; focus
    keys alt+o
    shot options-menu.png
    keys Escape; close

    "$@" hero_soft_edges.png tree_true_colour.bmp frames/walk_1.png mixed.spr & pid=$!
    until_window; focus
    keys alt+e; sleep 2
    xdotool windowsize --sync "$main" 980 520; xdotool windowmove "$main" 0 0; sleep 1
    eval "$(xdotool getwindowgeometry --shell "$main")"
    # The log'\''s horizontal scroll bar, at the bottom: a page to the right.
    xdotool mousemove --window "$main" $(( WIDTH - 120 )) $(( HEIGHT - 17 )) click 1
    xdotool mousemove 0 0
    shot resized-window.png
    close
  ' _ "$@"
}

if [ "$which" != windows ]; then
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
  session "" 1024x768 "$linux_sprite"
  DPI=192 QT_SCALE_FACTOR=2 session "" 1600x1200 "$linux_sprite"
fi
if [ "$which" != linux ]; then
  source "$root/scripts/windows-wine.sh"
  trap 'wine_cleanup 2>/dev/null || true; rm -rf "$work"' EXIT
  session windows- 1024x768 wine "$windows_sprite"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f </dev/null >/dev/null 2>&1
  DPI=192 session windows- 1600x1200 wine "$windows_sprite"
fi
