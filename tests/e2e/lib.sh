# lib.sh: drive the real game in a private Xvfb server and look at what its window shows.
#
# Source it from a bash script, then:
#   e2e_setup NAME ARTEFACT_ROOT   temp dir, artefact dir ARTEFACT_ROOT/NAME, cleanup trap
#   start_xvfb [WxHxDEPTH]         private server on a free display; exports DISPLAY
#   start_game EXE [ARGS...]       launches the game (GAME_PID), finds its window (WIN), moves it to 0,0;
#                                  waits E2E_WINDOW_S s (default 15) for the window and its first frame
#   shot; keep_shot NAME           grabs the window (SHOT_W x SHOT_H); saves the last grab as NAME.png
#   count PRED X0 Y0 X1 Y1         pixels of the last grab in the inclusive box for which PRED holds
#   all_in PRED BOX [PERCENT]; at_least N PRED BOX; pixel X Y ("r g b"); box_stats PRED BOX
#   matches_golden NAME            the last grab against golden/NAME.png (E2E_UPDATE_GOLDEN=1: becomes it)
#   wait_until SECONDS CMD...      runs CMD every E2E_POLL s (default 0.05) until it succeeds
#   click X Y; key K; key_down K; key_up K; escape; resize W H
#   expect_exit STATUS SECONDS     waits for the game to end and checks its exit status
# PRED is an awk expression over r, g, b (0..255) and the pixel's x, y; near(v, t) is
# |v - t| <= 2. Named ones: SKY, BUTTON, WHITE, ASPHALT, GROUND, CAR_RED, OBSTACLE.
# Screen checks (menu_shown, race_shown, crash_shown) grab the window and probe it at the
# layout the game uses for the current window size.
# The trap kills the game and the server on every exit and, on failure, keeps the last grab as
# failure.png.

# shellcheck disable=SC2034  # the predicates are for the scripts that source this file
SKY='near(r,115) && near(g,184) && near(b,235)'
BUTTON='near(r,51) && near(g,102) && near(b,179)'
WHITE='r >= 235 && g >= 235 && b >= 235'
ASPHALT='r > 25 && r < 130 && (r - g) ^ 2 <= 100 && (b - r) ^ 2 <= 225 && (b - g) ^ 2 <= 225'
GROUND='g > r + 20 && g > b + 20'
CAR_RED='r > 100 && g * 10 < r * 3 && b * 10 < r * 3'
# Orange block, purple drum or green ball; the ball's green is the foliage's, so look off the verge.
OBSTACLE='(r > 100 && b * 5 < r && g * 10 > r * 3 && g * 10 < r * 7) ||
    (r > 60 && b > g + 40 && r > g + 30) || (g > r + 40 && g > b + 40)'

now_us() { echo "${EPOCHREALTIME/./}"; }
log() { printf '[%s %6.2fs] %s\n' "$E2E_NAME" "$((($(now_us) - E2E_T0) / 10000))e-2" "$*"; }
fail() { log "FAIL: $*"; exit 1; }

e2e_setup() {
    E2E_NAME=$1 E2E_ART=$2/$1 E2E_T0=$(now_us)
    E2E_TMP=$(mktemp -d) GAME_PID='' XVFB_PID='' SHOT_W=0 SHOT_H=0
    rm -rf "$E2E_ART" && mkdir -p "$E2E_ART"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM HUP PIPE
}

e2e_cleanup() {
    local status=$? pid
    set +e
    trap '' PIPE
    [[ $status -ne 0 && -f $E2E_TMP/last.rgb ]] && keep_shot failure
    for pid in $GAME_PID $XVFB_PID; do
        kill -TERM "$pid" 2>/dev/null && wait_until 5 pid_gone "$pid" || kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$E2E_TMP"
    log "$([[ $status -eq 0 ]] && echo passed || echo "failed ($status)")"
}

# True once PID has ended (gone, or a zombie waiting for its parent's wait).
pid_gone() { [[ ! -e /proc/$1/stat ]] || [[ $(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) == Z ]]; }

wait_until() {
    local end=$(($(now_us) + $1 * 1000000)); shift
    until "$@"; do
        (($(now_us) < end)) || return 1
        sleep "${E2E_POLL:-0.05}"
    done
}

