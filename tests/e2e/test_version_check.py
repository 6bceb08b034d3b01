"""The version check, seen from outside: the hand-off file gx.ini beside the updater, the
manifest fetched over HTTP, and what the window shows once the check has settled.

Controls are found by their place in the window, labels read through their window texts, and
text colours from a screenshot of the screen.
"""

from __future__ import annotations

import dataclasses
import os
import re
import subprocess
import time
from pathlib import Path
from typing import Callable

import pytest

import servers
import wine
from servers import Answer, gbk_crlf, write_handoff
from wine import C_LOCALE, ZH_LOCALE, make_token

CHECKING = "版本检测中，客官请等片刻..."
REJECTED = "网络文件有问题，管理员手抽筋鸟"
NEW_VERSION = "新版发布，火力大增，不得不爱"
UP_TO_DATE = "没有发现新版，无需更新！"
UP_TO_DATE_SLOGAN = "专注服务，想您所想，达您所愿！"
INITIAL_SLOGAN = "专注装修，面面俱到，心有所思，无所不能！"
INITIAL_TITLE = "在线更新器"
MAIN_BUTTON_CAPTION = "开始更新"
USER_AGENT = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"

SETTLE_S = 20
QUICK_EXIT_S = 10
CLOSE_EXIT_S = 5
# How long a rejected check is watched for an exit that must not come.
KEEPS_RUNNING_S = 1.0
# An updater that gathered a 64 MiB manifest in memory would peak far above this.
PEAK_MEMORY_KIB = 64 * 1024

# Controls by their place (left, top) in the window's client area.
PLACES = {
    "超级按钮2": (585, 0),
    "超级按钮1": (618, 0),
    "透明标签3": (13, 4),
    "透明标签2": (24, 193),
    "标签_下载进度": (24, 136),
    "按钮2": (590, 424),
}

RED = (255, 0, 0)
CYAN = (0, 255, 255)


def server_line(version: str) -> str:
    return f"服务器最新版本：{version} 惊喜总是来得这么突然！"


def title_line(program: str, installed: str) -> str:
    return f"{program}{installed} - 在线更新"


# ---- what the window shows ---------------------------------------------------------------------

class Window:
    """One probe report of the main window."""

    def __init__(self, report: dict):
        self.report = report

    def control(self, name: str) -> dict:
        left, top = PLACES[name]
        for child in self.report["children"]:
            if (child["rect"]["left"], child["rect"]["top"]) == (left, top):
                return child
        raise AssertionError(f"no control at {left}, {top}: {self.texts()}")

    def text(self, name: str) -> str:
        return self.control(name)["text"]

    def texts(self) -> list[str]:
        return [child["text"] for child in self.report["children"]]

    def screen_rect(self, name: str) -> tuple[int, int, int, int]:
        """left, top, width and height of the control on the screen."""
        rect = self.control(name)["rect"]
        return (self.report["rect"]["left"] + rect["left"], self.report["rect"]["top"] + rect["top"],
                rect["width"], rect["height"])


@dataclasses.dataclass
class Shown:
    """The settled state of the window after a check."""
    progress: str  # 标签_下载进度
    slogan: str  # 透明标签2
    title: str  # 透明标签3
    button_enabled: bool

    @property
    def accepted(self) -> bool:
        return self.button_enabled


def new_version(server: str, title: str = title_line("主程序", "3.0.9")) -> Shown:
    return Shown(NEW_VERSION, server_line(server), title, True)


def up_to_date(title: str = title_line("主程序", "3.0.9")) -> Shown:
    return Shown(UP_TO_DATE, UP_TO_DATE_SLOGAN, title, True)


REJECTION = Shown(REJECTED, INITIAL_SLOGAN, INITIAL_TITLE, False)


def is_settled(window: Window) -> bool:
    # Enabling 按钮2 is the check's last write; a rejection writes only the label.
    return window.control("按钮2")["enabled"] or window.text("标签_下载进度") == REJECTED


