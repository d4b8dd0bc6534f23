#!/usr/bin/env bash
# Runs a Windows program under Wine, as ctest's emulator for the cross-built
# tests. The Wine prefix lives under a temporary folder, never in the real
# home: WINEPREFIX when it is set (scripts/windows-job.sh sets one up per run),
# otherwise one per user under TMPDIR that is made on first use.
#
# The first Wine program of a session starts Wine's own services, which inherit
# its standard output and would keep ctest waiting for the end of that pipe:
# the session is started here first, with no output of its own (wineboot in a
# running session costs a tenth of a second).
set -euo pipefail
: "${WINEPREFIX:=${TMPDIR:-/tmp}/sprite-wine-$(id -u)}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$WINEPREFIX/home"
mkdir -p "$HOME"
{
  wineserver -p 30
  wine wineboot
} </dev/null >/dev/null 2>&1 || true
exec wine "$@"
