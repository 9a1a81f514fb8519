"""pictures.py: the game's screens as RGB pictures, the screen checks ported from
tests/e2e/lib.sh, the pixel comparison of a browser's shot with the desktop game's, and of
headless Chromium's shots with its own reference shots in golden/."""
import os
import subprocess

from checks import check, log

# Constants
TOLERANCE = 16         # a channel may differ by this much before its pixel counts as differing
MAX_DIFFERING = 1.0    # per cent of the pixels that may differ
# Headless Chromium with SwiftShader draws the same pixels on every run, so its shots are also
# held to references of its own (golden/), taken with the Chromium version VERSION_FILE names:
# at most REFERENCE_PIXELS may differ by more than REFERENCE_TOLERANCE, room for a processor's
# rounding but not for one model drawn wrong. Another version's SwiftShader may round otherwise:
# then at most LOOSE_PERCENT per cent of the pixels may differ by more than TOLERANCE, still
# too few for a small model drawn wrong, and the test says that the references need renewing.
GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "golden")
VERSION_FILE = os.path.join(GOLDEN, "chromium-version.txt")
REFERENCE_TOLERANCE, REFERENCE_PIXELS = 8, 10
LOOSE_PERCENT = 0.1
# Boxes (x0, y0, x1, y1, inclusive, window pixels) holding the overlay's texts in an 800 x 600
# window: about 20 px above each baseline and 4 below, wide enough for the longest text; the
# button boxes are the insides of the outlines, label included.
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


# Static helpers
def text_boxes(screen, width, height):
    """SCREEN's text boxes laid out for a WIDTH x HEIGHT window: the help lines stay in the
    top-left corner, everything else keeps its place relative to the window's centre."""
    dx, dy = width // 2 - 400, height // 2 - 300
    return {name: box if name.startswith("help") else
            (box[0] + dx, box[1] + dy, box[2] + dx, box[3] + dy)
            for name, box in TEXT_BOXES[screen].items()}


def differing_pixels(a, b, tolerance):
    """The pixels of shots A and B, by number, that differ by more than TOLERANCE in a channel,
    and the largest channel difference."""
    check((a.w, a.h) == (b.w, b.h), "shots of %dx%d and %dx%d" % (a.w, a.h, b.w, b.h))
    x, y = a.data, b.data
    differing, max_diff = [], 0
    for p in range(a.w * a.h):
        i = 3 * p
        d = max(abs(x[i] - y[i]), abs(x[i + 1] - y[i + 1]), abs(x[i + 2] - y[i + 2]))
        max_diff = max(max_diff, d)
        if d > tolerance:
            differing.append(p)
    return differing, max_diff


def keep_difference(name, shots, differing, text_bad, artefacts):
    """Saves SHOTS ({label: shot}) and a difference image under ARTEFACTS: the first shot
    darkened, red where DIFFERING, yellow at the points TEXT_BAD."""
    os.makedirs(artefacts, exist_ok=True)
    for label, shot in shots.items():
        shot.save(os.path.join(artefacts, "%s-%s.png" % (label, name)))
    first = next(iter(shots.values()))
    diff = bytearray(x // 3 for x in first.data)
    for p in differing:
        diff[3 * p:3 * p + 3] = b"\xff\x00\x00"
    for x, y in text_bad:
        p = 3 * (y * first.w + x)
        diff[p:p + 3] = b"\xff\xff\x00"
    Shot(first.w, first.h, diff).save(os.path.join(artefacts, "diff-%s.png" % name))
    log("kept %s and diff-%s.png in %s" % (", ".join("%s-%s.png" % (k, name) for k in shots),
                                          name, artefacts))


# Public functions
def compare(name, screen, desktop, browser, artefacts):
    """Compares two shots of one screen (SCREEN names its text boxes). Returns the figures; on a
    failing comparison keeps both shots and a difference image (red: differs by more than the
    tolerance; yellow: text pixels that do not match) under ARTEFACTS."""
    differing, max_diff = differing_pixels(desktop, browser, TOLERANCE)
    # A text pixel is white in either shot; it must be the same white pixel in the other.
    text_bad = []
    bad_boxes = []
    for box_name, (x0, y0, x1, y1) in text_boxes(screen, desktop.w, desktop.h).items():
        bad = [(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)
               if (WHITE(*desktop.pixel(x, y)) or WHITE(*browser.pixel(x, y)))
               and desktop.pixel(x, y) != browser.pixel(x, y)]
        if bad:
            bad_boxes.append(box_name)
            text_bad += bad
    percent = 100.0 * len(differing) / (desktop.w * desktop.h)
    figures = {"name": name, "percent": percent, "max": max_diff, "text_same": not bad_boxes,
               "bad_boxes": bad_boxes}
    log("%-8s %.3f %% of pixels differ by more than %d/255 (max channel difference %d); "
        "text areas identical: %s" % (name, percent, TOLERANCE, max_diff,
                                      "yes" if not bad_boxes else "no (%s)" % ", ".join(bad_boxes)))
    if percent > MAX_DIFFERING or bad_boxes:
        keep_difference(name, {"desktop": desktop, "browser": browser}, differing, text_bad,
                        artefacts)
    return figures


def compare_reference(name, shot, version, artefacts):
    """Holds SHOT of headless Chromium VERSION to its reference golden/NAME.png (rewritten
    instead, with the version, when VELK_UPDATE_GOLDEN=1). True when it matches: within
    REFERENCE_PIXELS, or LOOSE_PERCENT for references of another version."""
    path = os.path.join(GOLDEN, name + ".png")
    if os.environ.get("VELK_UPDATE_GOLDEN") == "1":
        shot.save(path)
        with open(VERSION_FILE, "w") as f:
            f.write(version + "\n")
        log("wrote golden/%s.png and golden/%s for Chromium %s" % (
            name, os.path.basename(VERSION_FILE), version))
        return True
    with open(VERSION_FILE) as f:
        recorded = f.read().strip()
    same = recorded == version
    if not same:
        log("WARNING: the browser's reference shots are Chromium %s's, this is Chromium %s: "
            "compared loosely; regenerate them with tests/browser/update-golden.sh"
            % (recorded, version))
    tolerance = REFERENCE_TOLERANCE if same else TOLERANCE
    differing, max_diff = differing_pixels(Shot.load(path), shot, tolerance)
    allowed = REFERENCE_PIXELS if same else LOOSE_PERCENT * shot.w * shot.h / 100
    log("%s: %d pixels differ from golden/%s.png by more than %d/255, at most %d may "
        "(max channel difference %d)" % (name, len(differing), name, tolerance, allowed, max_diff))
    if len(differing) <= allowed:
        return True
    keep_difference(name, {"reference": Shot.load(path), "browser": shot}, differing, [],
                    artefacts)
    return False
