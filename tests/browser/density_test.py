"""density_test.py SITE EXE ARTEFACTS: the browser build at device pixel ratios 3, 1, 2 and 2.625 in
Chromium against the desktop game's title screen (ARTEFACTS/desktop/title.png where web_test.py
left it, else shot anew): each window pixel of text and outlines is the block of device pixels
between its rounded edges, white exactly where the desktop's pixel is white."""
import base64
import math
import os
import sys

import browserlib as bl
from browserlib import MAX_DIFFERING, TEXT_BOXES, WHITE, check, wait_until

W, H = bl.WIDTH, bl.HEIGHT
# The text boxes, the buttons' grown to take in their 2-px outlines.
BOXES = [(x0 - 4, y0 - 4, x1 + 4, y1 + 4) if "label" in n else (x0, y0, x1, y1)
         for n, (x0, y0, x1, y1) in TEXT_BOXES["title"].items()]


def edges(x, s, flip):
    """Device columns, or top-down rows when FLIP (GL counts up), [a, b) of window pixel X."""
    def edge(v): return math.floor(v * s + 0.5)
    up = H - 1 - x
    return (edge(H) - edge(up + 1), edge(H) - edge(up)) if flip else (edge(x), edge(x + 1))


def blocks_right(desktop, shot, s):
    for x0, y0, x1, y1 in BOXES:
        for y in range(y0, y1 + 1):
            r0, r1 = edges(y, s, True)
            for x in range(x0, x1 + 1):
                c0, c1 = edges(x, s, False)
                white = WHITE(*desktop.pixel(x, y))
                if any(WHITE(*shot.pixel(c, r)) != white for r in range(r0, r1)
                       for c in range(c0, c1)):
                    return False
    return True


def at_ratio(b, desktop, s, what):
    """Sets ratio S; waits for a drawing buffer of the device pixels and the title's blocks."""
    b.viewport(W, H, s)
    size = [round(W * s), round(H * s)]
    wait_until(15, lambda: b.js("const c = document.getElementById('canvas');"
                                "return [c.width, c.height]") == size,
               "%s: a %dx%d drawing buffer" % (what, *size))
    shots = []

    def shown():
        png = b.driver.execute_cdp_cmd("Page.captureScreenshot", {"format": "png"})["data"]
        shots[:] = [bl.Shot.from_png(base64.b64decode(png))]
        return blocks_right(desktop, shots[0], s)
    wait_until(15, shown, "%s: the title's text and outlines in blocks" % what, poll=0.5)
    return shots[0]


def run(site_folder, exe, artefacts):
    kept = os.path.join(artefacts, "desktop", "title.png")
    desktop = (bl.Shot.load(kept) if os.path.exists(kept) else
               bl.desktop_shots(exe, artefacts)["title"])
    site, b, failures = bl.Site(site_folder), bl.Browser(), []

    def ratio_three():
        b.goto(site.url("index.html"))
        shot = at_ratio(b, desktop, 3, "ratio 3")
        # The rest, sampled at each block's centre, within the comparison's tolerance.
        centres = bl.Shot(W, H, b"".join(bytes(shot.pixel(3 * x + 1, 3 * y + 1))
                                         for y in range(H) for x in range(W)))
        figures = bl.compare("ratio3", "title", desktop, centres, artefacts)
        check(figures["percent"] <= MAX_DIFFERING and figures["text_same"],
              "ratio 3 at the blocks' centres: not the desktop's title")

    def ratio_change_and_fraction():
        b.goto(site.url("index.html"))
        for s, what in ((1, "ratio 1"), (2, "ratio 1 -> 2 in the running page"),
                        (2.625, "ratio 2.625")):
            at_ratio(b, desktop, s, what)
        check(b.stats()["state"] == "running", "the page stopped: %s" % b.stats())
        b.check_console("at ratios 1, 2 and 2.625")

    try:
        bl.run_group("ratio 3", ratio_three, failures)
        bl.run_group("ratio change, fractional ratio", ratio_change_and_fraction, failures)
    finally:
        b.close()
        site.close()
    return failures


if __name__ == "__main__":
    bl.main_guard(lambda: run(*sys.argv[1:4]))
