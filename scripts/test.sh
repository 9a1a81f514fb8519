#!/usr/bin/env bash
# test.sh: installs what is missing, then builds and runs every test stage in order
# (scripts/stages/NN-*.sh). Stops at the first failing stage.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages $(packages_from scripts/packages-build.txt) $(packages_from scripts/packages-test.txt)
export VELK_ROOT="$PWD"
passed=0
for stage in scripts/stages/[0-9]*.sh; do
    echo "=== ${stage##*/} ==="
    start=$(date +%s)
    bash "$stage"
    echo "=== ${stage##*/} passed in $(( $(date +%s) - start )) s ==="
    passed=$((passed + 1))
done
echo "All test stages passed."
echo "stages: $passed passed, 0 failed"