start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "${1:-1280x1024x24}" -nolisten tcp 3>"$E2E_TMP/display" \
        >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    wait_until 10 test -s "$E2E_TMP/display" || fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    DISPLAY=:$(head -n1 "$E2E_TMP/display")
    export DISPLAY
}

# Without a window manager freeglut's window sits at -1,-1, which would cut a pixel off every shot.
start_game() {
    "$@" >"$E2E_TMP/game.log" 2>&1 &
    GAME_PID=$!
    local wait_s=${E2E_WINDOW_S:-15}
    # Only a mapped window can be grabbed; Wine names its window before it maps it.
    WIN=$(timeout "$wait_s" xdotool search --sync --onlyvisible --name '^Velkarovantine$' | head -n1)
    [[ -n $WIN ]] || fail "no window titled Velkarovantine: $(cat "$E2E_TMP/game.log")"
    xdotool windowmove "$WIN" 0 0
    wait_until 5 geometry_is "Position: 0,0" || fail "window did not move to 0,0"
    # Until the game draws again, the row and column that were off screen may still be black.
    wait_until "$wait_s" corners_drawn || fail "no frame drawn after moving the window"
}

corners_drawn() {
    shot || return 1
    local x y
    for x in 0 $((SHOT_W - 1)); do
        for y in 0 $((SHOT_H - 1)); do [[ $(pixel "$x" "$y") != "0 0 0" ]] || return 1; done
    done
}

geometry_is() { xdotool getwindowgeometry "$WIN" | grep -q "$1"; }

resize() {
    xdotool windowsize "$WIN" "$1" "$2"
    wait_until 5 geometry_is "Geometry: $1x$2" || fail "window did not become $1x$2"
}

# Only the raw RGB bytes are kept for probing; keep_shot writes a PNG when one is wanted.
shot() {
    xwd -id "$WIN" -silent | convert xwd:- -format '%w %h\n' -write "info:$E2E_TMP/size" \
        -depth 8 "rgb:$E2E_TMP/last.rgb" || return 1
    read -r SHOT_W SHOT_H <"$E2E_TMP/size"
}

keep_shot() { convert -size "${SHOT_W}x$SHOT_H" -depth 8 "rgb:$E2E_TMP/last.rgb" "png:$E2E_ART/$1.png"; }

# The title and crash screens come out the same to the pixel on every run (Xvfb, Mesa llvmpipe).
# At most GOLDEN_PIXELS may differ by more than GOLDEN_FUZZ, enough for a driver's rounding but
# not for one model drawn wrong; a mismatch leaves NAME.png and NAME-diff.png in the artefacts.
GOLDEN_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/golden GOLDEN_FUZZ=3% GOLDEN_PIXELS=10
matches_golden() {
    local art=$E2E_ART/$1 differ
    keep_shot "$1"
    if [[ ${E2E_UPDATE_GOLDEN:-} == 1 ]]; then
        cp "$art.png" "$GOLDEN_DIR/$1.png" && log "golden/$1.png written" && return
    fi
    differ=$(compare -metric AE -fuzz $GOLDEN_FUZZ "$GOLDEN_DIR/$1.png" "$art.png" "$art-diff.png" 2>&1) || true
    log "$1: $differ pixels differ from golden/$1.png"
    [[ $differ =~ ^[0-9]+$ ]] && ((differ <= GOLDEN_PIXELS)) && rm -f "$art.png" "$art-diff.png"
}

# Prints "matches pixels meanx meany" for PRED over the box, clipped to the last shot.
box_stats() {
    local pred=$1 x0=$(($2 < 0 ? 0 : $2)) y0=$(($3 < 0 ? 0 : $3))
    local x1=$(($4 >= SHOT_W ? SHOT_W - 1 : $4)) y1=$(($5 >= SHOT_H ? SHOT_H - 1 : $5))
    od -An -v -tu1 -w$((SHOT_W * 3)) -j $((y0 * SHOT_W * 3)) -N $(((y1 - y0 + 1) * SHOT_W * 3)) \
        "$E2E_TMP/last.rgb" | awk -v x0="$x0" -v x1="$x1" -v y0="$y0" '
        function near(v, t) { return v - t <= 2 && t - v <= 2 }
        { y = y0 + NR - 1
          for (x = x0; x <= x1; x++) {
              r = $(3 * x + 1); g = $(3 * x + 2); b = $(3 * x + 3); n++
              if ('"$pred"') { m++; sx += x; sy += y } } }
        END { printf "%d %d %d %d\n", m, n, m ? sx / m : -1, m ? sy / m : -1 }'
}

