#!/usr/bin/env bash
# windows_pacing.sh LINUX_EXE WINDOWS_EXE ARTEFACTS [SECONDS [ROUNDS]]: the Windows game under
# Wine next to the Linux game, in the same Xvfb (Mesa llvmpipe) of one run of
# tests/pacing/measure.sh per screen: steps per second of a race and frames per second of the
# title screen at 800 x 600, each the best of ROUNDS (default 2) of SECONDS (default 10), the two
# games taking turns. Prints figures side by side and Wine's share of Linux's (goal: at least
# 90 %); asserts nothing.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
linux=$1 windows=$2 art=$3 seconds=${4:-10} rounds=${5:-2}
mkdir -p "$art"
launcher=$art/velkarovantine-wine
printf '#!/usr/bin/env bash\nexec %q %q "$@"\n' "$ROOT/tests/windows/wine-run.sh" \
    "$(realpath "$windows")" >"$launcher"
chmod +x "$launcher"
WINE_INIT_ONLY=1 "$ROOT/tests/windows/wine-run.sh"
export E2E_WINDOW_S=60

for ((round = 1; round <= rounds; round++)); do
    for screen in race title; do
        PACING_SCREEN=$screen bash "$ROOT/tests/pacing/measure.sh" "$linux,$launcher" "$art" \
            "$seconds" 800x600 | tee -a "$art/pacing.log" | sed -n "s/^800x600 */$screen /p"
    done
done | awk -v linux="${linux##*/}" '
    { game = $NF == linux ? "linux" : "wine"; key = $1 == "race" ? "steps" : "frames"
      match($0, key "/s +[0-9.]+"); split(substr($0, RSTART, RLENGTH), figure, / +/)
      if (figure[2] + 0 > best[game, key]) best[game, key] = figure[2] + 0 }
    END {
        printf "\n%-36s %16s %18s\n", "at 800 x 600, best of the rounds", "race steps/s", "title frames/s"
        printf "%-36s %16.1f %18.1f\n", "Linux game", best["linux", "steps"], best["linux", "frames"]
        printf "%-36s %16.1f %18.1f\n", "Windows game under Wine", best["wine", "steps"], best["wine", "frames"]
        printf "%-36s %15.0f%% %17.0f%%   (goal: 90 %%)\n", "Wine / Linux",
               100 * best["wine", "steps"] / best["linux", "steps"],
               100 * best["wine", "frames"] / best["linux", "frames"] }'
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
