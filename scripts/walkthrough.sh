#!/usr/bin/env bash
# A person's session with the window program, driven on a virtual X server with
# the keyboard and the mouse (xdotool): Add one sprite by typing its path, Add
# two more at once by quoted names, cancel a third Add, choose the archive with
# Browse, Encode, Decode, show the archive in the viewer with Enter in the
# output box and play it with the space bar, open a decoded bitmap in the
# viewer with a double-click, enlarge it with + and close it with Esc, pick an entry with the
# mouse and Remove it, Encode again, open About and close it with Esc. Then the
# archive and the bitmaps on disk are compared byte for byte with what
# sprite-cli makes of the same files. Last, the menu bar: Encode before Browse
# asks for the archive and Esc there writes nothing; twelve frames chosen
# together in one Add are stored in natural order; Alt+O, P (Decode to PNG
# pictures) and Alt+D write PNG pictures.
#
#   scripts/walkthrough.sh            runs the session and checks the files
#   SHOTS=docs scripts/walkthrough.sh also saves docs/add-dialog.png,
#                                     docs/archive-viewer.png,
#                                     docs/archive-playing.png,
#                                     docs/viewer.png and docs/screenshot.png
#                                     on the way
#   WORK=~/sprites ...                works in that folder (default: a new
#                                     temporary one, removed afterwards)
#
# BUILD_DIR names the build to take the programs from (default build/default).
set -euo pipefail

script_name=walkthrough
source "$(dirname "$0")/window-programs.sh"

check="$(mktemp -d)"
# Nothing reaches the real home folder: Qt's file dialog keeps its settings here.
export HOME="$check/home" XDG_CONFIG_HOME="$check/home/.config"
mkdir -p "$XDG_CONFIG_HOME"
if [ -n "${WORK:-}" ]; then
  work="$WORK"
  mkdir -p "$work"
  trap 'rm -rf "$check"' EXIT
else
  work="$(mktemp -d)"
  trap 'rm -rf "$check" "$work"' EXIT
fi
shots="${SHOTS:+$(cd "$SHOTS" && pwd)}"
cp "$root"/samples/hero_walk_{1,2,3}.bmp "$work/"
rm -f "$work"/hero.spr "$work"/hero.spr.*.bmp
rm -rf "$work/frames"
mkdir "$work/frames"
for n in $(seq 12); do
  convert -size 24x32 xc:none +antialias -fill "rgb($(( n * 20 )),60,90)" \
    -draw "rectangle 4,$n 19,$(( n + 16 ))" "$work/frames/walk_$n.png"
done

