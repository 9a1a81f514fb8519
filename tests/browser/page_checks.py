"""page_checks.py: what the page hands to the game, and what it keeps from the browser: every
key, button and motion delivered exactly, no scrolling of a page the game is embedded in, the
delays the game's timer is armed with."""
from checks import Failure, check, log, wait_until

# Constants
# Records the delay of every setTimeout the page arms, before any of its scripts runs.
RECORD_DELAYS = ("window.velkDelays = []; const armTimeout = window.setTimeout;"
                 " window.setTimeout = function(f, ms, ...rest) {"
                 " window.velkDelays.push(Number(ms) || 0); return armTimeout(f, ms, ...rest); };")
# GLUT's codes of the keys the test presses: the letters the game uses in both cases and a few
# keys it ignores, as characters; the arrows, F1, Page Up and Shift as special keys.
CHARACTER_KEYS = "wasdijklWASDIJKLq "
SPECIAL_KEYS = {"ArrowLeft": 100, "ArrowUp": 101, "ArrowRight": 102, "ArrowDown": 103, "F1": 1,
                "PageUp": 104, "Shift": 112}
WHEEL_DOWN = 4          # GLUT's button for one turn of the wheel towards the player
DOWN, UP = 0, 1         # GLUT_DOWN, GLUT_UP
# The mouse buttons pressed in each engine: WebKitWebDriver never releases a middle or right
# button it has pressed (the page sees it held on), so WebKit presses the left one only.
BUTTONS = {"WebKit": (0,)}
# Keys that scroll a page by default, and so must not scroll one the game is embedded in.
SCROLLING_KEYS = ("ArrowDown", " ", "PageDown", "End", "ArrowRight")


# Public functions
def expect_timer_delays(b):
    """The page's timers, recorded by RECORD_DELAYS: the first armed with 0 ms, every other with
    16 ms, one more for each tick run (both read at one moment of the page)."""
    delays, ticks = b.js("return [velkDelays, velkStats().ticks]")
    check(len(delays) == ticks + 1 and delays[:1] == [0] and set(delays[1:]) == {16},
          "%d delays armed after %d ticks, the first %s, the others %s" % (
              len(delays), ticks, delays[:1], sorted(set(delays[1:]))))
    log("%d timers armed: the first with 0 ms, every other with 16 ms" % len(delays))


def expect_heard_exactly(b, x, y):
    """From the pointer moved to (X, Y) on, each key, button and wheel turn reaches the game's
    handlers once pressed and once released, with GLUT's code and the pointer's place."""
    since = b.js("return velkInput().count")
    b.move(x, y)
    moves = [e for e in b.heard(since) if e[0] == "motion"]
    check(moves[-2:] == [("motion", 0, -1, x - 1, y), ("motion", 0, -1, x, y)],
          "the last motions heard: %s" % moves[-2:])
    since = b.js("return velkInput().count")
    expected = []
    for key in list(CHARACTER_KEYS) + list(SPECIAL_KEYS):
        b.key_down(key)
        b.key_up(key)
        kind, code = ("special", SPECIAL_KEYS[key]) if key in SPECIAL_KEYS else ("key", ord(key))
        expected += [(kind, code, DOWN, x, y), (kind, code, UP, x, y)]
    for button in BUTTONS.get(b.name, (0, 1, 2)):
        b.press(button)
        expected += [("mouse", button, DOWN, x, y), ("mouse", button, UP, x, y)]
    b.wheel(120)
    expected += [("mouse", WHEEL_DOWN, DOWN, x, y), ("mouse", WHEEL_DOWN, UP, x, y)]
    try:
        wait_until(2, lambda: len(b.heard(since)) >= len(expected), "every delivery")
    except Failure:
        pass   # the comparison below tells what is missing
    got = b.heard(since)
    wrong = [(i, e, g) for i, (e, g) in enumerate(zip(expected, got)) if e != g]
    check(got == expected, "%d deliveries, %d expected; first wrong (index, expected, got): "
          "%s" % (len(got), len(expected), wrong[:1] or got[len(expected):][:1]))
    log("the game heard the %d expected deliveries, in order" % len(got))


def expect_not_scrolled(b):
    """The keys that scroll a page by default and a wheel turn over the game (which has the
    keyboard) each reach the game's window with their default action prevented, and leave every
    page it is embedded in where it was. (Whether an unprevented key in a frame scrolls the page
    around it differs between engines; the prevented default does not.)"""
    b.js("window.velkDefaults = []; for (const type of ['keydown', 'wheel'])"
         " addEventListener(type, e => velkDefaults.push([e.key || 'wheel', e.defaultPrevented]),"
         " {passive: true})")
    for key in SCROLLING_KEYS:
        b.key_down(key)
        b.key_up(key)
    b.wheel(600)
    b.wait_ticking("after the keys and the wheel")
    seen = b.js("return velkDefaults")
    check(seen == [[key, True] for key in SCROLLING_KEYS + ("wheel",)],
          "each key and wheel turn, its default prevented: %s" % seen)
    at = b.scrolled()
    check(not any(at), "scrolled (x, y of the frame, then of the page): %s" % at)
    log("keys %s and the wheel: default prevented, neither the frame nor the page scrolled"
        % (SCROLLING_KEYS,))
