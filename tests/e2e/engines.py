"""engines.py: the game's page in each browser engine, behind one Page: Chromium(env, flags)
(headless with SwiftShader unless FLAGS say otherwise; cdp() sends DevTools' own commands) and
Firefox(env) (headful under the display in ENV), each driven with a fresh profile by puppeteer-core
in a Node process (bridge.mjs); WebKit(env), MiniBrowser through WebKitWebDriver (selenium).
An engine gives goto(url), js(body, *args) (BODY a function body that sees `arguments`), png()
(CSS pixels), pointer("move" | "down" | "up", x, y, button) (PointerEvent.button), wheel(x, y,
dy), key("down" | "up", KeyboardEvent.key), viewport(w, h), frame(iframe id or None), console()
-> [(level, text)] since the last call, and close(); Page builds on them."""
import base64
import json
import os
import pathlib
import re
import select
import subprocess
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
from selenium.webdriver.common.keys import Keys

import site_server
from desktop import end_process
from screens import Closing, Player, Shot, check, log, wait_until

HERE = os.path.dirname(os.path.abspath(__file__))
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
                  "--enable-unsafe-swiftshader", "--disable-component-update"]
WIDTH, HEIGHT = 800, 600
# axe-core, pinned in package.json, and its own setTimeout: it arms the page's, then takes its delay
# back out of the delays the page's timers are checked by, which only the game's may fill.
AXE = os.path.join(HERE, "node_modules", "axe-core", "axe.min.js")
QUIET_TIMEOUT = ("const setTimeout = (...args) => { const id = window.setTimeout(...args);"
                 " if (window.velkDelays) velkDelays.pop(); return id; };\n")
# What WebKit's pages log, kept by listeners each document gets (see the file).
CONSOLE_HOOK = pathlib.Path(HERE, "webkit_console.js").read_text(encoding="utf-8")


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
        """Opens URL, and in it the iframe FRAME if given; returns the title screen's shot."""
        self.goto(url)
        self.frame(frame)
        return self.wait_shot(20, "menu_shown", "the title screen at " + url)

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

    def check_console(self, where):
        """No console error since the last look, nor a reported violation of the page's policy;
        warnings are logged."""
        errors = ["Content-Security-Policy report: " + text for text in site_server.REPORTS]
        site_server.REPORTS.clear()
        for level, text in self.console():
            errors += [text] if level == "error" else []
            if level == "warning":
                log("%s console warning: %s" % (self.name, text))
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

    def check_stopped(self, what, seconds=0.5):
        """The timer and the drawing do not run for SECONDS."""
        before = self.stats()
        time.sleep(seconds)
        after = self.stats()
        check((after["ticks"], after["frames"]) == (before["ticks"], before["frames"]),
              "the game still runs %s: %s, then %s" % (what, before, after))

    def expect_quit(self, how):
        """The game has quit HOW: its state says so, the message shows, the game stays stopped
        and no console error came."""
        self.wait_state("quit", 5, "state quit " + how)
        check(self.message(), "no #message " + how)
        self.check_stopped(how)
        self.check_console(how)


