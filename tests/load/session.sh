#!/usr/bin/env bash
# session.sh EXE ARTEFACTS [SECONDS] [RESIZES]: the real game under load in a 1920 x 1200 Xvfb.
# A race session of SECONDS (default 120) driven by random bursts of key presses and releases,
# restarted with "Restart" after every crash, with RESIZES (default 100) window resizes between
# 1 x 1 and 1920 x 1080 in two storms during the first half. Checks that the game stays alive,
# keeps drawing after every burst and storm (frames counted by the LD_PRELOAD swap counter),
# changes its picture while racing, answers every Restart and ends with status 0 on Escape; and
# that its resident memory, sampled every 5 s, does not grow in the second half (or after the
# storms, if later): no sample there exceeds the first one by RSS_SLACK_KIB (default 4096).
# RSS samples, the swap counter's log and a few screenshots go to ARTEFACTS/load-session/.
set -euo pipefail
source "$(dirname "$0")/load-lib.sh"
EXE=$1 SECONDS_TOTAL=${3:-120} RESIZES=${4:-100} RSS_SLACK_KIB=${RSS_SLACK_KIB:-4096}
KEYS=(w a s d i j k l Left Right Up Down)
STORMS=2 SAMPLE_EVERY=5 SEED=${LOAD_SEED:-$$}
e2e_setup load-session "$2"
RANDOM=$SEED
log "random seed $SEED (LOAD_SEED=$SEED repeats the storm sizes and key choices)"
start_xvfb "$BIG_SCREEN"
SHIM=$(build_swap_counter "$E2E_TMP") || fail "could not build the swap counter"
SWAPS=$E2E_ART/swaps.log RSS=$E2E_ART/rss.txt
start_game env VELK_SWAP_LOG="$SWAPS" VELK_SWAP_EVERY=1 LD_PRELOAD="$SHIM" "$EXE"

declare -A held=()
STORMS_END=0 LAST_SAMPLE=0 bursts=0 restarts=0 race_shots=0 changed_shots=0 resized=0 next_sample=0 next_storm=0
elapsed() { echo $(($(date +%s) - START)); }

alive() { pid_gone "$GAME_PID" && fail "the game died: $(tail -n5 "$E2E_TMP/game.log")" || true; }

# New frames keep coming after an input: two more swaps (the first may have been under way).
drawing() { new_frames 2 "$SWAPS" || fail "no new frame after $1"; }

sample_rss() {
    LAST_SAMPLE=$(elapsed)
    echo "$LAST_SAMPLE $(rss_kib)" >>"$RSS"
    next_sample=$((LAST_SAMPLE + SAMPLE_EVERY))
}

# The samples from the second half of the session on (or from the end of the storms, if later).
late_samples() {
    awk -v half=$((SECONDS_TOTAL / 2 > STORMS_END ? SECONDS_TOTAL / 2 : STORMS_END)) \
        '$1 >= half' "$RSS" | wc -l
}

