"""screens.py: what the game shows, on any platform. A Shot is an RGB picture (numpy, rows top
down) with the screen checks (menu_shown, race_shown, crash_shown) laid out for its size; shots
are compared with another platform's and with the reference shots in golden/; a Player is the game
on any platform (desktop.py, engines.py)."""
import io
import os
import pathlib
import time

import numpy as np
from PIL import Image

GOLDEN = pathlib.Path(__file__).resolve().parent / "golden"
CHROMIUM_VERSION = GOLDEN / "chromium" / "chromium-version.txt"
# A browser's shot against the desktop's: a channel may differ by TOLERANCE before its pixel
# counts as differing, and at most MAX_DIFFERING per cent of the pixels may.
TOLERANCE, MAX_DIFFERING = 16, 1.0
RESIZED = ((640, 480), (1024, 700))   # the other window sizes the browsers are compared at
# Boxes (x0, y0, x1, y1, inclusive) of the overlay's texts in an 800 x 600 window: about 20 px
# above each baseline and 4 below; the button boxes are the outlines' insides, label included.
TEXT_BOXES = {
    "title": {"title": (330, 160, 475, 184), "help line 1": (10, 5, 300, 29),
              "help line 2": (10, 30, 300, 54), "Quit label": (323, 223, 477, 257),
              "Start Game label": (323, 283, 477, 317)},
    "crash": {"crash line": (290, 140, 540, 164), "Menu label": (323, 223, 477, 257),
              "Restart label": (323, 283, 477, 317)}}


# Colours, over arrays of r, g, b (ints); near is within 2.
def near(v, t): return abs(v - t) <= 2
def SKY(r, g, b): return near(r, 115) & near(g, 184) & near(b, 235)
def BUTTON(r, g, b): return near(r, 51) & near(g, 102) & near(b, 179)
def WHITE(r, g, b): return (r >= 235) & (g >= 235) & (b >= 235)
def CAR_RED(r, g, b): return (r > 100) & (g * 10 < r * 3) & (b * 10 < r * 3)
def ASPHALT(r, g, b):
    grey = ((r - g) ** 2 <= 100) & ((b - r) ** 2 <= 225) & ((b - g) ** 2 <= 225)
    return (r > 25) & (r < 130) & grey


def OBSTACLE(r, g, b):
    """An orange block, a purple drum or a green ball (whose green is the trees', so look off the
    verge)."""
    return (((r > 100) & (b * 5 < r) & (g * 10 > r * 3) & (g * 10 < r * 7)) |
            ((r > 60) & (b > g + 40) & (r > g + 30)) | ((g > r + 40) & (g > b + 40)))


