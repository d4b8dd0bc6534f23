#!/usr/bin/env bash
# A person's session with sprite.exe under Wine on a virtual X server, driven
# with the keyboard and the mouse (xdotool), as scripts/walkthrough.sh does with
# the Linux window: Add one sprite by a typed path, Add two more by quoted
# names, cancel a third Add, Browse to "ärchiv", Encode, Decode, open a decoded
# bitmap in the viewer (double-click, + and -, the list's selection followed,
# Esc; Enter, Alt+F4) and the archive itself (Enter in the output box, End,
# Space plays), pick an entry with the mouse and Remove it, Encode
# again, open About with the mouse and close it with Esc; then the menu bar:
# Encode before Browse asks for the archive and Esc there writes nothing, ninety
# frames chosen together in one Add (more than it holds) leave the window
# running, twelve frames chosen together in one Add are stored in natural order, and Alt+O, P
# (Decode to PNG pictures) and Alt+D write PNG pictures; last, Alt+F4 closes
# the window. The archives, the bitmaps and the PNG pictures on disk are then
# compared byte for byte with what sprite-cli.exe and the Linux sprite-cli make
# of the same files.
#   SHOTS=docs scripts/windows-walkthrough.sh  also saves docs/windows-window.png,
#                                              docs/windows-viewer.png,
#                                              docs/windows-add-dialog.png,
#                                              docs/windows-archive-viewer.png and
#                                              docs/windows-about.png
#   LINUX_CLI  the Linux program (default build/default/src/sprite-cli)
set -euo pipefail
source "$(dirname "$0")/windows-wine.sh"
for tool in xvfb-run xdotool xclip import compare cmp; do
  command -v "$tool" >/dev/null || { echo "windows-walkthrough: $tool is missing; run scripts/install-deps.sh windows" >&2; exit 1; }
done
linux_cli="${LINUX_CLI:-$root/build/default/src/sprite-cli}"
[ -x "$linux_cli" ] || cmake --build --preset default --target sprite-cli >/dev/null
work="$(mktemp -d)"
check="$(mktemp -d)"
trap 'wine_cleanup 2>/dev/null || true; rm -rf "$work" "$check"' EXIT
cp "$root"/samples/hero_walk_{1,2,3}.bmp "$work/"
mkdir "$work/frames"
for n in $(seq 12); do
  convert -size 24x32 xc:none +antialias -fill "rgb($(( n * 20 )),60,90)" \
    -draw "rectangle 4,$n 19,$(( n + 16 ))" "$work/frames/walk_$n.png"
done
mkdir "$work/many"
for n in $(seq 90); do cp "$work/frames/walk_1.png" "$work/many/walk_frame_$n.png"; done
shots="${SHOTS:+$(cd "$SHOTS" && pwd)}"

