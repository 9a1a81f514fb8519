"""density_test.py SITE EXE ARTEFACTS: the browser build at device pixel ratios 3, 2 and 2.625 in
Chromium (DevTools device metrics), against the desktop game's title screen at the same window
size (ARTEFACTS/desktop/title.png when web_test.py left one, else shot anew): the canvas draws
into the device pixels, and every window pixel of text and outlines is the desktop's, as the block
of device pixels between its rounded edges: white exactly where the desktop is white."""
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


def device_shot(b):
    png = b.driver.execute_cdp_cmd("Page.captureScreenshot", {"format": "png"})["data"]
    return bl.Shot.from_png(base64.b64decode(png))


def edges(x, s, flip):
    """Device rows or columns [a, b) of window pixel X (top-down rows when FLIP: GL counts up),
    halves rounded up."""
    def edge(v): return math.floor(v * s + 0.5)
    if flip:
        up = H - 1 - x
        return edge(H) - edge(up + 1), edge(H) - edge(up)
    return edge(x), edge(x + 1)


def wrong_blocks(desktop, shot, s):
    """Window pixels of the boxes whose device block is not white exactly where the desktop is."""
    bad = []
    for x0, y0, x1, y1 in BOXES:
        for y in range(y0, y1 + 1):
            r0, r1 = edges(y, s, True)
            for x in range(x0, x1 + 1):
                c0, c1 = edges(x, s, False)
                white = WHITE(*desktop.pixel(x, y))
                if any(WHITE(*shot.pixel(c, r)) != white for r in range(r0, r1) for c in range(c0, c1)):
                    bad.append((x, y))
    return bad


def at_ratio(b, desktop, s, what):
    """Sets ratio S and waits for the canvas's device pixels and the title's blocks."""
    b.viewport(W, H, s)
    size = (round(W * s), round(H * s))
    wait_until(15, lambda: tuple(b.js("const c = document.getElementById('canvas');"
                                      "return [c.width, c.height]")) == size,
               "%s: a %dx%d drawing buffer" % (what, *size))
    shots = []

    def blocks_right():
        shots[:] = [device_shot(b)]
        return not wrong_blocks(desktop, shots[0], s)
    wait_until(15, blocks_right, "%s: the title's text and outlines as the desktop's in blocks"
               % what, poll=0.5)
    return shots[0]


def block_centres(shot, s):
    """The device shot sampled at the centre of each window pixel's s x s block."""
    data = bytearray()
    for y in range(H):
        for x in range(W):
            data += bytes(shot.pixel(s * x + s // 2, s * y + s // 2))
    return bl.Shot(W, H, data)


def run(site_folder, exe, artefacts):
    kept = os.path.join(artefacts, "desktop", "title.png")
    desktop = bl.Shot.load(kept) if os.path.exists(kept) else bl.desktop_shots(exe, artefacts)["title"]
    site, b, failures = bl.Site(site_folder), bl.Browser(), []

    def ratio_three():
        b.goto(site.url("index.html"))
        centres = block_centres(at_ratio(b, desktop, 3, "ratio 3"), 3)
        figures = bl.compare("ratio3", "title", desktop, centres, artefacts)
        check(figures["percent"] <= MAX_DIFFERING and figures["text_same"],
              "ratio 3, sampled at window pixel centres: not the desktop's title")

    def ratio_change_and_fraction():
        b.goto(site.url("index.html"))
        at_ratio(b, desktop, 1, "ratio 1")
        at_ratio(b, desktop, 2, "ratio 1 -> 2 in the running page")
        at_ratio(b, desktop, 2.625, "ratio 2.625")
        check(b.stats()["state"] == "running", "the page stopped: %s" % b.stats())
        b.check_console("at ratios 1, 2 and 2.625")

    try:
        for name, group in (("ratio 3", ratio_three), ("ratio change", ratio_change_and_fraction)):
            bl.run_group(name, group, failures)
    finally:
        b.close()
        site.close()
    return failures


if __name__ == "__main__":
    bl.main_guard(lambda: run(*sys.argv[1:4]))
