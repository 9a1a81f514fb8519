"""browserlib.py: drive the browser build of the game in Chromium, Firefox and WebKit and look at
its pixels. Everything the tests use is here (the checks, pictures and site are re-exported).

  Site(folder)                 sites.py: serves the site on 127.0.0.1 (a free port) from a
                               thread, with two extra pages: FRAME_PAGE holds the game in a
                               resizable iframe, EMBED_PAGE in an iframe atop a taller page
  Browser(extra_flags)         Debian's Chromium through chromedriver, fresh profile, 800 x 600
                               viewport, headless with SwiftShader unless flags= says otherwise;
                               the selenium driver is Browser.driver
  Firefox(display), WebKit(display)
                               Firefox ESR (WebDriver BiDi) and WebKitGTK under an Xvfb, 800 x 600
  Page                         what all three offer: goto, js, stats, shots, pointer, keys,
                               what the game heard, console errors (engines.py has the engines)
  Xvfb()                       a private X server for Firefox and WebKit
  Shot, compare                pictures.py: a picture with the screen checks, and the comparison
                               of one screen with the desktop's, with its figures
  check, wait_until, log       checks.py
  desktop_shots(exe, art)      the desktop game's shots of the same screens, under Xvfb
  compare_reference            pictures.py: a shot against headless Chromium's own reference
"""
import os
import subprocess
import time

import engines
from checks import Failure, check, log, main_guard, run_group, wait_until
from engines import Xvfb
from pictures import (BUTTON, CAR_RED, MAX_DIFFERING, SKY, TEXT_BOXES, TOLERANCE, WHITE, Shot,
                      compare, compare_reference)
from sites import EMBED_PAGE, FRAME_PAGE, REPORTS, Site, describe_report

__all__ = ["BUTTON", "CAR_RED", "MAX_DIFFERING", "SKY", "TEXT_BOXES", "TOLERANCE", "WHITE", "Shot",
           "compare", "compare_reference", "Failure", "check", "log", "main_guard", "run_group",
           "wait_until", "Xvfb", "Site", "Page", "Browser", "Firefox", "WebKit", "desktop_shots",
           "WIDTH", "HEIGHT", "CHROMIUM_FLAGS", "NO_WEBGL_FLAGS", "FRAME_PAGE", "EMBED_PAGE",
           "RESIZED"]

# Constants
HERE = os.path.dirname(os.path.abspath(__file__))
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
                  "--enable-unsafe-swiftshader", "--disable-background-networking",
                  "--disable-component-update", "--no-first-run"]
NO_WEBGL_FLAGS = ["--disable-webgl", "--disable-3d-apis"]
WIDTH, HEIGHT = 800, 600
RESIZED = ((640, 480), (1024, 700))   # the other window sizes both games are shot at
# What window.velkInput() records of each delivery to the game's handlers.
INPUT_FIELDS = ("kind", "code", "state", "x", "y")


