#!/usr/bin/python3
"""valgrind.py EXE ARTEFACTS [full]: the real game under valgrind's memcheck in Xvfb. A scripted
session: title screen, "Start Game", held keys, resizes, then Escape. With "full" the race is also
left to crash, restarted with "Restart" and driven again before Escape (several minutes, since
llvmpipe under valgrind draws a frame every second or so). The window is shrunk to 480 x 440 (the
smallest at which the screen checks still hold) to keep the software rasteriser's share down.

Passes when the game exits with status 0 (valgrind's --error-exitcode turns any unsuppressed
error or definite leak into 99), the log holds no invalid read or write, and no definitely lost
block was allocated by the game's own code. gl-driver.supp suppresses reports of the GL driver,
the loader and GLUT internals; every function it names is checked not to be the game's. The log
goes to ARTEFACTS/load-valgrind/memcheck.log. VALGRIND_EXTRA adds options to valgrind's."""
import os
import re
import subprocess
import sys
import time

from loadlib import HERE, Run, check, wait_until

SUPP, W, H = os.path.join(HERE, "gl-driver.supp"), 480, 440
ALLOCATORS = re.compile(
    r"(malloc|calloc|realloc|memalign|posix_memalign|aligned_alloc|operator new.*)$")


def own_functions(exe):
    symbols = subprocess.run(["nm", "--defined-only", "-C", exe], capture_output=True, text=True,
                             check=True).stdout
    return {line.split(" ", 2)[2].split("(")[0] for line in symbols.splitlines()
            if line.split(" ")[1:2] in (["T"], ["t"], ["W"], ["w"])}


def leaks(log, own):
    """(the game's, other) definitely lost blocks: a leak is the game's when the first frame past
    the allocator is one of its functions."""
    game = other = 0
    for record in re.findall(r"definitely lost in loss record.*?\n((?:==\d+== +\S.*\n)+)", log):
        frames = [re.sub(r"\(.*", "", f)
                  for f in re.findall(r" (?:at|by) 0x\w+: (.*?)(?: \(|$)", record, re.M)]
        first = next((f for f in frames if not ALLOCATORS.match(f)), None)
        game, other = game + (first in own), other + (first not in own)
    return game, other


def tap_each(game, *keys):
    """Holds each key for a second, one after the other: slow enough for a game under valgrind."""
    for key in keys:
        game.key_down(key)
        time.sleep(1)
        game.key_up(key)


def main(exe, artefacts, full=""):
    own = own_functions(exe)
    with open(SUPP) as f:
        clash = own & set(re.findall(r"^\s*fun:(.*)$", f.read(), re.M))
    check(not clash, "gl-driver.supp names the game's own functions: %s" % clash)
    with Run("load-valgrind", artefacts, "1280x1024x24") as run:
        log_path = os.path.join(run.art, "memcheck.log")
        game = run.start(["valgrind", "--tool=memcheck", "--leak-check=full",
                          "--show-leak-kinds=definite", "--errors-for-leak-kinds=definite",
                          "--keep-debuginfo=yes", "--num-callers=40", "--error-exitcode=99",
                          "--suppressions=" + SUPP, "--log-file=" + log_path,
                          *os.environ.get("VALGRIND_EXTRA", "").split(), exe],
                         {"LP_NUM_THREADS": "0"}, window_s=600)
        game.resize(W, H)
        # freeglut maps the window from its main loop, which valgrind takes a while to reach.
        wait_until(600, lambda: game.xdotool("search", "--onlyvisible", "--name",
                                             "^Velkarovantine$"), "the window mapped", poll=1)
        game.wait_shot(600, "menu_shown", "the title screen", poll=1)
        game.click(W // 2, H // 2)   # "Start Game"
        game.wait_shot(300, "race_shown", "a race after Start Game", poll=1)
        game.keep("race")
        tap_each(game, "a", "Left", "w", "Up")
        game.resize(320, 240)
        game.resize(W, H)
        if full == "full":
            game.wait_shot(900, "crash_shown", "a crash", poll=1)
            game.keep("crash")
            game.click(W // 2, H // 2)   # "Restart"
            game.wait_shot(300, "race_shown", "a race after Restart", poll=1)
            tap_each(game, "d", "Right", "s", "Down")
        game.quit(900)
        with open(log_path) as f:
            log = f.read()
        for line in re.findall(r"^==\d+== +(.*(?:ERROR SUMMARY|definitely lost:|suppressed:).*)$",
                               log, re.M):
            print("    " + line)
        check(not re.search(r"Invalid (read|write)", log),
              "invalid reads or writes: see " + log_path)
        game_leaks, other_leaks = leaks(log, own)
        run.log("definitely lost blocks: %d allocated by the game, %d by libraries (unsuppressed)"
                % (game_leaks, other_leaks))
        check(game_leaks == 0, "the game's own code leaks: see " + log_path)


if __name__ == "__main__":
    main(*sys.argv[1:])
