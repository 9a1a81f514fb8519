#!/usr/bin/python3
"""web_test.py SITE DESKTOP_EXE ARTEFACTS [ENGINE...]: the browser build in Chromium (headless,
SwiftShader), Firefox and WebKit (both headful under an Xvfb of their own, over Mesa llvmpipe)
against the desktop game under Xvfb. Each plays the same fixed script as the desktop game (title,
first race with no key held, "Restart", second race, "Menu"); with no key held the races never
depend on timing, so each screen, score included, must match the desktop's; headless Chromium's
also its own reference shots (golden/). Then each browser alone: cursor, other window sizes,
context loss, the exact input the game hears, keys, quitting, no console error; the game
embedded in a taller page; and a Chromium without WebGL. ENGINE names the engines to run
(default all). Failures keep their shots under ARTEFACTS/browser/ENGINE/.
"""
import os
import sys

import axe_check
import browserlib as bl
import page_checks as pc
from browserlib import check, log, wait_until

SITE, EXE, ART = sys.argv[1:4]
ENGINES = sys.argv[4:] or ["Chromium", "Firefox", "WebKit"]
OUT = os.path.join(ART, "browser")
KEY_NAMES = {"ArrowLeft": "the left arrow", "d": "d"}
# Groups that run in some engines only: WebKit's window cannot be made as small as 1 x 1 (its
# toolbar keeps a minimum size); the iframe's zero height covers a vanishing client area there.
# The timer's delays are recorded through Chromium's DevTools.
RESIZE_GROUP = "viewport 1x1, then other sizes: the title drawn for each, as the desktop's"
TIMER_GROUP = "the timer is armed with 0 ms, then with 16 ms on every tick"
ONLY_IN = {RESIZE_GROUP: ("Chromium", "Firefox"), TIMER_GROUP: ("Chromium",)}


def expect_same(b, name, screen, desktop, shot):
    name = "%s-%s" % (b.name.lower(), name)
    figures = bl.compare(name, screen, desktop, shot, os.path.join(OUT, b.name))
    check(figures["percent"] <= bl.MAX_DIFFERING and figures["text_same"],
          "%s differs from the desktop's (see above)" % name)


def race_to_crash(b, x, y):
    """Clicks at (X, Y), sees the race, then waits for the crash screen and returns its shot."""
    b.click(x, y)
    b.wait_shot(15, "race_shown", "a race after the click at %d,%d" % (x, y))
    return b.wait_shot(120, "crash_shown", "the crash screen")


def reference(b, name, shot):
    """In headless Chromium, SHOT against the browser's own reference shot NAME."""
    if b.name == "Chromium":
        check(bl.compare_reference(name, shot, b.driver.capabilities["browserVersion"],
                                   os.path.join(OUT, b.name)),
              "%s differs from the browser's reference shot (see above)" % name)
    return shot


def page_loads(b, site):
    if b.name == "Chromium":
        b.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                 {"source": pc.RECORD_DELAYS})
    b.goto(site.url("index.html"))
    wait_until(15, lambda: (b.stats() or {}).get("ticks", 0) > 0, "window.velkStats() ticking")
    check(b.stats()["state"] == "running", "state %s" % b.stats()["state"])
    check(b.title() == "Velkarovantine", "document title %r" % b.title())
    log("%s draws with %s" % (b.name, b.renderer()))
    check(b.message() is None, "#message shows at start: %r" % b.message())
    csp = b.js("const m = document.querySelector(\"meta[http-equiv='Content-Security-Policy']\");"
               "return m && m.content")
    check(csp and "default-src" in csp, "no Content-Security-Policy with a default-src: %r" % csp)
    # Only keywords such as 'self' or 'none': no host, scheme or wildcard, no inline code.
    loose = [t for d in csp.split(";") for t in d.split()[1:]
             if not t.startswith("'") or t == "'unsafe-inline'"]
    check(not loose, "the Content-Security-Policy allows more than the own files: %s" % loose)
    log("Content-Security-Policy: " + csp)
    foreign = b.js("return performance.getEntriesByType('resource').map(e => e.name)"
                   ".filter(n => !n.startsWith(location.origin))")
    check(not foreign, "loaded from elsewhere: %s" % foreign)
    axe_check.expect_no_axe_violations(b, "on the page")
    b.check_console("while loading")


