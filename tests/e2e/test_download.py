"""The resumable HTTP download (http_download) against real servers on 127.0.0.1, run by
build/win/download_driver.exe on a worker thread as the updater runs it: the result, the local
file's bytes, the progress callbacks, the request the server saw and the message box."""

from __future__ import annotations

import dataclasses
import gzip
import math
import random
import subprocess
import zlib
from pathlib import Path
from typing import Callable

import pytest

import wine
from download_driver import Callback, DriverRun, Outcome
from servers import Answer, free_port

MESSAGE_TITLE = "信息："
BLOCK = 10240
RUN_S = 30
BOX_WAIT_MS = 15000

CANNOT_OPEN_URL = "不能打开该URL!"
CANNOT_OPEN_LOCAL = "不能打开本地的文件!"
READ_FAILED = "读文件出错!"
WRITE_FAILED = "写文件出错!"

HEADER_LINES = [
    "Accept: */*",
    "Accept-Language: zh-cn",
    "Accept-Encoding: gzip, deflate",
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)",
]

# Control ids of the main window: 1000 + the control's place in the window definition.
SIZE_LABEL, SPEED_LABEL, PROGRESS_LABEL, BAR = 1006, 1007, 1005, 1009


def data(size: int, seed: int = 1) -> bytes:
    """Bytes that differ from place to place, so a shifted or repeated block shows."""
    return random.Random(seed).randbytes(size)


def text_data(size: int) -> bytes:
    """Text that compresses well, for the coded answers."""
    words = [b"update", b"block", b"10240", b"\xd0\xc5\xcf\xa2", b"range", b"\r\n"]
    rng = random.Random(7)
    out = b""
    while len(out) < size:
        out += rng.choice(words) + b" "
    return out[:size]


FILE = data(100000, seed=2)  # the resumed file
OFFSET = 52224
TEXT = text_data(60000)
OLD_CONTENT = b"the previous download\r\n" * 100
BODY = data(30000, seed=3)
DEV_FULL = Path("/dev/full")  # every write fails with "no space"


@dataclasses.dataclass
class Servers:
    nginx: object
    scripted: object
    name: str
    logged_before: int = 0  # nginx's log lines from earlier tests and sessions

    def put(self, content: bytes, suffix: str = ".bin", folder: str = "dl") -> str:
        return self.nginx.put(f"{folder}/{self.name}{suffix}", content)

    def answer(self, answer: Answer) -> str:
        return self.scripted.answer(f"/{self.name}.bin", answer)

    def nginx_lines(self) -> list[str]:
        return [line for line in self.nginx.requests()[self.logged_before:] if f"/{self.name}" in line]


@dataclasses.dataclass
class Case:
    serve: Callable[[Servers], str]  # sets up the answer, returns the address
    file_after: bytes | None  # the local file's bytes afterwards; None: no file
    result: int = 0
    message: str | None = None  # the message box's text when the download fails
    local_before: bytes | None = None
    offset: int = 0
    resume: int = 0
    total: int | None = None  # the total length every callback receives
    blocks: list[int] | list[list[int]] | None = None  # bytes received by each read, in order,
    # or the sequences that may each happen
    sent: Callable[[Servers], None] | None = None  # checks of the request the server saw
    local_path: Callable[[Path], Path] | None = None


def raw_request(servers: Servers) -> str:
    assert len(servers.scripted.requests) == 1, servers.scripted.requests
    return servers.scripted.requests[0]


def header_lines_sent(servers: Servers, range_value: str | None) -> None:
    """The request carries the header lines, and a Range line only when one is asked for.
    Wine rebuilds every extra header as "name: value", so only the value of the Range line is
    compared."""
    lines = raw_request(servers).split("\r\n")
    for line in HEADER_LINES:
        assert line in lines
    ranges = [line.partition(":")[2].strip() for line in lines if line.lower().startswith("range")]
    assert ranges == ([range_value] if range_value else [])


def nginx_answered(status: int, range_value: str):
    def check(servers: Servers) -> None:
        lines = servers.nginx_lines()
        assert len(lines) == 1, lines
        assert f" {status} \"{range_value}\" \"gzip, deflate\" " in lines[0], lines[0]
    return check


