#!/usr/bin/python3
"""touch_latency.py SITE [SAMPLES]: how soon a touch on an on-screen key reaches the game, in
headless Chromium emulating a landscape phone (844 x 390 CSS px, ratio 3, real touch events).
Prints figures and asserts nothing; touch_latency(site, samples) is for other benchmarks too.

Each sample presses "Brake" during a race (a tap on the window's centre first restarts a crashed
race; during a race the game ignores it). Listeners on the window time the touch from the event's
timeStamp to the moment the key's press had been delivered to the game (the bubbling listener
runs once the layer's call into the game has returned), and from there to the next simulation
step (polled with zero-delay timeouts, so to within a few ms). The press acts in that next step
when it was delivered during the event itself, before any further step ran.
"""
import os
import random
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from test_phone import Phone  # noqa: E402
from screens import log  # noqa: E402
from site_server import Site, glut_codes  # noqa: E402

# The capturing listener runs before the page's, the bubbling one after them; both only for
# touches on an on-screen key. The step count after the delivery is polled until it grows.
PROBE = """
window.velkTouchSamples = [];
let start = null;
addEventListener('pointerdown', e => {
  start = e.target.closest('[data-glut-special]') &&
      {t: e.timeStamp, ticks: velkStats().ticks, count: velkInput().count};
}, true);
addEventListener('pointerdown', e => {
  if (!start) return;
  const delivered = performance.now(), ticks = velkStats().ticks, input = velkInput();
  const sample = {delivered: delivered - start.t, sameStep: ticks === start.ticks,
                  heard: input.events.slice(input.events.length - (input.count - start.count))};
  velkTouchSamples.push(sample);
  (function next() {
    if (velkStats().ticks > ticks) sample.nextStep = performance.now() - delivered;
    else setTimeout(next, 0);
  })();
});
"""


def figures(values):
    values = sorted(values)
    return "median %.2f, mean %.2f, 90th %.2f, max %.2f ms" % (
        statistics.median(values), statistics.mean(values),
        values[int(0.9 * (len(values) - 1))], values[-1])


def touch_latency(site, samples=40):
    """Touches "Brake" SAMPLES times; prints and returns the figures (ms)."""
    p = Phone(844, 390, "landscapePrimary")
    try:
        p.goto(site.url("index.html"))
        p.wait_shot(20, "menu_shown", "the title screen")
        p.js(PROBE)
        brake = p.centre("Brake")
        for _ in range(samples):
            p.tap((422, 195))   # "Start Game" or "Restart"; nothing during a race
            time.sleep(random.uniform(0.03, 0.1))
            p.down(1, brake)
            time.sleep(random.uniform(0.05, 0.15))
            p.up(1)
        time.sleep(0.1)
        got = p.js("return velkTouchSamples")
    finally:
        p.close()
    glut = glut_codes(site.folder)
    heard_once = [s for s in got if [(e["kind"], e["code"], e["state"]) for e in s["heard"]]
                  == [("special", glut.KEY_DOWN, glut.DOWN)]]
    in_time = [s for s in heard_once if s["sameStep"] and "nextStep" in s]
    result = {"samples": len(got), "delivered_ms": [s["delivered"] for s in got],
              "next_step_ms": [s["nextStep"] for s in in_time],
              "acted_next_step": len(in_time)}
    log("touch latency over %d touches of Brake, phone emulation in headless Chromium:" % len(got))
    log("  touch event to the press delivered to the game: " + figures(result["delivered_ms"]))
    log("  delivered as the one press of GLUT's down arrow during the event, before any further"
        " step: %d of %d" % (len(in_time), len(got)))
    if in_time:
        log("  delivery to the next simulation step, which acts on it: "
            + figures(result["next_step_ms"]))
    return result


if __name__ == "__main__":
    site = Site(sys.argv[1])
    try:
        touch_latency(site, int(sys.argv[2]) if len(sys.argv) > 2 else 40)
    finally:
        site.close()