def session_main(site, desktop, b):
    """The fixed script against the desktop's shots, then the browser-only checks; in order."""
    def first_race():
        title = reference(b, "title", b.wait_shot(20, "menu_shown", "title"))
        expect_same(b, "title", "title", desktop["title"], title)
        crash = reference(b, "crash1", race_to_crash(b, 400, 300))
        expect_same(b, "crash1", "crash", desktop["crash1"], crash)

    def cursor():
        b.move(400, 300)   # over "Restart"
        wait_until(2, lambda: b.cursor() == "pointer", "the hand over Restart (%s)" % b.cursor())
        b.move(100, 500)
        wait_until(2, lambda: b.cursor() in ("default", "auto"),
                   "the arrow off the buttons (%s)" % b.cursor())

    def restart_and_menu():
        expect_same(b, "crash2", "crash", desktop["crash2"], race_to_crash(b, 400, 300))
        b.click(400, 240)  # "Menu"
        expect_same(b, "title2", "title", desktop["title2"],
                    b.wait_shot(15, "menu_shown", "the title screen after Menu"))

    def resize():
        b.viewport(1, 1)
        b.wait_ticking("at 1x1")
        for width, height in bl.RESIZED + ((bl.WIDTH, bl.HEIGHT),):
            b.viewport(width, height)
            size = "%dx%d" % (width, height)
            b.wait_ticking("at " + size)
            shot = b.wait_shot(10, "menu_shown", "the title screen at " + size)
            check((shot.w, shot.h) == (width, height), "a shot of %dx%d" % (shot.w, shot.h))
            name = "title2-" + size if (width, height) in bl.RESIZED else "title2"
            expect_same(b, "title2-at-" + size, "title", desktop[name], shot)

    def context_loss():
        b.js("window.velkLose = ['webgl', 'webgl2', 'experimental-webgl'].map(t =>"
             " document.getElementById('canvas').getContext(t)).find(c => c)"
             ".getExtension('WEBGL_lose_context'); window.velkLose.loseContext()")
        wait_until(5, lambda: b.stats()["state"] == "contextlost", "state contextlost")
        wait_until(2, b.message, "#message after the context was lost")
        log("context lost, message: %r" % b.message())
        b.check_stopped("while the context is lost")
        b.js("window.velkLose.restoreContext()")
        wait_until(5, lambda: b.stats()["state"] == "running", "state running after restore")
        wait_until(2, lambda: b.message() is None, "#message hidden after the restore")
        frames = b.stats()["frames"]
        wait_until(5, lambda: b.stats()["frames"] > frames + 10, "frames after the restore")
        expect_same(b, "title2-after-restore", "title", desktop["title2"],
                    b.wait_shot(10, "menu_shown", "the title screen after the restore"))

    def steered(start, side):
        """The car's x once it has moved 30 px to SIDE of START, "crash" on a crash before that,
        else None. A slow machine may see the crash screen first: the car still shows there, as
        far as it got (the first obstacle to the right stops it some 55 px from the middle)."""
        shot = b.shot()
        x = shot.car_x()
        if x >= 0 and (x - start) * side > 30:
            return x
        return "crash" if shot.crash_shown() else None

    def keys_and_escape():
        # A crash before the car has moved restarts the race, at most twice per key.
        for key, side in (("ArrowLeft", -1), ("d", 1)):
            for attempt in range(3):
                shot = b.shot()
                if not shot.race_shown():
                    b.click(400, 300)   # "Start Game" or "Restart"
                    shot = b.wait_shot(15, "race_shown", "a race")
                start = shot.car_x()
                check(start >= 0, "no car seen in the race")
                b.key_down(key)
                try:
                    moved = wait_until(5, lambda: steered(start, side),
                                       "the car to move with %s" % KEY_NAMES[key], poll=0.1)
                finally:
                    b.key_up(key)
                if moved != "crash":
                    log("car moved from x %.0f to %.0f with %s" % (start, moved, KEY_NAMES[key]))
                    break
            else:
                raise bl.Failure("three crashes before the car moved with %s" % KEY_NAMES[key])
        b.key_down("Escape")
        b.key_up("Escape")
        wait_until(5, lambda: b.stats()["state"] == "quit", "state quit after Escape")
        check(b.message(), "no #message after Escape")
        log("quit by Escape, message: %r" % b.message())
        b.check_stopped("after Escape")
        b.check_console("during the session")

    return [("page loads, same origin, no axe-core violation, no console error",
             lambda: page_loads(b, site)),
            ("title and first crash match the desktop and the reference shots", first_race),
            (TIMER_GROUP, lambda: pc.expect_timer_delays(b)),
            ("hand cursor over a crash-screen button, arrow off it", cursor),
            ("Restart and Menu: same score and course as the desktop", restart_and_menu),
            (RESIZE_GROUP, resize),
            ("every key, button and motion reaches the game exactly",
             lambda: pc.expect_heard_exactly(b, 100, 500)),   # off the title screen's buttons
            ("context lost and restored: paused, then drawn again", context_loss),
            ("keys steer the car; Escape quits and stops the game", keys_and_escape)]