def requested_once(servers: Servers) -> None:
    assert len(servers.nginx_lines()) == 1


def gzip_coded(content: bytes) -> bytes:
    return gzip.compress(content, mtime=0)


def raw_deflate(content: bytes) -> bytes:
    """A deflate stream without the zlib wrapper, as servers commonly send it (Wine's WinInet
    decodes only this form)."""
    coder = zlib.compressobj(wbits=-15)
    return coder.compress(content) + coder.flush()


def closed_early(after: int, size: int = len(BODY), **headers: str) -> Case:
    return Case(lambda s: s.answer(Answer(body=BODY[:size], close_after=after, headers=headers)),
                file_after=BODY[:after], result=-1, message=READ_FAILED, total=size,
                blocks=[BLOCK] * (after // BLOCK) + ([after % BLOCK] if after % BLOCK else []))


CASES = {
    "empty body": Case(lambda s: s.put(b""), file_after=b"", blocks=[]),
    "no Content-Length": Case(lambda s: s.answer(Answer(body=BODY, omit_length=True)),
                              file_after=BODY, total=0, blocks=[BLOCK, BLOCK, 9520]),
    "fresh mode cuts an existing 1 MB file": Case(
        lambda s: s.put(BODY[:BLOCK]), local_before=b"x" * (1 << 20), file_after=BODY[:BLOCK],
        total=BLOCK, blocks=[BLOCK], sent=nginx_answered(200, "-")),
    "fresh mode sends no Range line": Case(
        lambda s: s.answer(Answer(body=BODY)), file_after=BODY, total=len(BODY),
        blocks=[BLOCK, BLOCK, 9520], sent=lambda s: header_lines_sent(s, None)),
    "resume appends the rest to the local part": Case(
        lambda s: s.put(FILE), local_before=FILE[:OFFSET], offset=OFFSET, resume=1, file_after=FILE,
        total=len(FILE) - OFFSET, blocks=[BLOCK] * 4 + [6816],
        sent=nginx_answered(206, f"bytes={OFFSET}-")),
    "resume sends the Range line": Case(
        lambda s: s.answer(Answer(status=206, body=FILE[OFFSET:])), local_before=FILE[:OFFSET],
        offset=OFFSET, resume=1, file_after=FILE, total=len(FILE) - OFFSET,
        blocks=[BLOCK] * 4 + [6816], sent=lambda s: header_lines_sent(s, f"bytes={OFFSET}-")),
    "resume without a local file": Case(
        lambda s: s.put(FILE), offset=OFFSET, resume=1, file_after=FILE[OFFSET:],
        total=len(FILE) - OFFSET, blocks=[BLOCK] * 4 + [6816]),
    "404 leaves the local file alone": Case(
        lambda s: s.nginx.url(f"dl/{s.name}-missing.bin"), local_before=OLD_CONTENT,
        file_after=OLD_CONTENT, result=-1, message=CANNOT_OPEN_URL),
    "500 leaves the local file alone": Case(
        lambda s: s.answer(Answer(status=500, body=b"server error")), local_before=OLD_CONTENT,
        file_after=OLD_CONTENT, result=-1, message=CANNOT_OPEN_URL),
    "206 to a fresh request is only a part": Case(
        lambda s: s.answer(Answer(status=206, body=BODY)), local_before=OLD_CONTENT,
        file_after=OLD_CONTENT, result=-1, message=CANNOT_OPEN_URL),
    "200 to a resumed request is not the asked-for part": Case(
        lambda s: s.answer(Answer(status=200, body=FILE)), local_before=FILE[:OFFSET], offset=OFFSET,
        resume=1, file_after=FILE[:OFFSET], result=-1, message=CANNOT_OPEN_URL),
    "closed at 10239 of 30000": closed_early(10239),
    "closed at 10240 of 30000": closed_early(10240),
    "closed at 10241 of 30000": closed_early(10241),
    "closed at 29999 of 30000": closed_early(29999),
    "closed early by a server that names the content type": closed_early(
        20480, **{"Content-Type": "application/octet-stream"}),
    "gzip from nginx is written decoded": Case(
        lambda s: s.put(TEXT, suffix=".txt", folder="gzip"), file_after=TEXT, total=0,
        sent=nginx_answered(200, "-")),
    "gzip with the coded length is written decoded": Case(
        lambda s: s.answer(Answer(body=gzip_coded(TEXT), headers={"Content-Encoding": "gzip"})),
        file_after=TEXT),
    "deflate is written decoded": Case(
        lambda s: s.answer(Answer(body=raw_deflate(TEXT), headers={"Content-Encoding": "deflate"})),
        file_after=TEXT),
    # Wine's InternetReadFile waits until the buffer is full, so there the pause gives no short
    # block; either way every block is written whole.
    "a short read, then full ones": Case(
        lambda s: s.answer(Answer(body=BODY[:3000 + BLOCK + 1000], chunks=[3000], pause_s=0.5)),
        file_after=BODY[:3000 + BLOCK + 1000], total=3000 + BLOCK + 1000,
        blocks=[[3000, BLOCK, 1000], [BLOCK, 4000]]),
    "unreachable port": Case(
        lambda s: f"http://127.0.0.1:{free_port()}/{s.name}.bin", local_before=OLD_CONTENT,
        file_after=OLD_CONTENT, result=-1, message=CANNOT_OPEN_URL),
    "local folder missing": Case(
        lambda s: s.put(BODY), local_path=lambda base: base / "missing" / "file.tmp", file_after=None,
        result=-1, message=CANNOT_OPEN_LOCAL, sent=requested_once),
    "a write that fails": Case(
        lambda s: s.put(BODY), local_path=lambda base: DEV_FULL, file_after=None,
        result=-1, message=WRITE_FAILED),
}


@pytest.fixture
def servers(nginx, scripted, request):
    name = "".join(c if c.isalnum() else "-" for c in request.node.name)
    return Servers(nginx, scripted, name, len(nginx.requests()))


@pytest.fixture
def workdir(request):
    base = wine.run_directory(request.node.name)
    base.mkdir(parents=True, exist_ok=True)
    for stale in base.iterdir():
        if stale.is_file():
            stale.unlink()
    return base


@pytest.fixture
def drive(wine_env, probe):
    """Runs the driver; for a failure, reads and confirms its message box on the way."""
    runs: list[DriverRun] = []

    def run(url: str, local: Path, log: Path, *, box: bool, offset: int = 0, resume: int = 0,
            locale: str = wine.ZH_LOCALE) -> tuple[Outcome, dict | None]:
        runs.append(DriverRun(wine_env, url, local, offset=offset, resume=resume, log=log, locale=locale))
        shown = probe.msgbox(MESSAGE_TITLE, ok=True, wait_ms=BOX_WAIT_MS) if box else None
        try:
            return runs[-1].finish(RUN_S), shown
        except subprocess.TimeoutExpired:
            unexpected = probe.msgbox(MESSAGE_TITLE, wait_ms=0)
            pytest.fail(f"the download did not end; message box: {unexpected}")

    yield run
    for each in runs:
        each.kill()


def check_callbacks(callbacks: list[Callback], start: int) -> None:
    """What holds for every download: counts add up from the start, the time never goes back
    and is never 0 (10 stands for a tick count that has not moved on yet)."""
    so_far = start
    for call in callbacks:
        assert 0 < call.so_far - so_far <= BLOCK, callbacks
        so_far = call.so_far
        assert call.received == call.so_far - start
        assert call.elapsed > 0
    elapsed = [c.elapsed for c in callbacks]
    ticks = [0 if e == 10 and any(later < 10 for later in elapsed[i:]) else e for i, e in enumerate(elapsed)]
    assert ticks == sorted(ticks), elapsed


def blocks_of(callbacks: list[Callback], start: int) -> list[int]:
    return [b.so_far - a for a, b in zip([start] + [c.so_far for c in callbacks], callbacks)]


def check_box(shown: dict | None, message: str | None) -> None:
    if message is None:
        return
    assert shown is not None, f"no message box titled {MESSAGE_TITLE}"
    assert shown["closed"]
    assert shown["title"] == MESSAGE_TITLE
    assert shown["texts"] == [message]
    assert [button["id"] for button in shown["buttons"]] == [1]  # IDOK alone


def local_file_for(case: Case, workdir: Path) -> Path:
    local = case.local_path(workdir) if case.local_path else workdir / "download.tmp"
    if case.local_before is not None:
        local.write_bytes(case.local_before)
    return local


@pytest.mark.parametrize("case", CASES.values(), ids=CASES)
def test_download(case, servers, workdir, drive):
    local = local_file_for(case, workdir)
    url = case.serve(servers)

    outcome, shown = drive(url, local, workdir / "progress.log", box=case.message is not None,
                           offset=case.offset, resume=case.resume)

    check_box(shown, case.message)
    assert outcome.result == case.result
    if case.file_after is None:
        assert local == DEV_FULL or not local.exists()
    else:
        assert local.read_bytes() == case.file_after
    if case.file_after is not None or local == DEV_FULL:
        assert outcome.local_file == "free"  # nothing holds the file open any more
    start = case.offset if case.resume else 0
    check_callbacks(outcome.callbacks, start)
    if case.total is not None:
        assert {c.total for c in outcome.callbacks} <= {case.total}
    if case.blocks is not None:
        allowed = case.blocks if case.blocks and isinstance(case.blocks[0], list) else [case.blocks]
        assert blocks_of(outcome.callbacks, start) in allowed
    if case.result == 0:
        kept = len(case.local_before or b"") if case.resume else 0
        assert sum(blocks_of(outcome.callbacks, start)) == len(case.file_after) - kept
    if case.sent:
        case.sent(servers)


def test_reset_mid_body_fails_and_keeps_what_was_written(servers, workdir, drive):
    local = workdir / "download.tmp"
    url = servers.answer(Answer(body=BODY, reset_after=15000))

    outcome, shown = drive(url, local, workdir / "progress.log", box=True)

    check_box(shown, READ_FAILED)
    assert outcome.result == -1
    check_callbacks(outcome.callbacks, 0)
    written = sum(blocks_of(outcome.callbacks, 0))
    assert written <= 15000
    assert local.read_bytes() == BODY[:written]
    assert outcome.local_file == "free"


def test_message_text_does_not_depend_on_the_code_page(servers, workdir, drive):
    case = CASES["404 leaves the local file alone"]
    local = local_file_for(case, workdir)

    outcome, shown = drive(case.serve(servers), local, workdir / "progress.log", box=True,
                           locale=wine.C_LOCALE)

    check_box(shown, CANNOT_OPEN_URL)
    assert outcome.result == -1
    assert local.read_bytes() == OLD_CONTENT


def round_two_decimals(x: float) -> float:
    if x == 0:
        return x
    r = abs(x) * 100 + 1e-12
    return math.copysign((math.floor(r) + (r - math.floor(r) >= 0.5)) / 100, x)


def shown(x: float) -> str:
    return f"{x:.13g}"


def test_window_shows_the_final_values_after_the_download(servers, workdir, wine_env, probe):
    content = data((1 << 20) + 5000, seed=4)
    run = DriverRun(wine_env, servers.put(content), workdir / "download.tmp", log=workdir / "progress.log",
                    window=True, stay=True)
    try:
        outcome = run.read_report(RUN_S)
        window = probe.window()
        closed = probe.close()
        assert run.process.wait(10) == 0
    finally:
        run.kill()

    assert outcome.result == 0
    assert (workdir / "download.tmp").read_bytes() == content
    last = outcome.callbacks[-1]
    assert (last.total, last.so_far) == (len(content), len(content))
    kilobytes = shown(round_two_decimals(len(content) / 1024))
    speed = shown(round_two_decimals(last.received * 1000 / 1024 / last.elapsed))
    controls = {control["id"]: control for control in window["children"]}
    assert controls[SIZE_LABEL]["text"] == f"文件大小:{kilobytes}KB/{kilobytes}KB"
    assert controls[SPEED_LABEL]["text"] == f"速度:{speed}KB/s"
    assert controls[PROGRESS_LABEL]["text"] == "下载进度:100%；剩余时间:0时0分0秒"
    assert controls[BAR]["progress"]["pos"] == 10000
    assert closed is not None
