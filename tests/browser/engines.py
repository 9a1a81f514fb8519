"""engines.py: the browser engines the tests drive, each behind the same few calls.

  Chromium(flags, env)   Debian's Chromium through chromedriver (selenium)
  WebKit(env)            WebKitGTK's MiniBrowser --automation through WebKitWebDriver (selenium)
  Firefox(env)           Debian's Firefox ESR over WebDriver BiDi: puppeteer-core in a Node
                         process (bidi_bridge.mjs) that this module talks to in JSON lines
  Xvfb()                 a private X server, for the engines that need a display

Every engine offers goto(url), js(body, *args) (BODY is a function body that sees `arguments`),
png(), pointer("move" | "down" | "up", x, y, button), wheel(x, y, delta_y) (the pointer already
there),
key("down" | "up", name), viewport(w, h),
frame(iframe id or None), console() -> [(level, text)] since the last call, and close().
Buttons are numbered as PointerEvent.button (0 left, 1 middle, 2 right). Key names are
KeyboardEvent.key values ("ArrowLeft", "Escape", "d", " "), "Shift" for the left Shift key;
selenium's Keys characters are taken too.
"""
import base64
import json
import os
import select
import subprocess
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
from selenium.webdriver.common.keys import Keys

# Constants
HERE = os.path.dirname(os.path.abspath(__file__))
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
FIREFOX = "/usr/bin/firefox-esr"
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
WEBKITDRIVER = "/usr/bin/WebKitWebDriver"
BRIDGE = os.path.join(HERE, "bidi_bridge.mjs")
BRIDGE_TIMEOUT_S = 120   # the longest one command may take, a browser's start included
SELENIUM_KEYS = {"ArrowLeft": Keys.ARROW_LEFT, "ArrowRight": Keys.ARROW_RIGHT,
                 "ArrowUp": Keys.ARROW_UP, "ArrowDown": Keys.ARROW_DOWN, "Escape": Keys.ESCAPE,
                 "F1": Keys.F1, "PageUp": Keys.PAGE_UP, "PageDown": Keys.PAGE_DOWN,
                 "End": Keys.END, "Shift": Keys.SHIFT}
KEY_NAMES = {v: k for k, v in SELENIUM_KEYS.items()}
# WebKitWebDriver has no log endpoint and no BiDi, and MiniBrowser's console-to-stdout setting
# does not reach the pages it opens for automation; so each document the test looks at gets
# listeners that keep what the console would show as an error or a warning: uncaught errors,
# failed loads, blocked loads (Content-Security-Policy) and console.error / console.warn.
CONSOLE_HOOK = """if (!window.velkConsole) {
  const kept = window.velkConsole = [];
  const keep = (level, text) => kept.push([level, String(text)]);
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


# Types
class _Selenium:
    """What Chromium and WebKit share: both are driven through selenium's WebDriver."""
    driver = None

    def goto(self, url): self.driver.get(url)
    def js(self, body, *args): return self.driver.execute_script(body, *args)
    def png(self): return self.driver.get_screenshot_as_png()

    def pointer(self, action, x=0, y=0, button=0):
        chain = ActionChains(self.driver)
        p = chain.w3c_actions.pointer_action
        if action == "move":
            p.move_to_location(x, y)
        elif action == "down":
            p.pointer_down(button)
        else:
            p.pointer_up(button)
        chain.perform()

    def wheel(self, x, y, delta_y):
        ActionChains(self.driver).scroll_from_origin(ScrollOrigin.from_viewport(x, y), 0,
                                                     delta_y).perform()

    def key(self, action, name):
        key = SELENIUM_KEYS.get(name, name)
        chain = ActionChains(self.driver)
        (chain.key_down if action == "down" else chain.key_up)(key)
        chain.perform()

    def frame(self, name):
        if name is None:
            self.driver.switch_to.default_content()
        else:
            self.driver.switch_to.frame(name)


