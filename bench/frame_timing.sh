#!/usr/bin/env bash
# Runs frame_timing on a private virtual display, once plain and once with glFinish after each swap.
# Usage: bench/frame_timing.sh [path/to/frame_timing] [samples]
set -euo pipefail
program=${1:-build/main/bench/frame_timing}
samples=${2:-200}
number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$number_file" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$number_file"' EXIT
for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
done
export DISPLAY=:$(head -1 "$number_file")
"$program" "$samples"
"$program" --finish "$samples"
