#!/usr/bin/env bash
# windows_pacing.sh LINUX_EXE WINDOWS_EXE ARTEFACTS [SECONDS [ROUNDS]]: the Windows game under
# Wine next to the Linux game, in the same Xvfb (Mesa llvmpipe) of one run of
# tests/pacing/measure.py per screen: steps per second of a race and frames per second of the
# title screen at 800 x 600, each the best of ROUNDS (default 2) of SECONDS (default 10), the two
# games taking turns; and the processor time each game spent per frame (the lowest of the
# rounds), which other load on the machine leaves alone: Wine's own processes (wineserver) are
# not counted. Prints figures side by side and Wine's share of Linux's (goal: rates at least
# 90 %); asserts nothing.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
linux=$1 windows=$2 art=$3 seconds=${4:-10} rounds=${5:-2}
mkdir -p "$art"
: >"$art/pacing.log"
launcher=$art/velkarovantine-wine
printf '#!/usr/bin/env bash\nexec %q %q "$@"\n' "$ROOT/tests/windows/wine-run.sh" \
    "$(realpath "$windows")" >"$launcher"
chmod +x "$launcher"
WINE_INIT_ONLY=1 "$ROOT/tests/windows/wine-run.sh"
export E2E_WINDOW_S=60

for ((round = 1; round <= rounds; round++)); do
    for screen in race title; do
        PACING_SCREEN=$screen "${VELK_PYTHON:-/usr/bin/python3}" "$ROOT/tests/pacing/measure.py" \
            "$linux,$launcher" "$art" "$seconds" 800x600 | tee -a "$art/pacing.log" | sed -n "s/^800x600 */$screen /p"
    done
done | awk -v linux="${linux##*/}" '
    { game = $NF == linux ? "Linux game" : "Windows game under Wine"; screen = $1
      match($0, (screen == "race" ? "steps" : "frames") "/s +[0-9.]+"); split(substr($0, RSTART, RLENGTH), f, / +/)
      if (f[2] + 0 > rate[game, screen]) rate[game, screen] = f[2] + 0
      match($0, "cpu/frame +[0-9.]+"); split(substr($0, RSTART, RLENGTH), f, / +/)
      if (!((game, screen) in cpu) || f[2] + 0 < cpu[game, screen]) cpu[game, screen] = f[2] + 0 }
    END {
        w = "Windows game under Wine"; l = "Linux game"
        printf "\n%-28s %14s %16s %18s %19s\n", "800 x 600, best of the rounds", "race steps/s",
               "title frames/s", "race cpu ms/frame", "title cpu ms/frame"
        for (i = 1; i <= 2; i++) { g = i == 1 ? l : w
            printf "%-28s %14.1f %16.1f %18.2f %19.2f\n", g, rate[g, "race"], rate[g, "title"],
                   cpu[g, "race"], cpu[g, "title"] }
        printf "%-28s %13.0f%% %15.0f%% %17.0f%% %18.0f%%   (goal: rates at least 90 %%)\n",
               "Wine / Linux", 100 * rate[w, "race"] / rate[l, "race"],
               100 * rate[w, "title"] / rate[l, "title"], 100 * cpu[w, "race"] / cpu[l, "race"],
               100 * cpu[w, "title"] / cpu[l, "title"] }'
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
