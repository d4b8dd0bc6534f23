#!/usr/bin/env bash
# Runs the codec benchmark and prints, for each input, every codec rate as a
# ratio to the rate of memcpy over the same pixels (medians of 5 repetitions).
set -euo pipefail
bench=${CODEC_BENCH:-build/default/bench/codec_bench}
[ -x "$bench" ] || { echo "bench: $bench is not built (make build)" >&2; exit 1; }
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json "$@" >/dev/null
python3 - "$json" <<'PY'
import json, sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
rates = {}
for run in runs:
    if run.get("aggregate_name") != "median":
        continue
    operation, _, data = run["run_name"].partition("/")
    rates.setdefault(data, {})[operation] = run["bytes_per_second"]

print(f"{'input':<14}{'operation':<20}{'GB/s':>8}{'x memcpy':>10}")
for data, byOperation in rates.items():
    memcpy = byOperation.get("memcpy")
    for operation, rate in byOperation.items():
        if operation == "memcpy":
            continue
        ratio = f"{rate / memcpy:.2f}" if memcpy else "-"
        print(f"{data:<14}{operation:<20}{rate / 1e9:>8.2f}{ratio:>10}")
    if memcpy:
        print(f"{data:<14}{'memcpy':<20}{memcpy / 1e9:>8.2f}{'1.00':>10}")
    # The row decoder's time over that of the parts any row decoder has, each
    # alone at its cheapest, one after another (the floor_ rows).
    floors = [rate for operation, rate in byOperation.items() if operation.startswith("floor_")]
    if floors and "RLEDecompressRows" in byOperation:
        parts = 1 / sum(1 / rate for rate in floors)
        print(f"{data:<14}{'rows over parts':<20}{'':>8}"
              f"{parts / byOperation['RLEDecompressRows']:>9.2f}x   (goal <= 2.5x)")
PY