def wait_until(run: wine.UpdaterRun, probe: wine.Probe, done: Callable[[Window], bool],
               timeout_s: float = SETTLE_S) -> Window:
    deadline = time.monotonic() + timeout_s
    last = None
    while time.monotonic() < deadline:
        assert run.alive(), f"updater ended with exit code {run.exit_code()}; last seen {last}"
        report = probe.window(wait_ms=1000)
        if report is not None:
            window = Window(report)
            last = window.texts()
            if done(window):
                return window
        time.sleep(0.1)
    raise AssertionError(f"window did not settle in {timeout_s} s; last seen {last}")


def settled_window(run: wine.UpdaterRun, probe: wine.Probe) -> Window:
    wait_until(run, probe, is_settled)
    # A report reads the controls one after another, so it can straddle the check's last
    # writes; once settled, a fresh one is consistent.
    return wait_until(run, probe, lambda window: True)


def assert_shows(window: Window, expected: Shown) -> None:
    seen = Shown(window.text("标签_下载进度"), window.text("透明标签2"), window.text("透明标签3"),
                 window.control("按钮2")["enabled"])
    assert seen == expected
    assert window.text("按钮2") == MAIN_BUTTON_CAPTION


def close_and_expect_exit(run: wine.UpdaterRun, probe: wine.Probe) -> None:
    assert probe.close() is not None
    assert run.wait(CLOSE_EXIT_S) == 0


def peak_memory_kib(run: wine.UpdaterRun) -> int:
    # The Wine loader's process is the Windows process itself.
    status = Path(f"/proc/{run.process.pid}/status").read_text()
    return int(re.search(r"^VmHWM:\s+(\d+) kB", status, re.M).group(1))


# ---- screen colours ------------------------------------------------------------------------------

def read_ppm(path: Path) -> tuple[int, int, bytes]:
    """Width, height and 8-bit RGB pixels of a binary PPM picture."""
    data = path.read_bytes()
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    assert header and header.group(3) in (b"255", b"65535"), f"{path} is no PPM picture"
    pixels = data[header.end():]
    # 16-bit samples are big-endian: their first bytes are the 8-bit values.
    return int(header.group(1)), int(header.group(2)), pixels if header.group(3) == b"255" else pixels[::2]


def count_colour(path: Path, rect: tuple[int, int, int, int], colour: tuple[int, int, int],
                 tolerance: int = 40) -> int:
    width, _, pixels = read_ppm(path)
    left, top, rect_width, rect_height = rect
    count = 0
    for y in range(top, top + rect_height):
        row = pixels[3 * (y * width + left):3 * (y * width + left + rect_width)]
        for x in range(0, len(row), 3):
            if all(abs(row[x + i] - colour[i]) <= tolerance for i in range(3)):
                count += 1
    return count


# ---- running a check ---------------------------------------------------------------------------

@dataclasses.dataclass
class Servers:
    nginx: servers.Nginx
    scripted: servers.ScriptedServer
    folder: str  # this test's own folder on nginx

    def put(self, body: bytes, name: str = "list.txt") -> str:
        return self.nginx.put(f"{self.folder}/{name}", body)

    def answer(self, answer: Answer, name: str = "list.txt") -> str:
        return self.scripted.answer(f"{self.folder}/{name}", answer)

    def requests_after(self, count: int, timeout_s: float = 5, lines: int = 1) -> list[str]:
        """nginx's log lines after the first `count`, once at least `lines` have come."""
        deadline = time.monotonic() + timeout_s
        while True:
            new = self.nginx.requests()[count:]
            if len(new) >= lines or time.monotonic() > deadline:
                return new
            time.sleep(0.05)


@pytest.fixture
def http(nginx, scripted, request):
    return Servers(nginx, scripted, re.sub(r"[^A-Za-z0-9_-]+", "_", request.node.name))


def refused_address() -> str:
    return f"http://127.0.0.1:{servers.free_port()}/list.txt"


WORKED_EXAMPLE = ("标题：主程序的版本清单", "主程序版本=3.1.0", "主程序下载地址=http://127.0.0.1/主程序.exe")
HANDOFF = {"版本": "3.0.9", "文件名": "主程序", "id": "1"}


