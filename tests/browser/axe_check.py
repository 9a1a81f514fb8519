"""axe_check.py: the page as axe-core (tests/browser/node_modules, pinned in package.json) judges
its accessibility, in whatever engine the test drives."""
import os

from checks import check, log

AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules", "axe-core",
                   "axe.min.js")
# axe-core's own setTimeout: it arms the page's, then takes its delay back out of the delays the
# page's timers are checked by (page_checks.RECORD_DELAYS), which only the game's may fill.
QUIET_TIMEOUT = ("const setTimeout = (...args) => { const id = window.setTimeout(...args);"
                 " if (window.velkDelays) velkDelays.pop(); return id; };\n")


def expect_no_axe_violations(b, where):
    """Every axe-core rule passes on the page B shows. axe-core comes in through the driver, as
    no <script> of the page's policy would load it."""
    with open(AXE, encoding="utf-8") as f:
        b.js("(function () {" + QUIET_TIMEOUT + f.read() + "\n}).call(window); return null;")
    found = b.js("return axe.run(document, {resultTypes: ['violations']}).then(r =>"
                 " r.violations.map(v => v.id + ' (' + v.impact + '): ' +"
                 " v.nodes.map(n => n.target.join(' ')).join(', ')))")
    check(not found, "axe-core %s: %s" % (where, "; ".join(found)))
    log("axe-core %s: no violation" % where)
