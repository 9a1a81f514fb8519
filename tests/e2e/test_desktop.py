"""The desktop game in its window, on each platform (`game`)."""
import pytest

from screens import check, expect_golden, log, wait_until


def test_title_is_the_reference_picture(game, art, update_golden):
    """The first title screen in its 800 x 600 window is golden/title.png (sky, road, trees, the
    car and no obstacle yet, title, buttons, help lines); Escape then ends the game with 0."""
    expect_golden("title", game.last, art, update_golden)
    game.quit()


@pytest.mark.parametrize("screen", ["title", "race", "crash"])
def test_each_screen_quits(game, screen, art, update_golden):
    """"Quit" on the title, Escape in a race and on the crash screen end the game with 0; the
    first race, its car left alone in the middle lane, crashes into golden/crash.png."""
    if screen == "title":
        game.click(400, 240)   # "Quit"
    elif screen == "race":
        game.click(400, 300)   # "Start Game"
        game.wait_shot(10, "race_shown", "a race after Start Game")
    else:
        expect_golden("crash", game.race_to_crash(), art, update_golden)
    game.quit()


def new_frames(game, n, seconds=5):
    """Waits for N frames, each new to the last shot: every racing frame is new, so at least N
    racing steps."""
    for _ in range(n):
        old = game.last.rgb
        wait_until(seconds, lambda: (game.shot().rgb != old).any(), "a new frame")


def tap_stops(game, key, side):
    """A short press of KEY moves the car a little towards SIDE (1 right, -1 left), again if the
    game was too busy to see it; let go, it stays mid-road, short of its limit (~110 px)."""
    middle = game.last.w / 2
    for attempt in range(3):
        game.tap(key, 0.15)
        new_frames(game, 3)
        x0 = game.last.car_at()[0]
        if (x0 - middle) * side > 3:
            break
    new_frames(game, 10)
    x1 = game.last.car_at()[0]
    log("tapped %s (%d): the car moved to screen x %.0f, then %.0f" % (key, attempt, x0, x1))
    check(3 < (x0 - middle) * side < 80 and abs(x1 - x0) <= 1,
          "the car did not stop mid-road when %s was let go" % key)


def steer_and_crash(game, key, side):
    """Holds KEY (and accelerates) until the car stands at its lateral limit, then lets the race
    run on until it crashes."""
    game.key_down("w")
    game.key_down(key)
    seen = [-1]

    def at_limit():
        shot = game.shot()
        seen[:] = [shot.car_at()[0], seen[0]]
        return shot.crash_shown() or (seen[0] >= 0 and (seen[0] - shot.w / 2) * side > 90
                                      and abs(seen[0] - seen[1]) <= 1)
    wait_until(20, at_limit, "the car at its lateral limit (x %s)" % seen)
    game.key_up(key)
    log("released %s with the car at screen x %.0f; waiting for a crash" % (key, seen[0]))
    game.wait_shot(120, "crash_shown", "a crash", poll=0.5)
    game.key_up("w")


def test_player_session(game):
    """Title -> race -> crash -> restart -> crash -> title -> resized race, with the pointer and
    the keys, each step judged by what the window shows."""
    game.click(400, 300)   # "Start Game"
    race = game.wait_shot(10, "race_shown", "a race after Start Game")
    x, y = race.car_at()
    game.keep("race")
    check(race.road_shown(), "no road below the car in the race")
    # The chase camera shows the car from close behind, low in the frame.
    check(y > 390, "no chase view of the car (car at screen y %.0f)" % y)
    tap_stops(game, "d", 1)   # the fixed first course brings no crash before this is done
    steer_and_crash(game, "d", 1)
    game.keep("crash")
    game.click(400, 300)   # "Restart"
    game.wait_shot(10, "race_shown", "a race after Restart")
    steer_and_crash(game, "Left", -1)
    game.click(400, 240)   # "Menu"
    # "Menu" lays out a fresh course, so obstacles now stand on the road behind the buttons.
    obstacles = game.wait_shot(10, "menu_shown", "the title after Menu").course_pixels()
    check(obstacles > 100, "no obstacles behind the title (%d px)" % obstacles)
    game.resize(1024, 768)
    game.wait_shot(10, "menu_shown", "the title screen laid out for 1024x768")
    game.click(512, 384)   # the centre of "Start Game" at 1024 x 768
    game.wait_shot(10, "race_shown", "a race at 1024x768")
    game.resize(200, 1)
    check(game.running(), "the game died at 200x1")
    game.resize(1024, 768)

    def redrawn():   # everything outside the 200 x 1 strip drawn anew, by a race or a crash
        s = game.shot()
        return s.w == 1024 and s.sky_at_top() and (s.buttons_gone() and s.top_left_text() or
                                                   s.crash_shown())
    wait_until(10, redrawn, "a full frame after shrinking to 200x1 and back")
    game.keep("after-resize")
    if not game.last.crash_text():   # still racing, so every new frame shows the world moved on
        new_frames(game, 1, 10)
    game.quit()