# Random presses and releases of the driving keys, a few ms to 150 ms apart.
burst() {
    local n=$((4 + RANDOM % 9)) k
    for ((i = 0; i < n; i++)); do
        k=${KEYS[RANDOM % ${#KEYS[@]}]}
        if [[ -n ${held[$k]:-} ]]; then
            key_up "$k" 2>/dev/null && unset "held[$k]"
        else
            key_down "$k" 2>/dev/null && held[$k]=1
        fi
        sleep "$(printf 0.%03d $((RANDOM % 150)))"
    done
    bursts=$((bursts + 1))
    alive && drawing "key burst $bursts"
}

# One storm's sizes, the same for every storm so that each leaves memory in a comparable state:
# 1 x 1 and 1920 x 1080 first, then random sizes.
storm_sizes=("1 1" "1920 1080")
for ((i = 2; i < (RESIZES + STORMS - 1) / STORMS; i++)); do
    storm_sizes+=("$((1 + RANDOM % 1920)) $((1 + RANDOM % 1080))")
done

# The first N sizes of the storm list, each answered by a reshape and a new frame before the
# next one; then back to 800 x 600.
storm() {
    local reshapes; reshapes=$(counted reshapes "$SWAPS")
    for ((i = 0; i < $1; i++)); do
        resize ${storm_sizes[i]}
        alive && drawing "a resize to ${storm_sizes[i]/ /x}"
        resized=$((resized + 1))
    done
    resize 800 600
    alive && drawing "the resize back to 800x600"
    reshapes=$(($(counted reshapes "$SWAPS") - reshapes))
    ((reshapes >= $1 + 1)) || fail "$reshapes reshapes for $(($1 + 1)) resizes"
    log "storm of $1 resizes answered by $reshapes reshapes ($resized resizes so far)"
    sample_rss
    STORMS_END=${LAST_SAMPLE}
}

# One look at the window: restart after a crash; during a race, a second shot 0.2 s later must
# show a different picture.
look() {
    shot || fail "screenshot failed"
    if buttons_shown && crash_text; then
        race_on 800 600
        wait_until 5 race_shown || fail "Restart was not answered"
        restarts=$((restarts + 1))
    elif buttons_gone && top_left_text; then
        local before; before=$(md5sum <"$E2E_TMP/last.rgb")
        ((race_shots++ % 10 == 0)) && keep_shot "race-$race_shots"
        sleep 0.2
        shot || fail "screenshot failed"
        [[ $(md5sum <"$E2E_TMP/last.rgb") != "$before" ]] && changed_shots=$((changed_shots + 1))
    fi
    true
}

wait_until 15 menu_shown || fail "no title screen"
keep_shot title
START=$(date +%s)
race_on 800 600
wait_until 5 race_shown || fail "Start Game was not answered"
storm_gap=$((SECONDS_TOTAL / 2 / (STORMS + 1))) next_storm=$storm_gap
while (($(elapsed) < SECONDS_TOTAL || resized < RESIZES)); do
    (($(elapsed) >= next_sample)) && sample_rss
    if (($(elapsed) >= next_storm && resized < RESIZES)); then
        left=$((RESIZES - resized))
        storm $((left < ${#storm_sizes[@]} ? left : ${#storm_sizes[@]}))
        next_storm=$((next_storm + storm_gap))
    fi
    burst
    look
done
for k in "${!held[@]}"; do key_up "$k" 2>/dev/null; done
if ((restarts == 0)); then # no crash yet: with no key held the car runs into the next obstacle
    wait_until 60 eval 'shot && buttons_shown && crash_text' || fail "the race never ended"
    look
fi
sample_rss
# A slow machine may end the session soon after the storms: the verdict needs three samples.
while (($(late_samples) < 3)); do sleep "$SAMPLE_EVERY" && sample_rss; done
log "$bursts key bursts, $resized resizes, $restarts restarts answered," \
    "$changed_shots of $race_shots race screenshots differed from one 0.2 s later"
((resized >= RESIZES)) || fail "only $resized resizes"
((restarts >= 1)) || fail "no crash was restarted"
((race_shots >= 1 && changed_shots == race_shots)) || fail "the race picture stood still"

log "RSS samples (s KiB): $(tr '\n' ' ' <"$RSS")"
awk -v half=$((SECONDS_TOTAL / 2 > STORMS_END ? SECONDS_TOTAL / 2 : STORMS_END)) -v slack="$RSS_SLACK_KIB" '
    $1 < half { next }
    { if (!late++) first = $2; if ($2 > peak) peak = $2 }
    END { printf "RSS from %d s on: first %d KiB, peak %d KiB (%d samples)\n", half, first, peak, late
          exit !(late >= 2 && peak <= first + slack) }' "$RSS" ||
    fail "resident memory grew"

key Escape 2>/dev/null || true
expect_exit 0 10