count() { box_stats "$@" | cut -d' ' -f1; }
pixel() { od -An -tu1 -j $((($2 * SHOT_W + $1) * 3)) -N3 "$E2E_TMP/last.rgb" | xargs; }

# At least PERCENT (default 100) of the box matches PRED.
all_in() {
    local s; read -r -a s <<<"$(box_stats "$1" "$2" "$3" "$4" "$5")"
    ((s[0] * 100 >= s[1] * ${6:-100}))
}
at_least() { (($(count "$2" "$3" "$4" "$5" "$6") >= $1)); }

pointer_to() { xdotool mousemove --window "$WIN" $(($1 - 1)) "$2" mousemove --window "$WIN" "$1" "$2"; }
click() { pointer_to "$1" "$2" && xdotool click 1; }
# xdotool warns about the focus of a window-manager-less server on every key; that is noise.
key() { xdotool key --window "$WIN" "$1" 2>/dev/null; }
key_down() { xdotool keydown --window "$WIN" "$1" 2>/dev/null; }
key_up() { xdotool keyup --window "$WIN" "$1" 2>/dev/null; }
# The game may be gone before xdotool sends the key's release, which xdotool reports as an error.
escape() { key Escape || true; }

expect_exit() {
    wait_until "$2" pid_gone "$GAME_PID" || fail "the game did not exit"
    local status=0
    wait "$GAME_PID" || status=$?
    GAME_PID=''
    [[ $status -eq $1 ]] || fail "exit status $status, expected $1"
    log "game exited with status $status"
}

# --- What the game shows, for the window size of the last shot -----------------------------
# Both buttons of a screen are 160 x 40, centred across; the first centred down, the second
# 60 px higher. Their fill is probed in 16 px strips inside each end, clear of label and outline.
buttons_shown() {
    local x=$((SHOT_W / 2 - 80)) top
    for top in $((SHOT_H / 2 - 20)) $((SHOT_H / 2 - 80)); do
        all_in "$BUTTON" $((x + 5)) $((top + 5)) $((x + 20)) $((top + 35)) || return 1
        all_in "$BUTTON" $((x + 140)) $((top + 5)) $((x + 155)) $((top + 35)) || return 1
    done
}
buttons_gone() { (($(count "$BUTTON" $((SHOT_W / 2 - 80)) $((SHOT_H / 2 - 80)) \
    $((SHOT_W / 2 + 80)) $((SHOT_H / 2 + 20))) < 20)); }
# The title's baseline starts at (W/2 - 70, H/2 - 120); the crash line's at (W/2 - 110, H/2 - 140).
title_text() { at_least 30 "$WHITE" $((SHOT_W / 2 - 70)) $((SHOT_H / 2 - 134)) \
    $((SHOT_W / 2 + 70)) $((SHOT_H / 2 - 120)); }
crash_text() { at_least 20 "$WHITE" $((SHOT_W / 2 - 110)) $((SHOT_H / 2 - 154)) \
    $((SHOT_W / 2 - 60)) $((SHOT_H / 2 - 140)); }
# "Score: ..." during a race, or the first help line on the title screen.
top_left_text() { at_least 20 "$WHITE" 10 11 70 25; }
sky_at_top() { all_in "$SKY" 0 0 20 10 && all_in "$SKY" $((SHOT_W - 21)) 0 $((SHOT_W - 1)) 10; }

# Obstacle pixels on the road under the fixed title/crash camera at 800 x 600: inside the
# asphalt's wedge towards the vanishing point (400, 50), where no tree ever reaches.
course_pixels() { count "(x - 400) ^ 2 < (0.45 * (y - 50)) ^ 2 && ($OBSTACLE)" 150 55 650 215; }

menu_shown() { shot && buttons_shown && title_text && ! crash_text; }
crash_shown() { shot && buttons_shown && crash_text && ! title_text; }
race_shown() { shot && buttons_gone && top_left_text && sky_at_top; }
