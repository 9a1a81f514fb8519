# load-lib.sh: helpers shared by the load, valgrind and pacing scripts, on top of the end-to-end
# library (Xvfb, window, screenshots, clicks, keys, bounded waits, cleanup trap).
#   BIG_SCREEN                     an Xvfb screen with room for 1920 x 1080: start_xvfb $BIG_SCREEN
#   build_swap_counter DIR         compiles the frame-counting LD_PRELOAD shim; prints its path
#   rss_kib                        VmRSS of the running game in KiB
#   counted NAME LOG               a count (swaps, steps, reshapes) from the shim's latest line
#   new_frames N LOG               waits up to 5 s until N more frames have been swapped
#   race_on W H                    clicks the middle of a W x H window ("Start Game" / "Restart")
LOAD_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$LOAD_DIR/../e2e/lib.sh"

BIG_SCREEN=1920x1200x24

build_swap_counter() {
    local out=$1/libswap_counter.so src=$LOAD_DIR/../pacing/swap_counter.cpp
    if [[ ! -f $out || $src -nt $out ]]; then
        mkdir -p "$1"
        g++ -std=c++17 -O2 -Wall -Wextra -shared -fPIC "$src" -o "$out" -ldl || return 1
    fi
    echo "$out"
}

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$GAME_PID/status"; }

counted() {
    local value=''
    [[ -s $2 ]] && value=$(tail -n2 "$2" | sed -n "s/.* $1=\([0-9]*\).*/\1/p" | tail -n1)
    echo "${value:-0}"
}

new_frames() {
    local end=$(($(date +%s%N) + 5000000000)) goal=$(($(counted swaps "$2") + $1))
    until (($(counted swaps "$2") >= goal)); do
        (($(date +%s%N) < end)) || return 1
        sleep 0.01
    done
}

race_on() { click $(($1 / 2)) $(($2 / 2)); }
