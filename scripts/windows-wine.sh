# Sourced by the Windows job's scripts: a Wine prefix of this run's own under a
# temporary folder (never the real home), its session started with no output
# (Wine's services would otherwise hold the caller's pipes open), removed with
# everything Wine left when the sourcing script ends. A WINEPREFIX already set
# by a calling script is used as it is.
# Sets `root`, `build` (BUILD_DIR, default build/windows), `wine_tmp`.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build/windows}"
# Wine turns the arguments into UTF-16 by the locale: UTF-8 names need a UTF-8 locale.
export LC_ALL=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${SPRITE_WINE_OWNER:-}" ]; then
  wine_tmp="$(mktemp -d "${TMPDIR:-/tmp}/sprite-wine.XXXXXX")"
  export WINEPREFIX="$wine_tmp/prefix" HOME="$wine_tmp/home" SPRITE_WINE_OWNER=$$
  mkdir -p "$HOME"
  wine_cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$wine_tmp"
  }
  trap wine_cleanup EXIT
  wineboot --init </dev/null >/dev/null 2>&1
  # Wine draws the windows' frames and captions itself, as there is no window
  # manager on the virtual screen.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
  wineserver -p 60 </dev/null >/dev/null 2>&1 || true
fi
