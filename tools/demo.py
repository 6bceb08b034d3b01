#!/usr/bin/env python3
"""make demo: one real update, end to end, in a sandbox under build/demo.

The publisher's side: nginx on 127.0.0.1 serves a manifest written by mkmanifest and the new main
program (version B). The host's side: a folder with updater.exe, the old main program (version A)
and gx.ini, and the updater started under Wine with a fresh token. Without a display (or without
INTERACTIVE=1) it runs under Xvfb and is driven like a person, with real mouse clicks; with a
display and INTERACTIVE=1 the person clicks. Exits non-zero when a step fails.
"""

import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import servers  # noqa: E402
import wine  # noqa: E402

DEMO = ROOT / "build" / "demo"
SANDBOX = DEMO / "sandbox"
SHOTS = DEMO / "screenshots"
PROGRAM = "沐川堂"
OLD, NEW = ROOT / "build" / "win" / "main_program_v1.exe", ROOT / "build" / "win" / "main_program_v2.exe"
PROGRESS, MAIN_BUTTON = 1005, 1008
STEP_TIMEOUT_S = 120
STARTED = time.monotonic()


class DemoFailed(RuntimeError):
    pass


def say(text: str) -> None:
    print(f"[{time.monotonic() - STARTED:6.1f} s] {text}", flush=True)


def control(window: dict, control_id: int) -> dict:
    return next(c for c in window["children"] if c["id"] == control_id)


def wait_until(probe: wine.Probe, what: str, test) -> dict:
    deadline = time.monotonic() + STEP_TIMEOUT_S
    while time.monotonic() < deadline:
        window = probe.window(wait_ms=1000)
        if window and test(window):
            return window
        time.sleep(0.2)
    raise DemoFailed(f"timed out waiting for {what}")


def click(display: str, window: dict, control_id: int) -> None:
    rect = control(window, control_id)["rect"]
    x = window["rect"]["left"] + rect["left"] + rect["width"] // 2
    y = window["rect"]["top"] + rect["top"] + rect["height"] // 2
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "sleep", "0.3", "click", "1"],
                   env={**os.environ, "DISPLAY": display}, check=True)


def shot(display: str, name: str) -> None:
    say(f"screenshot {wine.screenshot(display, SHOTS / f'{name}.png')}")


def publish(nginx: servers.Nginx) -> str:
    new_url = nginx.put("files/main-B.exe", NEW.read_bytes())
    manifest = subprocess.run([str(ROOT / "build" / "native" / "mkmanifest"), "--title", "沐川堂 更新",
                               "--version", "2.0", "--url", new_url], capture_output=True, check=True).stdout
    return nginx.put("list.txt", manifest)


def prepare_sandbox(manifest_url: str) -> None:
    shutil.rmtree(SANDBOX, ignore_errors=True)
    SANDBOX.mkdir(parents=True)
    shutil.copy2(OLD, SANDBOX / f"{PROGRAM}.exe")
    servers.write_handoff(SANDBOX, download=manifest_url, 版本="1.0", 文件名=PROGRAM, id="1")


def drive(session: wine.WineSession, probe: wine.Probe, run: wine.UpdaterRun) -> None:
    window = wait_until(probe, "the new-version outcome",
                        lambda w: control(w, PROGRESS)["text"] == "新版发布，火力大增，不得不爱"
                        and control(w, MAIN_BUTTON)["enabled"])
    say("the check found version 2.0 against the installed 1.0")
    shot(session.display, "1-new-version")
    click(session.display, window, MAIN_BUTTON)
    say("clicked 开始更新")
    window = wait_until(probe, "启动软件", lambda w: control(w, MAIN_BUTTON)["text"] == "启动软件"
                        and control(w, MAIN_BUTTON)["enabled"])
    say(f"downloaded and swapped in: {control(window, PROGRESS)['text']}")
    shot(session.display, "2-done")
    click(session.display, window, MAIN_BUTTON)
    say("clicked 启动软件")
    code = run.wait(30)
    if code != 0:
        raise DemoFailed(f"the updater ended with exit code {code}")
    say("the updater ended with exit code 0")


def check_result(session: wine.WineSession) -> None:
    if (SANDBOX / f"{PROGRAM}.exe").read_bytes() != NEW.read_bytes():
        raise DemoFailed("the main program on disk is not the served version B")
    say("the main program on disk is byte-identical to the served version B")
    starts = SANDBOX / "main_program_starts.txt"
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and not (starts.exists() and "v2\t" in starts.read_text()):
        time.sleep(0.2)
    if not (starts.exists() and "v2\t" in starts.read_text()):
        raise DemoFailed("version B did not start")
    say("version B runs")
    shot(session.display, "3-new-program")


def main() -> int:
    interactive = os.environ.get("INTERACTIVE") == "1" and os.environ.get("DISPLAY")
    xvfb = None if interactive else wine.Xvfb(1366, 768)
    display = os.environ["DISPLAY"] if interactive else xvfb.display
    nginx = servers.Nginx(DEMO / "nginx")
    session = wine.WineSession(DEMO / "wineprefix", display)
    try:
        manifest_url = publish(nginx)
        say(f"nginx serves the manifest at {manifest_url}")
        prepare_sandbox(manifest_url)
        say(f"sandbox {SANDBOX}: updater.exe, {PROGRAM}.exe (version A), gx.ini")
        session.create_prefix()
        session.warm_up()
        install = wine.UpdaterInstall(session, SANDBOX)
        run = install.start(wine.make_token())
        say(f"started the updater with a fresh token on {display}"
            + ("" if interactive else " (Xvfb)"))
        probe = wine.Probe(session)
        if interactive:
            say("click 开始更新, then 启动软件")
            run.wait(3600)
        else:
            drive(session, probe, run)
        check_result(session)
        say("demo passed")
        return 0
    except (DemoFailed, wine.HarnessError, subprocess.SubprocessError, AssertionError) as failure:
        say(f"demo failed: {failure}")
        return 1
    finally:
        session.stop_server()
        nginx.stop()
        if xvfb:
            xvfb.stop()
        say("stopped the wineserver, nginx" + ("" if interactive else " and Xvfb"))


if __name__ == "__main__":
    sys.exit(main())