def title_in_frame(b, site, page):
    """Opens PAGE, which holds the game in the iframe "game", and waits for its title screen."""
    b.goto(site.url(page))
    b.frame("game")
    wait_until(15, lambda: (b.stats() or {}).get("ticks", 0) > 0, "velkStats in the frame")
    b.wait_shot(20, "menu_shown", "the title screen in the frame")


def session_frame(site, desktop, b):
    """The game in an iframe squeezed to a zero height and back; then Quit."""
    def zero_height():
        title_in_frame(b, site, bl.FRAME_PAGE)
        for height in (0, bl.HEIGHT):
            b.frame(None)
            b.js("document.getElementById('game').style.height = arguments[0] + 'px'", height)
            b.frame("game")
            wait_until(5, lambda: b.js("return innerHeight") == height, "client height %d" % height)
            b.wait_ticking("at a client height of %d" % height)
        expect_same(b, "title-after-zero-height", "title", desktop["title"],
                    b.wait_shot(10, "menu_shown", "the title screen after a zero height"))

    def quit_button():
        b.click(400, 240)   # "Quit"
        wait_until(5, lambda: b.stats()["state"] == "quit", "state quit after the Quit button")
        check(b.message(), "no #message after Quit")
        log("quit by the button, message: %r" % b.message())
        b.check_stopped("after Quit")
        b.check_console("in the frame session")

    return [("zero client height and back: still ticking, title drawn again", zero_height),
            ("Quit shows the message and stops the game", quit_button)]


def session_embedded(site, desktop, b):
    """The game in an iframe atop a taller page: what the player does over it scrolls nothing."""
    def not_scrolled():
        title_in_frame(b, site, bl.EMBED_PAGE)
        b.click(100, 500)   # off the buttons: the canvas takes the keyboard
        pc.expect_not_scrolled(b)

    return [("embedded in a taller page: keys and the wheel scroll nothing", not_scrolled)]


def session_no_webgl(site, desktop, b):
    def no_webgl():
        b.goto(site.url("index.html"))
        wait_until(15, lambda: (b.stats() or {}).get("state") == "nowebgl", "state nowebgl")
        check(b.message(), "no #message without WebGL")
        log("without WebGL, message: %r" % b.message())
        b.check_console("without WebGL")

    return [("a Chromium without WebGL shows the message", no_webgl)]


def open_browser(engine, flags, xvfb):
    """A fresh browser of ENGINE; Firefox and WebKit share the one Xvfb, started on first use."""
    if engine == "Chromium":
        return bl.Browser(flags)
    if not xvfb:
        xvfb.append(bl.Xvfb())
    return (bl.Firefox if engine == "Firefox" else bl.WebKit)(xvfb[0].env)


def run_session(session, engine, flags, site, desktop, xvfb, failures):
    """The groups of one session in a fresh browser, in order; after a failure the rest are
    skipped (they would only report the same fault again)."""
    log("=== %s: %s" % (engine, session.__name__))
    try:
        b = open_browser(engine, flags, xvfb)
    except Exception as e:
        log("FAIL: %s would not start: %s" % (engine, str(e).strip()))
        failures.append("%s: %s" % (engine, session.__name__))
        return
    try:
        groups = [(n, f) for n, f in session(site, desktop, b)
                  if engine in ONLY_IN.get(n, [engine])]
        for number, (name, function) in enumerate(groups):
            if not bl.run_group("%s: %s" % (engine, name), function, failures):
                keep_failure_shot(b, session.__name__)
                for skipped, _ in groups[number + 1:]:
                    log("skipped: %s: %s" % (engine, skipped))
                    failures.append("%s: %s" % (engine, skipped))
                break
    finally:
        b.close()


def run():
    failures = []
    desktop = {}

    def desktop_run():
        desktop.update(bl.desktop_shots(EXE, ART))
    bl.run_group("desktop game under Xvfb: the reference shots", desktop_run, failures)
    if failures:
        return failures
    site, xvfb = bl.Site(SITE), []
    try:
        for engine in ENGINES:
            sessions = [(session_main, ()), (session_frame, ()), (session_embedded, ())]
            if engine == "Chromium":
                sessions.append((session_no_webgl, bl.NO_WEBGL_FLAGS))
            for session, flags in sessions:
                run_session(session, engine, flags, site, desktop, xvfb, failures)
    finally:
        site.close()
        for x in xvfb:
            x.close()
    return failures


def keep_failure_shot(b, name):
    try:
        os.makedirs(os.path.join(OUT, b.name), exist_ok=True)
        b.shot().save(os.path.join(OUT, b.name, "failure-%s.png" % name))
        log("kept %s/failure-%s.png; velkStats: %s" % (b.name, name, b.stats()))
    except Exception as e:  # the browser may be the thing that broke
        log("no failure shot: %s" % e)


if __name__ == "__main__":
    bl.main_guard(run)
