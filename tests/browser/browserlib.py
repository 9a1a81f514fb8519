"""browserlib.py: drive the browser build of the game in Chromium, Firefox and WebKit and look at
its pixels. Everything the tests use is here (the checks and pictures are re-exported).

  Site(folder)                 serves the site on 127.0.0.1 (a free port) from a thread, with one
                               extra page, FRAME_PAGE, that holds the game in a resizable iframe
  Browser(extra_flags)         Debian's Chromium through chromedriver, fresh profile, 800 x 600
                               viewport, headless with SwiftShader unless flags= says otherwise;
                               the selenium driver is Browser.driver
  Firefox(display), WebKit(display)
                               Firefox ESR (WebDriver BiDi) and WebKitGTK under an Xvfb, 800 x 600
  Page                         what all three offer: goto, js, stats, shots, pointer, keys,
                               console errors (engines.py has the engines themselves)
  Xvfb()                       a private X server for Firefox and WebKit
  Shot, compare                pictures.py: a picture with the screen checks, and the comparison
                               of one screen with the desktop's, with its figures
  check, wait_until, log       checks.py
  desktop_shots(exe, art)      the desktop game's shots of the same screens, under Xvfb
"""
import functools
import http.server
import json
import os
import re
import subprocess
import threading
import time

import engines
from checks import Failure, check, log, main_guard, run_group, wait_until
from engines import Xvfb
from pictures import (BUTTON, CAR_RED, MAX_DIFFERING, SKY, TEXT_BOXES, TOLERANCE, WHITE, Shot,
                      compare)

__all__ = ["BUTTON", "CAR_RED", "MAX_DIFFERING", "SKY", "TEXT_BOXES", "TOLERANCE", "WHITE", "Shot",
           "compare", "Failure", "check", "log", "main_guard", "run_group", "wait_until", "Xvfb",
           "Site", "Page", "Browser", "Firefox", "WebKit", "desktop_shots", "WIDTH", "HEIGHT",
           "CHROMIUM_FLAGS", "NO_WEBGL_FLAGS", "FRAME_PAGE"]

# Constants
HERE = os.path.dirname(os.path.abspath(__file__))
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
                  "--enable-unsafe-swiftshader", "--disable-background-networking",
                  "--disable-component-update", "--no-first-run"]
NO_WEBGL_FLAGS = ["--disable-webgl", "--disable-3d-apis"]
WIDTH, HEIGHT = 800, 600
FRAME_PAGE = "velk-test-frame.html"
REPORT_PATH = "/velk-csp-report"

# The game in an iframe at the top-left corner, so that the test can give it any client area,
# a zero height included, which the viewport emulation cannot (a zero there means "no override").
# Its empty icon keeps the browser from asking for a /favicon.ico the site may not have.
FRAME_HTML = b"""<!doctype html><html><head><meta charset="utf-8"><title>frame</title>
<link rel="icon" href="data:,"></head>
<body style="margin:0;overflow:hidden"><iframe id="game" src="index.html"
 style="border:0;display:block;width:800px;height:600px"></iframe></body></html>"""

# Globals
REPORTS = []   # the bodies of the violation reports the sites have received, not yet looked at


# Public functions
def desktop_shots(exe, artefacts):
    """Runs desktop_shots.sh and loads its shots: title, crash1, crash2, title2."""
    subprocess.run(["bash", os.path.join(HERE, "desktop_shots.sh"), exe, artefacts], check=True)
    folder = os.path.join(artefacts, "desktop")
    return {n: Shot.load(os.path.join(folder, n + ".png"))
            for n in ("title", "crash1", "crash2", "title2")}


def describe_report(body):
    """What a violation report says was blocked, and by which directive."""
    try:
        report = json.loads(body)["csp-report"]
        return "%s refused %s" % (report["violated-directive"], report["blocked-uri"])
    except (ValueError, KeyError, TypeError):
        return body


# --- The site --------------------------------------------------------------------------------
class _Handler(http.server.SimpleHTTPRequestHandler):
    """Serves the site; each HTML page also gets its own Content-Security-Policy as a report-only
    header that sends each violation to REPORT_PATH, where the server keeps it (Site.reports)."""
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

    def end_headers(self):
        path, policy = self.path.split("?")[0], self.server.policy
        if policy and path.endswith((".html", "/")) and path.lstrip("/") != FRAME_PAGE:
            self.send_header("Content-Security-Policy-Report-Only",
                             "%s; report-uri %s" % (policy, REPORT_PATH))
        super().end_headers()

    def do_POST(self):
        length = min(int(self.headers.get("Content-Length", 0)), 65536)
        body = self.rfile.read(length).decode(errors="replace")
        if self.path == REPORT_PATH:
            REPORTS.append(body)
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


class Site:
    """The site folder served by Python's http.server on 127.0.0.1, on a port the system picks.
    What the page's Content-Security-Policy blocks is reported to it, and is a console error of
    the Page that looks next (every engine reports so; WebKit tells no console of its own)."""

    def __init__(self, folder):
        index = os.path.join(folder, "index.html")
        check(os.path.isfile(index), "no index.html in " + folder)
        handler = functools.partial(_Handler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        with open(index, encoding="utf-8") as f:
            found = re.search(r"http-equiv=.Content-Security-Policy.\s+content=\"([^\"]*)\"",
                              f.read())
        self.server.policy = found.group(1) if found else None
        self.origin = "http://127.0.0.1:%d" % self.server.server_port
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def url(self, path=""): return "%s/%s" % (self.origin, path)

    def close(self):
        self.server.shutdown()
        self.server.server_close()


# --- The browser -----------------------------------------------------------------------------
class Page:
    """The game's page in one browser engine (see engines.py), with the checks every engine
    shares: stats, shots, the pointer and keys, console errors."""

    def __init__(self, engine, width=WIDTH, height=HEIGHT):
        self.engine, self.name = engine, engine.name
        self.errors = []
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

    def click(self, x, y):
        self.move(x, y)
        self.engine.pointer("down")
        self.engine.pointer("up")

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
