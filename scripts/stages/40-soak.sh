#!/usr/bin/env bash
# Ten million racing ticks with random controls through the optimised build of stage 10; every
# invariant of the world is checked on every tick (the full soak is `velk_soak`, 1e8 ticks).
set -euo pipefail
cmake --preset main >/dev/null
cmake --build build/main --target velk_soak -j"$(nproc)"
build/main/bench/velk_soak "${VELK_SOAK_TICKS:-10000000}"
