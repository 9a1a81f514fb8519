#!/usr/bin/env bash
# screenshots.sh: regenerates docs/screenshots/{title,race,crash}.png from the real game.
# Builds the game, starts it in a private Xvfb server, shoots the title screen, clicks
# "Start Game", shoots the race, lets the car run into an obstacle and shoots the crash screen.
# Needs the build and test packages (scripts/test.sh installs them); writes nothing else.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build/screenshots
OUT=docs/screenshots

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVELK_BUILD_TESTS=OFF -DVELK_BUILD_BENCH=OFF \
    >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target velkarovantine

source tests/e2e/lib.sh
e2e_setup screenshots "$BUILD/e2e"
start_xvfb
start_game "$BUILD/src/app/velkarovantine"

wait_until 10 menu_shown || fail "no title screen"
keep_shot title

# The first race after launch is always the same course; left alone in the middle lane the car
# meets an obstacle within a few seconds. The race is shot when an obstacle has come close, or,
# should the crash come first, in the last race frame seen before it.
race_shot() {
    race_shown && keep_shot race && at_least 400 "$OBSTACLE" 0 380 799 599 && return 0
    buttons_shown
}
click 400 300
wait_until 5 race_shown || fail "the race did not start"
wait_until 60 race_shot || fail "neither a close obstacle nor a crash within 60 s"
[[ -f $E2E_ART/race.png ]] || fail "the race ended before its screenshot"

wait_until 60 crash_shown || fail "no crash within 60 s"
keep_shot crash

key Escape 2>/dev/null || true # the window may vanish under xdotool
expect_exit 0 5

mkdir -p "$OUT"
for name in title race crash; do
    convert "$E2E_ART/$name.png" -strip "$OUT/$name.png" # no time stamps: same picture, same file
done
log "wrote $OUT/title.png, race.png and crash.png"
