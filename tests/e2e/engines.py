"""engines.py: the game's page in each browser engine, behind one Page.

  Chromium(flags, env)      Debian's Chromium through chromedriver (selenium), fresh profile,
                            headless with SwiftShader unless FLAGS say otherwise; cdp(command)
  WebKit(env)               WebKitGTK's MiniBrowser --automation through WebKitWebDriver
  Firefox(env)              firefox.py: Firefox ESR over WebDriver BiDi

An engine gives goto(url), js(body, *args) (BODY a function body that sees `arguments`), png()
(CSS pixels), pointer("move" | "down" | "up", x, y, button) (PointerEvent.button), wheel(x, y, dy),
key("down" | "up", KeyboardEvent.key), viewport(w, h), frame(iframe id or None), console() ->
[(level, text)] since the last call, and close(); Page builds the rest on them.
"""
import base64
import os
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
from selenium.webdriver.common.keys import Keys

import site_server
from screens import Closing, Player, Shot, check, log, wait_until

CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
                  "--enable-unsafe-swiftshader", "--disable-background-networking",
                  "--disable-component-update", "--no-first-run"]
NO_WEBGL_FLAGS = ["--disable-webgl", "--disable-3d-apis"]
WIDTH, HEIGHT = 800, 600
# axe-core, pinned in package.json, and its own setTimeout: it arms the page's, then takes its delay
# back out of the delays the page's timers are checked by, which only the game's may fill.
AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules", "axe-core",
                   "axe.min.js")
QUIET_TIMEOUT = ("const setTimeout = (...args) => { const id = window.setTimeout(...args);"
                 " if (window.velkDelays) velkDelays.pop(); return id; };\n")
SELENIUM_KEYS = {name: getattr(Keys, key) for name, key in (
    ("ArrowLeft", "ARROW_LEFT"), ("ArrowRight", "ARROW_RIGHT"), ("ArrowUp", "ARROW_UP"),
    ("ArrowDown", "ARROW_DOWN"), ("Escape", "ESCAPE"), ("F1", "F1"), ("PageUp", "PAGE_UP"),
    ("PageDown", "PAGE_DOWN"), ("End", "END"), ("Shift", "SHIFT"))}
# WebKitWebDriver has no log endpoint and no BiDi, and MiniBrowser's console setting does not reach
# the pages it opens for automation: each document gets listeners that keep what the console would
# show as an error or a warning.
CONSOLE_HOOK = """if (!window.velkConsole) {
  const kept = window.velkConsole = [], keep = (level, text) => kept.push([level, String(text)]);
  addEventListener('error', e => keep('error', e.message ||
      'failed to load ' + (e.target && (e.target.src || e.target.href))), true);
  addEventListener('unhandledrejection', e => keep('error', 'unhandled rejection: ' + e.reason));
  document.addEventListener('securitypolicyviolation', e => keep('error',
      'Content-Security-Policy: ' + e.violatedDirective + ' refused ' + e.blockedURI));
  for (const [name, level] of [['error', 'error'], ['warn', 'warning']]) {
    const original = console[name];
    console[name] = function (...words) {
      keep(level, words.join(' '));
      return original.apply(this, words);
    };
  }
}"""


