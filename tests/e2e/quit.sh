#!/usr/bin/env bash
# quit.sh EXE ARTEFACTS: each screen can end the game with status 0, each from a fresh launch.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup quit "$2"
start_xvfb

start_game "$1"
wait_until 15 menu_shown || fail "no title screen"
click 400 240   # "Quit"
expect_exit 0 10

start_game "$1"
wait_until 15 menu_shown || fail "no title screen"
click 400 300   # "Start Game"
wait_until 10 race_shown || fail "no race after Start Game"
escape
expect_exit 0 10

# The first race after launch runs a fixed course that crashes a car left alone in the middle
# lane, always the same way: the crash screen is the reference picture to the pixel.
start_game "$1"
wait_until 15 menu_shown || fail "no title screen"
click 400 300
wait_until 10 race_shown || fail "no race after Start Game"
E2E_POLL=0.5 wait_until 120 crash_shown || fail "the race did not end in a crash"
matches_golden crash || fail "the crash screen is not the one in golden/crash.png"
escape
expect_exit 0 10
