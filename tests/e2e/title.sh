#!/usr/bin/env bash
# title.sh EXE ARTEFACTS: the first title screen shows its buttons, title, help, road, ground and sky.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup title "$2"
start_xvfb
start_game "$1"

wait_until 15 menu_shown || fail "no title screen (buttons and title text)"
keep_shot title
# Buttons "Quit" (y 220..260) and "Start Game" (y 280..320): fill beside the labels, which are white.
at_least 40 "$WHITE" 350 286 450 306 || fail "no label on Start Game"
at_least 15 "$WHITE" 375 226 425 246 || fail "no label on Quit"
# Help lines with baselines at y 25 and 50.
at_least 20 "$WHITE" 10 11 70 25 && at_least 20 "$WHITE" 10 36 70 50 || fail "no help lines"
# Sky above the far end of the road; asphalt either side of the centre dashes in front of the car.
all_in "$SKY" 0 0 799 5 && all_in "$SKY" 300 0 799 45 || fail "no sky along the top"
all_in "$ASPHALT" 450 460 520 520 95 && all_in "$ASPHALT" 280 460 350 520 95 ||
    fail "no asphalt in front of the car: $(pixel 485 490) / $(pixel 315 490)"
all_in "$GROUND" 0 570 30 599 && all_in "$GROUND" 769 570 799 599 || fail "no grass at the bottom corners"
# Before the first race nothing has laid out the course: no obstacle on the road yet.
(($(course_pixels) == 0)) || fail "obstacles on the first title screen"
log "sky $(pixel 5 5), button $(pixel 330 300), asphalt $(pixel 485 490), grass $(pixel 5 590)"

escape
expect_exit 0 10
