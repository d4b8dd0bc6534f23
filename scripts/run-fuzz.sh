#!/usr/bin/env bash
# Runs every fuzz target in DIR for SECONDS each; fails on the first crash.
set -euo pipefail
dir=${1:?usage: run-fuzz.sh DIR SECONDS}
seconds=${2:-30}
shopt -s nullglob
targets=("$dir"/fuzz_*)
[ ${#targets[@]} -gt 0 ] || { echo "run-fuzz: no fuzz targets in $dir" >&2; exit 1; }
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build/fuzz/corpus-$name"
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -max_len=70000 -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 "$corpus" >"$corpus.log" 2>&1; then
    tail -n 60 "$corpus.log"
    echo "fuzz: $name failed" >&2
    exit 1
  fi
  tail -n 8 "$corpus.log"
done