class Page(Player, Closing):
    pointer_at = (0, 0)

    def stats(self):
        """window.velkStats(): {ticks, frames, state}, or None before it exists."""
        return self.js("return window.velkStats ? window.velkStats() : null")

    def heard(self, since=0, fields=("kind", "code", "state", "x", "y")):
        """FIELDS of what the game's handlers received after the first SINCE deliveries, oldest
        first, as window.velkInput() recorded them."""
        got = self.js("return velkInput()")
        new, kept = got["count"] - since, len(got["events"])
        check(new <= kept, "%d deliveries, the last %d kept" % (new, kept))
        return [tuple(e[f] for f in fields) for e in got["events"][kept - new:]]

    def message(self):
        """The text of #message when it shows, else None."""
        return self.js("const m = document.getElementById('message'); return m && m.checkVisibil"
                       "ity({checkOpacity: true, checkVisibilityCSS: true}) && m.textContent.trim()"
                       " || null")

    def renderer(self):
        return self.js("const g = document.createElement('canvas').getContext('webgl');"
                       "const i = g && g.getExtension('WEBGL_debug_renderer_info');"
                       "return g ? g.getParameter(i ? i.UNMASKED_RENDERER_WEBGL : g.RENDERER)"
                       " : 'no WebGL'")

    def shot(self): return Shot.load(self.png())

    def open(self, url, frame=None):
        """Opens URL, and in it the iframe FRAME if given, once the game's timer ticks there."""
        self.goto(url)
        if frame:
            self.frame(frame)
        wait_until(15, lambda: (self.stats() or {}).get("ticks", 0) > 0, "velkStats() ticking")

    def wait_state(self, state, seconds, what):
        wait_until(seconds, lambda: (self.stats() or {}).get("state") == state, what)

    def move(self, x, y):
        """Moves the pointer to (X, Y), from one pixel to the left."""
        self.pointer("move", max(x - 1, 0), y)
        self.pointer("move", x, y)
        self.pointer_at = (x, y)

    def click(self, x, y):
        self.move(x, y)
        self.press(0)

    def press(self, button):
        for action in ("down", "up"):
            self.pointer(action, *self.pointer_at, button=button)

    def turn_wheel(self, dy): self.wheel(*self.pointer_at, dy)
    def key_down(self, key): self.key("down", key)
    def key_up(self, key): self.key("up", key)

    def type_keys(self, *keys):
        for key in keys:
            self.key("down", key)
            self.key("up", key)

    def console_errors(self):
        """Console errors so far, reported violations of the page's policy included; warnings
        are logged as they come."""
        errors = self.__dict__.setdefault("errors", [])
        while site_server.REPORTS:
            errors.append("Content-Security-Policy report: " + site_server.REPORTS.pop(0))
        for level, text in self.console():
            if level == "error":
                errors.append(text)
            elif level == "warning":
                log("%s console warning: %s" % (self.name, text))
        return list(errors)

    def check_console(self, where):
        errors = self.console_errors()
        check(not errors, "%s console errors %s:\n  %s" % (self.name, where, "\n  ".join(errors)))

    def check_axe(self, where):
        """Every axe-core rule passes on the page. axe-core comes in through the driver, as no
        <script> of the page's policy would load it."""
        with open(AXE, encoding="utf-8") as f:
            self.js("(function () {" + QUIET_TIMEOUT + f.read() + "\n}).call(window); return null;")
        found = self.js("return axe.run(document, {resultTypes: ['violations']}).then(r =>"
                        " r.violations.map(v => v.id + ' (' + v.impact + '): ' +"
                        " v.nodes.map(n => n.target.join(' ')).join(', ')))")
        check(not found, "axe-core %s: %s" % (where, "; ".join(found)))

    def wait_ticking(self, what, ticks=10, seconds=5, counter="ticks"):
        """Waits until the game's timer has run TICKS more times (or drawn as many frames)."""
        start = self.stats()[counter]
        wait_until(seconds, lambda: self.stats()[counter] >= start + ticks,
                   "%d %s %s" % (ticks, counter, what))

    def check_stopped(self, what, seconds=0.5):
        """The timer and the drawing do not run for SECONDS."""
        before = self.stats()
        time.sleep(seconds)
        after = self.stats()
        check((after["ticks"], after["frames"]) == (before["ticks"], before["frames"]),
              "the game still runs %s: %s, then %s" % (what, before, after))


