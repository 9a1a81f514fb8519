"""The web app: its icons and zip, and in headless Chromium, on a copy of the site served here
alone, its service worker through builds, updates and the server going away."""
import json
import os
import pathlib
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
    """A Chromium on a copy of the site in FOLDER (a Path) and its server."""

    def __init__(self, folder):
        Chromium.__init__(self)
        self.folder, self.site, self.builds = folder, Site(str(folder)), []
        self.original = (folder / "style.css").read_text(encoding="utf-8")
        self.build(self.original)

    def build(self, text, new_worker=True):
        """Puts TEXT in style.css and, for a new build, writes its worker; keeps its name."""
        (self.folder / "style.css").write_text(text, encoding="utf-8")
        if new_worker:
            subprocess.run(MAKE_WORKER + [str(self.folder), WORKER], check=True)
            worker = (self.folder / "service_worker.js").read_text(encoding="utf-8")
            self.builds.append(re.search(r'var BUILD = "(\w+)"', worker).group(1))

    def caches(self, *builds):
        """The page's caches are exactly those of BUILDS, named after this folder."""
        want = sorted("velkarovantine %s/ %s" % (self.site.origin, n) for n in builds)
        return sorted(self.js("return caches.keys()")) == want

    def update(self, expected):
        self.js(UPDATE_JS)
        state = wait_until(30, lambda: self.js("return window.velkUpdate"), "a new worker")
        check(state == expected, "the new worker is %s, not %s" % (state, expected))

    def style(self): return self.js("return fetch('style.css').then(r => r.text())")

    def reopened(self):
        """Closes the page (the browser may take a moment to notice) and opens it again."""
        self.goto("about:blank")
        self.goto(self.site.url())
        return True


@pytest.fixture(scope="module")
def app(tmp_path_factory, pytestconfig):
    folder = tmp_path_factory.mktemp("app") / "site"
    shutil.copytree(pytestconfig.getoption("site"), folder)
    with App(folder) as served, served.site:
        yield served


def test_icons_screenshots_and_zip(pytestconfig):
    """Every image of the manifest (icons and screenshots) and every icon of the page is a PNG of
    exactly its size, or an SVG for "any"; 192 and 512 px among the icons; a maskable icon, opaque
    to its edges, with the car inside the middle 80 % circle that launchers' masks keep; the zip
    next to the site holds exactly the site's files."""
    folder = pathlib.Path(pytestconfig.getoption("site"))
    manifest = json.loads((folder / "manifest.webmanifest").read_text(encoding="utf-8"))
    icons = [(i["src"], i["sizes"]) for i in manifest["icons"]]
    icons += re.findall(r'<link rel="(?:apple-touch-)?icon" href="([^"]+)"(?: sizes="([^"]+)")?',
                        (folder / "index.html").read_text(encoding="utf-8"))
    for src, sizes in icons + [(s["src"], s["sizes"]) for s in manifest["screenshots"]]:
        data = (folder / src).read_bytes()
        size = "%dx%d" % (int.from_bytes(data[16:20], "big"), int.from_bytes(data[20:24], "big"))
        png = data.startswith(b"\x89PNG") and size
        check(png == sizes or (sizes in ("", "any") and b"<svg" in data),
              "%s is %s, claims %s" % (src, png or "no PNG", sizes or "any"))
    check({"192x192", "512x512"} <= {s for _, s in icons}, "icons %s" % icons)
    maskable = [i["src"] for i in manifest["icons"] if "maskable" in i.get("purpose", "")]
    check(maskable, "no maskable icon")
    for src in maskable:
        path = folder / src
        opaque = (np.asarray(Image.open(path).convert("RGBA"))[..., 3] == 255).all()
        icon = Shot.load(path)
        ys, xs = np.nonzero(icon.where(CAR_RED))
        outside = ((xs - icon.w / 2) ** 2 + (ys - icon.w / 2) ** 2 > (0.4 * icon.w) ** 2).sum()
        check(opaque and len(xs) and not outside, "%s: opaque %s, %d car pixels, %d outside the "
              "safe zone" % (src, opaque, len(xs), outside))
    with zipfile.ZipFile(max(folder.parent.glob("velkarovantine-web-*.zip"),
                             key=os.path.getmtime)) as z:
        check(sorted(z.namelist()) == sorted(os.listdir(folder)), "zip %s" % z.namelist())


@pytest.mark.in_order
class TestInstall:
    def test_first_visit_caches_and_is_installable(self, app):
        app.goto(app.site.url())
        app.js("return navigator.serviceWorker.ready.then(() => null)")
        check(app.caches(app.builds[0]), "not build %s's cache alone" % app.builds[0])
        app.call("page", "reload")
        app.wait_shot(20, "menu_shown", "the title screen")
        check(app.js("return !!navigator.serviceWorker.controller"), "the worker serves no page")
        errors = app.cdp("Page.getInstallabilityErrors")
        check(not errors["installabilityErrors"], "not installable: %s" % errors)

    def test_half_upload_refused_then_new_build_replaces(self, app):
        """A half-uploaded build is refused; a complete one waits for the old page to close, then
        replaces the old cache."""
        first = app.builds[0]
        app.build(app.original + MARKER)
        second = app.builds[-1]
        app.build(app.original, False)   # the new worker is on the server, its style.css not yet
        app.update("redundant")
        check(app.caches(first), "a half-uploaded build was cached")
        app.build(app.original + MARKER, False)
        app.update("installed")
        app.call("page", "reload")
        check(MARKER not in app.style() and app.caches(first, second),
              "the open page got the new build")
        wait_until(20, lambda: app.reopened() and app.caches(second), "only %s's cache" % second)
        check(MARKER in app.style(), "the new build's page got an old file")
        log("build %s refused half uploaded, then replaced %s" % (second, first))

    def test_server_gone_game_starts(self, app):
        """From the page's address and from the folder's."""
        app.site.close()
        for page in ("/index.html", "/"):
            app.open(app.site.origin + page)
        app.check_console("offline")
