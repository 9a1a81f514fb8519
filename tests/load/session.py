#!/usr/bin/python3
"""session.py EXE ARTEFACTS [SECONDS] [RESIZES]: the real game under load in a 1920 x 1200 Xvfb.
A race session of SECONDS (default 120) driven by random bursts of key presses and releases,
restarted with "Restart" after every crash, with RESIZES (default 100) window resizes between
1 x 1 and 1920 x 1080 in two storms during the first half. Checks that the game stays alive,
keeps drawing after every burst and storm (frames counted by the LD_PRELOAD swap counter),
changes its picture while racing, answers every Restart and ends with status 0 on Escape; and
that its resident memory, sampled every 5 s, does not grow in the second half (or after the
storms, if later): no sample there exceeds the first one by RSS_SLACK_KIB (default 4096).
RSS samples, the swap counter's log and a few screenshots go to ARTEFACTS/load-session/.
LOAD_SEED repeats a run's storm sizes and key choices."""
import os
import random
import sys
import time

from loadlib import Run, check, counted, new_frames, rss_kib

KEYS = "w a s d i j k l Left Right Up Down".split()
STORMS, SAMPLE_EVERY = 2, 5


class Session:
    def __init__(self, run, seconds, resizes, rng):
        self.run, self.seconds, self.resizes, self.rng = run, seconds, resizes, rng
        self.swaps = os.path.join(run.art, "swaps.log")
        self.game = run.start([EXE], {"VELK_SWAP_LOG": self.swaps, "VELK_SWAP_EVERY": "1",
                                      "LD_PRELOAD": run.shim})
        self.held, self.rss, self.t0, self.storms_end = set(), [], time.monotonic(), 0
        self.bursts = self.restarts = self.race_shots = self.changed = self.resized = 0
        # One storm's sizes, the same for every storm so that each leaves memory in a comparable
        # state: 1 x 1 and 1920 x 1080 first, then random sizes.
        self.storm_sizes = [(1, 1), (1920, 1080)] + [
            (1 + rng.randrange(1920), 1 + rng.randrange(1080))
            for _ in range(2, (resizes + STORMS - 1) // STORMS)]

    def elapsed(self): return time.monotonic() - self.t0

    def drawing(self, after):
        """The game lives and new frames keep coming after an input: two more swaps (the first
        may have been under way)."""
        check(self.game.running(), "the game died: " + self.game.output())
        check(new_frames(2, self.swaps), "no new frame after " + after)

    def sample_rss(self): self.rss.append((self.elapsed(), rss_kib(self.game.process.pid)))

    def burst(self):
        """Random presses and releases of the driving keys, a few ms to 150 ms apart."""
        for _ in range(4 + self.rng.randrange(9)):
            key = self.rng.choice(KEYS)
            (self.game.key_up if key in self.held else self.game.key_down)(key)
            self.held ^= {key}
            time.sleep(self.rng.randrange(150) / 1000)
        self.bursts += 1
        self.drawing("key burst %d" % self.bursts)

    def storm(self, n):
        """The first N sizes of the storm list, each answered by a reshape and a new frame before
        the next one; then back to 800 x 600."""
        reshapes = counted("reshapes", self.swaps)
        for size in self.storm_sizes[:n] + [(800, 600)]:
            self.game.resize(*size)
            self.drawing("a resize to %dx%d" % size)
        self.resized += n
        reshapes = counted("reshapes", self.swaps) - reshapes
        check(reshapes >= n + 1, "%d reshapes for %d resizes" % (reshapes, n + 1))
        self.run.log("storm of %d resizes answered by %d reshapes (%d so far)"
                     % (n, reshapes, self.resized))
        self.sample_rss()
        self.storms_end = self.rss[-1][0]

    def look(self):
        """Restarts after a crash; during a race, a second shot 0.2 s later must differ."""
        shot = self.game.shot()
        if shot.buttons_shown() and shot.crash_text():
            self.game.click(400, 300)   # "Restart"
            self.game.wait_shot(5, "race_shown", "a race after Restart")
            self.restarts += 1
        elif shot.buttons_gone() and shot.top_left_text():
            if self.race_shots % 10 == 0:
                self.game.keep("race-%d" % self.race_shots)
            self.race_shots += 1
            time.sleep(0.2)
            self.changed += bool((self.game.shot().rgb != shot.rgb).any())

    def late(self):
        """RSS samples from the second half on (or from the end of the storms, if later)."""
        return [kib for t, kib in self.rss if t >= max(self.seconds / 2, self.storms_end)]

    def play(self):
        self.game.wait_shot(15, "menu_shown", "the title screen")
        self.game.keep("title")
        self.t0 = time.monotonic()
        self.game.click(400, 300)   # "Start Game"
        self.game.wait_shot(5, "race_shown", "a race after Start Game")
        gap = self.seconds / 2 / (STORMS + 1)
        next_sample, next_storm = 0, gap
        while self.elapsed() < self.seconds or self.resized < self.resizes:
            if self.elapsed() >= next_sample:
                self.sample_rss()
                next_sample = self.elapsed() + SAMPLE_EVERY
            if self.elapsed() >= next_storm and self.resized < self.resizes:
                self.storm(min(self.resizes - self.resized, len(self.storm_sizes)))
                next_storm += gap
            self.burst()
            self.look()
        for key in self.held:
            self.game.key_up(key)
        if self.restarts == 0:   # no crash yet: with no key held the car meets the next obstacle
            self.game.wait_shot(60, "crash_shown", "the race to end", poll=0.5)
            self.look()
        for _ in range(2):   # a loaded machine may spend the session in storms: see one race
            if self.race_shots == 0:
                self.look()
        self.sample_rss()
        while len(self.late()) < 3:   # a slow machine may end soon after the storms
            time.sleep(SAMPLE_EVERY)
            self.sample_rss()

    def verdict(self):
        self.run.log("%d key bursts, %d resizes, %d restarts answered, %d of %d race screenshots "
                     "differed from one 0.2 s later" % (self.bursts, self.resized, self.restarts,
                                                        self.changed, self.race_shots))
        check(self.resized >= self.resizes, "only %d resizes" % self.resized)
        check(self.restarts >= 1, "no crash was restarted")
        check(self.race_shots >= 1 and self.changed == self.race_shots,
              "the race picture stood still")
        with open(os.path.join(self.run.art, "rss.txt"), "w") as f:
            f.writelines("%.0f %d\n" % sample for sample in self.rss)
        late, slack = self.late(), int(os.environ.get("RSS_SLACK_KIB", 4096))
        self.run.log("RSS from the second half on: first %d KiB, peak %d KiB (%d samples)"
                     % (late[0], max(late), len(late)))
        check(max(late) <= late[0] + slack, "resident memory grew")


if __name__ == "__main__":
    EXE, ARTEFACTS = sys.argv[1:3]
    seed = int(os.environ.get("LOAD_SEED", os.getpid()))
    with Run("load-session", ARTEFACTS) as run:
        run.log("random seed %d (LOAD_SEED=%d repeats the storm sizes and key choices)"
                % (seed, seed))
        session = Session(run, float(sys.argv[3]) if len(sys.argv) > 3 else 120,
                          int(sys.argv[4]) if len(sys.argv) > 4 else 100, random.Random(seed))
        session.play()
        session.verdict()
        session.game.quit()
