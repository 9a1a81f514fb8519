"""firefox.py: Firefox ESR, headful under an Xvfb, driven over WebDriver BiDi by puppeteer-core in
a Node process (bidi_bridge.mjs) that reads one JSON command a line and answers each in one line."""
import base64
import json
import os
import select
import subprocess
import tempfile

from selenium.common.exceptions import WebDriverException

from desktop import end_process
from engines import HEIGHT, SELENIUM_KEYS, WIDTH, Page

HERE = os.path.dirname(os.path.abspath(__file__))
KEY_NAMES = {v: k for k, v in SELENIUM_KEYS.items()}


class Firefox(Page):
    name = "Firefox"

    def __init__(self, env):
        if not os.path.isdir(os.path.join(HERE, "node_modules", "puppeteer-core")):
            raise WebDriverException("puppeteer-core is not installed: run npm ci in " + HERE)
        self.stderr = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["node", os.path.join(HERE, "bidi_bridge.mjs")], cwd=HERE,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=self.stderr)
        try:
            self.call("launch", executable="/usr/bin/firefox-esr", env=env, width=WIDTH,
                      height=HEIGHT)
            self.viewport(WIDTH, HEIGHT)
        except BaseException:
            self.close()
            raise

    def call(self, cmd, **fields):
        """Sends one command and returns its value; it may take two minutes, a start included."""
        try:
            self.process.stdin.write(json.dumps(dict(fields, cmd=cmd)).encode() + b"\n")
            self.process.stdin.flush()
            ready = select.select([self.process.stdout], [], [], 120)[0]
            line = ready and self.process.stdout.readline()
        except OSError:
            line = b""
        if not line:
            self.stderr.seek(0)
            raise WebDriverException("no answer from the Firefox bridge to %s: %s" % (
                cmd, self.stderr.read().decode(errors="replace")[-2000:]))
        answer = json.loads(line)
        if "error" in answer:
            raise WebDriverException("Firefox, %s: %s" % (cmd, answer["error"]))
        return answer["value"]

    def goto(self, url): self.call("goto", url=url)
    def js(self, body, *args): return self.call("evaluate", script=body, args=list(args))
    def png(self): return base64.b64decode(self.call("screenshot"))

    def pointer(self, action, x=0, y=0, button=0):
        args = [x, y] if action == "move" else [{"button": ("left", "middle", "right")[button]}]
        self.call("input", device="mouse", action=action, args=args)

    def wheel(self, x, y, dy):
        self.call("input", device="mouse", action="wheel", args=[{"deltaY": dy}])

    def key(self, action, name):
        self.call("input", device="keyboard", action=action, args=[KEY_NAMES.get(name, name)])

    def viewport(self, width, height): self.call("viewport", width=width, height=height)
    def frame(self, name): self.call("frame", name=name)
    def console(self): return [(e["level"], e["text"]) for e in self.call("console")]

    def close(self):
        try:
            if self.process.poll() is None:
                self.call("close")
        except WebDriverException:
            pass
        finally:
            self.process.stdin.close()   # the bridge closes Firefox and ends when its input ends
            end_process(self.process, 10)
            self.stderr.close()
