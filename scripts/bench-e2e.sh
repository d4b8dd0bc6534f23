#!/usr/bin/env bash
# End-to-end benchmarks of sprite-cli and the window; prints ratios: against
# tar (bench/e2e.py), PNG pictures against bitmaps (bench/e2e_png.py), the
# colour library against pngquant and against encoding (bench/e2e_colour.py),
# and replacing one entry of 32767 against cp, with the viewer's step through
# them (bench/e2e_edit.py).
# Arguments go to bench/e2e.py: [BUILD] [--baseline OTHER_BUILD] [--full].
set -euo pipefail
cd "$(dirname "$0")/.."
command -v python3 >/dev/null || { echo "bench-e2e: needs python3" >&2; exit 1; }
python3 bench/e2e.py "$@"
build=build/default
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then build=$1; fi
python3 bench/e2e_png.py "$build"
python3 bench/e2e_edit.py "$build"
# pngquant is the quantiser the colour library's quality is measured against:
# installed here, for this benchmark alone, never a dependency of the programs.
if ! command -v pngquant >/dev/null; then
  SUDO=$([ "$(id -u)" -eq 0 ] || echo sudo)
  $SUDO apt-get install -y -qq --no-install-recommends pngquant >/dev/null ||
    echo "bench-e2e: pngquant could not be installed; the quality row stands alone" >&2
fi
python3 bench/e2e_colour.py "$build"
