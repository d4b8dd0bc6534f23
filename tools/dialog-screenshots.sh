#!/usr/bin/env bash
# Screenshots of the colour, font, print and page-setup dialogs as
# dialog-tryout opens them through ceCommonDialog, on a virtual display.
#
#   tools/dialog-screenshots.sh [BUILD_DIR] [OUT_DIR]     (defaults: build/default, docs)
set -euo pipefail

build=${1:-build/default}
out=${2:-docs}
tryout=$build/tools/dialog-tryout
[ -x "$tryout" ] || { echo "dialog-screenshots: build first: $tryout is missing" >&2; exit 2; }

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$out"
fi
mkdir -p "$out"

# shoot FILE TITLE KEYS ARGS...: opens the dialog, presses KEYS (if any) in it,
# grabs its window and ends the program.
shoot() {
  local file=$1 title=$2 keys=$3
  shift 3
  "$tryout" "$@" >/dev/null 2>&1 &
  local pid=$!
  local window
  window=$(xdotool search --sync --onlyvisible --name "^${title}\$" | head -n 1)
  sleep 1
  if [ -n "$keys" ]; then
    xdotool windowfocus --sync "$window"
    xdotool key $keys
    sleep 1
  fi
  import -window "$window" "$out/$file"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "dialog-screenshots: $out/$file"
}

shoot colour-dialog.png "Select Color" "" colour --color=0x3080E0 \
  --custom=0x0000FF,0x00FF00,0xFF0000,0x00FFFF
shoot font-dialog.png "Select Font" "" font --name="DejaVu Serif" --size=14 --italic \
  --underline --color=0xFF
shoot print-dialog.png "Print" "alt+o" print --show-print-to-file --enable-print-to-file \
  --print-to-file --range=1 --from=2 --to=5 --collate
shoot page-setup-dialog.png "Page Setup" "" pagesetup --mm
