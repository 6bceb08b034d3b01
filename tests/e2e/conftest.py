"""Fixtures of the end-to-end suite: the session's Wine prefix and X screens, a fresh copy of
updater.exe per test, and the probe.

A test that needs another screen size than 1920 x 1080 parametrizes the `screen` fixture:
    @pytest.mark.parametrize("screen", [(1366, 768)])
"""

import shutil
import subprocess

import pytest

import servers
import wine


def _screen_of(item) -> tuple[int, int]:
    callspec = getattr(item, "callspec", None)
    return callspec.params.get("screen", wine.DEFAULT_SCREEN) if callspec else wine.DEFAULT_SCREEN


def pytest_collection_modifyitems(items):
    # Each change of screen restarts the wineserver, so tests of one size run together.
    items.sort(key=lambda item: (_screen_of(item) != wine.DEFAULT_SCREEN, _screen_of(item)))


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    # A failed test leaves a picture of the screen beside its updater copies.
    outcome = yield
    report = outcome.get_result()
    session = item.funcargs.get("wine_env") if hasattr(item, "funcargs") else None
    if report.failed and session is not None:
        path = wine.run_directory(item.name) / f"failed-{report.when}.png"
        try:
            report.sections.append(("screenshot", str(wine.screenshot(session.display, path))))
        except (OSError, subprocess.SubprocessError) as error:
            report.sections.append(("screenshot", f"none: {error}"))


def pytest_terminal_summary(terminalreporter):
    for what, seconds in wine.timings.items():
        terminalreporter.write_line(f"e2e: {what} took {seconds:.1f} s")


@pytest.fixture(scope="session")
def screens():
    pool = wine.Screens()
    yield pool
    pool.stop_all()


@pytest.fixture(scope="session")
def wine_session(screens):
    for needed in (wine.UPDATER_EXE, wine.PROBE_EXE, wine.MKTOKEN):
        if not needed.exists():
            pytest.fail(f"{needed} is missing: run make build first", pytrace=False)
    session = wine.WineSession(wine.E2E_DIR / "wineprefix", screens.display(wine.DEFAULT_SCREEN))
    session.create_prefix()
    session.warm_up()
    yield session
    session.stop_server()


@pytest.fixture
def screen():
    return wine.DEFAULT_SCREEN


@pytest.fixture
def wine_env(wine_session, screens, screen):
    """The session, on a display of the test's screen size, with no updater left behind."""
    display = screens.display(tuple(screen))
    if display != wine_session.display:
        wine_session.use_display(display)
        wine_session.warm_up()
    yield wine_session
    wine.end_updaters(wine_session)


@pytest.fixture
def probe(wine_env):
    return wine.Probe(wine_env)


@pytest.fixture
def install(wine_env, request):
    """Makes fresh copies of updater.exe: install(folder) -> UpdaterInstall."""
    base = wine.run_directory(request.node.name)
    shutil.rmtree(base, ignore_errors=True)
    installs = []

    def make(folder: str = "updater") -> wine.UpdaterInstall:
        installs.append(wine.UpdaterInstall(wine_env, base / folder))
        return installs[-1]

    yield make
    for each in installs:
        each.end_all()


@pytest.fixture
def updater(install):
    return install()


@pytest.fixture(scope="session")
def nginx():
    server = servers.Nginx()
    yield server
    server.stop()


@pytest.fixture
def scripted():
    server = servers.ScriptedServer()
    yield server
    server.stop()
