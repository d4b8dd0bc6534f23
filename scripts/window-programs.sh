# Sourced by the scripts that drive the window on a virtual X server: sets
# `root`, `build`, `sprite` and `cli`, and stops with a line that begins with
# $script_name when a tool or a program is missing.
# BUILD_DIR names the build to take the programs from (default build/default).
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build/default}"
# Whole, since the scripts run the programs from folders of their own.
[ -d "$build" ] && build="$(cd "$build" && pwd)"
sprite="$build/src/sprite"
cli="$build/src/sprite-cli"
for tool in xvfb-run xdotool import cmp; do
  command -v "$tool" >/dev/null || { echo "$script_name: $tool is missing; run scripts/install-deps.sh" >&2; exit 1; }
done
[ -x "$sprite" ] && [ -x "$cli" ] || { echo "$script_name: build the programs first (make build)" >&2; exit 1; }
