#!/usr/bin/python3
"""web_pacing.py SITE DESKTOP_EXE ARTEFACTS [SECONDS [ROUNDS]]: frames per second of the title
screen and of a race, and the race's steps per second, in the desktop game and in the browser
build in each engine, side by side; then the page's download size. Prints figures, asserts none.

The rows, at 800 x 600 unless said: the desktop game (Xvfb, Mesa llvmpipe, measured by
tests/pacing/measure.py); Firefox ESR headful under Xvfb (llvmpipe); Chromium headful under Xvfb
with ANGLE over OpenGL (llvmpipe); Chromium headless with SwiftShader; WebKitGTK under Xvfb;
Chromium headless with SwiftShader emulating a landscape phone (844 x 390 CSS px at a device pixel
ratio of 3). Each screen is measured for SECONDS (default 10) after WARMUP_S of warm-up; during
the race the keys steer at random and "Restart" is clicked after every crash, as measure.py does.
ROUNDS (default 2) go through all rows in turn, and each figure is the best of its rounds. Goals:
the browser makes at least 90 % of the desktop's steps per second (the race keeps its pace), and
the page is under 1 MiB compressed.

A browser measure is a function (page, size, seconds) -> {column: figure}; BROWSER_MEASURES lists
them in the order they run on one page, and COLUMNS the figures printed.
"""
import gzip
import os
import random
import sys
import time

TESTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests")
sys.path[:0] = [os.path.join(TESTS, "e2e"), os.path.join(TESTS, "pacing")]
from desktop import Xvfb  # noqa: E402
from engines import HEIGHT, WIDTH, Chromium, Firefox, WebKit  # noqa: E402
from screens import log  # noqa: E402
from site_server import Site  # noqa: E402
from measure import measure  # noqa: E402

# Constants
WARMUP_S = 3
STEER = ["a", "d", "ArrowLeft", "ArrowRight", "j", "l"]
STEPS_GOAL = 0.9          # share of the desktop's steps per second
SIZE_GOAL = 1 << 20       # bytes, compressed
DESKTOP = (WIDTH, HEIGHT)
PHONE = (844, 390)        # CSS px, landscape
PHONE_RATIO = 3
# Chromium keeps WebGL off on a software OpenGL such as llvmpipe unless told to ignore that.
LLVMPIPE_CHROMIUM_FLAGS = ["--no-sandbox", "--use-gl=angle", "--use-angle=gl",
                           "--ignore-gpu-blocklist", "--disable-background-networking",
                           "--disable-component-update", "--no-first-run"]
COLUMNS = [("title frames/s", "%6.1f"), ("race frames/s", "%6.1f"), ("race steps/s", "%6.1f")]


# Static helpers
def sample(page): return time.monotonic(), page.stats()


def rates(first, last):
    span = last[0] - first[0]
    return ((last[1]["ticks"] - first[1]["ticks"]) / span,
            (last[1]["frames"] - first[1]["frames"]) / span)


def title_fps(page, size, seconds):
    """Frames per second on the title screen."""
    page.wait_shot(20, "menu_shown", "the title screen", poll=0.2)
    time.sleep(WARMUP_S)
    first = sample(page)
    time.sleep(seconds)
    return {"title frames/s": rates(first, sample(page))[1]}


def steer_until(page, middle, end):
    """Steers at random, clicking the middle ("Restart" after a crash), until END."""
    while time.monotonic() < end:
        key = random.choice(STEER)
        page.key_down(key)
        time.sleep(0.3)
        page.key_up(key)
        page.click(*middle)   # nothing during a race
        time.sleep(0.2)


