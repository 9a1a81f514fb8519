#!/usr/bin/env bash
# One minute of libFuzzer on the event handlers, from the seed corpus in tests/fuzz/corpus.
# New inputs go to build/fuzz/corpus; a finding is saved as build/fuzz/crash-* and fails here.
set -euo pipefail
seconds="${VELK_FUZZ_SECONDS:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
mkdir -p build/fuzz/corpus
log=build/fuzz/fuzz.log
if ! build/fuzz/tests/fuzz/velk_fuzz -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/ build/fuzz/corpus tests/fuzz/corpus >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzzing found a fault; the input is saved in build/fuzz/ (replay: velk_fuzz FILE)" >&2
    exit 1
fi
grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log"
