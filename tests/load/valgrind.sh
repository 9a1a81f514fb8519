#!/usr/bin/env bash
# valgrind.sh EXE ARTEFACTS [full]: the real game under valgrind's memcheck in Xvfb. A scripted
# session: title screen, "Start Game", held keys, resizes, then Escape. With "full" the race is
# also left to crash, restarted with "Restart" and driven again before Escape (several minutes,
# since llvmpipe under valgrind draws a frame every second or so). The window is shrunk to
# 480 x 440 (the smallest at which the screen checks still hold) to keep the software
# rasteriser's share of that time down.
#
# Passes when the game exits with status 0 (valgrind's --error-exitcode turns any unsuppressed
# error or definite leak into 99), the log holds no invalid read or write, and no definitely
# lost block was allocated by the game's own code. gl-driver.supp suppresses reports of the GL
# driver, the loader and GLUT internals; every function it names is checked not to be the
# game's. The log goes to ARTEFACTS/load-valgrind/memcheck.log.
set -euo pipefail
source "$(dirname "$0")/load-lib.sh"
EXE=$1 FULL=${3:-}
SUPP=$LOAD_DIR/gl-driver.supp W=480 H=440
e2e_setup load-valgrind "$2"
LOG=$E2E_ART/memcheck.log

# A suppression must never hide a report that runs through the game's own code.
own=$(nm --defined-only -C "$EXE" | awk '$2 ~ /^[TtWw]$/ { $1 = $2 = ""; sub(/^ +/, ""); print }' |
    sed 's/(.*//' | sort -u)
named=$(sed -n 's/^[[:space:]]*fun:\(.*\)/\1/p' "$SUPP" | sort -u)
clash=$(comm -12 <(echo "$own") <(echo "$named"))
[[ -z $clash ]] || fail "gl-driver.supp names the game's own functions: $clash"

# Holds each key for a second, one after the other: slow enough for a game under valgrind.
tap_each() {
    local k
    for k in "$@"; do
        key_down "$k" 2>/dev/null
        sleep 1
        key_up "$k" 2>/dev/null
    done
}

start_xvfb
E2E_WINDOW_S=600 start_game env LP_NUM_THREADS=0 valgrind --tool=memcheck --leak-check=full \
    --show-leak-kinds=definite --errors-for-leak-kinds=definite --keep-debuginfo=yes \
    --num-callers=40 --error-exitcode=99 --suppressions="$SUPP" --log-file="$LOG" \
    ${VALGRIND_EXTRA:-} "$EXE"
resize $W $H
# freeglut maps the window from its main loop, which valgrind takes a while to reach.
wait_until 600 eval 'xdotool search --onlyvisible --name "^Velkarovantine$" >/dev/null' ||
    fail "the window was never mapped"
wait_until 600 menu_shown || fail "no title screen"
log "title screen shown"
race_on $W $H
wait_until 300 race_shown || fail "Start Game was not answered"
keep_shot race
log "racing"
tap_each a Left w Up
resize 320 240 && resize $W $H
if [[ $FULL == full ]]; then
    wait_until 900 crash_shown || fail "the race did not end"
    keep_shot crash
    log "crashed"
    race_on $W $H
    wait_until 300 race_shown || fail "Restart was not answered"
    log "restarted"
    tap_each d Right s Down
fi
key Escape 2>/dev/null || true
expect_exit 0 900

grep -E "ERROR SUMMARY|definitely lost:|suppressed:" "$LOG" | sed 's/^==[0-9]*== */    /'
! grep -q "Invalid \(read\|write\)" "$LOG" || fail "invalid reads or writes: see $LOG"
# A definite leak is the game's when the first frame past the allocator is one of its functions.
read -r game_leaks other_leaks < <(awk -v own="$own" '
    BEGIN { n = split(own, names, "\n"); for (i = 1; i <= n; i++) mine[names[i]] = 1 }
    /definitely lost in loss record/ { record = 1; decided = 0; next }
    record && /^==[0-9]+== *$/ { record = 0; next }
    record && !decided && / (at|by) 0x/ {
        fn = $0; sub(/.*: /, "", fn); sub(/ \(.*/, "", fn); sub(/\(.*/, "", fn)
        if (fn ~ /^(malloc|calloc|realloc|memalign|posix_memalign|aligned_alloc|operator new.*)$/) next
        decided = 1; if (fn in mine) game++; else other++
    }
    END { print game + 0, other + 0 }' "$LOG")
log "definitely lost blocks: $game_leaks allocated by the game, $other_leaks by libraries (unsuppressed)"
((game_leaks == 0)) || fail "the game's own code leaks: see $LOG"
log "no invalid access and no definite leak in the game's code"
