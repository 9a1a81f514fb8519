"""desktop.py: the real game in a private X server (Xvfb, Mesa llvmpipe), on Linux or under Wine.

  Xvfb(screen)                 a server on a display it picks itself; env is {"DISPLAY": ...}
  Game(argv, xvfb, art, env)   starts ARGV (its output in ART/game.log), finds its window, moves it
                               to 0,0 (no window manager leaves it at -1,-1, a pixel off every
                               shot) and waits for its first frame; then shot(), keep(name),
                               click, keys (xdotool's names), resize, expect_exit
  shoot(window, env)           the one way to shoot a window: xwd's dump read with numpy
Both close() and work in a with statement.

As a program, for the package and Windows stages, the docs and the glyph test:
  desktop.py title ARTEFACTS [--golden] CMD...
                     the game CMD starts shows its title screen (with --golden, golden/title.png)
                     under the sky, and Escape ends it with status 0; E2E_WINDOW_S: how long its
                     window may take (default 15 s)
  desktop.py screenshots FOLDER CMD...   the title, a race and the crash screen for the README
  desktop.py xvfb CMD...                 runs CMD under a private Xvfb
"""
import os
import select
import struct
import subprocess
import sys

import numpy as np

from screens import OBSTACLE, Closing, Failure, Player, Shot, check, desktop_golden, log, wait_until


class Xvfb(Closing):
    def __init__(self, screen="1280x1024x24"):
        read, write = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", screen,
                                         "-nolisten", "tcp"], pass_fds=(write,),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            number = f.readline().strip() if select.select([f], [], [], 10)[0] else ""
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


