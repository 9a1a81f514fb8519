#!/usr/bin/env bash
# Line coverage of src/ by the unit tests (g++ --coverage, -O0), summed per folder; fails when a
# folder is below its goal. main.cpp is left out: it only opens the window and enters GLUT's
# loop, which the end-to-end tests drive in a real process that writes no coverage here.
set -euo pipefail
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j"$(nproc)"
find build/coverage -name '*.gcda' -delete
ctest --preset coverage >build/coverage/ctest.log || { tail -n 40 build/coverage/ctest.log; exit 1; }
gcovr --root . --object-directory build/coverage --filter 'src/' --exclude 'src/app/main\.cpp' \
    --exclude-directories '.*/CMakeFiles/[0-9.]+' \
    --json-summary build/coverage/summary.json --txt build/coverage/summary.txt
cat build/coverage/summary.txt
python3 - build/coverage/summary.json <<'PY'
import json, sys
goals = {"src/world/": 95.0, "src/input/": 95.0, "src/render/": 90.0, "src/app/": 0.0}  # app: no goal
totals = {folder: [0, 0] for folder in goals}
for f in json.load(open(sys.argv[1]))["files"]:
    for folder in goals:
        if f["filename"].startswith(folder):
            totals[folder][0] += f["line_covered"]
            totals[folder][1] += f["line_total"]
failed = False
for folder, (covered, total) in totals.items():
    percent = 100.0 * covered / total if total else 0.0
    low = percent < goals[folder]
    failed |= low
    print(f"{folder:<12} {covered:>5}/{total:<5} lines {percent:6.2f} %  goal {goals[folder]:.0f} %"
          + ("  BELOW GOAL" if low else ""))
sys.exit(1 if failed else 0)
PY