def start_check(updater: wine.UpdaterInstall, address: str | None, locale: str = ZH_LOCALE,
                **handoff: str | None) -> wine.UpdaterRun:
    values = {"download": address, **HANDOFF, **handoff}
    write_handoff(updater.directory, **values)
    return updater.start(make_token(), locale=locale)


def assert_settles_as(run, probe, updater, expected: Shown, handoff_before: bytes | None) -> Window:
    window = settled_window(run, probe)
    assert_shows(window, expected)
    handoff = updater.directory / "gx.ini"
    if expected.accepted:
        assert not handoff.exists()
    else:
        # A rejected manifest leaves the hand-off untouched for the next start, and the
        # updater waits for the user.
        assert (handoff.read_bytes() if handoff.exists() else None) == handoff_before
        time.sleep(KEEPS_RUNNING_S)
        assert run.alive(), f"updater ended with exit code {run.exit_code()}"
    return window


# ---- the worked example ------------------------------------------------------------------------

@dataclasses.dataclass
class Example:
    server: str
    locale: str
    shown: Shown
    colour: tuple[int, int, int]
    other_colour: tuple[int, int, int]


EXAMPLES = {
    "new version": Example("3.1.0", ZH_LOCALE, new_version("3.1.0"), RED, CYAN),
    "up to date": Example("3.0.9", ZH_LOCALE, up_to_date(), CYAN, RED),
    # The hand-off file and the texts do not depend on the system's code page.
    "new version, code page 1252": Example("3.1.0", C_LOCALE, new_version("3.1.0"), RED, CYAN),
    "up to date, code page 1252": Example("3.0.9", C_LOCALE, up_to_date(), CYAN, RED),
}


def label_colours(session: wine.WineSession, window: Window, path: Path, colour, other_colour):
    wine.screenshot(session.display, path)
    rect = window.screen_rect("标签_下载进度")
    return count_colour(path, rect, colour), count_colour(path, rect, other_colour)


@pytest.mark.parametrize("case", EXAMPLES.values(), ids=EXAMPLES)
def test_worked_example(updater, probe, http, wine_env, case):
    lines = [line.replace("3.1.0", case.server) for line in WORKED_EXAMPLE]
    url = http.put(gbk_crlf(*lines))
    logged = len(http.nginx.requests())
    run = start_check(updater, url, locale=case.locale)
    window = assert_settles_as(run, probe, updater, case.shown, None)

    # One GET over HTTP/1.0 with the old browser's agent, taking anything, asking for no coding.
    path = "/" + url.split("/", 3)[3]
    assert http.requests_after(logged) == [f'GET "{path}" HTTP/1.0 200 "-" "-" "{USER_AGENT}" "*/*"']

    # The outcome's colour is drawn into the label's text; the colour it had before is gone.
    shot = updater.directory.parent / "outcome.ppm"
    deadline = time.monotonic() + 5
    while True:
        wanted, unwanted = label_colours(wine_env, window, shot, case.colour, case.other_colour)
        if (wanted > 50 and unwanted == 0) or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    assert wanted > 50, f"too few pixels of {case.colour} in 标签_下载进度; see {shot}"
    assert unwanted == 0, f"{unwanted} pixels of {case.other_colour} in 标签_下载进度; see {shot}"
    close_and_expect_exit(run, probe)


# ---- the hand-off file -------------------------------------------------------------------------

@dataclasses.dataclass
class Handoff:
    values: dict[str, str | None]
    shown: Shown
    server: str = "3.0.9"


