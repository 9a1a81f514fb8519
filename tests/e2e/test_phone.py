"""The browser build on a phone emulated in headless Chromium (ratio 3, real touch events),
landscape and portrait, then on an 800 x 600 desktop with a mouse. What the game hears comes from
window.velkInput()."""
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


@pytest.fixture(scope="session")
def held(glut):
    """held(*names): what the game hears from fingers landing on the keys NAMES in turn, then
    lifting in reverse."""
    def events(*names, down=True, up=True):
        return ([("special", getattr(glut, KEYS[n]), glut.DOWN) for n in names] * down +
                [("special", getattr(glut, KEYS[n]), glut.UP) for n in reversed(names)] * up)
    return events


def heard(page, since=0): return page.heard(since, ("kind", "code", "state"))
def count(page): return page.js("return velkInput().count")


def opened(p, site):
    """The page on P, opened at its title screen unless an earlier test did."""
    if not p.stats():
        p.goto(site.url())
        p.wait_shot(20, "menu_shown", "the title screen")


class Phone(Chromium):
    """Chromium as a W x H CSS-pixel phone at ratio 3 with real touch events. Fingers are touch
    points by number, put on a point or on an on-screen key by its name."""

    def __init__(self, w, h, orientation):
        Chromium.__init__(self)
        self.w, self.h, self.fingers = w, h, {}
        self.viewport(w, h, 3, True, screenOrientation={"type": orientation, "angle": 90 * (w > h)})
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


@pytest.fixture(scope="class", ids=["landscape", "portrait"],
                params=[(844, 390, "landscapePrimary"), (390, 844, "portraitPrimary")])
def phone(request):
    with Phone(*request.param) as page:
        yield page


def steer_left(p, seconds, shots):
    """Car xs before and after holding Steer left for SECONDS, with what the game heard, in a race
    that lasts (a finger on Brake helps); a crash first restarts it, up to 5 times."""
    for _ in range(5):
        shot = p.racing(lambda: p.tap((p.w / 2, p.h / 2)), SCREEN_WAIT_S)   # "Restart"
        since = count(p)
        p.down(1, DOWN)
        p.down(0, LEFT)
        time.sleep(seconds)
        p.up(0)
        after = [p.shot() for _ in range(shots)]
        p.up(1)
        if all(s.race_shown() for s in after):
            return [shot.car_at()[0]] + [s.car_at()[0] for s in after], heard(p, since)
        log("a crash came first; again")
    raise AssertionError("five crashes in a row")


@pytest.mark.in_order
class TestPhone:
    def test_keys_laid_out_and_tap_starts(self, phone, site, glut):
        """The on-screen keys are named, at least 44 px, low down in their corners and clear of
        the game's buttons; no axe-core violation with them shown; tapping "Start Game" starts a
        race, heard as the left button."""
        w, h = phone.w, phone.h
        opened(phone, site)
        keys = phone.keys()
        check(sorted(keys) == sorted(KEYS), "on-screen keys named %s" % sorted(keys))
        for key, (left, top, right, bottom, shown) in keys.items():
            corner = right <= w / 2 if key in (LEFT, RIGHT) else left >= w / 2
            clear = top >= h / 2 + 20 or right <= w / 2 - 80 or left >= w / 2 + 80
            check(shown and right - left >= 44 and bottom - top >= 44 and corner and clear
                  and top >= h / 2 and bottom <= h, "%s at %s" % (key, keys[key]))
        phone.check_axe("on the phone, its keys shown")
        phone.tap((w / 2, h / 2))
        phone.wait_shot(SCREEN_WAIT_S, "race_shown", "a race after tapping Start Game")
        check(heard(phone) == [("mouse", glut.LEFT_BUTTON, glut.DOWN),
                               ("mouse", glut.LEFT_BUTTON, glut.UP)], heard(phone))

    def test_short_hold_steers_part_way(self, phone, site, held):
        """A short hold moves the car short of the roadside, however long a loaded machine took to
        lift the finger; then the car stays."""
        opened(phone, site)
        xs, events = steer_left(phone, 0.1, 2)
        roadside = steer_left(phone, 0.6, 1)[0][1]
        log("car x before and after a short hold %s, at the roadside %.0f" % (xs, roadside))
        check(events == held(DOWN, LEFT), events)
        check(roadside + 2 < xs[1] < xs[0] - 10, "the car did not go part of the way left")
        check(abs(xs[1] - xs[2]) <= 1, "the car kept moving once the finger was lifted")

    def test_keys_held_under_fingers_with_keyboard(self, phone, site, held):
        """A finger sliding from key to key, several fingers at once, and a keyboard alongside."""
        opened(phone, site)
        p, since = phone, count(phone)
        p.down(0, LEFT)   # slides onto Steer right, then off the keys
        p.touch("touchMove", 0, RIGHT)
        p.touch("touchMove", 0, (p.w / 4, p.h / 2))
        slid = held(LEFT, RIGHT, up=False) + held(RIGHT, LEFT, down=False)
        wait_until(2, lambda: heard(p, since) == slid, "sliding heard as %s" % slid)
        p.up(0)
        for keys in ((RIGHT, UP), (LEFT, LEFT)):   # steer and accelerate; one key, two fingers
            p.down(0, keys[0])
            p.down(1, keys[1])
            p.up(1, 0)
        p.type_keys("ArrowDown")
        time.sleep(0.2)
        check(heard(p, since) == slid + held(RIGHT, UP) + held(LEFT) + held(DOWN), heard(p, since))

    def test_swipes_and_pinches_neither_scroll_nor_zoom(self, phone, site):
        """Every touchstart is consumed: an unconsumed one lets Chromium hold the race's timers
        while it waits for a scroll."""
        p = phone
        opened(p, site)
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

    def test_restart_menu_quit_by_tapping(self, phone, site):
        """Off to the roadside (between two lanes the car might never crash), then Restart, Menu and
        Quit by tapping; the keys hide once the game has quit; no console error."""
        p = phone
        if not p.stats():
            opened(p, site)
            p.tap((p.w / 2, p.h / 2))   # "Start Game"
        p.down(0, LEFT)
        time.sleep(0.6)
        p.up(0)
        for button, screen, y in (("Restart", "race_shown", p.h / 2),
                                  ("Menu", "menu_shown", p.h / 2 - 60)):
            p.wait_shot(120, "crash_shown", "the crash screen")
            p.tap((p.w / 2, y))
            p.wait_shot(SCREEN_WAIT_S, screen, "tapping %s" % button)
        p.tap((p.w / 2, p.h / 2 - 60))   # "Quit"
        p.wait_state("quit", 5, "state quit after tapping Quit")
        check(not any(k[4] for k in p.keys().values()), "keys still shown after quitting")
        p.check_console("on the phone")


def test_desktop_mouse_no_touch_keys(site, glut):
    """On an 800 x 600 desktop with a mouse no on-screen key shows, and the mouse is heard as
    GLUT's: moves, left and right buttons (released outside the window too), the wheel."""
    with Chromium() as page:
        page.goto(site.url())
        page.wait_shot(20, "menu_shown", "the title screen")
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
