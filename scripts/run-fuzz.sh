#!/usr/bin/env bash
# Runs every fuzz target in DIR, FUZZ_JOBS (default 2) at a time, starting from
# the seeds in fuzz/corpus/<target>, in about SECONDS of wall time for them all:
# the targets share it equally, so that a new target does not lengthen the run.
# Prints each target's runs, coverage and corpus, and fails on the first crash.
set -euo pipefail
dir=${1:?usage: run-fuzz.sh DIR SECONDS}
total=${2:-150}
jobs=${FUZZ_JOBS:-2}
shopt -s nullglob
targets=()
for target in "$dir"/fuzz_*; do
  [ -x "$target" ] && [ -f "$target" ] && targets+=("$target")
done
[ ${#targets[@]} -gt 0 ] || { echo "run-fuzz: no fuzz targets in $dir" >&2; exit 1; }

run_one() {
  local target=$1 seconds=$2 name corpus seeds=()
  name=$(basename "$target")
  corpus="build/fuzz/corpus-$name"
  mkdir -p "$corpus"
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  # Readers whose memory is bounded whatever their input (a sheet of any
  # archive, a palette file of any length): any one allocation past this is
  # a crash.
  local limits=()
  case $name in
    fuzz_decode_command | fuzz_palette_file) limits=(-malloc_limit_mb=64) ;;
  esac
  # -len_control=0 lets inputs of any length up to -max_len come from the
  # start, so that short runs reach the 32767-byte limits too.
  if ! "$target" -max_total_time="$seconds" -max_len=70000 -len_control=0 -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="build/fuzz/$name-" "${limits[@]}" \
    "$corpus" "${seeds[@]}" >"$corpus.log" 2>&1; then
    tail -n 60 "$corpus.log"
    echo "fuzz: $name failed; the input is in build/fuzz/$name-*" >&2
    return 1
  fi
  local done runs
  done=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$corpus.log" | tail -n 1)
  runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$corpus.log")
  echo "fuzz: $name ${seconds}s: $runs runs, $(echo "$done" | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [^ ]+'), no crash"
}
# Each job slot runs its share of the targets one after another.
seconds=$((total * jobs / ${#targets[@]}))
[ "$seconds" -ge 1 ] || seconds=1
export -f run_one
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$1" "$2"' _ {} "$seconds"
