"""pictures.py: the game's screens as RGB pictures, the screen checks ported from
tests/e2e/lib.sh, and the pixel comparison of a browser's shot with the desktop game's."""
import os
import subprocess

from checks import check, log

# Constants
TOLERANCE = 16         # a channel may differ by this much before its pixel counts as differing
MAX_DIFFERING = 1.0    # per cent of the pixels that may differ
# Boxes (x0, y0, x1, y1, inclusive, window pixels) holding the overlay's texts: about 20 px above
# each baseline and 4 below, wide enough for the longest text; the button boxes are the insides
# of the outlines, label included.
TEXT_BOXES = {
    "title": {"title": (330, 160, 475, 184), "help line 1": (10, 5, 300, 29),
              "help line 2": (10, 30, 300, 54), "Quit label": (323, 223, 477, 257),
              "Start Game label": (323, 283, 477, 317)},
    "crash": {"crash line": (290, 140, 540, 164), "Menu label": (323, 223, 477, 257),
              "Restart label": (323, 283, 477, 317)},
}
# Colour predicates of tests/e2e/lib.sh over one pixel.
def near(v, t): return abs(v - t) <= 2
def SKY(r, g, b): return near(r, 115) and near(g, 184) and near(b, 235)
def BUTTON(r, g, b): return near(r, 51) and near(g, 102) and near(b, 179)
def WHITE(r, g, b): return r >= 235 and g >= 235 and b >= 235
def CAR_RED(r, g, b): return r > 100 and g * 10 < r * 3 and b * 10 < r * 3