export WORK_DIR="$work" SPRITE="$sprite" SHOTS_DIR="$shots"
xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
  step() { echo "walkthrough: $*"; }
  fail() { echo "walkthrough: FAILED: $*" >&2; exit 1; }
  # until SECONDS CONDITION...: waits for a condition, or fails.
  until_true() {
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
    fail "timed out waiting for: $*"
  }
  window_named() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
  no_window_named() { ! window_named "$1"; }
  # Every Encode writes a new file and moves it over the archive.
  archive_changed() { [ "$(stat -c %i hero.spr)" != "$1" ]; }
  shot() { [ -z "$SHOTS_DIR" ] || import -window "${2:-root}" "$SHOTS_DIR/$1"; }
  keys() { xdotool key --clearmodifiers --delay 60 "$@"; }
  # frame_changed BEFORE AFTER: takes the viewer into AFTER, true once it differs from BEFORE.
  frame_changed() {
    import -window "$viewer" "$2"
    [ "$(compare -metric AE "$1" "$2" null: 2>&1)" != 0 ]
  }
  type_text() { xdotool type --clearmodifiers --delay 15 "$1"; }
  # The file dialog is open and has the keyboard: its name box has the focus.
  dialog_up() { window_named "^(Open|Save As)$"; }
  # Without a window manager nobody hands the keyboard back to the main window
  # when a dialog closes; a desktop does, so the session does it here.
  to_main() { xdotool windowfocus --sync "$main"; sleep 0.2; }
  open_dialog() { to_main; keys "$1"; until_true 10 dialog_up; sleep 0.5; }

  cd "$WORK_DIR"
  "$SPRITE" & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  until_true 20 window_named "^Sprite Encoder$"
  main=$(xdotool search --onlyvisible --name "^Sprite Encoder$" | head -1)
  xdotool windowfocus --sync "$main"
  # The client area (333 pixels high) lies below the menu bar.
  eval "$(xdotool getwindowgeometry --shell "$main")"
  menu=$(( HEIGHT - 333 ))
  # click_client X Y: a click at a point of the client area.
  click_client() { xdotool mousemove --window "$main" "$1" $(( $2 + menu )) click "${@:3}" 1; }
  sleep 0.5

  step "Add: a typed full path and Enter"
  open_dialog alt+a
  type_text "$WORK_DIR/hero_walk_1.bmp"; keys Return
  until_true 10 no_window_named "^Open$"

  step "Add: a typed folder and Enter goes there; two quoted names are chosen together"
  open_dialog alt+a
  type_text "$WORK_DIR"; keys Return; sleep 0.5
  type_text "\"hero_walk_2.bmp\" \"hero_walk_3.bmp\""; sleep 0.3
  shot add-dialog.png "$(xdotool search --onlyvisible --name "^Open$" | head -1)"
  keys Return
  until_true 10 no_window_named "^Open$"

  step "Add: cancelled with Esc"
  open_dialog alt+a
  keys Escape
  until_true 10 no_window_named "^Open$"

  step "Encode before Browse asks for the archive; Esc there writes nothing"
  open_dialog alt+e
  keys Escape
  until_true 10 no_window_named "^Save As$"
  sleep 0.3
  [ -z "$(ls -A | grep -v "^hero_walk_\|^frames$")" ] || fail "Encode wrote $(ls)"

  step "Browse: the archive, a typed name without its extension"
  open_dialog alt+b
  type_text "$WORK_DIR/hero"; keys Return
  until_true 10 no_window_named "^Save As$"

  step "Encode"
  to_main
  keys alt+e
  until_true 10 test -s hero.spr

  step "Decode"
  keys alt+d
  until_true 10 test -s hero.spr.0003.bmp
  sleep 0.5

  step "Viewer: Enter in the output box shows the archive itself, End its last entry, Space plays it"
  to_main
  # txtOut lies at (105, 2415) twips: 7, 161 pixels, 344 x 22 in size.
  click_client 150 172
  keys Return
  until_true 10 window_named "^hero.spr - Sprite Viewer$"
  viewer=$(xdotool search --onlyvisible --name "^hero.spr - Sprite Viewer$" | head -1)
  xdotool windowmove --sync "$viewer" 0 0
  xdotool windowfocus --sync "$viewer"
  sleep 0.5
  keys End
  sleep 0.5
  shot archive-viewer.png "$viewer"
  frames=$(mktemp -d)
  import -window "$viewer" "$frames/last.png"
  # Four frames a second, so that each frame stays long enough to be taken.
  keys bracketleft bracketleft bracketleft bracketleft space
  until_true 10 frame_changed "$frames/last.png" "$frames/a.png"
  until_true 10 frame_changed "$frames/a.png" "$frames/b.png"
  [ -z "$SHOTS_DIR" ] || convert "$frames/a.png" "$frames/b.png" -background "#dcdcdc" \
    -gravity North +smush 12 -bordercolor "#dcdcdc" -border 6 "$SHOTS_DIR/archive-playing.png"
  rm -rf "$frames"
  keys space Escape
  until_true 10 no_window_named "Sprite Viewer$"

  step "Viewer: the first decoded bitmap opened with a double-click, enlarged with +, closed with Esc"
  to_main
  # Side by side, as a desktop would place them.
  xdotool windowmove --sync "$main" 420 0
  # The first line of lstFiles, about 14 pixels down.
  click_client 60 14 --repeat 2 --delay 80
  until_true 10 window_named "^hero.spr.0001.bmp - Sprite Viewer$"
  viewer=$(xdotool search --onlyvisible --name "^hero.spr.0001.bmp - Sprite Viewer$" | head -1)
  xdotool windowmove --sync "$viewer" 0 0
  sleep 0.5
  keys plus
  sleep 0.5
  if [ -n "$SHOTS_DIR" ]; then
    parts=$(mktemp -d)
    import -window "$main" "$parts/main.png"
    import -window "$viewer" "$parts/viewer.png"
    convert "$parts/main.png" "$parts/viewer.png" -background "#dcdcdc" -gravity North \
      +smush 12 -bordercolor "#dcdcdc" -border 6 "$SHOTS_DIR/viewer.png"
    rm -rf "$parts"
  fi
  keys Escape
  until_true 10 no_window_named "Sprite Viewer$"

  step "Remove: the second decoded bitmap, picked with the mouse"
  # lstFiles starts at (105, 105) twips, 7 x 7 pixels; its second line is about 24 pixels down.
  to_main
  click_client 60 29
  sleep 0.5
  keys alt+r
  sleep 0.5

  step "Encode again"
  before=$(stat -c %i hero.spr)
  keys alt+e
  until_true 10 archive_changed "$before"
  sleep 0.5
  shot screenshot.png "$main"

  step "About: opened with the mouse, closed with Esc"
  to_main
  # "About ;]" sits at (5355, 2835) twips: 357, 189 pixels, 78 x 22 in size.
  click_client 396 200
  until_true 10 window_named "^About Sprite Encoder / Decoder$"
  sleep 0.5
  keys Escape
  until_true 10 no_window_named "^About Sprite Encoder / Decoder$"
  kill -0 $pid || fail "the program ended"

  step "Twelve frames chosen together in one Add, in the order the dialog lists them"
  to_main
  keys alt+l c
  open_dialog alt+a
  type_text "$WORK_DIR/frames"; keys Return; sleep 0.5
  type_text "$(cd frames && ls | sed "s/.*/\"&\"/" | tr "\n" " ")"; sleep 0.3
  keys Return
  until_true 10 no_window_named "^Open$"
  open_dialog alt+b
  type_text "$WORK_DIR/frames.spr"; keys Return
  until_true 10 no_window_named "^Save As$"
  to_main
  keys alt+e
  until_true 10 test -s frames.spr

  step "Options: Decode to PNG pictures (Alt+O, P), then Decode"
  keys alt+o p
  sleep 0.3
  keys alt+d
  until_true 10 test -s frames.spr.0012.png
'

# What the described commands make of the same files, through sprite-cli.
cp "$work"/hero_walk_{1,2,3}.bmp "$check/"
(cd "$check" && "$cli" encode -o first.spr hero_walk_1.bmp hero_walk_2.bmp hero_walk_3.bmp >/dev/null &&
  "$cli" decode first.spr >/dev/null &&
  "$cli" encode -o hero.spr first.spr.0001.bmp first.spr.0003.bmp >/dev/null)
for n in 1 2 3; do
  cmp "$work/hero.spr.000$n.bmp" "$check/first.spr.000$n.bmp"
done
cmp "$work/hero.spr" "$check/hero.spr"
# A folder gives its pictures in natural order: so must the frames chosen together.
"$cli" encode -q -o "$check/frames.spr" "$work/frames"
cmp "$work/frames.spr" "$check/frames.spr"
"$cli" decode -q --png -C "$check" "$check/frames.spr"
for n in $(seq -w 1 12); do
  cmp "$work/frames.spr.00$n.png" "$check/frames.spr.00$n.png"
done
echo "walkthrough: passed; the archives, the bitmaps and the PNG pictures are byte for byte what sprite-cli makes"
