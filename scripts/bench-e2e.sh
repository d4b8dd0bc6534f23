#!/usr/bin/env bash
# End-to-end benchmark of sprite-cli and the window against tar; prints ratios.
# Arguments go to bench/e2e.py: [BUILD] [--baseline OTHER_BUILD] [--full].
set -euo pipefail
cd "$(dirname "$0")/.."
command -v python3 >/dev/null || { echo "bench-e2e: needs python3" >&2; exit 1; }
exec python3 bench/e2e.py "$@"