export WORK_DIR="$work" SPRITE="$build/src/sprite.exe" SHOTS_DIR="$shots"
# Wine's session, started without a display, could make no windows: it is
# started again on the virtual screen.
wineserver -k >/dev/null 2>&1 || true
xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
  step() { echo "windows-walkthrough: $*"; }
  fail() {
    local picture="${TMPDIR:-/tmp}/windows-walkthrough-failure.png"
    import -window root "$picture" 2>/dev/null || true
    echo "windows-walkthrough: FAILED: $* (the screen then: $picture)" >&2
    exit 1
  }
  until_true() {
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
    fail "timed out waiting for: $*"
  }
  window_named() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
  no_window_named() { ! window_named "$1"; }
  archive_changed() { [ "$(stat -c %i ärchiv.spr)" != "$1" ]; }
  shot() { [ -z "$SHOTS_DIR" ] || import -window "$2" "$SHOTS_DIR/$1"; }
  keys() { xdotool key --clearmodifiers --delay 80 "$@"; }
  type_text() { xdotool type --clearmodifiers --delay 20 "$1"; }
  # Text beyond ASCII is pasted: xdotool types such a letter by remapping a key
  # for a moment, and Wine may read the key before the new mapping.
  paste_text() {
    printf %s "$1" | xclip -selection clipboard >/dev/null 2>&1; sleep 0.2
    keys ctrl+v
  }
  dialog_up() { window_named "^(Open|Save As)$"; }
  to_main() { xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"; sleep 0.3; }
  open_dialog() { to_main; keys "$1"; until_true 20 dialog_up; sleep 0.8; }
  # Wine draws the frame inside the X window: the client area (441 x 333
  # pixels at 96 dots per inch) sits at the bottom centre of it.
  point_client() {
    eval "$(xdotool getwindowgeometry --shell "$main")"
    local border=$(( (WIDTH - 441) / 2 ))
    xdotool mousemove --window "$main" $(( border + $1 )) $(( HEIGHT - 333 - border + $2 ))
  }
  click_client() { point_client "$@"; xdotool click 1; }
  viewer_named() { window_named "^$1 - Sprite Viewer\$"; }
  viewer_shot() { import -window "$(xdotool search --onlyvisible --name "Sprite Viewer\$" | head -1)" "$1"; }
  # The viewer takes the keyboard with a click on its picture.
  to_viewer() {
    xdotool mousemove --window "$(xdotool search --onlyvisible --name "Sprite Viewer\$" | head -1)" 200 150 click 1
    sleep 0.5
  }
  differ() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" != 0 ]; }

  { wineserver -p 60; wine wineboot; } </dev/null >/dev/null 2>&1 || true
  cd "$WORK_DIR"
  # The Windows path of the work folder, as a person types it.
  win_dir="Z:$(echo "$WORK_DIR" | tr / \\\\)"
  wine "$SPRITE" & pid=$!
  until_true 60 window_named "^Sprite Encoder$"
  main=$(xdotool search --onlyvisible --name "^Sprite Encoder$" | head -1)
  to_main

  step "Add: a typed full path and Enter"
  open_dialog alt+a
  type_text "$win_dir\\hero_walk_1.bmp"; keys Return
  until_true 20 no_window_named "^Open$"

  step "Add: a typed folder and Enter goes there; two quoted names are chosen together"
  open_dialog alt+a
  type_text "$win_dir"; keys Return; sleep 0.8
  type_text "\"hero_walk_2.bmp\" \"hero_walk_3.bmp\""; sleep 0.5
  shot windows-add-dialog.png "$(xdotool search --onlyvisible --name "^Open$" | head -1)"
  keys Return
  until_true 20 no_window_named "^Open$"

  step "Add: cancelled with Esc"
  open_dialog alt+a
  keys Escape
  until_true 20 no_window_named "^Open$"

  step "Encode before Browse asks for the archive; Esc there writes nothing"
  open_dialog alt+e
  keys Escape
  until_true 20 no_window_named "^Save As$"
  sleep 0.5
  [ -z "$(ls -A | grep -v "^hero_walk_\|^frames$\|^many$")" ] || fail "Encode wrote $(ls)"

  step "Browse: the archive, a typed name without its extension"
  open_dialog alt+b
  type_text "$win_dir\\"; paste_text "ärchiv"; sleep 0.3; keys Return
  until_true 20 no_window_named "^Save As$"

  step "Encode"
  to_main
  keys alt+e
  until_true 20 test -s ärchiv.spr

  step "Decode"
  keys alt+d
  until_true 20 test -s ärchiv.spr.0003.bmp
  sleep 1

  step "Viewer: Enter in the output box shows the archive, End goes to its last entry, Space plays"
  click_client 150 172
  keys Return
  until_true 20 viewer_named "ärchiv.spr"
  to_viewer
  viewer_shot "$WORK_DIR/first.png"
  keys End; sleep 1; viewer_shot "$WORK_DIR/last.png"
  differ "$WORK_DIR/first.png" "$WORK_DIR/last.png" || fail "End did not show the last entry"
  [ -z "$SHOTS_DIR" ] || cp "$WORK_DIR/last.png" "$SHOTS_DIR/windows-archive-viewer.png"
  # At 10 frames a second the entries change under a still camera.
  keys space; sleep 0.35; viewer_shot "$WORK_DIR/playing.png"
  differ "$WORK_DIR/last.png" "$WORK_DIR/playing.png" || fail "Space did not play the entries"
  keys space Escape
  until_true 20 no_window_named "Sprite Viewer\$"
  rm "$WORK_DIR"/{first,last,playing}.png

  step "Viewer: a decoded bitmap opened with a double-click, + and - on it, the list followed, Esc"
  # The viewer may open over the left part of lstFiles (7 to 343 pixels across,
  # lines 13 pixels high): the list is clicked further right.
  to_main
  point_client 250 14
  xdotool click --repeat 2 --delay 80 1
  until_true 20 viewer_named "ärchiv.spr.0001.bmp"
  to_viewer
  viewer_shot "$WORK_DIR/fitted.png"
  keys plus; sleep 1; viewer_shot "$WORK_DIR/larger.png"
  [ -z "$SHOTS_DIR" ] || cp "$WORK_DIR/larger.png" "$SHOTS_DIR/windows-viewer.png"
  keys minus; sleep 1; viewer_shot "$WORK_DIR/back.png"
  differ "$WORK_DIR/fitted.png" "$WORK_DIR/larger.png" || fail "+ did not enlarge the sprite"
  ! differ "$WORK_DIR/fitted.png" "$WORK_DIR/back.png" || fail "- did not bring back the fitted step"
  rm "$WORK_DIR"/{fitted,larger,back}.png
  click_client 250 14
  keys Down
  until_true 20 viewer_named "ärchiv.spr.0002.bmp"
  to_viewer
  keys Escape
  until_true 20 no_window_named "Sprite Viewer\$"

  step "Viewer: Enter on the selected entry opens it, Alt+F4 closes it"
  click_client 250 14
  keys Return
  until_true 20 viewer_named "ärchiv.spr.0001.bmp"
  to_viewer
  keys alt+F4
  until_true 20 no_window_named "Sprite Viewer\$"

  step "Remove: the second decoded bitmap, picked with the mouse"
  # lstFiles starts at (105, 105) twips: 7 x 7 pixels; its lines are 13 pixels high.
  to_main
  click_client 60 27
  sleep 0.5
  keys alt+r
  sleep 0.5

  step "Encode again"
  before=$(stat -c %i ärchiv.spr)
  keys alt+e
  until_true 20 archive_changed "$before"
  sleep 1
  shot windows-window.png "$main"

  step "About: opened with the mouse, closed with Esc"
  to_main
  # "About ;]" sits at (5355, 2835) twips: 357, 189 pixels, 78 x 22 in size.
  click_client 396 200
  until_true 20 window_named "^About Sprite Encoder / Decoder$"
  sleep 1
  shot windows-about.png "$(xdotool search --onlyvisible --name "^About Sprite Encoder / Decoder$" | head -1)"
  keys Escape
  until_true 20 no_window_named "^About Sprite Encoder / Decoder$"

  step "Ninety frames chosen together, more than one Add holds: nothing is added, the window goes on"
  open_dialog alt+a
  type_text "$win_dir\\many"; keys Return; sleep 0.8
  paste_text "$(cd many && ls | sed "s/.*/\"&\"/" | tr "\n" " ")"; sleep 0.5
  keys Return
  until_true 20 no_window_named "^Open$"
  sleep 1
  kill -0 $pid 2>/dev/null && no_window_named "^Program Error$" || fail "the window ended"

  step "Twelve frames chosen together in one Add, in the order the dialog lists them"
  to_main
  keys alt+l c
  open_dialog alt+a
  type_text "$win_dir\\frames"; keys Return; sleep 0.8
  type_text "$(cd frames && ls | sed "s/.*/\"&\"/" | tr "\n" " ")"; sleep 0.5
  keys Return
  until_true 20 no_window_named "^Open$"
  open_dialog alt+b
  type_text "$win_dir\\frames.spr"; keys Return
  until_true 20 no_window_named "^Save As$"
  to_main
  keys alt+e
  until_true 20 test -s frames.spr

  step "Options: Decode to PNG pictures (Alt+O, P), then Decode"
  to_main
  keys alt+o p
  sleep 0.5
  keys alt+d
  until_true 20 test -s frames.spr.0012.png
  sleep 0.5

  step "Alt+F4 closes the window and ends the program"
  to_main
  keys alt+F4
  for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  ! kill -0 $pid 2>/dev/null || fail "the program did not end"
  wineserver -k >/dev/null 2>&1 || true
