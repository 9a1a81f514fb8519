#!/usr/bin/env bash
# The real game in a real X window (Xvfb, Mesa llvmpipe), shortened from the full checks:
# a 30 s random race session with restarts and 100 resizes, resident memory checked, Escape
# exits 0; a short scripted session under valgrind's memcheck; the frame pacing at 800 x 600 and
# 1920 x 1080 printed for information. About 3 to 5 minutes on 2 cores. The full session is
# `tests/load/session.py EXE ARTEFACTS 120 100`; `tests/load/valgrind.py EXE ARTEFACTS full`
# adds a crash and a restart under valgrind. All three drive the game through tests/e2e/desktop.py.
set -euo pipefail
BUILD=${VELK_LOAD_BUILD:-build/main}
cmake --preset main -B "$BUILD" >/dev/null
cmake --build "$BUILD" --target velkarovantine -j"$(nproc)"
EXE=$BUILD/src/app/velkarovantine ART=$BUILD/load-artefacts

PYTHON=${VELK_PYTHON:-/usr/bin/python3}
"$PYTHON" tests/load/session.py "$EXE" "$ART" 30 100
"$PYTHON" tests/load/valgrind.py "$EXE" "$ART"
"$PYTHON" tests/pacing/measure.py "$EXE" "$ART" 10 800x600 1920x1080
