#!/usr/bin/env bash
# web.sh: builds the browser version (installing what is missing) into build/web/site, with a zip
# of it for any static web host, and serves it on this machine only.
#
#   scripts/web.sh               build, then serve on http://127.0.0.1:8000/ (VELK_WEB_PORT=...)
#   scripts/web.sh --build-only  only build
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

build_only=0
for arg in "$@"; do
    case "$arg" in
        --build-only) build_only=1 ;;
        *)
            echo "usage: scripts/web.sh [--build-only]" >&2
            exit 2
            ;;
    esac
done
port="${VELK_WEB_PORT:-8000}"

ensure_packages $(packages_from scripts/packages-web.txt)
# Debian's emcc keeps its prebuilt libraries in its own cache and finds acorn through NODE_PATH.
unset EM_CACHE
export NODE_PATH=/usr/share/nodejs
emcmake cmake --preset web
cmake --build build/web -j"$(nproc)"
echo "Built build/web/site and $(ls build/web/velkarovantine-web-*.zip)"
[ "$build_only" -eq 1 ] && exit 0

# The server sends .wasm as application/wasm, so the browser compiles it while it loads, and
# .webmanifest as application/manifest+json, and the page's Content-Security-Policy as a header
# (scripts/serve_web.py). 127.0.0.1 counts as a secure origin, so the service worker runs here
# too: after one visit the game starts with the server stopped.
exec python3 scripts/serve_web.py build/web/site "$port"