class _Selenium(Page):
    driver = None

    def goto(self, url): self.driver.get(url)
    def js(self, body, *args): return self.driver.execute_script(body, *args)

    def pointer(self, action, x=0, y=0, button=0):
        chain = ActionChains(self.driver)
        p = chain.w3c_actions.pointer_action
        p.move_to_location(x, y) if action == "move" else getattr(p, "pointer_" + action)(button)
        chain.perform()

    def wheel(self, x, y, dy):
        origin = ScrollOrigin.from_viewport(x, y)
        ActionChains(self.driver).scroll_from_origin(origin, 0, dy).perform()

    def key(self, action, name):
        chain = ActionChains(self.driver)
        getattr(chain, "key_" + action)(SELENIUM_KEYS.get(name, name)).perform()

    def frame(self, name):
        self.driver.switch_to.frame(name) if name else self.driver.switch_to.default_content()

    def close(self): self.driver.quit()


class Chromium(_Selenium):
    name, ratio = "Chromium", 1

    def __init__(self, extra_flags=(), flags=CHROMIUM_FLAGS, env=None):
        self.profile = tempfile.TemporaryDirectory(prefix="velk-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in [*flags, *extra_flags, "--user-data-dir=" + self.profile.name]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        try:
            service = Service("/usr/bin/chromedriver", env=dict(os.environ, **env) if env else None)
            self.driver = webdriver.Chrome(service=service, options=options)
            self.viewport(WIDTH, HEIGHT)
        except BaseException:
            self.close()
            raise

    def cdp(self, command, params=None): return self.driver.execute_cdp_cmd(command, params or {})

    def viewport(self, width, height, ratio=1, mobile=False, **more):
        self.size, self.ratio = (width, height), ratio
        self.cdp("Emulation.setDeviceMetricsOverride", dict(
            width=width, height=height, deviceScaleFactor=ratio, mobile=mobile, **more))

    def png(self, device=False):
        """The viewport in CSS pixels, or with DEVICE in device pixels."""
        clip = {} if device or self.ratio == 1 else {"clip": dict(
            x=0, y=0, width=self.size[0], height=self.size[1], scale=1 / self.ratio)}
        png = self.cdp("Page.captureScreenshot", dict(format="png", **clip))["data"]
        return base64.b64decode(png)

    def console(self):
        levels = {"SEVERE": "error", "WARNING": "warning"}
        return [(levels.get(e["level"], e["level"].lower()), e["message"])
                for e in self.driver.get_log("browser")]

    def close(self):
        try:
            if self.driver:
                self.driver.quit()
        finally:
            self.profile.cleanup()


class WebKit(_Selenium):
    """MiniBrowser under the display in ENV; its toolbar is sized away in viewport()."""
    name = "WebKit"

    def __init__(self, env):
        options = webdriver.WebKitGTKOptions()
        options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
        options.add_argument("--automation")
        saved = dict(os.environ)
        os.environ.update(env)   # this selenium's WebKitGTK driver takes no environment
        try:
            self.driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver",
                                              options=options)
        finally:
            os.environ.clear()
            os.environ.update(saved)
        self.viewport(WIDTH, HEIGHT)

    def goto(self, url):
        self.driver.get(url)
        self.js(CONSOLE_HOOK)

    def frame(self, name):
        _Selenium.frame(self, name)
        self.js(CONSOLE_HOOK)

    def png(self): return self.driver.get_screenshot_as_png()

    def viewport(self, width, height):
        for _ in range(3):
            inner = self.js("return [innerWidth, innerHeight]")
            if inner == [width, height]:
                return
            rect = self.driver.get_window_rect()
            self.driver.set_window_rect(0, 0, rect["width"] + width - inner[0],
                                        rect["height"] + height - inner[1])
            time.sleep(0.2)
        raise WebDriverException("WebKit's page is %s, not %dx%d" % (inner, width, height))

    def console(self):
        return [tuple(e) for e in self.js("const k = window.velkConsole || []; return k.splice(0)")]


def open_engine(name, display=None):
    """A fresh page of engine NAME ("chromium", "firefox", "webkit"), the last two under DISPLAY
    (an Xvfb's env)."""
    from firefox import Firefox
    return {"chromium": lambda _: Chromium(), "firefox": Firefox, "webkit": WebKit}[name](display)
