"""browserlib.py: drive the browser build of the game in headless Chromium and look at its pixels.

  Site(folder)                 serves the site on 127.0.0.1 (a free port) from a thread, with one
                               extra page, FRAME_PAGE, that holds the game in a resizable iframe
  Browser(extra_flags)         Debian's Chromium through chromedriver, fresh profile, 800 x 600
                               viewport; console errors collected; stats, shots, clicks, keys
  Shot                         an RGB picture: pixel, box_stats, and the screen checks ported from
                               tests/e2e/lib.sh (menu_shown, crash_shown, race_shown)
  compare(desktop, browser)    the pixel comparison of one screen, with its figures
  desktop_shots(exe, art)      the desktop game's shots of the same screens, under Xvfb
"""
import functools
import http.server
import os
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains

# Constants
HERE = os.path.dirname(os.path.abspath(__file__))
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
                  "--enable-unsafe-swiftshader", "--disable-background-networking",
                  "--disable-component-update", "--no-first-run"]
NO_WEBGL_FLAGS = ["--disable-webgl", "--disable-3d-apis"]
WIDTH, HEIGHT = 800, 600
FRAME_PAGE = "velk-test-frame.html"
# The game in an iframe at the top-left corner, so that the test can give it any client area,
# a zero height included, which the viewport emulation cannot (a zero there means "no override").
FRAME_HTML = b"""<!doctype html><html><head><meta charset="utf-8"><title>frame</title></head>
<body style="margin:0;overflow:hidden"><iframe id="game" src="index.html"
 style="border:0;display:block;width:800px;height:600px"></iframe></body></html>"""
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

# Globals
T0 = time.monotonic()


def log(*words):
    print("[browser %7.2fs] %s" % (time.monotonic() - T0, " ".join(str(w) for w in words)),
          flush=True)


class Failure(Exception):
    """A check of the game failed; the message says what was seen."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(seconds, predicate, what, poll=0.05):
    """Calls PREDICATE until it returns something true; fails with WHAT after SECONDS."""
    end = time.monotonic() + seconds
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out after %g s waiting for %s" % (seconds, what))
        time.sleep(poll)


# --- Pictures --------------------------------------------------------------------------------
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


def desktop_shots(exe, artefacts):
    """Runs desktop_shots.sh and loads its shots: title, crash1, crash2, title2."""
    subprocess.run(["bash", os.path.join(HERE, "desktop_shots.sh"), exe, artefacts], check=True)
    folder = os.path.join(artefacts, "desktop")
    return {n: Shot.load(os.path.join(folder, n + ".png"))
            for n in ("title", "crash1", "crash2", "title2")}


# --- The site --------------------------------------------------------------------------------
class _Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {".wasm": "application/wasm", ".js": "text/javascript",
                      ".html": "text/html", ".css": "text/css", ".txt": "text/plain"}

    def do_GET(self):
        if self.path.lstrip("/") == FRAME_PAGE:
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(FRAME_HTML)))
            self.end_headers()
            self.wfile.write(FRAME_HTML)
        else:
            super().do_GET()

    def log_message(self, *args):
        pass


class Site:
    """The site folder served by Python's http.server on 127.0.0.1, on a port the system picks."""

    def __init__(self, folder):
        check(os.path.isfile(os.path.join(folder, "index.html")), "no index.html in " + folder)
        handler = functools.partial(_Handler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.origin = "http://127.0.0.1:%d" % self.server.server_port
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def url(self, path=""): return "%s/%s" % (self.origin, path)

    def close(self):
        self.server.shutdown()
        self.server.server_close()


# --- The browser -----------------------------------------------------------------------------
class Browser:
    """One headless Chromium with a fresh profile and an 800 x 600 viewport."""

    def __init__(self, extra_flags=()):
        self.profile = tempfile.TemporaryDirectory(prefix="velk-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in CHROMIUM_FLAGS + list(extra_flags) + ["--user-data-dir=" + self.profile.name]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        try:
            self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        except WebDriverException:
            self.profile.cleanup()
            raise
        self.console = []
        self.viewport(WIDTH, HEIGHT)

    def close(self):
        try:
            self.driver.quit()
        finally:
            self.profile.cleanup()

    def viewport(self, width, height):
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})

    def js(self, script, *args): return self.driver.execute_script(script, *args)

    def stats(self):
        """window.velkStats() of the page: {ticks, frames, state}, or None before it exists."""
        return self.js("return window.velkStats ? window.velkStats() : null")

    def ticks(self): return self.stats()["ticks"]

    def message(self):
        """The text of #message when it shows, else None."""
        return self.js("const m = document.getElementById('message');"
                       "return m && m.checkVisibility({checkOpacity: true, checkVisibilityCSS:"
                       " true}) && m.textContent.trim() || null")

    def cursor(self):
        return self.js("return getComputedStyle(document.getElementById('canvas')).cursor")

    def shot(self): return Shot.from_png(self.driver.get_screenshot_as_png())

    def wait_shot(self, seconds, check_name, what):
        """Shoots until the screen check CHECK_NAME holds; returns that shot."""
        shots = []

        def shown():
            shots[:] = [self.shot()]
            return getattr(shots[0], check_name)()
        wait_until(seconds, shown, what, poll=0.1)
        return shots[0]

    def move(self, x, y):
        """Moves the pointer to (X, Y) in viewport pixels, from one pixel to the left."""
        chain = ActionChains(self.driver)
        chain.w3c_actions.pointer_action.move_to_location(max(x - 1, 0), y)
        chain.w3c_actions.pointer_action.move_to_location(x, y)
        chain.perform()

    def click(self, x, y):
        self.move(x, y)
        ActionChains(self.driver).click().perform()

    def key_down(self, key): ActionChains(self.driver).key_down(key).perform()
    def key_up(self, key): ActionChains(self.driver).key_up(key).perform()

    def console_errors(self):
        """Console messages of level SEVERE so far, but for the browser's own favicon request.
        Warnings are logged as they come."""
        new = self.driver.get_log("browser")
        for e in new:
            if e["level"] == "WARNING":
                log("console warning: " + e["message"])
        self.console += new
        return [e["message"] for e in self.console if e["level"] == "SEVERE"
                and "/favicon.ico" not in e["message"]]

    def check_console(self, where):
        errors = self.console_errors()
        check(not errors, "console errors %s:\n  %s" % (where, "\n  ".join(errors)))

    def wait_ticking(self, what, ticks=10, seconds=5):
        """Waits until the game's timer has run TICKS more times."""
        start = self.ticks()
        wait_until(seconds, lambda: self.ticks() >= start + ticks, "%d ticks %s" % (ticks, what))

    def check_stopped(self, what, seconds=0.5):
        """The timer and the drawing do not run for SECONDS."""
        before = self.stats()
        time.sleep(seconds)
        after = self.stats()
        check(after["ticks"] == before["ticks"] and after["frames"] == before["frames"],
              "the game still runs %s: %s, then %s" % (what, before, after))


def run_group(name, function, failures):
    """Runs one group of checks; a failure is logged and counted, and the next group runs."""
    log("--- " + name)
    try:
        function()
        log("ok: " + name)
        return True
    except (Failure, WebDriverException, subprocess.CalledProcessError) as e:
        log("FAIL: %s: %s" % (name, str(e).strip()))
        failures.append(name)
        return False


def main_guard(run):
    """Exit status 0 when RUN returns no failed groups, else 1."""
    failures = run()
    if failures:
        log("failed: " + ", ".join(failures))
        sys.exit(1)
    log("all passed")