'

# What sprite-cli.exe and the Linux sprite-cli make of the same files.
cp "$work"/hero_walk_{1,2,3}.bmp "$check/"
mkdir "$check/win"
cp "$work"/hero_walk_{1,2,3}.bmp "$check/win/"
(cd "$check" && "$linux_cli" encode -o first.spr hero_walk_1.bmp hero_walk_2.bmp hero_walk_3.bmp >/dev/null &&
  "$linux_cli" decode first.spr >/dev/null &&
  "$linux_cli" encode -o ärchiv.spr first.spr.0001.bmp first.spr.0003.bmp >/dev/null)
(cd "$check/win" && wine "$build/src/sprite-cli.exe" encode -o first.spr 'hero_walk_?.bmp' >/dev/null &&
  wine "$build/src/sprite-cli.exe" decode first.spr >/dev/null &&
  wine "$build/src/sprite-cli.exe" encode -o ärchiv.spr first.spr.0001.bmp first.spr.0003.bmp >/dev/null)
for n in 1 2 3; do
  cmp "$work/ärchiv.spr.000$n.bmp" "$check/first.spr.000$n.bmp"
  cmp "$work/ärchiv.spr.000$n.bmp" "$check/win/first.spr.000$n.bmp"
done
cmp "$work/ärchiv.spr" "$check/ärchiv.spr"
cmp "$work/ärchiv.spr" "$check/win/ärchiv.spr"
# Frames chosen together are stored in natural order, as a folder gives them.
"$linux_cli" encode -q -o "$check/frames.spr" "$work/frames"
cmp "$work/frames.spr" "$check/frames.spr"
"$linux_cli" decode -q --png -C "$check" "$check/frames.spr"
for n in $(seq -w 1 12); do
  cmp "$work/frames.spr.00$n.png" "$check/frames.spr.00$n.png"
done
echo "windows-walkthrough: passed; the archives, the bitmaps and the PNG pictures are byte for byte what sprite-cli.exe and the Linux sprite-cli make"
