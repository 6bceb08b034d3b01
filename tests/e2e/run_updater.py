#!/usr/bin/python3
"""Starts the updater under Wine with a fresh launch token, the way its host does (`make run`).

On the user's X display it runs until its window is closed. Without a display it runs on a
private Xvfb and is closed after a while. Either way a screenshot is taken once the window shows.
Files put into build/e2e/run/updater/ (such as gx.ini) stay there between runs.
"""

import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import wine  # noqa: E402

RUN_DIR = wine.E2E_DIR / "run"
PRIVATE_DISPLAY_RUN_S = 10


def say(text: str) -> None:
    print(f"run: {text}", flush=True)


def prepare_session(session: wine.WineSession) -> None:
    if (session.prefix / "system.reg").exists():
        session.stop_server()  # whatever an interrupted run left, bound to its old display
        session.start_server()
    else:
        say(f"creating the Wine prefix {session.prefix} (a few seconds)")
        session.create_prefix()
    session.warm_up()


def wait_for_end(run: wine.UpdaterRun, probe: wine.Probe, private_display: bool) -> int:
    if not private_display:
        say("waiting for the updater to end (close its window)")
        return run.process.wait()
    try:
        return run.wait(PRIVATE_DISPLAY_RUN_S)
    except wine.StillRunning:
        say(f"closing the window after {PRIVATE_DISPLAY_RUN_S} s on the private display")
        probe.close()
        return run.wait(10)


def run_updater(session: wine.WineSession, private_display: bool) -> int:
    prepare_session(session)
    install = wine.UpdaterInstall(session, RUN_DIR / "updater")
    run = install.start(wine.make_token())
    probe = wine.Probe(session)
    if probe.window() is None:
        say(f"no window appeared; updater exit code {run.exit_code()}, log {run.log}")
        run.kill()
        return 1
    say(f"screenshot: {wine.screenshot(session.display, RUN_DIR / 'screenshot.png')}")
    say(f"updater exited with code {wait_for_end(run, probe, private_display)}")
    return 0


def main() -> int:
    screens = wine.Screens()
    display = os.environ.get("DISPLAY", "")
    private_display = not display
    if private_display:
        display = screens.display(wine.DEFAULT_SCREEN)
        say(f"no DISPLAY: using a private Xvfb on {display} (1920 x 1080)")
    else:
        say(f"on display {display}")
    session = wine.WineSession(RUN_DIR / "wineprefix", display)
    try:
        return run_updater(session, private_display)
    finally:
        session.stop_server()  # ends every process of the prefix, the updater included
        screens.stop_all()


if __name__ == "__main__":
    sys.exit(main())