class Failure(AssertionError):
    """A check of the game failed."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(seconds, predicate, what, poll=0.05):
    """Calls PREDICATE until it returns something true, and returns that; fails after SECONDS."""
    end = time.monotonic() + seconds
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out after %g s waiting for %s" % (seconds, what))
        time.sleep(poll)


def log(*words): print(" ".join(str(w) for w in words), flush=True)


class Shot:
    def __init__(self, rgb):
        self.rgb = np.ascontiguousarray(rgb, dtype=np.uint8)
        self.h, self.w = self.rgb.shape[:2]

    @staticmethod
    def load(png):
        """A PNG's picture; PNG is its bytes or its path."""
        return Shot(np.asarray(Image.open(io.BytesIO(png) if isinstance(png, bytes) else png)
                               .convert("RGB")))

    def save(self, path): Image.fromarray(self.rgb).save(path)

    def matches(self, pred, x0, y0, x1, y1):
        """PRED over the inclusive box, clipped to the picture."""
        part = self.rgb[max(y0, 0):max(y1 + 1, 0), max(x0, 0):max(x1 + 1, 0)].astype(np.int32)
        return pred(part[..., 0], part[..., 1], part[..., 2])

    def where(self, pred): return self.matches(pred, 0, 0, self.w - 1, self.h - 1)
    def count(self, pred, *box): return int(self.matches(pred, *box).sum())
    def all_in(self, pred, *box): return bool(self.matches(pred, *box).all())

    def around(self, pred, x0, y0, x1, y1):
        """PRED over the inclusive box placed relative to the picture's centre."""
        return self.matches(pred, self.w // 2 + x0, self.h // 2 + y0,
                            self.w // 2 + x1, self.h // 2 + y1)

    # The screens, laid out for the picture's size. Both buttons are 160 x 40, centred across; the
    # first centred down, the second 60 px higher; their fill is probed in 16 px strips inside
    # each end, clear of label and outline. The title's baseline starts at (W/2 - 70, H/2 - 120);
    # the crash line's at (W/2 - 110, H/2 - 140).
    def buttons_shown(self):
        return all(self.around(BUTTON, x, top + 5, x + 15, top + 35).all()
                   for x in (-75, 60) for top in (-20, -80))

    def buttons_gone(self): return self.around(BUTTON, -80, -80, 80, 20).sum() < 20
    def title_text(self): return self.around(WHITE, -70, -134, 70, -120).sum() >= 30
    def crash_text(self): return self.around(WHITE, -110, -154, -60, -140).sum() >= 20

    def top_left_text(self):
        """"Score: ..." during a race, or the first help line on the title screen."""
        return self.count(WHITE, 10, 11, 70, 25) >= 20

    def sky_at_top(self):
        return self.all_in(SKY, 0, 0, 20, 10) and self.all_in(SKY, self.w - 21, 0, self.w - 1, 10)

    def race_shown(self): return self.buttons_gone() and self.top_left_text() and self.sky_at_top()

    def road_shown(self):
        """Asphalt fills most of a band across the race picture below the car, where a ground
        drawn over the road would show grass."""
        y = self.h * 17 // 20
        return self.matches(ASPHALT, self.w // 2 - 300, y, self.w // 2 + 300, y + 9)[0].mean() > 0.5

    def menu_shown(self):
        return self.buttons_shown() and self.title_text() and not self.crash_text()

    def crash_shown(self):
        return self.buttons_shown() and self.crash_text() and not self.title_text()

    def car_at(self):
        """Mean (x, y) of the car's red body in the lower half, (-1, -1) when it is not seen."""
        ys, xs = np.nonzero(self.matches(CAR_RED, 0, self.h // 2, self.w - 1, self.h - 1))
        return (xs.mean(), self.h // 2 + ys.mean()) if len(xs) > 200 else (-1, -1)

    def course_pixels(self):
        """Obstacle pixels on the road under the title and crash camera at 800 x 600: inside the
        asphalt's wedge towards the vanishing point (400, 50), where no tree ever reaches."""
        y, x = np.ogrid[55:216, 150:651]
        wedge = (x - 400) ** 2 < (0.45 * (y - 50)) ** 2
        return int((self.matches(OBSTACLE, 150, 55, 650, 215) & wedge).sum())


class Closing:
    """close() also at the end of a with statement."""
    def __enter__(self): return self
    def __exit__(self, *exception): self.close()


class Player:
    """The game on some platform: a subclass gives shot() and click(x, y). reach(step) plays the
    fixed script every platform plays up to STEP, and returns its shot: title, the first race
    with no key held, "Restart", the second race, "Menu". With no key held a race, so its score
    and the next course, never depends on timing."""
    STEPS = ("title", "crash1", "crash2", "title2")

    def wait_shot(self, seconds, check_name, what, poll=0.1):
        """Shoots until the screen check CHECK_NAME holds; returns that shot."""
        def shown():
            shot = self.shot()
            return getattr(shot, check_name)() and shot
        return wait_until(seconds, shown, what, poll)

    def racing(self, press, seconds=40):
        """A shot of a race, PRESS()ing "Start Game" or "Restart" until one shows: on a loaded
        machine a short race may end before a shot has seen it."""
        def race():
            shot = self.shot()
            if shot.buttons_shown():
                press()
            return shot.race_shown() and shot
        return wait_until(seconds, race, "a race")

    def race_to_crash(self):
        """Clicks "Start Game" or "Restart" in an 800 x 600 window, sees the race, then waits for
        the crash screen and returns its shot."""
        self.click(400, 300)
        self.wait_shot(15, "race_shown", "a race after the click")
        return self.wait_shot(120, "crash_shown", "the crash screen", poll=0.3)

    def reach(self, step):
        reached = self.__dict__.setdefault("reached", {})
        for s in self.STEPS[:self.STEPS.index(step) + 1]:
            if s not in reached:
                reached[s] = self.play(s)
        return reached[step]

    def play(self, step):
        if step.startswith("crash"):
            return self.race_to_crash()
        if step == "title2":
            self.click(400, 240)   # "Menu"
        return self.wait_shot(20, "menu_shown", "the title screen (%s)" % step)


def compare(name, reference, shot, tolerance, allowed, artefacts, boxes=None):
    """SHOT against REFERENCE: at most ALLOWED pixels may differ by more than TOLERANCE in a
    channel, and in each of the text BOXES ({name: (x0, y0, x1, y1)}) every pixel white in either
    must be the same in both. A failure keeps both shots and diff-NAME.png in ARTEFACTS: the
    reference darkened, red where the pixels differ, yellow where the texts do."""
    check((reference.w, reference.h) == (shot.w, shot.h), "a shot of %dx%d" % (shot.w, shot.h))
    diff = np.abs(reference.rgb.astype(np.int16) - shot.rgb).max(axis=2)
    differing, text_bad, bad = diff > tolerance, np.zeros(diff.shape, bool), []
    white = reference.where(WHITE) | shot.where(WHITE)
    for text, (x0, y0, x1, y1) in (boxes or {}).items():
        box = np.s_[y0:y1 + 1, x0:x1 + 1]
        text_bad[box] = white[box] & (diff[box] > 0)
        bad += [text] if text_bad[box].any() else []
    log("%s: %d pixels differ by more than %g/255 (at most %d may, max %d); texts differ in %s"
        % (name, differing.sum(), tolerance, allowed, diff.max(), bad or "none"))
    if differing.sum() > allowed or bad:
        os.makedirs(artefacts, exist_ok=True)
        reference.save(os.path.join(artefacts, "reference-%s.png" % name))
        shot.save(os.path.join(artefacts, "shot-%s.png" % name))
        marked = reference.rgb // 3
        marked[differing], marked[text_bad] = (255, 0, 0), (255, 255, 0)
        Shot(marked).save(os.path.join(artefacts, "diff-%s.png" % name))
        raise Failure("%s differs: %d pixels, texts in %s; see %s"
                      % (name, differing.sum(), bad or "none", artefacts))


def expect_same(name, desktop, other, artefacts):
    """OTHER shows the screen DESKTOP shows (the crash screen when NAME says so, else the title):
    at most MAX_DIFFERING per cent of the pixels differ by more than TOLERANCE, and every pixel of
    its texts white in either is the same in both; the help lines stay top left, the rest keeps
    its place to the centre."""
    dx, dy = desktop.w // 2 - 400, desktop.h // 2 - 300
    boxes = {n: b if n.startswith("help") else (b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy)
             for n, b in TEXT_BOXES["crash" if name.startswith("crash") else "title"].items()}
    compare(name, desktop, other, TOLERANCE, desktop.w * desktop.h * MAX_DIFFERING / 100, artefacts,
            boxes)


def expect_golden(name, shot, artefacts, update=False, chromium=None):
    """SHOT against the reference golden/NAME.png, or with UPDATE it becomes that reference.

    The desktop game's title and first crash come out the same to the pixel on every run (Xvfb,
    Mesa llvmpipe): at most 10 pixels may differ by more than 3 % of full scale in a channel
    (ImageMagick's `compare -metric AE -fuzz 3%`), room for a driver's rounding but not for one
    model drawn wrong.

    Headless Chromium with SwiftShader, whose version CHROMIUM names, draws the same pixels on
    every run, so its shots have references of their own (golden/chromium/), taken with the
    version chromium-version.txt names: at most 10 pixels may differ by more than 8 in a channel.
    Another version may round otherwise: then at most 0.1 % may differ by more than TOLERANCE,
    still too few for a small model drawn wrong, and a warning says to renew the references."""
    tolerance, allowed = 0.03 * 255, 10
    if chromium:
        name = "chromium/" + name
        if update:
            CHROMIUM_VERSION.write_text(chromium + "\n")
        same = CHROMIUM_VERSION.read_text().strip() == chromium
        if not same:
            log("WARNING: the browser's reference shots are another Chromium's than %s: compared "
                "loosely; take them anew with tests/e2e/update-golden.sh" % chromium)
        tolerance, allowed = (8, 10) if same else (TOLERANCE, shot.w * shot.h // 1000)
    path = GOLDEN / (name + ".png")
    if update:
        return shot.save(path)
    compare(os.path.basename(name), Shot.load(path), shot, tolerance, allowed, artefacts)
