#!/usr/bin/python3
"""measure.py EXE[,EXE...] ARTEFACTS SECONDS SIZE...: frame pacing of the real game in a
1920 x 1200 Xvfb with Mesa's llvmpipe, counted by the swap_counter LD_PRELOAD shim. For each SIZE
(e.g. 800x600) the game is started, resized, set racing, kept racing for SECONDS by clicking the
middle of the window ("Restart" after a crash, nothing during a race) and steering at random,
then quit with Escape; with PACING_SCREEN=title it stays on the title screen instead. The first
WARMUP_S (default 5) seconds are left out. Prints, per size, the steps and frames per second, the
median and 90th percentile frame time, the median time inside the real glutSwapBuffers and from a
step to the end of its frame, and the game's processor time per frame (all its threads:
llvmpipe's too), which other load on the machine leaves alone. Asserts no rate: the timer period
is 16 ms, so 62.5 steps per second is the ceiling. Shim logs go to ARTEFACTS/pacing/. With several
executables (say the Linux game and a launcher of the Windows one under Wine, whose swaps the shim
also counts), each size is measured for each in turn in the same Xvfb, and each line ends with
the executable's name. measure(...) is for benchmarks too."""
import os
import random
import re
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "load"))
from loadlib import Run  # noqa: E402

STEER = ["a", "d", "Left", "Right", "j", "l"]


def measure(exes, artefacts, seconds, sizes, screen="race", warmup=5):
    """[(size, exe, {figure: value})], the shim's final line for each size ("800x600") and game."""
    figures = []
    with Run("pacing", artefacts) as run:
        run.log("load average before: %.2f %.2f %.2f, %d cores"
                % (*os.getloadavg(), os.cpu_count()))
        for size in sizes:
            for exe in exes:
                figures.append((size, exe, run_one(run, exe, size, seconds, screen, warmup)))
    return figures


def run_one(run, exe, size, seconds, screen, warmup):
    w, h = map(int, size.split("x"))
    name = "%s-%s" % (os.path.basename(exe), size)
    swaps = os.path.join(run.art, "swaps-%s.log" % name)
    game = run.start([exe], {"VELK_SWAP_LOG": swaps, "VELK_SWAP_SKIP_S": str(warmup),
                             "LD_PRELOAD": run.shim}, float(os.environ.get("E2E_WINDOW_S", 15)))
    game.resize(w, h)
    game.wait_shot(15, "menu_shown", "the title screen at " + size)
    end = time.monotonic() + warmup + seconds
    if screen != "title":
        game.click(w // 2, h // 2)   # "Start Game"
        game.wait_shot(10, "race_shown", "a race at " + size)
    game.keep("%s-%s" % (screen, name))
    while screen != "title" and time.monotonic() < end:
        game.tap(random.choice(STEER), 0.3)
        game.click(w // 2, h // 2)   # "Restart" after a crash; nothing during a race
        time.sleep(0.2)
    time.sleep(max(0.0, end - time.monotonic()))
    game.quit()
    with open(swaps) as f:
        log = f.read()
    run.log("%s: %s" % (name, re.search(r"^renderer.*$", log, re.M).group(0)))
    return {k: float(v) for k, v in re.findall(r"(\w+)=([\d.]+)", re.search(r"^final (.*)$", log,
                                                                           re.M).group(1))}


def main(exes, artefacts, seconds, *sizes):
    exes = exes.split(",")
    screen, warmup = os.environ.get("PACING_SCREEN", "race"), float(os.environ.get("WARMUP_S", 5))
    for size, exe, v in measure(exes, artefacts, float(seconds), sizes, screen, warmup):
        print("%-9s steps/s %6.2f (%5.1f%% of 62.5)  frames/s %6.2f  frame ms: median %6.2f"
              " p90 %6.2f  in swap %6.2f  step to swap %6.2f  cpu/frame %6.2f  over %s s  %s" % (
                  size, v["steps_per_s"], v["steps_per_s"] / 0.625, v["fps"], v["median_ms"],
                  v["p90_ms"], v["swap_median_ms"], v["work_median_ms"], v["cpu_ms_per_frame"],
                  v["span_s"], os.path.basename(exe) if len(exes) > 1 else ""), flush=True)


if __name__ == "__main__":
    main(*sys.argv[1:])