def shoot(window, env):
    """WINDOW's picture, from the xwd dump of a TrueColor window; None when it is gone."""
    data = subprocess.run(["xwd", "-id", window, "-silent"], env=env, capture_output=True).stdout
    if not data:
        return None
    size, _, _, _, w, h, _, order, _, _, _, bits, line, _, *masks = struct.unpack(">17I", data[:68])
    # 4 bytes a pixel on Xvfb's 24-bit screen; Wine's window may come as 3 bytes a pixel.
    raw = np.frombuffer(data, np.uint8, h * line, size + 12 * struct.unpack(">I", data[76:80])[0])
    raw = raw.reshape(h, line)[:, :w * (bits // 8)].reshape(h, w, bits // 8).astype(np.uint32)
    shifts = 8 * np.arange(bits // 8, dtype=np.uint32)
    words = (raw << (shifts if order == 0 else shifts[::-1])).sum(axis=2, dtype=np.uint32)
    return Shot(np.stack([(words & m) >> (m.bit_length() - 8) for m in masks], axis=2))


class Game(Player, Closing):
    def __init__(self, argv, xvfb, artefacts, extra_env=None, window_s=15):
        os.makedirs(artefacts, exist_ok=True)
        self.artefacts, self.last, self.window = artefacts, None, None
        self.log = open(os.path.join(artefacts, "game.log"), "ab")
        self.env = dict(os.environ, **xvfb.env)
        self.process = subprocess.Popen(argv, env=dict(self.env, **(extra_env or {})),
                                        stdout=self.log, stderr=subprocess.STDOUT)
        try:
            # Only a mapped window can be shot; Wine names its window before it maps it.
            found = self.xdotool("search", "--sync", "--onlyvisible", "--name", "^Velkarovantine$",
                                 timeout=window_s)
            check(found, "no window titled Velkarovantine")
            self.window = found.split()[0]
            self.xdotool("windowmove", "%window", "0", "0")
            wait_until(5, lambda: "Position: 0,0" in self.geometry(), "the window at 0,0")
            # Until the game draws again, what was off screen may still be black.
            wait_until(window_s, self.corners_drawn, "a frame drawn after moving the window")
        except Failure as e:
            self.close()
            raise Failure("%s: %s" % (e, self.output()))

    def xdotool(self, *args, timeout=None):
        """Runs xdotool with ARGS, %window standing for the game's window; returns its output.
        Its complaints about the focus in a server without a window manager are noise."""
        try:
            args = [self.window if a == "%window" else a for a in args]
            return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                                  timeout=timeout).stdout
        except subprocess.TimeoutExpired:
            return ""

    def geometry(self): return self.xdotool("getwindowgeometry", "%window")

    def shot(self):
        self.last = shoot(self.window, self.env) or self.last
        check(self.last is not None, "no shot of the window")
        return self.last

    def keep(self, name):
        """Keeps the last shot as NAME.png in the artefacts."""
        self.last.save(os.path.join(self.artefacts, name + ".png"))

    def corners_drawn(self):
        shot = shoot(self.window, self.env)
        return shot is not None and bool(shot.rgb[[0, 0, -1, -1], [0, -1, 0, -1]].any(axis=1).all())

    def click(self, x, y):
        self.xdotool("mousemove", "--window", "%window", str(x - 1), str(y),
                     "mousemove", "--window", "%window", str(x), str(y), "click", "1")

    def key(self, name, action="key"): self.xdotool(action, "--window", "%window", name)
    def key_down(self, name): self.key(name, "keydown")
    def key_up(self, name): self.key(name, "keyup")

    def tap(self, name, seconds):
        """Holds key NAME for SECONDS, timed by xdotool itself."""
        self.xdotool("keydown", "--window", "%window", name, "sleep", str(seconds),
                     "keyup", "--window", "%window", name)

    def resize(self, w, h):
        self.xdotool("windowsize", "%window", str(w), str(h))
        size = "%dx%d" % (w, h)
        wait_until(5, lambda: "Geometry: " + size in self.geometry(), "a window of " + size)

    def running(self): return self.process.poll() is None

    def expect_exit(self, status, seconds):
        try:
            got = self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            raise Failure("the game did not exit")
        check(got == status, "exit status %d, expected %d: %s" % (got, status, self.output()))
        log("game exited with status %d" % got)

    def quit(self, seconds=10):
        """Escape ends the game with status 0."""
        self.key("Escape")
        self.expect_exit(0, seconds)

    def output(self):
        self.log.flush()
        with open(self.log.name, "rb") as f:
            return f.read()[-2000:].decode(errors="replace")

    def close(self):
        end_process(self.process, 5)
        self.log.close()


def title(game, golden=False):
    shot = game.wait_shot(30, "menu_shown", "the title screen")
    check(shot.sky_at_top(), "no sky above the title screen")
    game.keep("title")
    if golden:
        desktop_golden("title", shot, game.artefacts)


def screenshots(game):
    """The title; the first race (always the same course: left alone in the middle lane, the car
    meets an obstacle within seconds) once an obstacle has come close, or in its last frame before
    the crash; the crash."""
    title(game)
    game.click(400, 300)
    game.wait_shot(5, "race_shown", "the race")
    races = []

    def close_or_crashed():
        shot = game.shot()
        if shot.race_shown():
            races[:] = [shot]
            return shot.count(OBSTACLE, 0, 380, 799, 599) >= 400
        return shot.buttons_shown()
    wait_until(60, close_or_crashed, "a close obstacle or a crash")
    check(races, "the race ended before its screenshot")
    races[0].save(os.path.join(game.artefacts, "race.png"))
    game.wait_shot(60, "crash_shown", "the crash")
    game.keep("crash")


if __name__ == "__main__":
    command, args = (sys.argv[1:2] or [""])[0], sys.argv[2:]
    if command in ("title", "screenshots"):
        golden = args[1:2] == ["--golden"]
        with Xvfb() as xvfb, Game(args[1 + golden:], xvfb, args[0],
                                  window_s=float(os.environ.get("E2E_WINDOW_S", 15))) as game:
            title(game, golden) if command == "title" else screenshots(game)
            game.quit(20)
    elif command == "xvfb":
        with Xvfb() as xvfb:
            sys.exit(subprocess.run(args, env=dict(os.environ, **xvfb.env)).returncode)
    else:
        sys.exit(__doc__)
