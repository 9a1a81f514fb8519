"""desktop.py: the real game in a private X server (Xvfb, Mesa llvmpipe), on Linux or under Wine.
Xvfb(screen) starts a server on a display it picks itself (env is {"DISPLAY": ...}); Game(argv,
xvfb, art, env) starts ARGV (its output in ART/game.log), finds its window, moves it to 0,0 (no
window manager leaves it at -1,-1, a pixel off every shot) and waits for a picture that stays; it is
driven with xdotool and shot with Pillow. Both close() and work in a with statement."""
import os
import pathlib
import re
import select
import subprocess
import sys
import time

import numpy as np
from PIL import ImageGrab

from screens import Closing, Failure, Player, Shot, check, log, wait_until


class Xvfb(Closing):
    def __init__(self, screen="1280x1024x24"):
        # Without -noreset the server resets whenever its last client leaves, as each xdotool
        # search does while the game starts, and a game connecting meanwhile finds no display.
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        ready = select.select([self.process.stdout], [], [], 10)[0]
        number = ready and self.process.stdout.readline().decode().strip()
        if not number:
            self.close()
            raise OSError("Xvfb did not start")
        self.env = {"DISPLAY": ":" + number}

    def close(self): end_process(self.process, 5)


def end_process(process, seconds):
    """Asks PROCESS to end, and kills it after SECONDS."""
    if process.poll() is None:
        process.terminate()
    try:
        process.wait(seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Game(Player, Closing):
    def __init__(self, argv, xvfb, artefacts, extra_env=None, window_s=15):
        os.makedirs(artefacts, exist_ok=True)
        self.artefacts, self.last, self.window = artefacts, None, None
        self.log = open(os.path.join(artefacts, "game.log"), "ab")
        self.env = dict(os.environ, **xvfb.env)
        self.process = subprocess.Popen(argv, env=dict(self.env, **(extra_env or {})),
                                        stdout=self.log, stderr=subprocess.STDOUT)
        try:
            # Only a mapped window can be shot; Wine names its window before it maps it. xdotool
            # exits on an X error, as when one of Wine's passing windows goes while it looks.
            found = wait_until(window_s, lambda: self.xdotool(
                "search", "--onlyvisible", "--name", "^Velkarovantine$"), "a window titled "
                "Velkarovantine", poll=0.2)
            self.window = found.split()[0]
            self.xdotool("windowmove", self.window, "0", "0")
            wait_until(5, lambda: "Position: 0,0" in self.geometry(), "the window at 0,0")
            size = re.search(r"Geometry: (\d+)x(\d+)", self.geometry())
            self.size = (int(size.group(1)), int(size.group(2)))
            # Until the game draws again, what was off screen may still be black.
            wait_until(window_s, self.corners_drawn, "a frame drawn after moving the window")
            # The first frame lights the road with GL's initial normal, each later one with the
            # normal the frame before left: the title screen is the picture that then stays.
            wait_until(window_s, self.steady, "the same picture twice in a row")
        except Failure as e:
            self.close()
            raise Failure("%s: %s" % (e, self.output()))

    def xdotool(self, *args):
        """Runs xdotool with ARGS; returns its output. Its complaints about the focus in a server
        without a window manager are noise."""
        try:
            return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                                  timeout=30).stdout
        except subprocess.TimeoutExpired:
            return ""

    def geometry(self): return self.xdotool("getwindowgeometry", self.window)

    def shot(self):
        """What the screen shows at the window's place and size."""
        grab = ImageGrab.grab((0, 0, *self.size), xdisplay=self.env["DISPLAY"])
        self.last = Shot(np.asarray(grab))
        return self.last

    def keep(self, name):
        self.last.save(os.path.join(self.artefacts, name + ".png"))

    def corners_drawn(self):
        return bool(self.shot().rgb[[0, 0, -1, -1], [0, -1, 0, -1]].any(axis=1).all())

    def steady(self):
        """A shot a quarter of a second after the last is the same picture."""
        before = self.last.rgb
        time.sleep(0.25)
        return np.array_equal(before, self.shot().rgb)

    def click(self, x, y):
        self.xdotool("mousemove", "--window", self.window, str(x - 1), str(y),
                     "mousemove", "--window", self.window, str(x), str(y), "click", "1")

    def key(self, name, action="key"): self.xdotool(action, "--window", self.window, name)
    def key_down(self, name): self.key(name, "keydown")
    def key_up(self, name): self.key(name, "keyup")

    def tap(self, name, seconds):
        """Holds key NAME for SECONDS, timed by xdotool itself."""
        self.xdotool("keydown", "--window", self.window, name, "sleep", str(seconds),
                     "keyup", "--window", self.window, name)

    def resize(self, w, h):
        self.xdotool("windowsize", self.window, str(w), str(h))
        size = "%dx%d" % (w, h)
        wait_until(5, lambda: "Geometry: " + size in self.geometry(), "a window of " + size)
        self.size = (w, h)

    def running(self): return self.process.poll() is None

    def quit(self, seconds=10):
        """Escape ends the game with status 0."""
        self.key("Escape")
        try:
            status = self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            raise Failure("the game did not exit on Escape")
        check(status == 0, "exit status %d on Escape: %s" % (status, self.output()))
        log("game exited with status 0")

    def output(self):
        if not self.log.closed:
            self.log.flush()
        return pathlib.Path(self.log.name).read_bytes()[-2000:].decode(errors="replace")

    def close(self):
        end_process(self.process, 5)
        self.log.close()


if __name__ == "__main__":   # desktop.py CMD...: runs CMD under a private Xvfb
    with Xvfb() as xvfb:
        sys.exit(subprocess.run(sys.argv[1:], env=dict(os.environ, **xvfb.env)).returncode)
