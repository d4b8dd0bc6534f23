#!/usr/bin/env bash
# Screenshots taken on a virtual X server (xvfb-run, ImageMagick's import).
#
#   scripts/screenshot.sh [window]   the main window after an Encode and a
#                                    Decode of a few generated bitmaps
#                                    -> docs/screenshot.png
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

# Writes 8-bit bitmaps with 256 palette colours into folder $1.
make_bitmaps() {
  python3 - "$1" <<'PY'
import struct, sys, os
folder = sys.argv[1]
for number, (width, height) in enumerate([(32, 24), (17, 9), (64, 40)], start=1):
    stride = (width + 3) & ~3
    palette = b"".join(bytes((i, 255 - i, (i * 7) & 255, 0)) for i in range(256))
    rows = b"".join(bytes(((x * y + number * 40) & 255) if (x + y) % 5 else 0
                          for x in range(width)) + bytes(stride - width)
                    for y in range(height))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + 1024 + len(rows), 0, 0, 14 + 40 + 1024)
    with open(os.path.join(folder, "sprite%d.bmp" % number), "wb") as f:
        f.write(head + info + palette + rows)
PY
}

case "$mode" in
  gallery)
    gallery="$(find_program progress-gallery tests/winsys/qt/progress-gallery)" || {
      echo "screenshot: progress-gallery is not built; run make build" >&2
      exit 1
    }
    capture "$root/docs/progress-gallery.png" "$gallery"
    ;;
  window)
    # The main window as a user leaves it after an Encode and a Decode of a few
    # generated bitmaps: both lists filled, both bars moved.
    demo="$(find_program sprite-window-demo tests/gui/sprite-window-demo)" || {
      echo "screenshot: sprite-window-demo is not built; run make build" >&2
      exit 1
    }
    command -v python3 >/dev/null || { echo "screenshot: needs python3" >&2; exit 1; }
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    make_bitmaps "$work"
    capture "$root/docs/screenshot.png" "$demo" "$work/sprites.spr" "$work"/sprite*.bmp
    ;;
  *)
    echo "usage: scripts/screenshot.sh [window|gallery]" >&2
    exit 2
    ;;
esac
