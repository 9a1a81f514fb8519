#!/usr/bin/env bash
# desktop_shots.sh EXE ARTEFACTS: plays the fixed script of the browser comparison in the desktop
# game under Xvfb and keeps a shot of each screen in ARTEFACTS/desktop/: title.png, crash1.png
# (the first race, no key held), crash2.png (after "Restart", no key held) and title2.png (after
# "Menu"), then title2-640x480.png and title2-1024x700.png (that window resized). With no key
# held the races, and so the scores and courses, never depend on timing.
set -euo pipefail
source "$(dirname "$0")/../e2e/lib.sh"
e2e_setup desktop "$2"
start_xvfb
start_game "$1"

# Clicks at (X, Y) and waits for the race, then for the crash that ends it.
race_to_crash() {
    click "$1" "$2"
    wait_until 10 race_shown || fail "no race after the click at $1,$2"
    E2E_POLL=0.2 wait_until 120 crash_shown || fail "no crash screen"
}

wait_until 15 menu_shown || fail "no title screen"
keep_shot title
race_to_crash 400 300   # "Start Game"
keep_shot crash1
race_to_crash 400 300   # "Restart"
keep_shot crash2
click 400 240           # "Menu"
wait_until 10 menu_shown || fail "no title screen after Menu"
keep_shot title2
for size in 640x480 1024x700; do   # the other window sizes the browser is shot at
    resize "${size%x*}" "${size#*x}"
    wait_until 10 menu_shown || fail "no title screen at $size"
    keep_shot "title2-$size"
done
escape
expect_exit 0 10
