#!/usr/bin/env bash
# play.sh: builds the game (installing what is missing) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages $(packages_from scripts/packages-build.txt)
cmake -S . -B build/play -DCMAKE_BUILD_TYPE=Release -DVELK_BUILD_TESTS=OFF -DVELK_BUILD_BENCH=OFF
cmake --build build/play -j"$(nproc)" --target velkarovantine
exec build/play/src/app/velkarovantine "$@"
