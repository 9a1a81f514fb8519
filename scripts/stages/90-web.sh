#!/usr/bin/env bash
# The browser build: builds the site (scripts/web.sh --build-only) and the desktop game, checks
# the headers scripts/web.sh's server sends, then plays both in the end-to-end suite's browser
# tests (tests/e2e: headless Chromium with SwiftShader, and Firefox and WebKit under Xvfb, against
# the desktop game's shots under Xvfb; axe-core on the page and on a phone; the web app's install
# and offline start; the emulated phone; the pixel ratios), and prints each engine's pacing next to
# the desktop's and the page's download size (bench/web_pacing.py, figures only, one short round).
# About 7 to 11 minutes on 2 cores, depending on the load.
set -euo pipefail
source scripts/deps.sh
# Debian's interpreter: python3-selenium and python3-pytest are installed for it.
PYTHON=${VELK_PYTHON:-/usr/bin/python3}
BUILD=${VELK_WEB_DESKTOP_BUILD:-build/main}
SITE=build/web/site ART=build/web/artefacts

scripts/web.sh --build-only
ensure_node_modules tests/e2e

# scripts/web.sh's server sends the page's Content-Security-Policy as a header, framing allowed.
mkdir -p "$ART"
python3 scripts/serve_web.py "$SITE" 0 >"$ART/serve_web.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    url=$(grep -o 'http://[^ ]*' "$ART/serve_web.log") && break
    sleep 0.1
done
policy=$(sed -n 's/.*http-equiv="Content-Security-Policy" content="\([^"]*\)".*/\1/p' \
    "$SITE/index.html")
header=$("$PYTHON" -c 'import sys, urllib.request as u
print(u.urlopen(sys.argv[1]).headers["Content-Security-Policy"])' "${url}index.html")
[[ $header == "$policy; frame-ancestors *" ]] ||
    { echo "web.sh's server sent the policy $header" >&2; exit 1; }
kill $server
cmake --preset main -B "$BUILD" >/dev/null
cmake --build "$BUILD" --target velkarovantine -j"$(nproc)"
EXE=$BUILD/src/app/velkarovantine

"$PYTHON" -m pytest tests/e2e/test_browser.py tests/e2e/test_install.py tests/e2e/test_phone.py \
    tests/e2e/test_density.py --game "$EXE" --site "$SITE" --artefacts "$ART"
"$PYTHON" bench/web_pacing.py "$SITE" "$EXE" "$ART" 2 1
