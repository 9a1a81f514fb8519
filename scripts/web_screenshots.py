#!/usr/bin/python3
"""web_screenshots.py [SITE]: takes the web app's screenshots (the manifest's, shown by installing
browsers) from the real game in headless Chromium with SwiftShader: the first race, RACE_TICKS
steps in, on a wide screen and on a phone held sideways with its on-screen keys; and the README's
picture of the browser version at 800 x 600. Writes src/web/browser/page/screenshot-wide.png,
screenshot-narrow.png and docs/screenshots/web-race.png; commit them after a change of the
picture. SITE defaults to build/web/site (scripts/web.sh --build-only builds it). Drives the
browser through the end-to-end suite (tests/e2e); needs what its browser tests need.
"""
import os
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from engines import Chromium  # noqa: E402
from screens import wait_until  # noqa: E402
from site_server import Site  # noqa: E402
from test_phone import Phone  # noqa: E402

PAGE = os.path.join(ROOT, "src", "web", "browser", "page")
# Path, CSS width and height, a phone (touch, on-screen keys) or not. The manifest's sizes are
# the first two; each form factor keeps one aspect ratio, as installing browsers want. Each shot
# must show the road below the car.
SHOTS = ((os.path.join(PAGE, "screenshot-wide.png"), 1280, 720, False),
         (os.path.join(PAGE, "screenshot-narrow.png"), 852, 393, True),
         (os.path.join(ROOT, "docs", "screenshots", "web-race.png"), 800, 600, False))
# The first race after the page loads is always the same course; this far in, obstacles are
# on the road ahead and none has been reached.
RACE_TICKS = 80


def shoot(site, path, width, height, phone):
    with Phone(width, height, "landscapePrimary", 1) if phone else Chromium() as page:
        if not phone:
            page.viewport(width, height)
        page.open(site.url())

        def ticks(): return page.stats()["ticks"]
        wait_until(30, lambda: ticks() > 10, "a running game")
        if phone:   # "Start Game" is in the middle of the window
            page.tap((width / 2, height / 2))
        else:
            page.click(width // 2, height // 2)
        start = ticks()
        wait_until(60, lambda: ticks() >= start + RACE_TICKS, "the race")
        shot = page.shot()
    if not shot.road_shown():
        sys.exit("web_screenshots.py: %s shows no road below the car" % path)
    shot.save(path)   # no time stamps: the same picture gives the same file
    print("wrote %s (%d x %d)" % (path, width, height))


def main():
    with Site(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "web", "site")) \
            as site:
        for path, width, height, phone in SHOTS:
            shoot(site, path, width, height, phone)


if __name__ == "__main__":
    main()
