#!/usr/bin/python3
"""install_test.py SITE: the web app in headless Chromium, on a copy of SITE served by Python's
server in a process of its own (stopping it drops every connection, also those Chromium opened
ahead of time). The icons are what they claim and the zip holds the whole site; after one visit
the worker has cached this build and the page is installable; a half-uploaded build is refused,
a complete one waits for the old page to close, then replaces the old cache; with the server
stopped the game starts from the page and from the folder's address.
"""
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

import browserlib as bl
from browserlib import check, log, wait_until

SITE = sys.argv[1]
ROOT = os.path.join(bl.HERE, "..", "..")
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


def icons_and_zip(folder):
    """Every image of the manifest (icons and screenshots) and every icon of the page: a PNG of
    exactly its size, or an SVG for "any"; 192 and 512 px among the icons; a maskable icon, opaque
    to its edges, with the car inside the middle 80 % circle that launchers' masks keep; the zip
    next to SITE holds exactly the site's files."""
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
        opaque = subprocess.run(["identify", "-format", "%[opaque]", path], check=True,
                                capture_output=True, text=True).stdout.lower()
        icon = bl.Shot.load(path)
        half, radius = icon.w / 2, 0.4 * icon.w
        car = [(x - half) ** 2 + (y - half) ** 2 <= radius ** 2 for y in range(icon.h)
               for x in range(icon.w) if bl.CAR_RED(*icon.pixel(x, y))]
        check(opaque == "true" and car and all(car), "%s: opaque %s, %d car pixels, %d outside "
              "the safe zone" % (src, opaque, len(car), car.count(False)))
    with zipfile.ZipFile(max(glob.glob(SITE + "/../velkarovantine-web-*.zip"),
                             key=os.path.getmtime)) as z:
        check(sorted(z.namelist()) == sorted(os.listdir(folder)), "zip %s" % z.namelist())


def groups(folder, b, origin, server):
    def caches(*builds):
        """The page's caches are exactly those of BUILDS, named after this folder."""
        want = sorted("velkarovantine %s/ %s" % (origin, n) for n in builds)
        return sorted(b.js("return caches.keys()")) == want

    def update(expected):
        b.js(UPDATE_JS)
        state = wait_until(30, lambda: b.js("return window.velkUpdate"), "a new worker")
        check(state == expected, "the new worker is %s, not %s" % (state, expected))

    def style(): return b.js("return fetch('style.css').then(r => r.text())")

    def build(text, new_worker=True):
        """Puts TEXT in style.css and, for a new build, writes its worker; returns its name."""
        with open(os.path.join(folder, "style.css"), "w", encoding="utf-8") as f:
            f.write(text)
        if new_worker:
            subprocess.run(MAKE_WORKER + [folder, WORKER], check=True)
        with open(os.path.join(folder, "service_worker.js"), encoding="utf-8") as f:
            return re.search(r'var BUILD = "(\w+)"', f.read()).group(1)

    def reopened():
        """Closes the page (the browser may take a moment to notice) and opens it again."""
        b.driver.get("about:blank")
        b.driver.get(origin + "/index.html")
        return True

    def first_visit():
        b.driver.get(origin + "/index.html")
        b.js("return navigator.serviceWorker.ready.then(() => null)")
        check(caches(first), "not build %s's cache alone" % first)
        b.driver.refresh()
        b.wait_shot(20, "menu_shown", "the title screen")
        check(b.js("return !!navigator.serviceWorker.controller"), "the worker serves no page")
        errors = b.driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
        check(not errors["installabilityErrors"], "not installable: %s" % errors)

    def new_build():
        second = build(original + MARKER)
        build(original, False)   # the new worker is on the server, its style.css not yet
        update("redundant")
        check(caches(first), "a half-uploaded build was cached")
        build(original + MARKER, False)
        update("installed")
        b.driver.refresh()
        check(MARKER not in style() and caches(first, second), "the open page got the new build")
        wait_until(20, lambda: reopened() and caches(second), "only build %s's cache" % second)
        check(MARKER in style(), "the new build's page got an old file")
        log("build %s refused half uploaded, then replaced %s" % (second, first))

    def offline():
        server.terminate()
        server.wait()
        for page in ("/index.html", "/"):
            b.driver.get(origin + page)
            b.wait_shot(20, "menu_shown", "the title screen offline at " + page)
        b.check_console("offline")

    with open(os.path.join(folder, "style.css"), encoding="utf-8") as f:
        original = f.read()
    first = build(original)
    return [("the icons and screenshots are what they claim; the zip holds the site",
             lambda: icons_and_zip(folder)),
            ("first visit: this build cached, installable", first_visit),
            ("a half upload is refused, a new build replaces the old cache", new_build),
            ("server stopped: the game starts; no console error", offline)]


def run():
    failures = []
    scratch = tempfile.mkdtemp(prefix="velk-site-")
    folder = shutil.copytree(SITE, os.path.join(scratch, "site"))
    server = subprocess.Popen([sys.executable, "-u", "-m", "http.server", "-b", "127.0.0.1",
                               "-d", folder, "0"], stdout=subprocess.PIPE, text=True,
                              stderr=subprocess.DEVNULL)
    try:
        port = server.stdout.readline().split(" port ")[1].split()[0]
        b = bl.Browser()
        try:
            for name, function in groups(folder, b, "http://127.0.0.1:" + port, server):
                if not bl.run_group(name, function, failures):
                    break
        finally:
            b.close()
    finally:
        server.kill()
        server.wait()
        shutil.rmtree(scratch)
    return failures


if __name__ == "__main__":
    bl.main_guard(run)
