#!/usr/bin/env bash
# The Win32 window against the Qt window, each read from its real controls
# after the same scripted session (tests/app/window_probe.h): three frames
# chosen together in one Add, Browse, Encode, Decode. The child windows and
# their rectangles, the lists' lines, the bars' range and position and the
# order real Tab presses walk must be the same, at 96 and at 192 dots per
# inch (Wine's LogPixels; QT_SCALE_FACTOR=2 for Qt, read in device pixels).
#   LINUX_BUILD  the Linux build with tests/gui/qt-window-probe (default build/default)
set -euo pipefail
source "$(dirname "$0")/windows-wine.sh"
linux_build="${LINUX_BUILD:-$root/build/default}"
qt_probe="$linux_build/tests/gui/qt-window-probe"
[ -x "$qt_probe" ] || cmake --build "$linux_build" --target qt-window-probe >/dev/null
win_probe="$build/tests/winsys/win32/win32-window-probe.exe"
[ -f "$win_probe" ] || cmake --build "$build" --target win32-window-probe >/dev/null
out="$(mktemp -d)"
trap 'wine_cleanup 2>/dev/null || true; rm -rf "$out"' EXIT

for dpi in 96 192; do
  HOME="$out/home" XDG_CONFIG_HOME="$out/home/.config" QT_QPA_PLATFORM=offscreen \
    QT_SCALE_FACTOR=$(( dpi / 96 )) "$qt_probe" >"$out/qt-$dpi.txt" 2>"$out/qt-$dpi.err" ||
    { cat "$out/qt-$dpi.err" >&2; exit 1; }
done
# Wine reads the dots per inch when its session starts: one session for each,
# on the virtual screen, which the windows need.
export OUT="$out" WIN_PROBE="$win_probe"
xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
  for dpi in 96 192; do
    wineserver -k >/dev/null 2>&1 || true
    wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d $dpi /f </dev/null >/dev/null 2>&1
    wine "$WIN_PROBE" </dev/null 2>"$OUT/win-$dpi.err" | tr -d "\r" >"$OUT/win-$dpi.txt"
  done
  wine reg delete "HKCU\\Control Panel\\Desktop" /v LogPixels /f </dev/null >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
'
for dpi in 96 192; do
  if ! diff -u --label "Qt at $dpi dpi" --label "Win32 at $dpi dpi" "$out/qt-$dpi.txt" "$out/win-$dpi.txt"; then
    echo "window-probe: FAILED: the Win32 window differs from the Qt window at $dpi dpi" >&2
    exit 1
  fi
done
echo "window-probe: passed; the Win32 window shows what the Qt window shows, at 96 and 192 dpi"
