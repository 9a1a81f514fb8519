#!/usr/bin/env bash
# title.sh EXE ARTEFACTS: the first title screen in its 800 x 600 window is the reference picture
# to the pixel (sky, road, trees, the car at the origin and no obstacle yet, title, buttons, help
# lines); Escape then ends the game with status 0.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup title "$2"
start_xvfb
start_game "$1"

wait_until 15 menu_shown || fail "no title screen (buttons and title text)"
matches_golden title || fail "the title screen is not the one in golden/title.png"
escape
expect_exit 0 10
