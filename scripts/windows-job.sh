#!/usr/bin/env bash
# The Windows job: installs the Windows tools, cross-builds both programs and
# the distributables, runs the test programs under Wine, compares sprite-cli.exe
# with the Linux sprite-cli byte for byte, reads the Win32 window against the
# Qt window, walks through the window under Wine and Xvfb, and installs, runs
# and uninstalls the installer. Every step uses a
# Wine prefix of its own under a temporary folder, removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
bash scripts/install-deps.sh windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target all windows-package
source scripts/windows-wine.sh
ctest --preset windows
bash scripts/windows-compare.sh
bash scripts/window-probe.sh
bash scripts/windows-walkthrough.sh
bash scripts/windows-installer-check.sh
echo "windows job: passed in $((SECONDS - started)) s"
