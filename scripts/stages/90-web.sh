#!/usr/bin/env bash
# The browser build: builds the site (scripts/web.sh --build-only) and the desktop game, then plays
# both in the end-to-end suite's browser tests (tests/e2e: headless Chromium with SwiftShader, and
# Firefox and WebKit under Xvfb, against the desktop game's shots under Xvfb; the web app's
# install and offline start; the emulated phone; the pixel ratios), and prints each engine's pacing
# next to the desktop's and the page's download size (bench/web_pacing.py, figures only, one short
# round). About 7 to 11 minutes on 2 cores, depending on the load.
set -euo pipefail
source scripts/deps.sh
# Debian's interpreter: python3-selenium and python3-pytest are installed for it.
PYTHON=${VELK_PYTHON:-/usr/bin/python3}
BUILD=${VELK_WEB_DESKTOP_BUILD:-build/main}
SITE=build/web/site ART=build/web/artefacts

scripts/web.sh --build-only
ensure_node_modules tests/e2e
cmake --preset main -B "$BUILD" >/dev/null
cmake --build "$BUILD" --target velkarovantine -j"$(nproc)"
EXE=$BUILD/src/app/velkarovantine

"$PYTHON" -m pytest tests/e2e/test_browser.py tests/e2e/test_install.py tests/e2e/test_phone.py \
    tests/e2e/test_density.py --game "$EXE" --site "$SITE" --artefacts "$ART"
"$PYTHON" bench/web_pacing.py "$SITE" "$EXE" "$ART" 2 1
