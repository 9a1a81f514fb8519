"""The browser build on a phone emulated in headless Chromium (ratio 3, real touch events),
landscape and portrait, then on an 800 x 600 desktop with a mouse."""
import time

import pytest

from engines import Chromium
from screens import check, log, wait_until

# How long a screen may take to come up: a phone's drawing buffer has nine times the pixels of
# its CSS size, which a loaded machine's software rasteriser draws slowly.
SCREEN_WAIT_S = 40
KEYS = {"Steer left": "KEY_LEFT", "Accelerate": "KEY_UP", "Steer right": "KEY_RIGHT",
        "Brake": "KEY_DOWN"}   # GLUT's names of the special keys they press
LEFT, UP, RIGHT, DOWN = KEYS


def held(glut, *names, down=True, up=True):
    """What the game hears from fingers landing on the keys NAMES in turn, then lifting in
    reverse."""
    codes = [getattr(glut, KEYS[name]) for name in names]
    return ([("special", code, glut.DOWN) for code in codes] * down +
            [("special", code, glut.UP) for code in reversed(codes)] * up)


class Phone(Chromium):
    """Chromium as a W x H CSS-pixel phone at RATIO with real touch events. Fingers are touch
    points by number, put on a point or on an on-screen key by its name."""

    def __init__(self, w, h, orientation, ratio=3):
        Chromium.__init__(self)
        self.w, self.h, self.fingers = w, h, {}
        self.viewport(w, h, ratio, True,
                      screenOrientation={"type": orientation, "angle": 90 * (w > h)})
        self.cdp("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})

    def touch(self, kind, finger, where=None):
        """touchStart or touchMove of FINGER to WHERE, or touchEnd (of the points that lift)."""
        if kind == "touchEnd":
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
        return {k[0]: tuple(k[1:]) for k in self.js(
            "return [...document.querySelectorAll('#touch-keys [data-glut-special]')].map(e => {"
            "const r = e.getBoundingClientRect(); return [e.getAttribute('aria-label'),"
            " r.left, r.top, r.right, r.bottom, e.checkVisibility()]})")}

    def centre(self, name):
        left, top, right, bottom, _ = self.keys()[name]
        return ((left + right) / 2, (top + bottom) / 2)

    def heard(self, since=0): return Chromium.heard(self, since, ("kind", "code", "state"))
    def count(self): return self.js("return velkInput().count")


@pytest.fixture(scope="class", ids=["landscape", "portrait"],
                params=[(844, 390, "landscapePrimary"), (390, 844, "portraitPrimary")])
def phone(request, site):
    with Phone(*request.param) as page:
        page.open(site.url())
        yield page


def crash(p):
    """Ends a race still running, which a car between two lanes might never do: off to the right
    roadside, in the path of the right lane's obstacles, as fast as the car goes."""
    if not p.shot().buttons_shown():
        p.down(0, RIGHT)
        p.down(1, UP)
        p.wait_shot(SCREEN_WAIT_S, "buttons_shown", "a crash at the roadside")
        p.up(1, 0)


def steer_left(p, seconds, shots):
    """Car xs before and after holding Steer left for SECONDS, with what the game heard, in a race
    that lasts. Obstacles come every 14 to 19 units, each in a lane at random, so a race often
    ends before a loaded machine has taken its shots: a finger on Brake from the restart on slows
    the car to less than half its speed, and a crash first restarts the race, up to 12 times."""
    for _ in range(12):
        crash(p)
        tapped = p.count()
        p.tap((p.w / 2, p.h / 2))   # "Start Game" or "Restart", which the press starts at once
        wait_until(5, lambda: p.count() >= tapped + 2, "the tap heard")
        since = p.count()
        p.down(1, DOWN)
        before = p.shot()
        p.down(0, LEFT)
        time.sleep(seconds)
        p.up(0)
        # The car straightens at the first step after the lift: shots from a frame drawn after it.
        lifted = p.stats()
        wait_until(5, lambda: p.stats()["frames"] > lifted["frames"] + 1 and
                   p.stats()["ticks"] > lifted["ticks"], "a step after the lift")
        after = [p.shot() for _ in range(shots)]
        p.up(1)
        if all(s.race_shown() for s in [before] + after):
            return [s.car_at()[0] for s in [before] + after], p.heard(since)
        log("a crash came first; again")
    raise AssertionError("twelve crashes in a row")


@pytest.mark.in_order
class TestPhone:
    def test_keys_laid_out_and_tap_starts(self, phone, glut):
        """The on-screen keys are named, at least 44 px, low down in their corners and clear of
        the game's buttons; no axe-core violation with them shown; tapping "Start Game" starts a
        race, heard as the left button."""
        w, h, keys = phone.w, phone.h, phone.keys()
        check(sorted(keys) == sorted(KEYS), "on-screen keys named %s" % sorted(keys))
        for key, (left, top, right, bottom, shown) in keys.items():
            corner = right <= w / 2 if key in (LEFT, RIGHT) else left >= w / 2
            clear = top >= h / 2 + 20 or right <= w / 2 - 80 or left >= w / 2 + 80
            check(shown and right - left >= 44 and bottom - top >= 44 and corner and clear
                  and top >= h / 2 and bottom <= h, "%s at %s" % (key, keys[key]))
        phone.check_axe("on the phone, its keys shown")
        phone.tap((w / 2, h / 2))
        phone.wait_shot(SCREEN_WAIT_S, "race_shown", "a race after tapping Start Game")
        check(phone.heard() == [("mouse", glut.LEFT_BUTTON, glut.DOWN),
                                ("mouse", glut.LEFT_BUTTON, glut.UP)], phone.heard())

    def test_short_hold_steers_part_way(self, phone, glut):
        """A short hold moves the car short of the roadside, however long a loaded machine took to
        lift the finger; then the car stays."""
        xs, events = steer_left(phone, 0.2, 2)   # at braking speed, a third of the way or so
        roadside = steer_left(phone, 1.2, 1)[0][1]
        log("car x before and after a short hold %s, at the roadside %.0f" % (xs, roadside))
        check(events == held(glut, DOWN, LEFT), events)
        check(roadside + 2 < xs[1] < xs[0] - 10, "the car did not go part of the way left")
        check(abs(xs[1] - xs[2]) <= 1, "the car kept moving once the finger was lifted")

    def test_keys_held_under_fingers_with_keyboard(self, phone, glut):
        """A finger sliding from key to key, several fingers at once, and a keyboard alongside."""
        since = phone.count()
        phone.down(0, LEFT)   # slides onto Steer right, then off the keys
        phone.touch("touchMove", 0, RIGHT)
        phone.touch("touchMove", 0, (phone.w / 4, phone.h / 2))
        slid = held(glut, LEFT, RIGHT, up=False) + held(glut, RIGHT, LEFT, down=False)
        wait_until(2, lambda: phone.heard(since) == slid, "sliding heard as %s" % slid)
        phone.up(0)
        for keys in ((RIGHT, UP), (LEFT, LEFT)):   # steer and accelerate; one key, two fingers
            phone.down(0, keys[0])
            phone.down(1, keys[1])
            phone.up(1, 0)
        phone.type_keys("ArrowDown")
        time.sleep(0.2)
        expected = slid + held(glut, RIGHT, UP) + held(glut, LEFT) + held(glut, DOWN)
        check(phone.heard(since) == expected, phone.heard(since))

    def test_swipes_and_pinches_neither_scroll_nor_zoom(self, phone):
        """Every touchstart is consumed: an unconsumed one lets Chromium hold the race's timers
        while it waits for a scroll."""
        p = phone
        p.js("window.velkTouchStarts = []; addEventListener('touchstart',"
             " e => velkTouchStarts.push(e.defaultPrevented), {passive: true})")
        for k in range(10):   # a swipe down, as for pull-to-refresh, then a pinch
            p.touch("touchMove" if k else "touchStart", 0, (p.w / 4, p.h * (0.2 + 0.07 * k)))
        p.up(0)
        for k in range(10):
            for finger, spread in ((0, -10 - 8 * k), (1, 10 + 8 * k)):
                p.touch("touchMove" if k else "touchStart", finger,
                        (p.w / 4 + spread, p.h / 3 + spread))
        p.up(1, 0)
        time.sleep(0.5)
        view = p.js("return [scrollX, scrollY, visualViewport.scale, visualViewport.offsetLeft,"
                    " visualViewport.offsetTop, getSelection().toString()]")
        check(view == [0, 0, 1, 0, 0, ""], "scroll x, y, scale, offset x, y, selection: %s" % view)
        starts = p.js("return velkTouchStarts")
        check(starts and all(starts), "touchstart consumed: %s" % starts)

    def test_restart_menu_quit_by_tapping(self, phone):
        """From the crash screen, Restart, Menu and Quit by tapping; the game quits as in the
        browser and its keys hide."""
        crash(phone)
        for button, screen, y in (("Restart", "race_shown", phone.h / 2),
                                  ("Menu", "menu_shown", phone.h / 2 - 60)):
            phone.wait_shot(120, "crash_shown", "the crash screen")
            phone.tap((phone.w / 2, y))
            phone.wait_shot(SCREEN_WAIT_S, screen, "tapping %s" % button)
        phone.tap((phone.w / 2, phone.h / 2 - 60))   # "Quit"
        phone.expect_quit("after tapping Quit on the phone")
        check(not any(k[4] for k in phone.keys().values()), "keys still shown after quitting")


def test_desktop_mouse_no_touch_keys(site, glut):
    """On an 800 x 600 desktop with a mouse no on-screen key shows, and the mouse is heard as
    GLUT's: moves, left and right buttons (released outside the window too), the wheel."""
    with Chromium() as page:
        page.open(site.url())
        for kind, x, button, buttons in (
                ("mouseMoved", 200, "none", 0), ("mousePressed", 200, "left", 1),
                ("mouseMoved", 210, "none", 1), ("mousePressed", 210, "right", 3),
                ("mouseReleased", 210, "right", 1), ("mouseReleased", 900, "left", 0),
                ("mouseWheel", 220, "none", 0)):   # 900: outside the window
            page.cdp("Input.dispatchMouseEvent", dict(type=kind, x=x, y=100, button=button,
                                                      buttons=buttons, deltaX=0, deltaY=100))
        events = page.heard(0, ("kind", "code", "state", "x"))
        left, right, wheel, down, up = (glut.LEFT_BUTTON, glut.RIGHT_BUTTON, glut.WHEEL_DOWN,
                                        glut.DOWN, glut.UP)
        check(events == [("motion", 0, -1, 200), ("mouse", left, down, 200),
                         ("mouse", right, down, 210), ("mouse", right, up, 210),
                         ("mouse", left, up, 900), ("mouse", wheel, down, 220),
                         ("mouse", wheel, up, 220)], "the mouse was heard as %s" % events)
        shown = page.js("return [...document.querySelectorAll('#touch-keys *')]"
                        ".filter(e => e.checkVisibility()).length")
        check(shown == 0, "%d on-screen keys shown on a desktop with a mouse" % shown)
        page.check_console("on the desktop")
