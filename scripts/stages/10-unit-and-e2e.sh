#!/usr/bin/env bash
# Plain build; every CTest test, unit and end-to-end. Tests and benchmarks are switched on even
# where an earlier hand-made build left them off in build/main, and finding no test fails.
set -euo pipefail
cmake -S . -B build/main -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELK_BUILD_TESTS=ON \
    -DVELK_BUILD_BENCH=ON
cmake --build build/main -j"$(nproc)"
ctest --test-dir build/main --output-on-failure --no-tests=error -j2