# Types
class Page:
    """The game's page in one browser engine (see engines.py), with the checks every engine
    shares: stats, shots, the pointer and keys, console errors."""

    def __init__(self, engine, width=WIDTH, height=HEIGHT):
        self.engine, self.name = engine, engine.name
        self.errors = []
        self.pointer_at = (0, 0)
        try:
            self.viewport(width, height)
        except Exception:
            engine.close()
            raise

    def close(self): self.engine.close()
    def viewport(self, width, height): self.engine.viewport(width, height)
    def goto(self, url): self.engine.goto(url)
    def frame(self, name): self.engine.frame(name)
    def js(self, script, *args): return self.engine.js(script, *args)
    def title(self): return self.js("return document.title")

    def stats(self):
        """window.velkStats() of the page: {ticks, frames, state}, or None before it exists."""
        return self.js("return window.velkStats ? window.velkStats() : null")

    def ticks(self): return self.stats()["ticks"]

    def heard(self, since=0, fields=INPUT_FIELDS):
        """What the game's handlers received after the first SINCE deliveries, oldest first: the
        FIELDS of each, as window.velkInput() recorded them."""
        got = self.js("return velkInput()")
        new = got["events"][len(got["events"]) - (got["count"] - since):]
        check(got["count"] - since <= len(got["events"]),
              "%d deliveries since %d, only the last %d kept" % (got["count"] - since, since,
                                                                 len(got["events"])))
        return [tuple(e[f] for f in fields) for e in new]

    def scrolled(self):
        """[scroll x, scroll y] of the page and of every page it is embedded in, innermost first."""
        return self.js("const at = []; for (let w = window; ; w = w.parent) {"
                       " at.push(w.scrollX, w.scrollY); if (w === w.parent) return at; }")

    def message(self):
        """The text of #message when it shows, else None."""
        return self.js("const m = document.getElementById('message');"
                       "return m && m.checkVisibility({checkOpacity: true, checkVisibilityCSS:"
                       " true}) && m.textContent.trim() || null")

    def cursor(self):
        return self.js("return getComputedStyle(document.getElementById('canvas')).cursor")

    def renderer(self):
        """The WebGL renderer's name, where the engine tells it."""
        return self.js("const g = document.createElement('canvas').getContext('webgl');"
                       "const i = g && g.getExtension('WEBGL_debug_renderer_info');"
                       "return g ? g.getParameter(i ? i.UNMASKED_RENDERER_WEBGL : g.RENDERER)"
                       " : 'no WebGL'")

    def shot(self): return Shot.from_png(self.engine.png())

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
        self.engine.pointer("move", max(x - 1, 0), y)
        self.engine.pointer("move", x, y)
        self.pointer_at = (x, y)

    def click(self, x, y):
        self.move(x, y)
        self.press(0)

    def press(self, button):
        """Presses and releases BUTTON (0 left, 1 middle, 2 right) where the pointer is."""
        self.engine.pointer("down", *self.pointer_at, button=button)
        self.engine.pointer("up", *self.pointer_at, button=button)

    def wheel(self, delta_y):
        """One turn of the wheel where the pointer is; a positive DELTA_Y turns it down."""
        self.engine.wheel(*self.pointer_at, delta_y)

    def key_down(self, key): self.engine.key("down", key)
    def key_up(self, key): self.engine.key("up", key)

    def console_errors(self):
        """Console errors so far, reported violations of the page's policy included; warnings
        are logged as they come."""
        while REPORTS:
            self.errors.append("Content-Security-Policy report: " + describe_report(REPORTS.pop(0)))
        for level, text in self.engine.console():
            if level == "error":
                self.errors.append(text)
            elif level == "warning":
                log("%s console warning: %s" % (self.name, text))
        return list(self.errors)

    def check_console(self, where):
        errors = self.console_errors()
        check(not errors, "%s console errors %s:\n  %s" % (self.name, where, "\n  ".join(errors)))

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


class Browser(Page):
    """One Chromium, headless with SwiftShader unless FLAGS say otherwise, at 800 x 600; DISPLAY
    is an environment for a headful one (Xvfb.env). The selenium driver is `driver`."""

    def __init__(self, extra_flags=(), flags=CHROMIUM_FLAGS, display=None):
        Page.__init__(self, engines.Chromium(list(flags) + list(extra_flags), display))
        self.driver = self.engine.driver

    def viewport(self, width, height, scale=1, mobile=False):
        self.engine.viewport(width, height, scale, mobile)


def Firefox(display):
    """Firefox ESR at 800 x 600, headful under DISPLAY (Xvfb.env)."""
    return Page(engines.Firefox(display, WIDTH, HEIGHT))


def WebKit(display):
    """WebKitGTK's MiniBrowser with an 800 x 600 page, under DISPLAY (Xvfb.env)."""
    return Page(engines.WebKit(display))


# Public functions
def desktop_shots(exe, artefacts):
    """Runs desktop_shots.sh and loads its shots: title, crash1, crash2, title2, and title2 at
    each of the RESIZED sizes (title2-WxH). With VELK_DESKTOP_SHOTS set, loads them from that
    folder instead (shots an earlier run kept of the same desktop game)."""
    folder = os.environ.get("VELK_DESKTOP_SHOTS")
    if not folder:
        subprocess.run(["bash", os.path.join(HERE, "desktop_shots.sh"), exe, artefacts],
                       check=True)
        folder = os.path.join(artefacts, "desktop")
    names = ["title", "crash1", "crash2", "title2"] + ["title2-%dx%d" % s for s in RESIZED]
    return {n: Shot.load(os.path.join(folder, n + ".png")) for n in names}
