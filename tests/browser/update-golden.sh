#!/usr/bin/env bash
# update-golden.sh [SITE] [EXE]: takes headless Chromium's title and first crash shots anew as the
# browser's reference shots in tests/browser/golden/, with the Chromium version that drew them
# (chromium-version.txt). Needed after a deliberate change of the picture, or when the tests warn
# that another Chromium is running: look at the new PNGs before committing them.
set -euo pipefail
site=${1:-build/web/site}
exe=${2:-build/main/src/app/velkarovantine}
art=$(mktemp -d)
trap 'rm -rf "$art"' EXIT
VELK_UPDATE_GOLDEN=1 /usr/bin/python3 "$(dirname "$0")/web_test.py" "$site" "$exe" "$art" Chromium
