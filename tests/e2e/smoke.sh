#!/usr/bin/env bash
# smoke.sh EXE ARTEFACTS: the game opens its 800 x 600 window, draws the sky and ends on Escape.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup smoke "$2"
start_xvfb
start_game "$1"
sky_shown() { shot && sky_at_top; }

geometry_is "Geometry: 800x600" || fail "client area is not 800x600: $(xdotool getwindowgeometry "$WIN")"
wait_until 10 sky_shown || fail "no sky in the top corners: $(pixel 0 0)"
((SHOT_W == 800 && SHOT_H == 600)) || fail "screenshot is ${SHOT_W}x${SHOT_H}"
keep_shot first-frame
# Sky fills the top rows from one side to the other, above the help text and the scene.
all_in "$SKY" 0 0 799 5 || fail "the top rows are not all sky"
log "top corners: $(pixel 0 0) / $(pixel 799 0); bottom corners: $(pixel 0 599) / $(pixel 799 599)"

escape
expect_exit 0 10
