#!/usr/bin/python3
"""desktop_screenshots.py FOLDER CMD...: the README's pictures of the real game, which CMD starts
(scripts/screenshots.sh), in a private Xvfb through the end-to-end suite's desktop game: in
FOLDER, title.png; race.png, the first race (always the same course: left alone in the middle
lane, the car meets an obstacle within seconds) once an obstacle has come close, or in its last
frame before the crash; crash.png."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from desktop import Game, Xvfb  # noqa: E402
from screens import OBSTACLE, wait_until  # noqa: E402


def screenshots(game):
    game.wait_shot(30, "menu_shown", "the title screen")
    game.keep("title")
    game.click(400, 300)
    race = game.wait_shot(5, "race_shown", "the race")

    def close_or_crashed():
        nonlocal race
        shot = game.shot()
        if not shot.race_shown():
            return shot.buttons_shown()
        race = shot
        return shot.count(OBSTACLE, 0, 380, 799, 599) >= 400
    wait_until(60, close_or_crashed, "a close obstacle or a crash")
    race.save(os.path.join(game.artefacts, "race.png"))
    game.wait_shot(60, "crash_shown", "the crash")
    game.keep("crash")


if __name__ == "__main__":
    with Xvfb() as xvfb, Game(sys.argv[2:], xvfb, sys.argv[1]) as game:
        screenshots(game)
        game.quit(20)
