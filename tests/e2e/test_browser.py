"""The browser build in each engine: Chromium headless with SwiftShader, Firefox and WebKit under
Xvfb over llvmpipe; the game in a frame atop a taller page; a Chromium without WebGL."""
import pytest

from engines import CHROMIUM_FLAGS, ENGINES, HEIGHT, WIDTH, Chromium
from screens import RESIZED, check, expect_golden, expect_same, log, wait_until
from site_server import EMBED_PAGE

# Records the delay of every setTimeout the page arms, before any of its scripts runs.
RECORD_DELAYS = ("window.velkDelays = []; const armTimeout = window.setTimeout;"
                 " window.setTimeout = function(f, ms, ...rest) {"
                 " window.velkDelays.push(Number(ms) || 0); return armTimeout(f, ms, ...rest); };")
# The keys pressed: the letters the game uses in both cases and a few keys it ignores, heard as
# characters; the arrows, F1, Page Up and Shift as GLUT's special keys.
CHARACTER_KEYS = "wasdijklWASDIJKLq "
SPECIAL_KEYS = {"ArrowLeft": "LEFT", "ArrowUp": "UP", "ArrowRight": "RIGHT", "ArrowDown": "DOWN",
                "F1": "F1", "PageUp": "PAGE_UP", "Shift": "SHIFT_L"}
BUTTONS = ("LEFT_BUTTON", "MIDDLE_BUTTON", "RIGHT_BUTTON")   # by PointerEvent.button
# Keys that scroll a page by default, and so must not scroll one the game is embedded in.
SCROLLING_KEYS = ("ArrowDown", " ", "PageDown", "End", "ArrowRight")


@pytest.fixture(scope="class", params=list(ENGINES))
def engine(request):
    """A fresh browser of each engine for each class, all on the one Xvfb (headless Chromium
    draws no window there)."""
    with ENGINES[request.param](request.getfixturevalue("display")) as page:
        yield page


@pytest.fixture(scope="class")
def page(engine, site):
    if engine.name != "WebKit":
        engine.call("page", "evaluateOnNewDocument", RECORD_DELAYS)
    engine.open(site.url())
    return engine


@pytest.fixture
def same(engine, desktop_shots, art, update_golden):
    """same(name, shot): SHOT is the desktop's shot NAME (and in Chromium, with REFERENCE, the
    browser's own reference shot)."""
    def compare(name, shot, reference=False):
        expect_same(name, desktop_shots[name], shot, art)
        if reference and engine.name == "Chromium":
            expect_golden(name, shot, art, update_golden, chromium=engine.version)
    return compare


def wait_ticking(page, what, counter="ticks"):
    """Waits until the game's timer has run 10 more times (or drawn as many frames)."""
    start = page.stats()[counter]
    wait_until(5, lambda: page.stats()[counter] >= start + 10, "10 %s %s" % (counter, what))


