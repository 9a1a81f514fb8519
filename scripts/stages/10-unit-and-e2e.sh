#!/usr/bin/env bash
# Plain build; every CTest test, unit and end-to-end.
set -euo pipefail
cmake -S . -B build/main -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/main -j"$(nproc)"
ctest --test-dir build/main --output-on-failure -j2
