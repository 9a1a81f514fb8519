"""checks.py: the harness's verdicts: timed log lines, checks that fail with what was seen,
bounded waits, and groups of checks that go on after a failure."""
import subprocess
import sys
import time

from selenium.common.exceptions import WebDriverException

# Globals
T0 = time.monotonic()


# Public functions
def log(*words):
    print("[browser %7.2fs] %s" % (time.monotonic() - T0, " ".join(str(w) for w in words)),
          flush=True)


class Failure(Exception):
    """A check of the game failed; the message says what was seen."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(seconds, predicate, what, poll=0.05):
    """Calls PREDICATE until it returns something true; fails with WHAT after SECONDS."""
    end = time.monotonic() + seconds
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out after %g s waiting for %s" % (seconds, what))
        time.sleep(poll)


def run_group(name, function, failures):
    """Runs one group of checks; a failure is logged and counted, and the next group runs."""
    log("--- " + name)
    try:
        function()
        log("ok: " + name)
        return True
    except (Failure, WebDriverException, subprocess.CalledProcessError) as e:
        log("FAIL: %s: %s" % (name, str(e).strip()))
        failures.append(name)
        return False


def main_guard(run):
    """Exit status 0 when RUN returns no failed groups, else 1."""
    failures = run()
    if failures:
        log("failed: " + ", ".join(failures))
        sys.exit(1)
    log("all passed")
