#!/usr/bin/env bash
# update-golden.sh [EXE] [SITE]: takes the reference shots anew: the desktop game's title and first
# crash (golden/title.png, crash.png) and headless Chromium's (golden/chromium/, with the version
# that drew them). Only for a deliberate change of the picture, or when the tests warn that another
# Chromium runs: look at the new PNGs before committing them.
set -euo pipefail
/usr/bin/python3 -m pytest "$(dirname "$0")" --update-golden --game "${1:-build/main/src/app/velkarovantine}" \
    --site "${2:-build/web/site}" --artefacts "$(mktemp -d)" \
    -k "(reference_picture or each_screen_quits) and linux or title_and_first_crash and chromium"
