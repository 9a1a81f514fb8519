#!/usr/bin/env bash
# screenshots.sh: regenerates docs/screenshots/{title,race,crash}.png from the real game.
# Builds the game, starts it in a private Xvfb server, shoots the title screen, clicks
# "Start Game", shoots the race, lets the car run into an obstacle and shoots the crash screen
# (scripts/desktop_screenshots.py). Needs the build and test packages (scripts/test.sh installs
# them); writes nothing else.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build/screenshots
OUT=docs/screenshots

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVELK_BUILD_TESTS=OFF -DVELK_BUILD_BENCH=OFF \
    >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target velkarovantine

/usr/bin/python3 scripts/desktop_screenshots.py "$BUILD/e2e" "$BUILD/src/app/velkarovantine"
mkdir -p "$OUT"
cp "$BUILD"/e2e/{title,race,crash}.png "$OUT/" # Pillow writes no time stamps: same picture, same file
echo "wrote $OUT/title.png, race.png and crash.png"
