"""The desktop game in its window, on each platform (`launch`): the title and the first crash are
the reference pictures to the pixel; a player's session through every screen, judged by what the
window shows; each screen quits with status 0."""
from screens import check, desktop_golden, log, wait_until


def test_title_is_the_reference_picture(launch, art, update_golden):
    """The first title screen in its 800 x 600 window is golden/title.png (sky, road, trees, the
    car and no obstacle yet, title, buttons, help lines); Escape then ends the game with 0."""
    game = launch()
    shot = game.wait_shot(15, "menu_shown", "the title screen")
    desktop_golden("title", shot, art, update_golden)
    game.quit()


def test_each_screen_quits(launch, art, update_golden):
    """"Quit" on the title, Escape in a race and on the crash screen each end a fresh game with 0;
    the first race, its car left alone in the middle lane, crashes into golden/crash.png."""
    for finish in ("Quit", "race", "crash"):
        game = launch()
        game.wait_shot(15, "menu_shown", "the title screen")
        if finish == "Quit":
            game.click(400, 240)
        elif finish == "race":
            game.click(400, 300)
            game.wait_shot(10, "race_shown", "a race after Start Game")
        else:
            desktop_golden("crash", game.race_to_crash(400, 300), art, update_golden)
        game.quit()


class Car:
    """Where the car is on screen, frame by frame."""

    def __init__(self, game): self.game, self.frame = game, None

    def x(self): return self.game.last.car_at()[0]

    def frames(self, n):
        """Waits for N new frames, so at least N racing steps: every racing frame is new."""
        for _ in range(n):
            wait_until(5, self.new_frame, "a new frame")

    def new_frame(self):
        old, self.frame = self.frame, self.game.shot().rgb
        return old is None or (old != self.frame).any()

    def tap_stops(self, key, side):
        """A short press of KEY moves the car a little towards SIDE (1 right, -1 left), again if
        the game was too busy to see it; let go, it stays mid-road, short of its limit (~110 px)."""
        middle = self.game.last.w / 2
        for attempt in range(3):
            self.game.tap(key, 0.15)
            self.frames(3)
            x0 = self.x()
            if (x0 - middle) * side > 3:
                break
        self.frames(10)
        x1 = self.x()
        log("tapped %s (%d): the car moved to screen x %.0f, then %.0f" % (key, attempt, x0, x1))
        check(3 < (x0 - middle) * side < 80 and abs(x1 - x0) <= 1,
              "the car did not stop mid-road when %s was let go" % key)

    def steer_and_crash(self, key, side):
        """Holds KEY (and accelerates) until the car stands at its lateral limit, then lets the race
        run on until it crashes."""
        self.game.key_down("w")
        self.game.key_down(key)
        seen = [-1]

        def at_limit():
            shot = self.game.shot()
            seen[:] = [shot.car_at()[0], seen[0]]
            return shot.crash_shown() or (seen[0] >= 0 and (seen[0] - shot.w / 2) * side > 90
                                          and abs(seen[0] - seen[1]) <= 1)
        wait_until(20, at_limit, "the car at its lateral limit (x %s)" % seen)
        self.game.key_up(key)
        log("released %s with the car at screen x %.0f; waiting for a crash" % (key, seen[0]))
        self.game.wait_shot(120, "crash_shown", "a crash", poll=0.5)
        self.game.key_up("w")


def test_player_session(launch):
    """Title -> race -> crash -> restart -> crash -> title -> resized race, with the pointer and
    the keys, each step judged by what the window shows."""
    game = launch()
    car = Car(game)
    game.wait_shot(15, "menu_shown", "the title screen")
    game.click(400, 300)   # "Start Game"
    x, y = game.wait_shot(10, "race_shown", "a race after Start Game").car_at()
    game.keep("race")
    # The chase camera shows the car from close behind, low in the frame.
    check(y > 390, "no chase view of the car (car at screen y %.0f)" % y)
    car.tap_stops("d", 1)   # the fixed first course brings no crash before this is done
    car.steer_and_crash("d", 1)
    game.keep("crash")
    game.click(400, 300)   # "Restart"
    game.wait_shot(10, "race_shown", "a race after Restart")
    car.steer_and_crash("Left", -1)
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
        car.frame = game.last.rgb
        wait_until(10, car.new_frame, "the race drawing on after the resize")
    game.quit()
