#!/usr/bin/env bash
# measure.sh EXE[,EXE...] ARTEFACTS SECONDS SIZE...: frame pacing of the real game in a
# 1920 x 1200 Xvfb with Mesa's llvmpipe, counted by the swap_counter LD_PRELOAD shim. For each
# SIZE (e.g. 800x600) the game is started, resized, set racing, kept racing for SECONDS by
# clicking the middle of the window ("Restart" after a crash, nothing during a race) and steering
# at random, then quit with Escape; with PACING_SCREEN=title it stays on the title screen instead.
# The first WARMUP_S (default 5) seconds are left out. Prints, per size, the steps and frames per
# second, the median and 90th percentile frame time, and the median time inside the real
# glutSwapBuffers and from a step to the end of its frame, and the game's processor time per frame
# (all its threads: llvmpipe's too), which other load on the machine leaves alone. Asserts no rate: the timer period is
# 16 ms, so 62.5 steps per second is the ceiling. Shim logs go to ARTEFACTS/pacing/.
# With several executables (say the Linux game and a launcher of the Windows one under Wine,
# whose swaps the shim also counts), each size is measured for each in turn in the same Xvfb,
# and each line ends with the executable's name.
set -euo pipefail
source "$(dirname "$0")/../load/load-lib.sh"
IFS=, read -r -a EXES <<<"$1"
ARTEFACTS=$2 SECONDS_EACH=$3
shift 3
e2e_setup pacing "$ARTEFACTS"
start_xvfb "$BIG_SCREEN"
SHIM=$(build_swap_counter "$E2E_TMP") || fail "could not build the swap counter"
STEER=(a d Left Right j l)

# measure EXE SIZE
measure() {
    local name=${1##*/} size=$2 w=${2%x*} h=${2#*x} swaps end k
    swaps=$E2E_ART/swaps-${1##*/}-$2.log
    start_game env VELK_SWAP_LOG="$swaps" VELK_SWAP_SKIP_S="${WARMUP_S:-5}" LD_PRELOAD="$SHIM" "$1"
    resize "$w" "$h"
    wait_until 15 menu_shown || fail "no title screen at $size"
    end=$(($(date +%s) + ${WARMUP_S:-5} + SECONDS_EACH))
    if [[ ${PACING_SCREEN:-race} == title ]]; then
        keep_shot "title-$name-$size"
        sleep $((end - $(date +%s)))
    else
        race_on "$w" "$h"
        wait_until 10 race_shown || fail "Start Game was not answered at $size"
        keep_shot "race-$name-$size"
        while (($(date +%s) < end)); do
            k=${STEER[RANDOM % ${#STEER[@]}]}
            key_down "$k" 2>/dev/null
            sleep 0.3
            key_up "$k" 2>/dev/null
            race_on "$w" "$h"
            sleep 0.2
        done
    fi
    key Escape 2>/dev/null || true
    expect_exit 0 10
    [[ $size == "$FIRST" ]] && log "$name: $(grep -m1 '^renderer' "$swaps")"
    ((${#EXES[@]} > 1)) || name=''
    grep '^final' "$swaps" | awk -v size="$size" -v name="$name" '{
        for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
        printf "%-9s steps/s %6.2f (%5.1f%% of 62.5)  frames/s %6.2f  frame ms: median %6.2f p90 %6.2f" \
               "  in swap %6.2f  step to swap %6.2f  cpu/frame %6.2f  over %s s  %s\n", size, v["steps_per_s"],
               v["steps_per_s"] / 0.625, v["fps"], v["median_ms"], v["p90_ms"],
               v["swap_median_ms"], v["work_median_ms"], v["cpu_ms_per_frame"], v["span_s"], name }'
}

log "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
FIRST=$1
for size in "$@"; do
    for exe in "${EXES[@]}"; do measure "$exe" "$size"; done
done
