"""conftest.py: the options and fixtures every end-to-end test shares.

  --game EXE        the Linux game (default build/main/src/app/velkarovantine)
  --wine EXE        the Windows game, played under Wine too when given (tests/windows/wine-run.sh)
  --site DIR        the browser build's site (default build/web/site)
  --artefacts DIR   where failures keep their shots (default build/e2e-artefacts), one folder
                    a test; the desktop game's shots for the browsers go to DIR/desktop
  --update-golden   shots become the reference shots in golden/ instead of being held to them

Tests of a class marked `in_order` share a fixture and run in order; after a failure the rest of
the class is skipped, as it would only report the same fault again. A failing test keeps a shot
of what its player (the desktop game or the page) shows as failure.png.
"""
import os
import re

import pytest

import screens
from desktop import Game, Xvfb
from site_server import Site, glut_codes

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))


def pytest_addoption(parser):
    add = parser.addoption
    add("--game", default=os.path.join(ROOT, "build/main/src/app/velkarovantine"))
    add("--wine", default=None)
    add("--site", default=os.path.join(ROOT, "build/web/site"))
    add("--artefacts", default=os.path.join(ROOT, "build/e2e-artefacts"))
    add("--update-golden", action="store_true")


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    report = (yield).get_result()
    if report.failed and call.when != "teardown":
        if item.get_closest_marker("in_order"):
            item.parent.__dict__.setdefault("failed", {})[_param(item)] = item.name
        for player in item.funcargs.values():
            try:
                player.shot().save(os.path.join(_artefacts(item), "failure.png"))
            except Exception:   # not a player, or the player is what broke
                pass


def pytest_runtest_setup(item):
    failed = item.parent.__dict__.get("failed", {}).get(_param(item))
    if failed and item.get_closest_marker("in_order"):
        pytest.skip("after the failure of " + failed)


def _param(item): return getattr(getattr(item, "callspec", None), "id", "")


def _artefacts(item):
    folder = os.path.join(item.config.getoption("artefacts"), re.sub(r"[^\w.-]+", "_", item.name))
    os.makedirs(folder, exist_ok=True)
    return folder


@pytest.fixture
def art(request): return _artefacts(request.node)


@pytest.fixture(scope="session")
def update_golden(pytestconfig): return pytestconfig.getoption("update_golden")


@pytest.fixture(scope="session")
def display():
    """The X server Firefox and WebKit share. Never the desktop game's: once they have used it,
    the game draws its lit surfaces a little otherwise there (up to 62/255 off its references)."""
    with Xvfb() as server:
        yield server.env


@pytest.fixture(scope="session")
def glut(pytestconfig): return glut_codes(pytestconfig.getoption("site"))


@pytest.fixture(scope="session")
def site(pytestconfig):
    with Site(pytestconfig.getoption("site")) as served:
        yield served


@pytest.fixture(params=["linux", "wine"])
def game(request, art):
    """The desktop game of each platform at its title screen: the Linux build and, given --wine,
    the Windows one."""
    if request.param == "wine":   # Wine starts its services with the first program
        exe = request.config.getoption("wine") or pytest.skip("no --wine EXE given")
        argv, window_s = [os.path.join(ROOT, "tests/windows/wine-run.sh"), exe], 60
    else:
        argv, window_s = [request.config.getoption("game")], 15
    with Xvfb() as xvfb, Game(argv, xvfb, art, window_s=window_s) as game:
        game.wait_shot(30, "menu_shown", "the title screen")
        yield game


@pytest.fixture(scope="session")
def desktop_shots(pytestconfig):
    """The Linux game's shots of the fixed script (Player.reach) every browser plays, and of
    title2 at each RESIZED size (title2-WxH); kept in the artefacts' folder desktop/."""
    folder = os.path.join(pytestconfig.getoption("artefacts"), "desktop")
    with Xvfb() as xvfb, Game([pytestconfig.getoption("game")], xvfb, folder) as game:
        shots = {step: game.reach(step) for step in game.STEPS}
        for width, height in screens.RESIZED:
            game.resize(width, height)
            name = "title2-%dx%d" % (width, height)
            shots[name] = game.wait_shot(10, "menu_shown", "the title screen, " + name)
        game.quit()
    for name, shot in shots.items():
        shot.save(os.path.join(folder, name + ".png"))
    return shots