class Puppeteer(Page):
    def __init__(self, env, **options):
        self.stderr = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["node", os.path.join(HERE, "bridge.mjs")], cwd=HERE,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=self.stderr)
        try:
            options.update(env=env or {}, headless=False, defaultViewport=None)
            self.version = self.call("bridge", "launch", options).split("/")[-1]
            self.viewport(WIDTH, HEIGHT)
        except BaseException:
            self.close()
            raise

    def call(self, target, method, *args):
        """TARGET.METHOD(*ARGS) in the bridge; a browser's start may take two minutes."""
        try:
            self.process.stdin.write(json.dumps([target, method, *args]).encode() + b"\n")
            self.process.stdin.flush()
            ready = select.select([self.process.stdout], [], [], 120)[0]
            line = ready and self.process.stdout.readline()
            answer = json.loads(line) if line else {"error": "no answer"}
        except OSError as e:
            answer = {"error": str(e)}
        if "error" in answer:
            self.stderr.seek(0)
            said = self.stderr.read()[-2000:].decode(errors="replace")
            raise OSError("%s, %s.%s: %s\n%s" % (self.name, target, method, answer["error"], said))
        return answer["value"]

    def goto(self, url): self.call("page", "goto", url)
    def js(self, body, *args): return self.call("bridge", "run", body, args)

    def png(self): return base64.b64decode(self.call("page", "screenshot", {"encoding": "base64"}))

    def pointer(self, action, x=0, y=0, button=0):
        args = [x, y] if action == "move" else [{"button": ("left", "middle", "right")[button]}]
        self.call("mouse", action, *args)

    def wheel(self, x, y, dy): self.call("mouse", "wheel", {"deltaY": dy})
    def key(self, action, name): self.call("keyboard", action, name)
    def frame(self, name): self.call("bridge", "enter", name)
    def console(self): return [tuple(e) for e in self.call("bridge", "console")]

    def viewport(self, width, height):
        self.call("page", "setViewport", {"width": width, "height": height})

    def close(self):
        self.process.stdin.close()   # the bridge, and puppeteer on SIGTERM, close the browser
        end_process(self.process, 30)
        self.stderr.close()


class Firefox(Puppeteer):
    name = "Firefox"

    def __init__(self, env):
        Puppeteer.__init__(self, env, browser="firefox", executablePath="/usr/bin/firefox-esr")


class Chromium(Puppeteer):
    name, ratio = "Chromium", 1

    def __init__(self, env=None, flags=CHROMIUM_FLAGS):
        Puppeteer.__init__(self, env, browser="chrome", executablePath="/usr/bin/chromium",
                           args=flags)

    def cdp(self, method, params=None): return self.call("cdp", "send", method, params or {})

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


class WebKit(Page):
    """MiniBrowser under the display in ENV; its toolbar is sized away in viewport()."""
    name = "WebKit"

    def __init__(self, env):
        options = webdriver.WebKitGTKOptions()
        options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
        options.add_argument("--automation")
        os.environ.update(env)   # this selenium's WebKitGTK driver takes no environment but ours
        self.driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver",
                                          options=options)
        self.viewport(WIDTH, HEIGHT)

    def goto(self, url):
        self.driver.get(url)
        self.js(CONSOLE_HOOK)

    def js(self, body, *args): return self.driver.execute_script(body, *args)
    def png(self): return self.driver.get_screenshot_as_png()

    def pointer(self, action, x=0, y=0, button=0):
        chain = ActionChains(self.driver)
        p = chain.w3c_actions.pointer_action
        p.move_to_location(x, y) if action == "move" else getattr(p, "pointer_" + action)(button)
        chain.perform()

    def wheel(self, x, y, dy):
        origin = ScrollOrigin.from_viewport(x, y)
        ActionChains(self.driver).scroll_from_origin(origin, 0, dy).perform()

    def key(self, action, name):
        """Selenium names the keys as KeyboardEvent.key does, in capitals, words split by _."""
        key = getattr(Keys, re.sub(r"(?<=.)([A-Z])", r"_\1", name).upper()) if name[1:] else name
        getattr(ActionChains(self.driver), "key_" + action)(key).perform()

    def frame(self, name):
        self.driver.switch_to.frame(name) if name else self.driver.switch_to.default_content()
        self.js(CONSOLE_HOOK)

    def viewport(self, width, height):
        for _ in range(3):
            inner = self.js("return [innerWidth, innerHeight]")
            if inner == [width, height]:
                return
            rect = self.driver.get_window_rect()
            self.driver.set_window_rect(0, 0, rect["width"] + width - inner[0],
                                        rect["height"] + height - inner[1])
            time.sleep(0.2)
        raise OSError("WebKit's page is %s, not %dx%d" % (inner, width, height))

    def console(self):
        return [tuple(e) for e in self.js("const k = window.velkConsole || []; return k.splice(0)")]

    def close(self): self.driver.quit()


ENGINES = {"chromium": Chromium, "firefox": Firefox, "webkit": WebKit}
