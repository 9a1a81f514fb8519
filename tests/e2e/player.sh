#!/usr/bin/env bash
# player.sh EXE ARTEFACTS: plays title -> race -> crash -> restart -> crash -> title -> resized
# race with the pointer and the keys, judging each step by what the window shows.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup player "$2"
start_xvfb
start_game "$1"

# The car's place on screen: mean x or y of its red body in the lower half, -1 if not seen.
CAR_X=-1
car_at() { local s; read -r -a s <<<"$(box_stats "$CAR_RED" 0 $((SHOT_H / 2)) $((SHOT_W - 1)) $((SHOT_H - 1)))"
    ((s[0] > 200)) && echo "${s[$1]}" || echo -1; }
car_x() { car_at 2; }
# True once the car is more than PX off the centre on SIDE (1 right, -1 left) and, with STILL 1,
# has not moved since the last look; or crashed.
car_beyond() {
    local prev=$CAR_X
    crash_shown && return 0
    CAR_X=$(car_x)
    ((CAR_X >= 0 && (CAR_X - SHOT_W / 2) * $1 > $2 && (${3:-0} == 0 || (CAR_X - prev) ** 2 <= 1)))
}
# Waits for N new frames, so at least N racing steps: every racing frame differs from the last.
FRAME=''
new_frame() { shot && local sum && sum=$(cksum <"$E2E_TMP/last.rgb") && [[ $sum != "$FRAME" ]] && FRAME=$sum; }
frames() { for ((f = 0; f < $1; f++)); do wait_until 5 new_frame || return 1; done; }
# A short press of KEY moves the car a little towards SIDE (again if the game was too busy to
# see it); once the key is up the car must stay mid-road, not run on to its limit (~110 px out).
tap_stops_car() {
    for try in 1 2 3; do
        xdotool keydown --window "$WIN" "$1" sleep 0.15 keyup --window "$WIN" "$1" 2>/dev/null
        frames 3 && x0=$(car_x) && (((x0 - SHOT_W / 2) * $2 > 3)) && break
    done
    frames 10 && x1=$(car_x) && log "tapped $1 ($try): the car moved to screen x $x0, then $x1"
    ((d = (x0 - SHOT_W / 2) * $2, d > 3 && d < 80 && (x1 - x0) ** 2 <= 1)) ||
        fail "the car did not stop mid-road when $1 was let go"
}
# Holds KEY until the car reaches its lateral limit, then lets the race run on until it crashes.
steer_and_crash() {
    key_down w && key_down "$1"   # accelerate too: a faster car meets its obstacle sooner
    CAR_X=-1
    wait_until 20 car_beyond "$2" 90 1 || fail "the car did not reach its lateral limit (x $CAR_X)"
    key_up "$1"
    log "released $1 with the car at screen x $CAR_X; waiting for a crash"
    E2E_POLL=0.5 wait_until 120 crash_shown || fail "no crash screen"
    key_up w
}

wait_until 15 menu_shown || fail "no title screen"
click 400 300   # "Start Game"
wait_until 10 race_shown || fail "no race after Start Game"
keep_shot race
# The chase camera shows the car from close behind, low in the frame; the title's camera, higher.
((car_y = $(car_at 3), car_y > 390)) || fail "no chase view of the car (car at screen y $car_y)"
log "race running, car at screen x $(car_x), y $car_y"
tap_stops_car d 1   # the fixed first course brings no crash before this is done
steer_and_crash d 1
keep_shot crash

click 400 300   # "Restart"
wait_until 10 race_shown || fail "no race after Restart"
steer_and_crash Left -1
keep_shot crash-left

click 400 240   # "Menu"
wait_until 10 menu_shown || fail "no title screen after Menu"
keep_shot title-after-menu
# "Menu" lays out a fresh course, so obstacles now stand on the road behind the buttons.
obstacles=$(course_pixels)
((obstacles > 100)) || fail "no obstacles behind the title ($obstacles px)"
log "title screen again, $obstacles obstacle pixels on the road"

resize 1024 768
wait_until 10 menu_shown || fail "no title screen laid out for 1024x768"
keep_shot title-1024
click 512 384   # the centre of "Start Game" at 1024 x 768
wait_until 10 race_shown || fail "no race at 1024x768"
log "race at 1024x768"

resize 200 1
pid_gone "$GAME_PID" && fail "the game died at 200x1"
resize 1024 768
# Everything outside the 200 x 1 strip must be drawn anew, by a race or a crash screen.
redrawn() { shot && ((SHOT_W == 1024)) && sky_at_top && { buttons_gone && top_left_text || crash_shown; }; }
wait_until 10 redrawn || fail "no full frame after shrinking to 200x1 and back"
keep_shot after-resize
if ! crash_text; then   # still racing, so every new frame shows the world moved on
    frame=$(cksum <"$E2E_TMP/last.rgb")
    moved() { shot && [[ $(cksum <"$E2E_TMP/last.rgb") != "$frame" ]]; }
    wait_until 10 moved || fail "the race stopped drawing after the resize"
fi
log "frames drawn again at ${SHOT_W}x${SHOT_H}"

escape
expect_exit 0 10
