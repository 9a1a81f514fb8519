#!/usr/bin/python3
"""web_screenshots.py [SITE]: takes the web app's screenshots (the manifest's, shown by installing
browsers) from the real game in headless Chromium with SwiftShader: the first race, RACE_TICKS
steps in, on a wide screen and on a phone held sideways with its on-screen keys. Writes
src/web/browser/page/screenshot-wide.png and screenshot-narrow.png; commit them after a change of
the picture. SITE defaults to build/web/site (scripts/web.sh --build-only builds it). Needs
Debian's chromium, chromium-driver, python3-selenium and imagemagick.
"""
import base64
import functools
import http.server
import os
import subprocess
import sys
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
OUT = os.path.join(ROOT, "src", "web", "browser", "page")
FLAGS = ["--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
         "--enable-unsafe-swiftshader", "--no-first-run", "--disable-background-networking"]
# name, CSS width and height, a phone (touch, on-screen keys) or not. The sizes in the manifest
# are these; each form factor keeps one aspect ratio, as installing browsers want. Each shot is
# checked for the asphalt beside the car, which SwiftShader's own depth lost to the ground just
# beneath it at some sizes (800 x 600) until the browser layer gave such triangles their depth.
SHOTS = (("screenshot-wide.png", 1280, 720, False), ("screenshot-narrow.png", 852, 393, True))
# The first race after the page loads is always the same course; this far in, obstacles are
# on the road ahead and none has been reached.
RACE_TICKS = 80


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def wait_for(seconds, probe, what):
    end = time.monotonic() + seconds
    while not probe():
        if time.monotonic() > end:
            sys.exit("web_screenshots.py: no %s within %d s" % (what, seconds))
        time.sleep(0.02)


def shoot(url, name, width, height, phone):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in FLAGS:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    cdp = driver.execute_cdp_cmd
    ticks = lambda: driver.execute_script(   # noqa: E731
        "return window.velkStats ? velkStats().ticks : 0")
    try:
        cdp("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": phone,
            "screenOrientation": {"type": "landscapePrimary", "angle": 90 if phone else 0}})
        cdp("Emulation.setTouchEmulationEnabled", {"enabled": phone, "maxTouchPoints": 5})
        driver.get(url)
        wait_for(30, lambda: ticks() > 10, "running game")
        # "Start Game" is in the middle of the window.
        centre = {"x": width / 2, "y": height / 2}
        if phone:
            cdp("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [centre]})
            cdp("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})
        else:
            for kind in ("mousePressed", "mouseReleased"):
                cdp("Input.dispatchMouseEvent", dict(centre, type=kind, button="left",
                                                     clickCount=1))
        start = ticks()
        wait_for(60, lambda: ticks() >= start + RACE_TICKS, "race")
        png = base64.b64decode(cdp("Page.captureScreenshot", {"format": "png"})["data"])
    finally:
        driver.quit()
    # Asphalt, not grass, on the road beside the car (a grey, not a green).
    r, g, b = map(int, subprocess.run(
        ["convert", "png:-", "-format", "%%[fx:int(255*p{%d,%d}.r)] %%[fx:int(255*p{%d,%d}.g)] "
         "%%[fx:int(255*p{%d,%d}.b)]" % ((width * 3 // 8, height - 3) * 3), "info:"],
        input=png, capture_output=True, check=True).stdout.split())
    if g > r + 20:
        sys.exit("web_screenshots.py: %s shows grass where the road is (%d, %d, %d)"
                 % (name, r, g, b))
    # No time stamps or other chunks: the same picture gives the same file.
    subprocess.run(["convert", "png:-", "-strip", os.path.join(OUT, name)], input=png, check=True)
    print("wrote %s (%d x %d)" % (os.path.join(OUT, name), width, height))


def main():
    site = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "web", "site")
    handler = functools.partial(QuietHandler, directory=site)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        for name, width, height, phone in SHOTS:
            shoot("http://127.0.0.1:%d/index.html" % server.server_port, name, width, height,
                  phone)
    finally:
        server.shutdown()


if __name__ == "__main__":
    main()