HANDOFFS_THAT_GO_AHEAD = {
    "id 1 with blanks around": Handoff({"id": "  1 \t"}, up_to_date()),
    "id 1 in double quotes": Handoff({"id": '"1"'}, up_to_date()),
    "keys in upper case": Handoff({"download": None, "DOWNLOAD": "{url}", "id": None, "ID": "1"},
                                  up_to_date()),
    "version with blanks around is trimmed": Handoff({"版本": "  3.0.9  "}, up_to_date()),
    "version with inner blanks kept": Handoff({"版本": "3.0 9"}, up_to_date(title_line("主程序", "3.0 9")),
                                              server="3.0 9"),
    "file name with .exe kept": Handoff({"文件名": "主程序.exe"}, new_version("3.1.0", title_line("主程序.exe", "3.0.9")),
                                        server="3.1.0"),
    "empty file name": Handoff({"文件名": ""}, new_version("3.1.0", title_line("", "3.0.9")), server="3.1.0"),
    # The version's warning is replaced at once by the outcome: empty equals empty.
    "empty file name and version, empty server version":
        Handoff({"文件名": "", "版本": ""}, up_to_date(title_line("", "")), server=""),
    "empty version, server has one": Handoff({"版本": ""}, new_version("3.0.9", title_line("主程序", "")),
                                            server="3.0.9"),
}


@pytest.mark.parametrize("case", HANDOFFS_THAT_GO_AHEAD.values(), ids=HANDOFFS_THAT_GO_AHEAD)
def test_handoff_that_goes_ahead(updater, probe, http, case):
    url = http.put(gbk_crlf(f"主程序版本={case.server}"))
    values = {key: value.replace("{url}", url) if value else value for key, value in case.values.items()}
    run = start_check(updater, url, **values)
    assert_settles_as(run, probe, updater, case.shown, None)


HANDOFFS_THAT_END = {
    "id 0": {"id": "0"},
    "id 01": {"id": "01"},
    "id 2": {"id": "2"},
    "id yes": {"id": "yes"},
    "id missing": {"id": None},
    "id empty": {"id": ""},
    "id 1 after an unmatched quote": {"id": '"1'},
    "id 2 with empty file name and version": {"id": "2", "文件名": "", "版本": ""},
}


@pytest.mark.parametrize("values", HANDOFFS_THAT_END.values(), ids=HANDOFFS_THAT_END)
def test_handoff_without_go_ahead_ends_silently(updater, http, values):
    run = start_check(updater, http.put(gbk_crlf("主程序版本=3.1.0")), **values)
    assert run.wait(QUICK_EXIT_S) == 0
    # The file is read to its end and deleted before the flag is looked at.
    assert not (updater.directory / "gx.ini").exists()


# ---- manifests that are rejected ---------------------------------------------------------------

UTF8_MANIFEST = "主程序版本=3.0.9\r\n主程序下载地址=http://127.0.0.1/a.exe\r\n".encode("utf-8")

REJECTED_FETCHES: dict[str, Callable[[Servers], str | None]] = {
    "no hand-off file": lambda http: None,
    "empty address": lambda http: "",
    "refused connection": lambda http: refused_address(),
    "ftp address": lambda http: http.put(gbk_crlf("主程序版本=3.0.9")).replace("http:", "ftp:"),
    "address without scheme": lambda http: "127.0.0.1/list.txt",
    "empty body": lambda http: http.put(b""),
    "error page without markers": lambda http: http.answer(Answer(status=500, body=b"oops")),
    "zero byte before the markers": lambda http: http.put(b"\0" + gbk_crlf("主程序版本=3.0.9")),
    "manifest in UTF-8": lambda http: http.put(UTF8_MANIFEST),
    "marker only past the first MiB": lambda http: http.put(b"x" * (1 << 20) + gbk_crlf("主程序版本=3.0.9")),
}


@pytest.mark.parametrize("serve", REJECTED_FETCHES.values(), ids=REJECTED_FETCHES)
def test_rejected_manifest_keeps_the_handoff(updater, probe, http, serve):
    url = serve(http)
    if url is None:
        run = updater.start(make_token())
        before = None
    else:
        run = start_check(updater, url)
        before = (updater.directory / "gx.ini").read_bytes()
    assert_settles_as(run, probe, updater, REJECTION, before)


# ---- manifests that are used -------------------------------------------------------------------

@dataclasses.dataclass
class Manifest:
    serve: Callable[[Servers], str]
    shown: Shown
    installed: str = "3.0.9"


def served(body: bytes) -> Callable[[Servers], str]:
    return lambda http: http.put(body)


