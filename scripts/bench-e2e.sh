#!/usr/bin/env bash
# End-to-end benchmarks of sprite-cli and the window; prints ratios: against
# tar (bench/e2e.py), and PNG pictures against bitmaps (bench/e2e_png.py).
# Arguments go to bench/e2e.py: [BUILD] [--baseline OTHER_BUILD] [--full].
set -euo pipefail
cd "$(dirname "$0")/.."
command -v python3 >/dev/null || { echo "bench-e2e: needs python3" >&2; exit 1; }
python3 bench/e2e.py "$@"
build=build/default
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then build=$1; fi
python3 bench/e2e_png.py "$build"
