"""The browser build at device pixel ratios 3, 1, 2 and 2.625 in headless Chromium against the
desktop game's title screen: each window pixel of text and outlines is the block of device pixels
between its rounded edges, white exactly where the desktop's pixel is white."""
import numpy as np
import pytest

from engines import HEIGHT as H, WIDTH as W, Chromium
from screens import TEXT_BOXES, WHITE, Shot, check, expect_same, wait_until

# The title's text boxes, the buttons' grown to take in their 2-px outlines.
BOXES = [(x0 - 4, y0 - 4, x1 + 4, y1 + 4) if "label" in n else (x0, y0, x1, y1)
         for n, (x0, y0, x1, y1) in TEXT_BOXES["title"].items()]


def blocks_right(desktop, shot, s):
    """Window column x covers the device columns [edge(x), edge(x + 1)); rows are counted from
    the bottom, as GL does."""
    def edge(v): return np.floor(v * s + 0.5).astype(int)
    col = edge(np.arange(W + 1))
    row = edge(H) - edge(H - np.arange(H + 1))
    # The desktop's whites, each pixel grown to its block of device pixels.
    grown = desktop.where(WHITE)[np.repeat(np.arange(H), np.diff(row))]
    grown = grown[:, np.repeat(np.arange(W), np.diff(col))]
    white = shot.where(WHITE)
    return all((grown[row[y0]:row[y1 + 1], col[x0]:col[x1 + 1]] ==
                white[row[y0]:row[y1 + 1], col[x0]:col[x1 + 1]]).all() for x0, y0, x1, y1 in BOXES)


def at_ratio(page, desktop, s, what):
    """Sets ratio S; waits for a drawing buffer of the device pixels and the title's blocks."""
    page.viewport(W, H, s)
    size = [round(W * s), round(H * s)]
    wait_until(15, lambda: page.js("const c = document.getElementById('canvas');"
                                   "return [c.width, c.height]") == size,
               "%s: a %dx%d drawing buffer" % (what, *size))

    def shown():
        shot = Shot.load(page.png(device=True))
        return blocks_right(desktop, shot, s) and shot
    return wait_until(15, shown, "%s: the title's text and outlines in blocks" % what, poll=0.5)


@pytest.fixture(scope="module")
def chromium(site):
    """The page in a Chromium of its own; each test goes on from where the last left it."""
    with Chromium() as page:
        page.goto(site.url())
        yield page


def test_ratio_3_blocks_and_centres(chromium, desktop_shots, art):
    """At ratio 3 the blocks are right, and the rest, sampled at each block's centre, is the
    desktop's title within the comparison's tolerance."""
    shot = at_ratio(chromium, desktop_shots["title"], 3, "ratio 3")
    expect_same("ratio3", desktop_shots["title"], Shot(shot.rgb[1::3, 1::3][:H, :W]), art)


def test_ratio_change_and_fraction(chromium, desktop_shots):
    """Ratio 1, then 2 in the running page, then 2.625: blocks right each time, no console error."""
    for s, what in ((1, "ratio 1"), (2, "ratio 1 -> 2 in the running page"),
                    (2.625, "ratio 2.625")):
        at_ratio(chromium, desktop_shots["title"], s, what)
    check(chromium.stats()["state"] == "running", "the page stopped: %s" % chromium.stats())
    chromium.check_console("at ratios 1, 2 and 2.625")
