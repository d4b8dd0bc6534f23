#!/usr/bin/env bash
# End-to-end benchmarks of sprite-cli and the window; prints ratios: against
# tar, and PNG pictures against bitmaps.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v python3 >/dev/null || { echo "bench-e2e: needs python3" >&2; exit 1; }
python3 bench/e2e.py "${1:-build/default}"
python3 bench/e2e_png.py "${1:-build/default}"