class Chromium(_Selenium):
    """Chromium with a fresh profile; FLAGS as given (headless or not), ENV for chromedriver."""
    name = "Chromium"

    def __init__(self, flags, env=None):
        self.profile = tempfile.TemporaryDirectory(prefix="velk-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in list(flags) + ["--user-data-dir=" + self.profile.name]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        try:
            service = Service(CHROMEDRIVER, env=dict(os.environ, **env) if env else None)
            self.driver = webdriver.Chrome(service=service, options=options)
        except WebDriverException:
            self.profile.cleanup()
            raise

    def viewport(self, width, height, scale=1, mobile=False):
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": scale, "mobile": mobile})

    def console(self):
        levels = {"SEVERE": "error", "WARNING": "warning"}
        return [(levels.get(e["level"], e["level"].lower()), e["message"])
                for e in self.driver.get_log("browser")]

    def close(self):
        try:
            self.driver.quit()
        finally:
            self.profile.cleanup()


class WebKit(_Selenium):
    """MiniBrowser under the display in ENV; its toolbar is sized away in viewport()."""
    name = "WebKit"

    def __init__(self, env):
        options = webdriver.WebKitGTKOptions()
        options.binary_location = MINIBROWSER
        options.add_argument("--automation")
        saved = dict(os.environ)
        os.environ.update(env)   # this selenium's WebKitGTK driver takes no environment
        try:
            self.driver = webdriver.WebKitGTK(executable_path=WEBKITDRIVER, options=options)
        finally:
            os.environ.clear()
            os.environ.update(saved)

    def goto(self, url):
        self.driver.get(url)
        self.js(CONSOLE_HOOK)

    def frame(self, name):
        _Selenium.frame(self, name)
        self.js(CONSOLE_HOOK)

    def viewport(self, width, height):
        """Sizes the window so that its page gets WIDTH x HEIGHT; the toolbar takes the rest."""
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
        return [tuple(e) for e in self.js("const k = window.velkConsole || [];"
                                          "return k.splice(0, k.length)")]

    def close(self): self.driver.quit()


class Firefox:
    """Firefox ESR, headful under the display in ENV, through the Node bridge."""
    name = "Firefox"

    def __init__(self, env, width, height):
        check_node_modules()
        self.errors = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["node", BRIDGE], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=self.errors, cwd=HERE)
        self.pending, self.count = b"", 0
        try:
            self.call("launch", executable=FIREFOX, env=env, width=width, height=height)
        except WebDriverException:
            self.close()
            raise

    def call(self, cmd, **fields):
        """Sends one command and returns its value; a failure raises WebDriverException."""
        self.count += 1
        line = json.dumps(dict(fields, id=self.count, cmd=cmd)) + "\n"
        try:
            self.process.stdin.write(line.encode())
            self.process.stdin.flush()
        except BrokenPipeError:
            raise WebDriverException("the Firefox bridge has gone: " + self.stderr())
        answer = json.loads(self._line())
        if "error" in answer:
            raise WebDriverException("Firefox, %s: %s" % (cmd, answer["error"]))
        return answer["value"]

    def _line(self):
        end = time.monotonic() + BRIDGE_TIMEOUT_S
        while b"\n" not in self.pending:
            left = end - time.monotonic()
            if left <= 0 or not select.select([self.process.stdout], [], [], left)[0]:
                raise WebDriverException("no answer from the Firefox bridge in %d s"
                                         % BRIDGE_TIMEOUT_S)
            chunk = os.read(self.process.stdout.fileno(), 65536)
            if not chunk:
                raise WebDriverException("the Firefox bridge has gone: " + self.stderr())
            self.pending += chunk
        line, self.pending = self.pending.split(b"\n", 1)
        return line

    def stderr(self):
        self.errors.seek(0)
        return self.errors.read().decode(errors="replace")[-2000:]

    def goto(self, url): self.call("goto", url=url)
    def js(self, body, *args): return self.call("evaluate", script=body, args=list(args))
    def png(self): return base64.b64decode(self.call("screenshot"))
    def pointer(self, action, x=0, y=0, button=0):
        self.call("pointer", action=action, x=x, y=y, button=button)

    def wheel(self, x, y, delta_y): self.call("wheel", deltaY=delta_y)
    def key(self, action, name): self.call("key", action=action, key=KEY_NAMES.get(name, name))
    def viewport(self, width, height): self.call("viewport", width=width, height=height)
    def frame(self, name): self.call("frame", name=name)
    def console(self): return [(e["level"], e["text"]) for e in self.call("console")]

    def close(self):
        try:
            if self.process.poll() is None:
                self.call("close")
        except (WebDriverException, OSError):
            pass
        finally:
            self.process.stdin.close()   # the bridge closes Firefox and ends when its input ends
            end_process(self.process, 10)
            self.errors.close()


class Xvfb:
    """A private X server on a display number it picks itself; env is {"DISPLAY": ...}."""

    def __init__(self, screen="1280x1024x24"):
        read, write = os.pipe()
        self.log = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", screen,
                                         "-nolisten", "tcp"], pass_fds=(write,),
                                        stdout=self.log, stderr=self.log)
        os.close(write)
        with os.fdopen(read) as f:
            ready = select.select([f], [], [], 10)[0]
            number = f.readline().strip() if ready else ""
        if not number:
            self.close()
            raise OSError("Xvfb did not start")
        self.env = {"DISPLAY": ":" + number}

    def close(self):
        self.process.terminate()
        end_process(self.process, 5)
        self.log.close()


# Public functions
def end_process(process, seconds):
    """Waits SECONDS for PROCESS to end, then kills it."""
    try:
        process.wait(seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def check_node_modules():
    if not os.path.isdir(os.path.join(HERE, "node_modules", "puppeteer-core")):
        raise WebDriverException("puppeteer-core is not installed: run npm ci in " + HERE)