def race_pacing(page, size, seconds):
    """Steps and frames per second while racing, steering at random."""
    middle = (size[0] // 2, size[1] // 2)
    page.click(*middle)   # "Start Game"
    page.wait_shot(15, "race_shown", "a race", poll=0.2)
    steer_until(page, middle, time.monotonic() + WARMUP_S)
    first = sample(page)
    steer_until(page, middle, time.monotonic() + seconds)
    steps, frames = rates(first, sample(page))
    try:
        page.check_console("while racing")
    except AssertionError as error:
        log(error)
    return {"race steps/s": steps, "race frames/s": frames}


BROWSER_MEASURES = [title_fps, race_pacing]


def phone(_xvfb):
    page = Chromium()
    page.viewport(PHONE[0], PHONE[1], PHONE_RATIO, mobile=True)
    return page


# (label, opens the page given the Xvfb, its size in CSS px); None opens the desktop game.
ROWS = [
    ("desktop game, Xvfb + Mesa llvmpipe", None, DESKTOP),
    ("Firefox ESR, Xvfb + llvmpipe", lambda x: Firefox(x.env), DESKTOP),
    ("Chromium, ANGLE over llvmpipe", lambda x: Chromium(flags=LLVMPIPE_CHROMIUM_FLAGS,
                                                         env=x.env), DESKTOP),
    ("Chromium, SwiftShader (headless)", lambda x: Chromium(), DESKTOP),
    ("WebKitGTK, Xvfb", lambda x: WebKit(x.env), DESKTOP),
    ("Chromium, SwiftShader, phone at ratio 3", phone, PHONE),
]


def desktop_figures(exe, artefacts, seconds):
    """The desktop game's title and race figures at 800 x 600, from tests/pacing/measure.py."""
    figures = {}
    for screen_name in ("title", "race"):
        v = measure([exe], artefacts, max(1, round(seconds)), ["800x600"], screen_name,
                    WARMUP_S)[0][2]
        figures[screen_name + " frames/s"] = v["fps"]
        if screen_name == "race":
            figures["race steps/s"] = v["steps_per_s"]
    return figures


def browser_figures(site, opener, size, xvfb, seconds):
    """Every browser measure, in order, on one fresh page of the row's engine."""
    page = opener(xvfb)
    try:
        page.goto(site.url("index.html"))
        log("%s draws with %s" % (page.name, page.renderer()))
        figures = {}
        for browser_measure in BROWSER_MEASURES:
            figures.update(browser_measure(page, size, seconds))
        return figures
    finally:
        page.close()


def measure_rounds(site_dir, exe, artefacts, seconds, rounds):
    """{label: {column: best figure}} over ROUNDS rounds through all rows."""
    best = {label: {} for label, _, _ in ROWS}
    site, xvfb = Site(site_dir), Xvfb()
    try:
        for number in range(1, rounds + 1):
            for label, opener, size in ROWS:
                log("round %d: %s" % (number, label))
                try:
                    figures = (desktop_figures(exe, artefacts, seconds) if opener is None else
                               browser_figures(site, opener, size, xvfb, seconds))
                except Exception as e:  # one engine's trouble leaves the other rows' figures
                    log("no figures for %s: %s" % (label, str(e).strip()))
                    continue
                log("  " + ", ".join("%s %.1f" % kv for kv in sorted(figures.items())))
                for column, value in figures.items():
                    best[label][column] = max(best[label].get(column, 0.0), value)
    finally:
        site.close()
        xvfb.close()
    return best


def print_table(best):
    desktop = best[ROWS[0][0]]
    print("%-48s" % "best of the rounds" + "".join(" %14s" % c for c, _ in COLUMNS)
          + "   share of the desktop's title fps / race fps / steps")
    for label, _, size in ROWS:
        row = best[label]
        cells = "".join(" %14s" % (f % row[c] if c in row else "-") for c, f in COLUMNS)
        shares = " / ".join("%3.0f %%" % (100.0 * row[c] / desktop[c])
                            if row.get(c) and desktop.get(c) else "  -" for c, _ in COLUMNS)
        print("%-48s%s   %s" % ("%s, %dx%d" % (label, size[0], size[1]), cells, shares))
    steps = desktop.get("race steps/s")
    for label, _, _ in ROWS[1:]:
        share = best[label].get("race steps/s", 0.0) / steps if steps else 0.0
        print("%-48s steps per second %.0f %% of the desktop's (goal >= %.0f %%: %s)"
              % (label, 100.0 * share, 100.0 * STEPS_GOAL,
                 "met" if share >= STEPS_GOAL else "NOT MET"))


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


# Public functions
def main():
    site_dir, exe, artefacts = sys.argv[1:4]
    seconds = float(sys.argv[4]) if len(sys.argv) > 4 else 10.0
    rounds = int(sys.argv[5]) if len(sys.argv) > 5 else 2
    log("load average %s, %d cores" % (open("/proc/loadavg").read().split()[:3], os.cpu_count()))
    print_table(measure_rounds(site_dir, exe, artefacts, seconds, rounds))
    log("load average %s afterwards" % open("/proc/loadavg").read().split()[:3])
    print("page %s:" % site_dir)
    total, packed = page_size(site_dir)
    print("page download: %.1f KiB, gzip -9 %.1f KiB (goal < %d KiB: %s)"
          % (total / 1024.0, packed / 1024.0, SIZE_GOAL // 1024,
             "met" if packed < SIZE_GOAL else "NOT MET"))


if __name__ == "__main__":
    main()
