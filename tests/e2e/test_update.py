"""The road of one update, seen from outside: the main button ends the running main program,
downloads the new one beside it, puts it in the old one's place in one step and, on the second
click, starts it and ends the updater. Whatever fails on the way leaves the old main program as
it was.

The main program is a small stand-in (tests/e2e/mainprog) built as v1 and v2; each start of it
leaves a line "<version>\t<command line>" in main_program_starts.txt beside its executable.
"""

from __future__ import annotations

import dataclasses
import re
import shutil
import subprocess
import time
from pathlib import Path
from typing import Callable

import pytest

import servers
import wine
from servers import Answer
from wine import make_token

MAIN_NAME = "沐川堂主程序"
V1_EXE = wine.ROOT / "build" / "win" / "main_program_v1.exe"
V2_EXE = wine.ROOT / "build" / "win" / "main_program_v2.exe"
STARTS_FILE = "main_program_starts.txt"
MESSAGE_TITLE = "信息："

NEW_VERSION = "新版发布，火力大增，不得不爱"
READY_TO_UPDATE = "开始更新"
UPDATING = "正在更新"
READY_TO_START = "启动软件"
DOWNLOAD_DONE = "下载完成，尽情使用吧！"
PRAISE = "亲真是一个目光长远，懂坚持，有干劲的人士，将来必成大器，事业蒸蒸日上，辉煌鹏达"
DOWNLOAD_FAILED = "下载失败，你的破网络我也是醉了"
IN_USE = "主程序正在使用中，无法替换，请先关闭主程序再更新"

RED = (255, 0, 0)
CYAN = (0, 255, 255)
# Pixels of the text colour itself in 标签_下载进度; anti-aliased edges and the shadow do not count.
LEAST_TEXT_PIXELS = 500

# Controls by their place in the window's client area.
PLACES = {
    "超级按钮1": (618, 0),
    "透明标签2": (24, 193),
    "标签_下载进度": (24, 136),
    "标签_文件大小": (11, 395),
    "标签_下载速度": (498, 395),
    "按钮2": (590, 424),
    "进度条1": (0, 424),
}

# Deadlines only: generous, so that a loaded machine does not fail a test.
VERSION_CHECK_S = 30
DOWNLOAD_S = 20
# The swap is tried for 3 s while the old program may still be going away.
SWAP_GIVES_UP_S = DOWNLOAD_S + 5
# Long enough for the first tries to fail, short enough for a later one to succeed.
RETRYING_S = 1.0
PROGRAM_START_S = 20
EXIT_S = 10


def windows_path(path: Path) -> str:
    return "Z:" + str(path).replace("/", "\\")


def kilobytes(size: int) -> str:
    """A size as the progress labels show it: KB rounded to two decimals, halves up, in the
    shortest form."""
    scaled = size / 1024 * 100 + 1e-12
    hundredths = int(scaled) + (scaled - int(scaled) >= 0.5)
    return f"{hundredths / 100:.13g}"


class View:
    """One report of the updater's window, with its controls by name."""

    def __init__(self, report: dict):
        self.report = report
        by_place = {(c["rect"]["left"], c["rect"]["top"]): c for c in report["children"]}
        self.controls = {name: by_place[place] for name, place in PLACES.items()}

    def text(self, name: str) -> str:
        return self.controls[name]["text"]

    def enabled(self, name: str) -> bool:
        return self.controls[name]["enabled"]

    def bar(self) -> int:
        return self.controls["进度条1"]["progress"]["pos"]

    def screen_rect(self, name: str) -> tuple[int, int, int, int]:
        rect = self.controls[name]["rect"]
        return (self.report["rect"]["left"] + rect["left"], self.report["rect"]["top"] + rect["top"],
                rect["width"], rect["height"])

    def summary(self) -> dict:
        return {name: (c["text"], c["enabled"], c.get("progress", {}).get("pos"))
                for name, c in self.controls.items()}


def wait_for(probe: wine.Probe, condition, timeout_s: float, what: str) -> View:
    deadline = time.monotonic() + timeout_s
    last = None
    while True:
        report = probe.window(wait_ms=1000)
        if report is None and last is not None:
            raise AssertionError(f"the window went away while waiting for {what}; "
                                 f"last seen {last.summary()}")
        if report is not None:
            last = View(report)
            if condition(last):
                return last
        if time.monotonic() > deadline:
            raise AssertionError(f"{what} not within {timeout_s} s; last seen "
                                 f"{last.summary() if last else 'no window'}")