def scripted(answer: Answer) -> Callable[[Servers], str]:
    return lambda http: http.answer(answer)


MANIFESTS = {
    "LF-only lines": Manifest(served("标题\n主程序版本=2.0\n主程序下载地址=http://127.0.0.1/a.exe\n".encode("gbk")),
                              new_version("", title_line("主程序", "2.0")), installed="2.0"),
    "version mentioned only in prose": Manifest(served(gbk_crlf("本清单列出主程序版本的说明")), new_version("")),
    "version marker without CR LF after it": Manifest(served("主程序版本=3.0.9".encode("gbk")), new_version("")),
    "two version lines, the first counts": Manifest(served(gbk_crlf("主程序版本=3.0.9", "主程序版本=3.1.0")),
                                                    up_to_date()),
    "trailing blank after the version": Manifest(served(gbk_crlf("主程序版本=3.0.9 ")), new_version("3.0.9 ")),
    "older server version": Manifest(served(gbk_crlf("主程序版本=2.0.9")),
                                     new_version("2.0.9", title_line("主程序", "2.0.10")), installed="2.0.10"),
    "version differing in letter case": Manifest(served(gbk_crlf("主程序版本=3.1-RC")),
                                                 new_version("3.1-RC", title_line("主程序", "3.1-rc")),
                                                 installed="3.1-rc"),
    "markers inside lines and in reverse order":
        Manifest(served(gbk_crlf("下载：主程序下载地址=http://127.0.0.1/a.exe", "当前 主程序版本=3.0.9")),
                 up_to_date()),
    "zero byte after the version line": Manifest(served(gbk_crlf("主程序版本=3.0.9") + b"\0\xff\xfe"), up_to_date()),
    "404 page carrying the markers": Manifest(scripted(Answer(status=404, body=gbk_crlf("主程序版本=3.0.9"))),
                                              up_to_date()),
    "body cut short of its announced length":
        Manifest(scripted(Answer(body=gbk_crlf("主程序版本=3.0.9") + b"x" * 5000, content_length=100000)),
                 up_to_date()),
}


@pytest.mark.parametrize("case", MANIFESTS.values(), ids=MANIFESTS)
def test_manifest_is_used(updater, probe, http, case):
    run = start_check(updater, case.serve(http), 版本=case.installed)
    assert_settles_as(run, probe, updater, case.shown, None)


# ---- large bodies ------------------------------------------------------------------------------

MIB = 1 << 20
VERSION_LINE = gbk_crlf("主程序版本=3.0.9")

LARGE_BODIES = {
    "8 MiB from nginx": (served(VERSION_LINE + b"x" * (8 * MIB)), up_to_date()),
    # The end of the version value lies past the first MiB, so it is not seen.
    "version ending past the first MiB":
        (served(b"x" * (MIB - len(VERSION_LINE) + 1) + VERSION_LINE), new_version("")),
    "64 MiB without a length": (scripted(Answer(body=VERSION_LINE + b"x" * (64 * MIB), omit_length=True)),
                                up_to_date()),
}


@pytest.mark.parametrize("serve, shown", LARGE_BODIES.values(), ids=LARGE_BODIES)
def test_large_body_is_read_to_its_first_mib(updater, probe, http, serve, shown):
    run = start_check(updater, serve(http))
    assert_settles_as(run, probe, updater, shown, None)
    assert peak_memory_kib(run) < PEAK_MEMORY_KIB


# ---- addresses ---------------------------------------------------------------------------------

@dataclasses.dataclass
class Address:
    address: Callable[[Servers], str]
    logged: Callable[[Servers], list[str]]  # request URIs and statuses in nginx's log


ADDRESSES = {
    "fragment dropped": Address(lambda http: http.put(VERSION_LINE) + "#top",
                                lambda http: [f"/{http.folder}/list.txt 200"]),
    "query kept, fragment dropped": Address(lambda http: http.put(VERSION_LINE) + "?v=1#top",
                                            lambda http: [f"/{http.folder}/list.txt?v=1 200"]),
    "dot segments resolved": Address(lambda http: http.put(VERSION_LINE).replace("/list.txt", "/sub/../list.txt"),
                                     lambda http: [f"/{http.folder}/list.txt 200"]),
    "redirect followed": Address(lambda http: http.nginx.put("list.txt", VERSION_LINE).replace("list.txt", "moved"),
                                 lambda http: ["/moved 302", "/list.txt 200"]),
}