@pytest.mark.in_order
class TestPage:
    def test_page_loads_own_files_only(self, page):
        """The page runs, titled, with no message; a Content-Security-Policy of keywords only (no
        host, scheme, wildcard or inline code); nothing loaded from elsewhere; no axe-core
        violation; no console error."""
        check(page.stats()["state"] == "running", "state %s" % page.stats()["state"])
        title = page.js("return document.title")
        check(title == "Velkarovantine", "document title %r" % title)
        log("%s draws with %s" % (page.name, page.renderer()))
        check(page.message() is None, "#message shows at start: %r" % page.message())
        csp = page.js("const m = document.querySelector(\"meta[http-equiv="
                      "'Content-Security-Policy']\"); return m && m.content")
        check(csp and "default-src" in csp, "no Content-Security-Policy's default-src: %r" % csp)
        loose = [t for d in csp.split(";") for t in d.split()[1:]
                 if not t.startswith("'") or t == "'unsafe-inline'"]
        check(not loose, "the Content-Security-Policy allows more than the own files: %s" % loose)
        foreign = page.js("return performance.getEntriesByType('resource').map(e => e.name)"
                          ".filter(n => !n.startsWith(location.origin))")
        check(not foreign, "loaded from elsewhere: %s" % foreign)
        page.check_axe("on the page")
        page.check_console("while loading")

    def test_title_and_first_crash_as_desktop(self, page, same):
        """The fixed script, as the desktop game played it: with no key held the races never
        depend on timing, so each screen, score included, is the desktop's; headless Chromium's
        are its own reference shots too."""
        same("title", page.reach("title"), reference=True)
        same("crash1", page.reach("crash1"), reference=True)

    def test_timer_armed_with_0_then_16_ms(self, page):
        """The first timeout armed with 0 ms, every other with 16 ms, one for each tick run."""
        if page.name == "WebKit":
            pytest.skip("WebKit's driver runs no script before the page's own")
        delays, ticks = page.js("return [velkDelays, velkStats().ticks]")
        check(len(delays) == ticks + 1 and delays[:1] == [0] and set(delays[1:]) == {16},
              "%d delays armed after %d ticks, the first %s, the others %s" % (
                  len(delays), ticks, delays[:1], sorted(set(delays[1:]))))

    def test_hand_cursor_over_buttons_only(self, page):
        page.reach("title")
        for x, y, cursors in ((400, 300, ("pointer",)), (100, 500, ("default", "auto"))):
            page.move(x, y)   # over "Restart" (or "Start Game"), then off the buttons
            wait_until(2, lambda: page.js("return getComputedStyle(document.getElementById("
                                          "'canvas')).cursor") in cursors, "cursor %s" % (cursors,))

    def test_restart_and_menu_as_desktop(self, page, same):
        """The second race's score and the course after "Menu" are the desktop's."""
        same("crash2", page.reach("crash2"))
        same("title2", page.reach("title2"))

    def test_other_window_sizes_as_desktop(self, page, same):
        """From 1 x 1 to each other size and back, the title is drawn as the desktop's."""
        if page.name == "WebKit":
            pytest.skip("WebKit's toolbar keeps its window from being 1 x 1")
        page.reach("title2")
        page.viewport(1, 1)
        wait_ticking(page, "at 1x1")
        for width, height in RESIZED + ((WIDTH, HEIGHT),):
            page.viewport(width, height)
            size = "%dx%d" % (width, height)
            wait_ticking(page, "at " + size)
            shot = page.wait_shot(10, "menu_shown", "the title screen at " + size)
            same("title2-" + size if (width, height) in RESIZED else "title2", shot)

    def test_input_heard_exactly(self, page, glut):
        """From the pointer's move on, each key, button and wheel turn reaches the game's
        handlers once pressed and once released, with GLUT's code and the pointer's place."""
        x, y = 100, 500   # off the buttons
        since = page.js("return velkInput().count")
        page.move(x, y)
        moves = [e for e in page.heard(since) if e[0] == "motion"]
        check(moves[-2:] == [("motion", 0, -1, x - 1, y), ("motion", 0, -1, x, y)],
              "the last motions heard: %s" % moves[-2:])
        since, expected = page.js("return velkInput().count"), []
        def pressed(kind, code): return [(kind, code, glut.DOWN, x, y), (kind, code, glut.UP, x, y)]
        for key in list(CHARACTER_KEYS) + list(SPECIAL_KEYS):
            page.type_keys(key)
            expected += (pressed("special", getattr(glut, "KEY_" + SPECIAL_KEYS[key]))
                         if len(key) > 1 else pressed("key", ord(key)))
        # WebKitWebDriver never releases a middle or right button it pressed.
        for button in (0,) if page.name == "WebKit" else (0, 1, 2):
            page.press(button)
            expected += pressed("mouse", getattr(glut, BUTTONS[button]))
        page.turn_wheel(120)
        expected += pressed("mouse", glut.WHEEL_DOWN)
        try:
            wait_until(2, lambda: len(page.heard(since)) >= len(expected), "every delivery")
        except AssertionError:
            pass   # the comparison tells what is missing
        got = page.heard(since)
        wrong = [(i, e, g) for i, (e, g) in enumerate(zip(expected, got)) if e != g]
        check(got == expected, "%d deliveries, %d expected; first wrong (index, expected, got): "
              "%s" % (len(got), len(expected), wrong[:1] or got[len(expected):][:1]))

    def test_context_lost_pauses_then_draws_again(self, page, same):
        page.reach("title2")
        page.js("window.velkLose = ['webgl', 'webgl2', 'experimental-webgl'].map(t =>"
                " document.getElementById('canvas').getContext(t)).find(c => c)"
                ".getExtension('WEBGL_lose_context'); window.velkLose.loseContext()")
        page.wait_state("contextlost", 5, "state contextlost")
        wait_until(2, page.message, "#message after the context was lost")
        page.check_stopped("while the context is lost")
        page.js("window.velkLose.restoreContext()")
        page.wait_state("running", 5, "state running after restore")
        wait_until(2, lambda: page.message() is None, "#message hidden after the restore")
        wait_ticking(page, "after the restore", "frames")
        same("title2", page.wait_shot(10, "menu_shown", "the title screen after the restore"))

    def test_keys_steer_and_escape_quits(self, page):
        """The left arrow and d move the car (a crash before it moved restarts the race, twice at
        most a key); Escape quits, shows the message and stops the game; no console error."""
        for key, side in (("ArrowLeft", -1), ("d", 1)):
            for attempt in range(3):
                shot = page.racing(lambda: page.click(400, 300))
                start = shot.car_at()[0]
                check(start >= 0, "no car seen in the race")
                check(shot.road_shown(), "no road below the car in the race")
                page.key_down(key)
                try:   # a crash may come first: the car shows there too, as far as it got
                    moved = wait_until(5, lambda: steered(page.shot(), start, side),
                                       "the car to move with %s" % key, poll=0.1)
                finally:
                    page.key_up(key)
                if moved != "crash":
                    break
            else:
                raise AssertionError("three crashes before the car moved with %s" % key)
        page.type_keys("Escape")
        page.expect_quit("after Escape")