def click(display: str, view: View, name: str) -> None:
    """A real mouse click in the middle of the control, through the X server."""
    left, top, width, height = view.screen_rect(name)
    subprocess.run(["xdotool", "mousemove", str(left + width // 2), str(top + height // 2),
                    "click", "1"], env={"DISPLAY": display}, check=True, timeout=10)


def text_pixels(display: str, view: View, name: str, colour: tuple[int, int, int]) -> int:
    """How many pixels of the control on screen have exactly that colour."""
    left, top, width, height = view.screen_rect(name)
    raw = subprocess.run(["import", "-display", display, "-window", "root", "-crop",
                          f"{width}x{height}+{left}+{top}", "-depth", "8", "rgb:-"],
                         capture_output=True, check=True, timeout=30).stdout
    return sum(1 for i in range(0, len(raw), 3) if tuple(raw[i:i + 3]) == colour)


def new_version_shown(view: View) -> bool:
    return view.enabled("按钮2") and view.text("标签_下载进度") == NEW_VERSION


def download_running(view: View) -> bool:
    return view.text("按钮2") == UPDATING


def download_ended(view: View) -> bool:
    """Success or failure: the states that follow a download, unlike the one before the click."""
    return (view.text("按钮2"), view.enabled("按钮2")) in ((READY_TO_START, True), (READY_TO_UPDATE, False))


def wait_for_end(probe: wine.Probe, timeout_s: float) -> View:
    """The window once a download has ended, in a report taken after the one that showed the
    end, so that the last writes of the end state have landed too."""
    wait_for(probe, download_ended, timeout_s, "the end of the download")
    return View(probe.window())


def assert_failure_state(display: str, view: View) -> None:
    state = (view.text("按钮2"), view.enabled("按钮2"), view.bar())
    assert state == (READY_TO_UPDATE, False, 0), view.summary()
    assert text_pixels(display, view, "标签_下载进度", RED) >= LEAST_TEXT_PIXELS


class MainPrograms:
    """Main-program processes that a test starts by hand, all ended when it is over."""

    def __init__(self, session: wine.WineSession, probe: wine.Probe):
        self.session = session
        self.probe = probe
        self.processes: list[subprocess.Popen] = []

    def start(self, exe: Path) -> subprocess.Popen:
        """Starts it and returns once it has recorded its start."""
        before = len(starts(exe.parent))
        with open(exe.parent / f"{exe.stem}-{len(self.processes)}.log", "wb") as log:
            process = subprocess.Popen([wine.WINE, str(exe)], env=self.session.env(), cwd=wine.E2E_DIR,
                                       stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        self.processes.append(process)
        deadline = time.monotonic() + PROGRAM_START_S
        while len(starts(exe.parent)) == before:
            assert process.poll() is None, f"{exe} ended at once with exit code {process.returncode}"
            assert time.monotonic() < deadline, f"{exe} did not record its start"
            time.sleep(0.05)
        return process

    def end_all(self) -> None:
        # The processes the updater started are of the same name.
        self.probe.kill(f"{MAIN_NAME}.exe")
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.wait(10)


@pytest.fixture
def main_programs(wine_env, probe):
    programs = MainPrograms(wine_env, probe)
    yield programs
    programs.end_all()


def starts(directory: Path) -> list[tuple[str, str]]:
    path = directory / STARTS_FILE
    lines = path.read_text(encoding="utf-8").splitlines() if path.exists() else []
    return [tuple(line.split("\t", 1)) for line in lines]


@dataclasses.dataclass
class Road:
    """An installed updater with the v1 main program beside it and v2 on offer."""
    install: wine.UpdaterInstall
    probe: wine.Probe
    display: str
    name: str
    served: bytes
    old: bytes
    requests_for_download: Callable[[], list[str]]

    @property
    def exe(self) -> Path:
        return self.install.directory / f"{self.name}.exe"

    @property
    def tmp(self) -> Path:
        return self.install.directory / f"{self.name}.tmp"

    def start(self) -> tuple[wine.UpdaterRun, View]:
        run = self.install.start(make_token())
        view = wait_for(self.probe, new_version_shown, VERSION_CHECK_S, "the new-version outcome")
        return run, view

    def click(self, view: View, name: str = "按钮2") -> None:
        click(self.display, view, name)


@pytest.fixture
def road(updater, probe, nginx, wine_env, request):
    """Prepares a road: road(download_url=..., name=...) -> Road. The download address defaults
    to v2 on nginx, served slowly enough to watch; the main program is v1 unless the name is the
    updater's own."""
    folder = wine.run_directory(request.node.name).name

    def prepare(download_url: str | None = None, name: str = MAIN_NAME) -> Road:
        served = V2_EXE.read_bytes()
        download_path = f"/slow/{folder}/v2.exe"
        if download_url is None:
            download_url = nginx.put(download_path, served)
        manifest_url = nginx.put(f"{folder}/list.txt",
                                 servers.gbk_crlf("主程序版本=2.0", f"主程序下载地址={download_url}"))
        servers.write_handoff(updater.directory, download=manifest_url, 版本="1.0", 文件名=name, id="1")
        exe = updater.directory / f"{name}.exe"
        if not exe.exists():
            shutil.copy2(V1_EXE, exe)
        logged_before = len(nginx.requests())

        def requests_for_download() -> list[str]:
            return [line for line in nginx.requests()[logged_before:] if f'"{download_path}"' in line]

        return Road(updater, probe, wine_env.display, name, served, exe.read_bytes(), requests_for_download)

    return prepare


def download_until_success(road: Road, probe: wine.Probe, view: View) -> View:
    """Clicks "开始更新", watches the progress and returns the success state once checked."""
    road.click(view)
    # The progress text is the last write of each progress report.
    during = wait_for(probe, lambda v: download_running(v) and v.text("标签_下载进度").startswith("下载进度:"),
                      DOWNLOAD_S, "download progress")
    assert not during.enabled("按钮2")
    assert during.bar() > 0
    size = kilobytes(len(road.served))
    assert during.text("标签_文件大小").startswith(f"文件大小:{size}KB/")
    assert re.fullmatch(r"下载进度:[\d.]+%；剩余时间:\d+时\d+分\d+秒", during.text("标签_下载进度"))

    done = wait_for_end(probe, DOWNLOAD_S)
    assert (done.text("按钮2"), done.enabled("按钮2")) == (READY_TO_START, True)
    assert (done.text("标签_下载进度"), done.text("透明标签2"), done.text("标签_文件大小"), done.bar()) == (
        DOWNLOAD_DONE, PRAISE, f"文件大小:{size}KB/{size}KB", 10000)
    assert re.fullmatch(r"速度:[\d.]+KB/s", done.text("标签_下载速度"))
    assert text_pixels(road.display, done, "标签_下载进度", CYAN) >= LEAST_TEXT_PIXELS
    assert road.exe.read_bytes() == road.served
    assert not road.tmp.exists()
    # One whole download from the first byte.
    status_and_range = [re.search(r'HTTP/1.1 (\d+) "([^"]*)"', line).groups()
                        for line in road.requests_for_download()]
    assert status_and_range == [("200", "-")]
    return done


@dataclasses.dataclass
class Journey:
    main_program_running: bool = False
    stale_download: bool = False  # a longer .tmp left from an earlier run
    copy_started_before_launch: bool = False


JOURNEYS = {
    "main program not running": Journey(),
    "main program running at the first click": Journey(main_program_running=True),
    "a longer download left from an earlier run": Journey(stale_download=True),
    "a copy started by hand before the second click": Journey(copy_started_before_launch=True),
}


@pytest.mark.parametrize("journey", JOURNEYS.values(), ids=JOURNEYS)
def test_update_replaces_and_starts_the_new_program(road, main_programs, probe, journey):
    road = road()
    if journey.stale_download:
        road.tmp.write_bytes(b"\xAA" * (4 * len(road.served)))
    running = main_programs.start(road.exe) if journey.main_program_running else None
    run, view = road.start()
    assert (view.text("标签_文件大小"), view.text("标签_下载速度"), view.bar()) == (" ", " ", 0)

    done = download_until_success(road, probe, view)
    if running:
        assert running.wait(EXIT_S) == 0, "the running main program was not ended by the click"
    copy = None
    if journey.copy_started_before_launch:
        elsewhere = road.install.directory.parent / "elsewhere" / road.exe.name
        elsewhere.parent.mkdir()
        shutil.copy2(V1_EXE, elsewhere)
        copy = main_programs.start(elsewhere)

    road.click(done)
    assert run.wait(EXIT_S) == 0
    assert probe.window("main program v2", wait_ms=PROGRAM_START_S * 1000) is not None
    assert starts(road.install.directory)[-1] == ("v2", windows_path(road.exe))
    if copy:
        assert copy.wait(EXIT_S) == 0, "the copy started by hand was not ended by the second click"
    assert len(probe.processes(road.exe.name)) == 1


def test_missing_program_at_the_second_click_still_ends_the_updater(road, main_programs, probe):
    road = road()
    run, view = road.start()
    done = download_until_success(road, probe, view)
    road.exe.unlink()
    road.click(done)
    assert run.wait(EXIT_S) == 0
    assert probe.processes(road.exe.name) == []


def test_program_going_away_during_the_retries_is_replaced(road, main_programs, probe):
    road = road()
    instances = [main_programs.start(road.exe) for _ in range(2)]
    run, view = road.start()
    road.click(view)
    deadline = time.monotonic() + DOWNLOAD_S
    while not (road.tmp.exists() and road.tmp.stat().st_size == len(road.served)):
        assert time.monotonic() < deadline, "the download did not complete"
        time.sleep(0.02)
    # The click ended one instance; the other goes away while the swap is being retried.
    time.sleep(RETRYING_S)
    for instance in instances:
        if instance.poll() is None:
            instance.kill()
    done = wait_for_end(probe, SWAP_GIVES_UP_S)
    assert (done.text("按钮2"), done.text("标签_下载进度")) == (READY_TO_START, DOWNLOAD_DONE), (
        f"the swap was given up before the program went away: {done.summary()}")
    assert road.exe.read_bytes() == road.served
    assert not road.tmp.exists()


@dataclasses.dataclass
class InUse:
    name: str
    instances: int


IN_USE_CASES = {
    "a second instance of the main program": InUse(MAIN_NAME, instances=2),
    "the updater's own name as the main program's": InUse("updater", instances=0),
}


@pytest.mark.parametrize("case", IN_USE_CASES.values(), ids=IN_USE_CASES)
def test_program_in_use_is_left_untouched(road, main_programs, probe, case):
    road = road(name=case.name)
    instances = [main_programs.start(road.exe) for _ in range(case.instances)]
    run, view = road.start()
    road.click(view)
    failed = wait_for_end(probe, SWAP_GIVES_UP_S)

    assert failed.text("标签_下载进度") == IN_USE
    assert_failure_state(road.display, failed)
    assert road.exe.read_bytes() == road.old
    assert road.tmp.read_bytes() == road.served
    assert run.alive(), "the updater ended itself"
    if instances:
        assert sorted(i.poll() is None for i in instances) == [False, True], "not exactly one ended"
        assert [i.returncode for i in instances if i.poll() is not None] == [0]


@dataclasses.dataclass
class FailedDownload:
    answer: Callable[[bytes], Answer] | None  # given the executable; None: an empty address
    message: str


FAILED_DOWNLOADS = {
    "executable not found": FailedDownload(lambda _: Answer(status=404, body=b"<html>404</html>"),
                                           "不能打开该URL!"),
    "body cut short": FailedDownload(lambda exe: Answer(body=exe, close_after=len(exe) // 2), "读文件出错!"),
    "connection reset": FailedDownload(lambda exe: Answer(body=exe, reset_after=len(exe) // 2), "读文件出错!"),
    "empty download address": FailedDownload(None, "不能打开该URL!"),
}


@pytest.mark.parametrize("case", FAILED_DOWNLOADS.values(), ids=FAILED_DOWNLOADS)
def test_failed_download_leaves_the_program_untouched(road, scripted, probe, case):
    answer = case.answer(V2_EXE.read_bytes()) if case.answer else None
    road = road(download_url=scripted.answer("v2.exe", answer) if answer else "")
    run, view = road.start()
    road.click(view)

    box = probe.msgbox(MESSAGE_TITLE, wait_ms=DOWNLOAD_S * 1000)
    assert box is not None and box["texts"] == [case.message]
    # The failure state follows only once the box has been closed.
    assert download_running(View(probe.window()))
    assert probe.msgbox(MESSAGE_TITLE, ok=True)["closed"]
    failed = wait_for_end(probe, EXIT_S)

    assert failed.text("标签_下载速度") == DOWNLOAD_FAILED
    assert_failure_state(road.display, failed)
    assert road.exe.read_bytes() == road.old
    assert run.alive()


def test_closing_during_the_download_ends_the_updater(road, scripted, probe):
    body = V2_EXE.read_bytes()
    road = road(download_url=scripted.answer("v2.exe", Answer(body=body, chunks=[10240] * 30)))
    run, view = road.start()
    road.click(view)
    during = wait_for(probe, lambda v: download_running(v) and v.text("标签_文件大小") != " ",
                      DOWNLOAD_S, "download progress")
    road.click(during, "超级按钮1")
    assert run.wait(EXIT_S) == 0
    assert road.exe.read_bytes() == road.old
    partial = road.tmp.read_bytes()
    assert len(partial) < len(body) and body.startswith(partial)