@pytest.mark.parametrize("case", ADDRESSES.values(), ids=ADDRESSES)
def test_manifest_address(updater, probe, http, case):
    url = case.address(http)
    logged = len(http.nginx.requests())
    run = start_check(updater, url)
    assert_settles_as(run, probe, updater, up_to_date(), None)
    expected = case.logged(http)
    requests = http.requests_after(logged, lines=len(expected))
    assert [" ".join(re.match(r'GET "([^"]*)" \S+ (\d+)', line).groups()) for line in requests] == expected


# ---- the request -------------------------------------------------------------------------------

def test_request_is_one_plain_get(updater, probe, http):
    url = http.answer(Answer(body=VERSION_LINE))
    run = start_check(updater, url)
    settled_window(run, probe)
    assert len(http.scripted.requests) == 1, http.scripted.requests
    request_line, *header_lines = http.scripted.requests[0].split("\r\n\r\n")[0].split("\r\n")
    assert request_line == f"GET /{http.folder}/list.txt HTTP/1.0"
    headers = [tuple(line.split(": ", 1)) for line in header_lines]
    names = [name.lower() for name, _ in headers]
    assert ("User-Agent", USER_AGENT) in headers
    assert ("Accept", "*/*") in headers and names.count("accept") == 1
    assert "referer" not in names


def test_every_run_fetches_the_manifest_anew(install, probe, http):
    """A manifest changed between two runs is seen by the second: nothing comes from a cache."""
    logged = len(http.nginx.requests())
    for server, shown in (("3.1.0", new_version("3.1.0")), ("3.0.9", up_to_date())):
        updater = install(f"updater-{server}")
        run = start_check(updater, http.put(gbk_crlf(f"主程序版本={server}")))
        assert_shows(settled_window(run, probe), shown)
        close_and_expect_exit(run, probe)
    assert len(http.requests_after(logged, lines=2)) == 2


# ---- a server that never answers ---------------------------------------------------------------

def click_with_the_mouse(session: wine.WineSession, window: Window, name: str) -> None:
    left, top, width, height = window.screen_rect(name)
    # No --sync: xdotool waits for a motion that never comes when the pointer is there already.
    subprocess.run(["xdotool", "mousemove", str(left + width // 2), str(top + height // 2),
                    "sleep", "0.3", "click", "1"], env=dict(os.environ, DISPLAY=session.display),
                   check=True, timeout=10)


CLOSINGS = {
    "window closed": lambda probe, session, window: probe.close(),
    "× clicked with the mouse": lambda probe, session, window: click_with_the_mouse(session, window, "超级按钮1"),
}


@pytest.mark.parametrize("close", CLOSINGS.values(), ids=CLOSINGS)
def test_stalled_server_leaves_the_window_usable(updater, probe, http, wine_env, close):
    run = start_check(updater, http.answer(Answer(stall=True)))
    handoff = (updater.directory / "gx.ini").read_bytes()
    window = wait_until(run, probe, lambda w: len(http.scripted.requests) == 1)
    assert window.text("标签_下载进度") == CHECKING
    assert not window.control("按钮2")["enabled"]

    # The window thread is not held up by the waiting check.
    assert probe.click(text="－") is not None
    wait_until(run, probe, lambda w: w.report["iconic"], timeout_s=5)
    assert probe.show("restore") is not None
    window = wait_until(run, probe, lambda w: not w.report["iconic"], timeout_s=5)
    assert window.text("标签_下载进度") == CHECKING

    # The check, still waiting for its answer, does not hold up the orderly exit.
    close(probe, wine_env, window)
    assert run.wait(CLOSE_EXIT_S) == 0
    assert (updater.directory / "gx.ini").read_bytes() == handoff
