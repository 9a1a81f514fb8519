#!/usr/bin/python3
"""web_pacing.py SITE DESKTOP_EXE ARTEFACTS [SECONDS]: the browser build's pacing next to the
desktop game's, and the page's download size. Prints figures and asserts nothing.

The desktop game is measured by tests/pacing/measure.sh at 800 x 600 (Xvfb, Mesa llvmpipe). The
browser build races for SECONDS (default 10) in headless Chromium with SwiftShader at 800 x 600,
after a few seconds of warm-up, steering at random and clicking "Restart" after every crash, as
measure.sh does; steps and frames per second come from window.velkStats(). Goals: the browser
makes at least 90 % of the desktop's steps per second, and the page is under 1 MiB compressed.
"""
import gzip
import os
import random
import re
import subprocess
import sys
import time

from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "browser"))
import browserlib as bl  # noqa: E402
from browserlib import log  # noqa: E402

# Constants
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
WARMUP_S = 3
STEER = ["a", "d", Keys.ARROW_LEFT, Keys.ARROW_RIGHT, "j", "l"]
STEPS_GOAL = 0.9          # share of the desktop's steps per second
SIZE_GOAL = 1 << 20       # bytes, compressed


def desktop_pacing(exe, artefacts, seconds):
    """Steps and frames per second of the desktop game at 800 x 600, from measure.sh."""
    out = subprocess.run(["bash", os.path.join(ROOT, "tests", "pacing", "measure.sh"), exe,
                          artefacts, str(seconds), "800x600"], check=True, text=True,
                         stdout=subprocess.PIPE).stdout
    print(out, end="")
    m = re.search(r"^800x600\s+steps/s\s+([\d.]+).*frames/s\s+([\d.]+)", out, re.M)
    if not m:
        raise bl.Failure("no figures from measure.sh")
    return float(m.group(1)), float(m.group(2))


def browser_pacing(site, seconds):
    """Steps and frames per second of the browser build while racing for SECONDS."""
    b = bl.Browser()
    try:
        b.driver.get(site.url("index.html"))
        b.wait_shot(20, "menu_shown", "the title screen")
        b.click(400, 300)   # "Start Game"
        b.wait_shot(15, "race_shown", "a race")
        first = None
        end = time.monotonic() + WARMUP_S + seconds
        while time.monotonic() < end:
            if first is None and time.monotonic() > end - seconds:
                first = (time.monotonic(), b.stats())
            key = random.choice(STEER)
            b.key_down(key)
            time.sleep(0.3)
            b.key_up(key)
            b.click(400, 300)   # "Restart" after a crash; nothing during a race
            time.sleep(0.2)
        last = (time.monotonic(), b.stats())
        b.check_console("while racing")
    finally:
        b.close()
    span = last[0] - first[0]
    return ((last[1]["ticks"] - first[1]["ticks"]) / span,
            (last[1]["frames"] - first[1]["frames"]) / span, span)


def page_size(folder):
    """Prints each file of the site with its size and gzip -9 size; returns both totals."""
    total = packed = 0
    for dirpath, _, names in sorted(os.walk(folder)):
        for name in sorted(names):
            path = os.path.join(dirpath, name)
            with open(path, "rb") as f:
                data = f.read()
            size, small = len(data), len(gzip.compress(data, 9))
            print("  %-28s %9d bytes, gzip -9 %9d" % (os.path.relpath(path, folder), size, small))
            total, packed = total + size, packed + small
    return total, packed


def main():
    site_dir, exe, artefacts = sys.argv[1:4]
    seconds = float(sys.argv[4]) if len(sys.argv) > 4 else 10.0
    log("load average %s, %d cores" % (open("/proc/loadavg").read().split()[:3], os.cpu_count()))
    desk_steps, desk_fps = desktop_pacing(exe, artefacts, int(seconds))
    site = bl.Site(site_dir)
    try:
        web_steps, web_fps, span = browser_pacing(site, seconds)
    finally:
        site.close()
    figures = "steps/s %6.2f  frames/s %6.2f  (%.1f ms a frame)"
    print("desktop, Xvfb + llvmpipe, 800x600:        " + figures
          % (desk_steps, desk_fps, 1000.0 / desk_fps))
    print("browser, Chromium + SwiftShader, 800x600: " + figures
          % (web_steps, web_fps, 1000.0 / web_fps if web_fps else 0.0) + " over %.1f s" % span)
    share = web_steps / desk_steps
    print("browser / desktop steps per second: %.1f %% (goal >= %.0f %%: %s)"
          % (100.0 * share, 100.0 * STEPS_GOAL, "met" if share >= STEPS_GOAL else "NOT MET"))
    print("page %s:" % site_dir)
    total, packed = page_size(site_dir)
    print("page download: %.1f KiB, gzip -9 %.1f KiB (goal < %d KiB: %s)"
          % (total / 1024.0, packed / 1024.0, SIZE_GOAL // 1024,
             "met" if packed < SIZE_GOAL else "NOT MET"))


if __name__ == "__main__":
    main()
