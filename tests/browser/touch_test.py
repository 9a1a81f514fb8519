#!/usr/bin/python3
"""touch_test.py SITE ARTEFACTS: the browser build on a phone emulated in headless Chromium (ratio
3, real touch events), landscape and portrait, then on an 800 x 600 desktop with a mouse. What the
game hears comes from window.velkInput(); a failure leaves a shot in ARTEFACTS/touch.
"""
import base64
import os
import sys
import time

from selenium.webdriver.common.keys import Keys

import axe_check
import browserlib as bl
from browserlib import check, log, wait_until

# How long a screen may take to come up: a phone's drawing buffer has nine times the pixels of
# its CSS size, which a loaded machine's software rasteriser draws slowly.
SCREEN_WAIT_S = 40
KEYS = {"Steer left": 100, "Accelerate": 101, "Steer right": 102, "Brake": 103}
LEFT, UP, RIGHT, DOWN = KEYS


def held(*names, down=True, up=True):
    """What the game hears from fingers landing on NAMES in turn, then lifting in reverse."""
    return ([("special", KEYS[n], 0) for n in names] * down +
            [("special", KEYS[n], 1) for n in reversed(names)] * up)


def heard(b, since=0, fields=("kind", "code", "state")):
    return b.heard(since, fields)


class Phone:
    """The page in browser B on a W x H CSS-pixel phone; fingers are touch points by number."""

    def __init__(self, b, w, h, orientation):
        self.b, self.w, self.h, self.fingers = b, w, h, {}
        self.cdp("Emulation.setDeviceMetricsOverride", {
            "width": w, "height": h, "deviceScaleFactor": 3, "mobile": True,
            "screenOrientation": {"type": orientation, "angle": 90 if w > h else 0}})
        self.cdp("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})

    def cdp(self, command, params): return self.b.driver.execute_cdp_cmd(command, params)

    def touch(self, kind, finger, where=None):
        """touchStart or touchMove of FINGER to WHERE (a point or a key's name), or touchEnd."""
        if kind == "touchEnd":   # names the points that lift
            points = {finger: self.fingers.pop(finger)}
        else:
            self.fingers[finger] = where if isinstance(where, tuple) else self.centre(where)
            points = self.fingers
        self.cdp("Input.dispatchTouchEvent", {"type": kind, "touchPoints": [
            {"x": x, "y": y, "id": f} for f, (x, y) in points.items()]})

    def down(self, finger, where): self.touch("touchStart", finger, where)

    def up(self, *fingers):
        for finger in fingers:
            self.touch("touchEnd", finger)

    def tap(self, point):
        self.down(0, point)
        self.up(0)

    def keys(self):
        """{aria-label: (left, top, right, bottom, shown)} of the on-screen keys."""
        return {k[0]: tuple(k[1:]) for k in self.b.js(
            "return [...document.querySelectorAll('#touch-keys [data-glut-special]')].map(e => {"
            "const r = e.getBoundingClientRect(); return [e.getAttribute('aria-label'),"
            " r.left, r.top, r.right, r.bottom, e.checkVisibility()]})")}

    def centre(self, name):
        left, top, right, bottom, _ = self.keys()[name]
        return ((left + right) / 2, (top + bottom) / 2)

    def shot(self):
        png = self.cdp("Page.captureScreenshot", {"format": "png", "clip": {
            "x": 0, "y": 0, "width": self.w, "height": self.h, "scale": 1 / 3}})["data"]
        return bl.Shot.from_png(base64.b64decode(png))

    wait_shot = bl.Browser.wait_shot   # shooting with Phone.shot


def phone_session(site, b, w, h, orientation):
    p = Phone(b, w, h, orientation)
    count = lambda: b.js("return velkInput().count")   # noqa: E731

    def keys_laid_out():
        b.driver.get(site.url("index.html"))
        p.wait_shot(20, "menu_shown", "the title screen")
        keys = p.keys()
        check(sorted(keys) == sorted(KEYS), "on-screen keys named %s" % sorted(keys))
        for key, (left, top, right, bottom, shown) in keys.items():
            corner = right <= w / 2 if key in (LEFT, RIGHT) else left >= w / 2
            # Low down, clear of the game's buttons (x W/2-80..W/2+80, y H/2-80..H/2+20).
            clear = top >= h / 2 + 20 or right <= w / 2 - 80 or left >= w / 2 + 80
            check(shown and right - left >= 44 and bottom - top >= 44 and corner and clear
                  and top >= h / 2 and bottom <= h, "%s at %s" % (key, keys[key]))
        axe_check.expect_no_axe_violations(b, "on the phone, its keys shown")
        p.tap((w / 2, h / 2))
        p.wait_shot(SCREEN_WAIT_S, "race_shown", "a race after tapping Start Game")
        check(heard(b) == [("mouse", 0, 0), ("mouse", 0, 1)], heard(b))

    def steer_left(seconds, shots):
        """Car xs before and after holding Steer left for SECONDS, with what the game heard, in
        a race that lasts (a finger on Brake helps); a crash first restarts it, up to 5 times."""
        for _ in range(5):
            shot = p.shot()
            if not shot.race_shown():
                p.tap((w / 2, h / 2))   # "Restart"
                shot = p.wait_shot(SCREEN_WAIT_S, "race_shown", "a race after Restart")
            since = count()
            p.down(1, DOWN)
            p.down(0, LEFT)
            time.sleep(seconds)
            p.up(0)
            after = [p.shot() for _ in range(shots)]
            p.up(1)
            if all(s.race_shown() for s in after):
                return [shot.car_x()] + [s.car_x() for s in after], heard(b, since)
            log("a crash came first; again")
        raise bl.Failure("five crashes in a row")

    def short_hold():
        xs, events = steer_left(0.1, 2)
        roadside = steer_left(0.6, 1)[0][1]
        log("car x before and after a short hold %s, at the roadside %.0f" % (xs, roadside))
        check(events == held(DOWN, LEFT), events)
        # Stopped short of the roadside, however long a loaded machine took to lift the finger.
        check(roadside + 2 < xs[1] < xs[0] - 10, "the car did not go part of the way left")
        check(abs(xs[1] - xs[2]) <= 1, "the car kept moving once the finger was lifted")

    def fingers_and_keyboard():
        since = count()
        p.down(0, LEFT)   # slides onto Steer right, then off the keys
        p.touch("touchMove", 0, RIGHT)
        p.touch("touchMove", 0, (w / 4, h / 2))
        slid = held(LEFT, RIGHT, up=False) + held(RIGHT, LEFT, down=False)
        wait_until(2, lambda: heard(b, since) == slid, "sliding heard as %s" % slid)
        p.up(0)
        for keys in ((RIGHT, UP), (LEFT, LEFT)):   # steer and accelerate; one key, two fingers
            p.down(0, keys[0])
            p.down(1, keys[1])
            p.up(1, 0)
        b.key_down(Keys.ARROW_DOWN)
        b.key_up(Keys.ARROW_DOWN)
        time.sleep(0.2)
        check(heard(b, since) == slid + held(RIGHT, UP) + held(LEFT) + held(DOWN), heard(b, since))

    def no_scroll_or_zoom():
        # An unconsumed touchstart lets Chromium hold the race's timers while it waits for a scroll.
        b.js("window.velkTouchStarts = []; addEventListener('touchstart',"
             " e => velkTouchStarts.push(e.defaultPrevented), {passive: true})")
        for k in range(10):   # a swipe down, as for pull-to-refresh, then a pinch
            p.touch("touchMove" if k else "touchStart", 0, (w / 4, h * (0.2 + 0.07 * k)))
        p.up(0)
        for k in range(10):
            for finger, spread in ((0, -10 - 8 * k), (1, 10 + 8 * k)):
                p.touch("touchMove" if k else "touchStart", finger,
                        (w / 4 + spread, h / 3 + spread))
        p.up(1, 0)
        time.sleep(0.5)
        view = b.js("return [scrollX, scrollY, visualViewport.scale, visualViewport.offsetLeft,"
                    " visualViewport.offsetTop, getSelection().toString()]")
        check(view == [0, 0, 1, 0, 0, ""], "scroll x, y, scale, offset x, y, selection: %s" % view)
        starts = b.js("return velkTouchStarts")
        check(starts and all(starts), "touchstart consumed: %s" % starts)

    def restart_menu_quit():
        p.down(0, LEFT)   # off to the roadside: between two lanes the car might never crash
        time.sleep(0.6)
        p.up(0)
        for button, screen, y in (("Restart", "race_shown", h / 2),
                                  ("Menu", "menu_shown", h / 2 - 60)):
            p.wait_shot(120, "crash_shown", "the crash screen")
            p.tap((w / 2, y))
            p.wait_shot(SCREEN_WAIT_S, screen, "tapping %s" % button)
        p.tap((w / 2, h / 2 - 60))   # "Quit"
        wait_until(5, lambda: b.stats()["state"] == "quit", "state quit after tapping Quit")
        check(not any(k[4] for k in p.keys().values()), "keys still shown after quitting")
        b.check_console("on the phone")

    return [("on-screen keys named, sized and placed, no axe-core violation; tapping Start Game"
             " starts a race", keys_laid_out),
            ("a short hold steers part of the way, then the car stays", short_hold),
            ("keys held while a finger is on them, several at once; a keyboard alongside",
             fingers_and_keyboard),
            ("swipes and pinches neither scroll nor zoom", no_scroll_or_zoom),
            ("Restart, Menu and Quit by tapping; no console error", restart_menu_quit)]


def desktop_session(site, b):
    def no_keys_and_mouse_as_glut():
        b.driver.get(site.url("index.html"))
        b.wait_shot(20, "menu_shown", "the title screen")
        for kind, x, button, buttons in (
                ("mouseMoved", 200, "none", 0), ("mousePressed", 200, "left", 1),
                ("mouseMoved", 210, "none", 1), ("mousePressed", 210, "right", 3),
                ("mouseReleased", 210, "right", 1), ("mouseReleased", 900, "left", 0),
                ("mouseWheel", 220, "none", 0)):   # 900: outside the window
            b.driver.execute_cdp_cmd("Input.dispatchMouseEvent", dict(
                type=kind, x=x, y=100, button=button, buttons=buttons, deltaX=0, deltaY=100))
        events = heard(b, 0, ("kind", "code", "state", "x"))
        check(events == [("motion", 0, -1, 200), ("mouse", 0, 0, 200), ("mouse", 2, 0, 210),
                         ("mouse", 2, 1, 210), ("mouse", 0, 1, 900), ("mouse", 4, 0, 220),
                         ("mouse", 4, 1, 220)], "the mouse was heard as %s" % events)
        shown = b.js("return [...document.querySelectorAll('#touch-keys *')]"
                     ".filter(e => e.checkVisibility()).length")
        check(shown == 0, "%d on-screen keys shown on a desktop with a mouse" % shown)
        b.check_console("on the desktop")

    return [("desktop: no on-screen keys; the mouse heard as GLUT's", no_keys_and_mouse_as_glut)]


def run(site_folder, artefacts):
    """Each session in a fresh browser; a failing group ends it, as the later ones build on it."""
    failures = []
    site = bl.Site(site_folder)
    try:
        for phone in ((844, 390, "landscapePrimary"), (390, 844, "portraitPrimary"), None):
            b = bl.Browser()
            try:
                for name, function in (phone_session(site, b, *phone) if phone
                                       else desktop_session(site, b)):
                    name = "%s: %s" % (phone[2][:-7], name) if phone else name
                    if not bl.run_group(name, function, failures):
                        os.makedirs(os.path.join(artefacts, "touch"), exist_ok=True)
                        b.shot().save(os.path.join(artefacts, "touch", "failure-%d.png"
                                                   % len(failures)))
                        break
            finally:
                b.close()
    finally:
        site.close()
    return failures


if __name__ == "__main__":
    bl.main_guard(lambda: run(sys.argv[1], sys.argv[2]))
