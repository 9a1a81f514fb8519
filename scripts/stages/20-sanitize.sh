#!/usr/bin/env bash
# Every unit test again, built with AddressSanitizer and UndefinedBehaviorSanitizer; the first
# report of either (leaks included) fails the test that made it.
set -euo pipefail
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$(nproc)"
ctest --preset asan
