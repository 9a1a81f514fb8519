"""The web app in headless Chromium, on a copy of the site served here alone. The icons are what
they claim and the zip holds the whole site; after one visit the worker has cached this build and
the page is installable; a half-uploaded build is refused, a complete one waits for the old page
to close, then replaces the old cache; with the server gone the game starts from the page and
from the folder's address."""
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import zipfile

import numpy as np
import pytest
from PIL import Image

from engines import Chromium
from screens import CAR_RED, Shot, check, log, wait_until
from site_server import Site

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
MAKE_WORKER = [sys.executable, os.path.join(ROOT, "src", "web", "make_service_worker.py")]
WORKER = os.path.join(ROOT, "src", "web", "browser", "page", "service_worker.js")
MARKER = "/* the next build */\n"
# window.velkUpdate becomes the state of the new worker the server has once it has installed
# ("installed") or failed to ("redundant").
UPDATE_JS = """window.velkUpdate = null;
navigator.serviceWorker.getRegistration().then(r => {
  r.addEventListener('updatefound', () => { const w = r.installing;
    w.addEventListener('statechange', () => {
      if (w.state === 'installed' || w.state === 'redundant') window.velkUpdate = w.state; }); });
  return r.update(); }).catch(e => { window.velkUpdate = String(e); });"""


class App(Chromium):
    """A Chromium on a copy of the site in FOLDER and its server; build(text) makes a new build."""

    def __init__(self, folder):
        Chromium.__init__(self)
        self.folder, self.site, self.builds = folder, Site(folder), []
        self.origin = self.site.origin
        with open(self.path("style.css"), encoding="utf-8") as f:
            self.original = f.read()
        self.build(self.original)

    def path(self, name): return os.path.join(self.folder, name)

    def build(self, text, new_worker=True):
        """Puts TEXT in style.css and, for a new build, writes its worker; keeps its name."""
        with open(self.path("style.css"), "w", encoding="utf-8") as f:
            f.write(text)
        if new_worker:
            subprocess.run(MAKE_WORKER + [self.folder, WORKER], check=True)
            with open(self.path("service_worker.js"), encoding="utf-8") as f:
                self.builds.append(re.search(r'var BUILD = "(\w+)"', f.read()).group(1))

    def caches(self, *builds):
        """The page's caches are exactly those of BUILDS, named after this folder."""
        want = sorted("velkarovantine %s/ %s" % (self.origin, n) for n in builds)
        return sorted(self.js("return caches.keys()")) == want

    def update(self, expected):
        self.js(UPDATE_JS)
        state = wait_until(30, lambda: self.js("return window.velkUpdate"), "a new worker")
        check(state == expected, "the new worker is %s, not %s" % (state, expected))

    def style(self): return self.js("return fetch('style.css').then(r => r.text())")

    def reopened(self):
        """Closes the page (the browser may take a moment to notice) and opens it again."""
        self.goto("about:blank")
        self.goto(self.origin + "/index.html")
        return True


@pytest.fixture(scope="module")
def app(tmp_path_factory, pytestconfig):
    folder = tmp_path_factory.mktemp("app") / "site"
    shutil.copytree(pytestconfig.getoption("site"), folder)
    served = App(str(folder))
    yield served
    served.close()
    served.site.close()


def test_icons_screenshots_and_zip(pytestconfig):
    """Every image of the manifest (icons and screenshots) and every icon of the page is a PNG of
    exactly its size, or an SVG for "any"; 192 and 512 px among the icons; a maskable icon, opaque
    to its edges, with the car inside the middle 80 % circle that launchers' masks keep; the zip
    next to the site holds exactly the site's files."""
    folder = pytestconfig.getoption("site")
    with open(os.path.join(folder, "manifest.webmanifest"), encoding="utf-8") as f:
        manifest = json.load(f)
    icons = [(i["src"], i["sizes"]) for i in manifest["icons"]]
    with open(os.path.join(folder, "index.html"), encoding="utf-8") as f:
        icons += re.findall(r'<link rel="(?:apple-touch-)?icon" href="([^"]+)"'
                            r'(?: sizes="([^"]+)")?', f.read())
    for src, sizes in icons + [(s["src"], s["sizes"]) for s in manifest["screenshots"]]:
        with open(os.path.join(folder, src), "rb") as f:
            data = f.read()
        png = data.startswith(b"\x89PNG") and "%dx%d" % (int.from_bytes(data[16:20], "big"),
                                                          int.from_bytes(data[20:24], "big"))
        check(png == sizes or (sizes in ("", "any") and b"<svg" in data),
              "%s is %s, claims %s" % (src, png or "no PNG", sizes or "any"))
    check({"192x192", "512x512"} <= {s for _, s in icons}, "icons %s" % icons)
    maskable = [i["src"] for i in manifest["icons"] if "maskable" in i.get("purpose", "")]
    check(maskable, "no maskable icon")
    for src in maskable:
        path = os.path.join(folder, src)
        opaque = (np.asarray(Image.open(path).convert("RGBA"))[..., 3] == 255).all()
        icon = Shot.load(path)
        ys, xs = np.nonzero(icon.where(CAR_RED))
        outside = ((xs - icon.w / 2) ** 2 + (ys - icon.w / 2) ** 2 > (0.4 * icon.w) ** 2).sum()
        check(opaque and len(xs) and not outside, "%s: opaque %s, %d car pixels, %d outside the "
              "safe zone" % (src, opaque, len(xs), outside))
    with zipfile.ZipFile(max(glob.glob(folder + "/../velkarovantine-web-*.zip"),
                             key=os.path.getmtime)) as z:
        check(sorted(z.namelist()) == sorted(os.listdir(folder)), "zip %s" % z.namelist())


@pytest.mark.in_order
class TestInstall:
    def test_first_visit_caches_and_is_installable(self, app):
        app.goto(app.origin + "/index.html")
        app.js("return navigator.serviceWorker.ready.then(() => null)")
        check(app.caches(app.builds[0]), "not build %s's cache alone" % app.builds[0])
        app.driver.refresh()
        app.wait_shot(20, "menu_shown", "the title screen")
        check(app.js("return !!navigator.serviceWorker.controller"), "the worker serves no page")
        errors = app.cdp("Page.getInstallabilityErrors")
        check(not errors["installabilityErrors"], "not installable: %s" % errors)

    def test_half_upload_refused_then_new_build_replaces(self, app):
        first = app.builds[0]
        app.build(app.original + MARKER)
        second = app.builds[-1]
        app.build(app.original, False)   # the new worker is on the server, its style.css not yet
        app.update("redundant")
        check(app.caches(first), "a half-uploaded build was cached")
        app.build(app.original + MARKER, False)
        app.update("installed")
        app.driver.refresh()
        check(MARKER not in app.style() and app.caches(first, second),
              "the open page got the new build")
        wait_until(20, lambda: app.reopened() and app.caches(second), "only %s's cache" % second)
        check(MARKER in app.style(), "the new build's page got an old file")
        log("build %s refused half uploaded, then replaced %s" % (second, first))

    def test_server_gone_game_starts(self, app):
        app.site.close()
        for page in ("/index.html", "/"):
            app.goto(app.origin + page)
            app.wait_shot(20, "menu_shown", "the title screen offline at " + page)
        app.check_console("offline")
