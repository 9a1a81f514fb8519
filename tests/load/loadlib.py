"""loadlib.py: what the load, valgrind and pacing runs share, on top of the end-to-end suite's
desktop game (tests/e2e/desktop.py): the frame-counting LD_PRELOAD shim and its log, the game's
resident memory, and a run that keeps its shots and logs under ARTEFACTS/NAME."""
import contextlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from desktop import Game, Xvfb  # noqa: E402
from screens import Failure, check, log, wait_until  # noqa: E402,F401 (for the runs)

BIG_SCREEN = "1920x1200x24"   # room for 1920 x 1080


def swap_counter(folder):
    """Compiles the shim (tests/pacing/swap_counter.cpp) into FOLDER; returns its path."""
    out = os.path.join(folder, "libswap_counter.so")
    subprocess.run(["g++", "-std=c++17", "-O2", "-Wall", "-Wextra", "-shared", "-fPIC",
                    os.path.join(HERE, "..", "pacing", "swap_counter.cpp"), "-o", out, "-ldl"],
                   check=True)
    return out


def counted(name, log_path):
    """A count (swaps, steps, reshapes) from the shim's latest line in LOG_PATH, 0 before any."""
    with contextlib.suppress(FileNotFoundError), open(log_path) as f:
        for line in reversed(f.readlines()[-2:]):
            found = re.search(r" %s=(\d+)" % name, line)
            if found:
                return int(found.group(1))
    return 0


def new_frames(n, log_path):
    """True once the game has swapped N more frames, within 5 s."""
    goal = counted("swaps", log_path) + n
    try:
        return wait_until(5, lambda: counted("swaps", log_path) >= goal, "frames", poll=0.01)
    except Failure:
        return False


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"^VmRSS:\s+(\d+)", f.read(), re.M).group(1))


class Run:
    """A private Xvfb of SCREEN, a scratch folder with the shim built in it (shim), and the folder
    ARTEFACTS/NAME made afresh (art); start() starts the game in it. Used in a with statement,
    it logs the verdict, keeps the game's last picture as failure.png on a failure, and ends the
    game and the server whatever happened."""

    def __init__(self, name, artefacts, screen=BIG_SCREEN):
        self.name, self.art, self.game = name, os.path.join(artefacts, name), None
        shutil.rmtree(self.art, ignore_errors=True)
        os.makedirs(self.art)
        self.scratch, self.xvfb, self.t0 = tempfile.mkdtemp(), Xvfb(screen), time.monotonic()
        self.shim = swap_counter(self.scratch)

    def start(self, argv, env=None, window_s=15):
        self.game = Game(argv, self.xvfb, self.art, env, window_s)
        return self.game

    def log(self, *words): log("[%s %6.1fs]" % (self.name, time.monotonic() - self.t0), *words)

    def __enter__(self): return self

    def __exit__(self, kind, error, trace):
        self.log("passed" if kind is None else "FAIL: %s" % error)
        if kind and self.game and self.game.last:
            self.game.keep("failure")
        if self.game:
            self.game.close()
        self.xvfb.close()
        shutil.rmtree(self.scratch)