# Types
class Shot:
    """An RGB picture, 3 bytes a pixel, rows top down."""

    def __init__(self, width, height, data):
        self.w, self.h, self.data = width, height, data

    @staticmethod
    def from_png(png):
        rgb = subprocess.run(["convert", "png:-", "-format", "%w %h\n", "-write", "info:-",
                              "-depth", "8", "rgb:-"], input=png, capture_output=True, check=True)
        header, data = rgb.stdout.split(b"\n", 1)
        w, h = map(int, header.split())
        return Shot(w, h, data)

    @staticmethod
    def load(path):
        with open(path, "rb") as f:
            return Shot.from_png(f.read())

    def save(self, path):
        subprocess.run(["convert", "-size", "%dx%d" % (self.w, self.h), "-depth", "8", "rgb:-",
                        "png:" + path], input=bytes(self.data), check=True)

    def pixel(self, x, y):
        i = (y * self.w + x) * 3
        return tuple(self.data[i:i + 3])

    def box_stats(self, pred, x0, y0, x1, y1):
        """(matches, pixels, mean x, mean y) of PRED over the box, clipped to the picture."""
        x0, y0, x1, y1 = max(x0, 0), max(y0, 0), min(x1, self.w - 1), min(y1, self.h - 1)
        m = n = sx = sy = 0
        d = self.data
        for y in range(y0, y1 + 1):
            i = (y * self.w + x0) * 3
            for x in range(x0, x1 + 1):
                n += 1
                if pred(d[i], d[i + 1], d[i + 2]):
                    m, sx, sy = m + 1, sx + x, sy + y
                i += 3
        return m, n, (sx / m if m else -1), (sy / m if m else -1)

    def count(self, pred, *box): return self.box_stats(pred, *box)[0]

    def all_in(self, pred, *box):
        m, n, _, _ = self.box_stats(pred, *box)
        return m == n

    # The screens, laid out for the picture's size as in tests/e2e/lib.sh.
    def buttons_shown(self):
        x = self.w // 2 - 80
        return all(self.all_in(BUTTON, x + 5, top + 5, x + 20, top + 35) and
                   self.all_in(BUTTON, x + 140, top + 5, x + 155, top + 35)
                   for top in (self.h // 2 - 20, self.h // 2 - 80))

    def buttons_gone(self):
        return self.count(BUTTON, self.w // 2 - 80, self.h // 2 - 80,
                          self.w // 2 + 80, self.h // 2 + 20) < 20

    def title_text(self):
        return self.count(WHITE, self.w // 2 - 70, self.h // 2 - 134,
                          self.w // 2 + 70, self.h // 2 - 120) >= 30

    def crash_text(self):
        return self.count(WHITE, self.w // 2 - 110, self.h // 2 - 154,
                          self.w // 2 - 60, self.h // 2 - 140) >= 20

    def top_left_text(self): return self.count(WHITE, 10, 11, 70, 25) >= 20

    def sky_at_top(self):
        return self.all_in(SKY, 0, 0, 20, 10) and self.all_in(SKY, self.w - 21, 0, self.w - 1, 10)

    def menu_shown(self):
        return self.buttons_shown() and self.title_text() and not self.crash_text()

    def crash_shown(self):
        return self.buttons_shown() and self.crash_text() and not self.title_text()

    def race_shown(self):
        return self.buttons_gone() and self.top_left_text() and self.sky_at_top()

    def car_x(self):
        """Mean x of the car's red body in the lower half, or -1 when it is not seen."""
        m, _, x, _ = self.box_stats(CAR_RED, 0, self.h // 2, self.w - 1, self.h - 1)
        return x if m > 200 else -1


# Public functions
def compare(name, screen, desktop, browser, artefacts):
    """Compares two shots of one screen (SCREEN names its text boxes). Returns the figures; on a
    failing comparison keeps both shots and a difference image (red: differs by more than the
    tolerance; yellow: text pixels that do not match) under ARTEFACTS."""
    check((desktop.w, desktop.h) == (browser.w, browser.h),
          "%s: desktop shot %dx%d, browser shot %dx%d" % (name, desktop.w, desktop.h,
                                                          browser.w, browser.h))
    a, b = desktop.data, browser.data
    differing = [False] * (desktop.w * desktop.h)
    count = max_diff = 0
    for p in range(desktop.w * desktop.h):
        i = 3 * p
        d = max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2]))
        if d > max_diff:
            max_diff = d
        if d > TOLERANCE:
            differing[p] = True
            count += 1
    # A text pixel is white in either shot; it must be the same white pixel in the other.
    text_bad = []
    bad_boxes = []
    for box_name, (x0, y0, x1, y1) in TEXT_BOXES[screen].items():
        bad = [(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)
               if (WHITE(*desktop.pixel(x, y)) or WHITE(*browser.pixel(x, y)))
               and desktop.pixel(x, y) != browser.pixel(x, y)]
        if bad:
            bad_boxes.append(box_name)
            text_bad += bad
    percent = 100.0 * count / (desktop.w * desktop.h)
    figures = {"name": name, "percent": percent, "max": max_diff, "text_same": not bad_boxes,
               "bad_boxes": bad_boxes}
    log("%-8s %.3f %% of pixels differ by more than %d/255 (max channel difference %d); "
        "text areas identical: %s" % (name, percent, TOLERANCE, max_diff,
                                      "yes" if not bad_boxes else "no (%s)" % ", ".join(bad_boxes)))
    if percent > MAX_DIFFERING or bad_boxes:
        os.makedirs(artefacts, exist_ok=True)
        desktop.save(os.path.join(artefacts, "desktop-%s.png" % name))
        browser.save(os.path.join(artefacts, "browser-%s.png" % name))
        diff = bytearray(x // 3 for x in a)
        for p, is_diff in enumerate(differing):
            if is_diff:
                diff[3 * p:3 * p + 3] = b"\xff\x00\x00"
        for x, y in text_bad:
            p = 3 * (y * desktop.w + x)
            diff[p:p + 3] = b"\xff\xff\x00"
        Shot(desktop.w, desktop.h, diff).save(os.path.join(artefacts, "diff-%s.png" % name))
        log("kept desktop-%s.png, browser-%s.png and diff-%s.png in %s" % (name, name, name,
                                                                           artefacts))
    return figures