def steered(shot, start, side):
    """The car's x once it is 30 px to SIDE of START, "crash" on a crash before that, else None."""
    x = shot.car_at()[0]
    return x if x >= 0 and (x - start) * side > 30 else "crash" if shot.crash_shown() else None


@pytest.fixture(scope="class")
def framed(engine, site):
    """The page with the game in an iframe filling the viewport atop a page three viewports tall,
    as a site might embed it, at its title screen."""
    engine.open(site.url(EMBED_PAGE), "game")
    return engine


@pytest.mark.in_order
class TestFrame:
    def test_zero_height_and_back(self, framed, same):
        """Squeezed to a zero client height and back (through its iframe: a zero in the viewport
        emulation means no override), the game still ticks and draws its title."""
        for height in (0, HEIGHT):
            framed.frame(None)
            framed.js("document.getElementById('game').style.height = arguments[0] + 'px'", height)
            framed.frame("game")
            wait_until(5, lambda: framed.js("return innerHeight") == height, "height %d" % height)
            wait_ticking(framed, "at a client height of %d" % height)
        same("title", framed.wait_shot(10, "menu_shown", "the title screen after a zero height"))

    def test_keys_and_wheel_scroll_nothing(self, framed):
        """The scrolling keys and a wheel turn over the game (which has the keyboard) reach it
        with their default prevented and leave every page where it was. (Whether an unprevented
        key in a frame scrolls the page around differs between engines.)"""
        framed.click(100, 500)   # off the buttons: the canvas takes the keyboard
        framed.js("window.velkDefaults = []; for (const type of ['keydown', 'wheel'])"
                  " addEventListener(type, e => velkDefaults.push([e.key || 'wheel',"
                  " e.defaultPrevented]), {passive: true})")
        framed.type_keys(*SCROLLING_KEYS)
        framed.turn_wheel(600)
        wait_ticking(framed, "after the keys and the wheel")
        seen = framed.js("return velkDefaults")
        check(seen == [[key, True] for key in SCROLLING_KEYS + ("wheel",)],
              "each key and wheel turn, its default prevented: %s" % seen)
        at = framed.js("const at = []; for (let w = window; ; w = w.parent) {"
                       " at.push(w.scrollX, w.scrollY); if (w === w.parent) return at; }")
        check(not any(at), "scrolled (frame x, y, page x, y): %s" % at)

    def test_quit_button(self, framed):
        framed.click(400, 240)   # "Quit"
        framed.expect_quit("after Quit")


def test_no_webgl_message(site):
    """A Chromium without WebGL shows the message, with no console error."""
    with Chromium(flags=CHROMIUM_FLAGS + ["--disable-webgl", "--disable-3d-apis"]) as page:
        page.goto(site.url())
        page.wait_state("nowebgl", 15, "state nowebgl")
        check(page.message(), "no #message without WebGL")
        page.check_console("without WebGL")
