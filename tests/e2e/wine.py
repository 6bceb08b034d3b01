"""Runs the real updater.exe under Wine and looks at its windows from outside.

One prefix and one persistent wineserver serve a whole test session; each X screen size gets an
Xvfb of its own; each test starts its own copy of updater.exe in a fresh directory; the probe
(build/win/probe.exe) reports and drives the updater's windows through the Win32 API.
"""

from __future__ import annotations

import contextlib
import json
import os
import re
import select
import shutil
import signal
import subprocess
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
UPDATER_EXE = ROOT / "build" / "win" / "updater.exe"
PROBE_EXE = ROOT / "build" / "win" / "probe.exe"
MKTOKEN = ROOT / "build" / "native" / "mktoken"
E2E_DIR = ROOT / "build" / "e2e"

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"

ZH_LOCALE = "zh_CN.UTF-8"  # code page 936
C_LOCALE = "C"  # code page 1252

WINDOW_TITLE = "岚汐软件更新程序"
DEFAULT_SCREEN = (1920, 1080)

# Window style bits, as winuser.h defines them.
WS_POPUP = 0x80000000
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000

# The first window after a wineserver start waits for Wine's desktop process.
FIRST_WINDOW_WAIT_MS = 20000

FONT_REPLACEMENTS = {"微软雅黑": "WenQuanYi Micro Hei"}

timings: dict[str, float] = {}


class HarnessError(RuntimeError):
    """The test machinery itself failed, not the updater."""


def hex_utf8(text: str) -> str:
    return text.encode("utf-8").hex()


def make_token(*options: str) -> str:
    """A fresh launch token from the host-side encoder, as the text Wine is to pass on."""
    result = subprocess.run([str(MKTOKEN), *options], capture_output=True, timeout=10)
    if result.returncode != 0 or not result.stdout.endswith(b"\n"):
        raise HarnessError(f"mktoken {options} failed: {result.stderr!r}")
    return result.stdout[:-1].decode("gbk")


def screenshot(display: str, path: Path) -> Path:
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-display", display, "-window", "root", str(path)], check=True,
                   timeout=30, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return path


class Xvfb:
    """A private X server on a free display number."""

    def __init__(self, width: int, height: int):
        self.size = (width, height)
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL, start_new_session=True)
            os.close(write_end)
            write_end = -1
            self.display = ":" + self._read_display_number(read_end)
        finally:
            os.close(read_end)
            if write_end >= 0:
                os.close(write_end)

    def _read_display_number(self, fd: int, timeout_s: float = 15) -> str:
        text = b""
        deadline = time.monotonic() + timeout_s
        while not text.endswith(b"\n"):
            ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(fd, 64) if ready else b""
            if not chunk:
                self.stop()
                raise HarnessError(f"Xvfb {self.size} did not report its display")
            text += chunk
        return text.decode().strip()

    def stop(self) -> None:
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Screens:
    """One Xvfb per screen size, started on first use."""

    def __init__(self):
        self._servers: dict[tuple[int, int], Xvfb] = {}

    def display(self, size: tuple[int, int]) -> str:
        if size not in self._servers:
            self._servers[size] = Xvfb(*size)
        return self._servers[size].display

    def stop_all(self) -> None:
        for server in self._servers.values():
            server.stop()
        self._servers.clear()


def _font_replacements_reg() -> bytes:
    lines = ["Windows Registry Editor Version 5.00", "",
             r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
    lines += [f'"{face}"="{replacement}"' for face, replacement in FONT_REPLACEMENTS.items()]
    # Version 5 .reg files are UTF-16LE with a byte order mark; regedit reads them in any locale.
    return ("\ufeff" + "\r\n".join(lines) + "\r\n").encode("utf-16-le")


class WineSession:
    """A Wine prefix with a persistent wineserver, bound to one X display at a time.

    Wine's desktop process takes the screen size from the display it starts on, so moving to
    another display restarts the wineserver (and with it every process of the prefix).
    """

    def __init__(self, prefix: Path, display: str):
        self.prefix = prefix
        self.display = display

    def env(self, locale: str = ZH_LOCALE) -> dict[str, str]:
        env = dict(os.environ)
        env.update(WINEPREFIX=str(self.prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                   DISPLAY=self.display, LC_ALL=locale)
        return env

    def create_prefix(self) -> None:
        started = time.monotonic()
        if self.prefix.exists():
            self.stop_server()
            shutil.rmtree(self.prefix)
        self.prefix.mkdir(parents=True)
        self.start_server()
        self.run_quietly("wineboot.exe", "-i", timeout_s=180)
        reg_file = self.prefix / "font-replacements.reg"
        reg_file.write_bytes(_font_replacements_reg())
        self.run_quietly("regedit.exe", "/S", str(reg_file), timeout_s=60)
        timings["prefix creation"] = time.monotonic() - started

    def run_quietly(self, *args: str, timeout_s: float) -> None:
        """Runs a Windows program with its output in the session log.

        No pipe: the prefix's services, which the first program after a server start boots,
        inherit its output and keep it open for as long as the server runs.
        """
        log_path = self.prefix.parent / "wine-session.log"
        with open(log_path, "ab") as log:
            code = subprocess.run([WINE, *args], env=self.env(), stdin=subprocess.DEVNULL,
                                  stdout=log, stderr=log, timeout=timeout_s).returncode
        if code != 0:
            raise HarnessError(f"wine {args} exited {code}; see {log_path}")

    def start_server(self) -> None:
        # wineserver forks into the background once its socket is listening, so a loader started
        # after this returns finds it (and does not start a short-lived server of its own).
        # Its output goes nowhere: the daemon would keep a pipe open for as long as it runs.
        code = subprocess.run([WINESERVER, "-p"], env=self.env(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              start_new_session=True, timeout=30).returncode
        if code != 0:
            raise HarnessError(f"wineserver -p exited {code}")

    def stop_server(self) -> None:
        """Ends the server and with it every process of the prefix."""
        subprocess.run([WINESERVER, "-k"], env=self.env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
        subprocess.run([WINESERVER, "-w"], env=self.env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)

    def use_display(self, display: str) -> None:
        if display == self.display:
            return
        self.stop_server()
        self.display = display
        self.start_server()

    def warm_up(self) -> None:
        """Boots the prefix's services and desktop, so that the tests' timings start warm."""
        self.run_quietly(str(PROBE_EXE), "processes", timeout_s=60)


class StillRunning(AssertionError):
    pass


class UpdaterRun:
    """One start of updater.exe: the Wine loader process is the Windows process itself."""

    def __init__(self, process: subprocess.Popen, log: Path):
        self.process = process
        self.log = log
        self.started = time.monotonic()

    def wait(self, timeout_s: float) -> int:
        """The exit code; fails the test when the process is still running after timeout_s."""
        try:
            return self.process.wait(timeout_s)
        except subprocess.TimeoutExpired:
            raise StillRunning(f"updater still running after {timeout_s} s") from None

    def alive(self) -> bool:
        return self.process.poll() is None

    def exit_code(self) -> int | None:
        return self.process.poll()

    def seconds_since_start(self) -> float:
        return time.monotonic() - self.started

    def kill(self) -> None:
        if self.alive():
            self.process.send_signal(signal.SIGKILL)
        self.process.wait(10)


class UpdaterInstall:
    """A copy of updater.exe in a fresh directory of its own, where a test may put files."""

    def __init__(self, session: WineSession, directory: Path):
        self.session = session
        self.directory = directory
        self.exe = directory / "updater.exe"
        self.runs: list[UpdaterRun] = []
        directory.mkdir(parents=True, exist_ok=True)
        shutil.copy2(UPDATER_EXE, self.exe)

    def start(self, *args: str, locale: str = ZH_LOCALE) -> UpdaterRun:
        """Starts the updater with these argv elements; Wine builds the command line from them."""
        log = self.directory / f"wine-{len(self.runs)}.log"
        with open(log, "wb") as output:
            # Started from elsewhere than its own directory, as a host would start it.
            process = subprocess.Popen([WINE.encode(), str(self.exe).encode(),
                                        *(a.encode("utf-8") for a in args)],
                                       env=self.session.env(locale), cwd=E2E_DIR,
                                       stdin=subprocess.DEVNULL, stdout=output, stderr=output)
        run = UpdaterRun(process, log)
        self.runs.append(run)
        return run

    def end_all(self) -> None:
        for run in self.runs:
            run.kill()


class ProbeError(HarnessError):
    pass


class WindowCreations:
    """Windows whose creation the probe saw while a `Probe.watch_window_creation` block ran."""

    def __init__(self):
        self.created: list[dict] = []

    def of(self, exe: str) -> list[dict]:
        """Windows of that exe, and those whose process had ended before it could be named."""
        return [w for w in self.created if w["exe"].lower() in (exe.lower(), "")]


class Probe:
    # Settling time for creation events still on their way when the watched run has ended.
    WATCH_SETTLE_S = 0.3

    def __init__(self, session: WineSession):
        self.session = session

    def _command(self, *args: str) -> list[str]:
        return [WINE, str(PROBE_EXE), *args]

    def run(self, *args: str, timeout_s: float = 60) -> dict | None:
        """The probe's JSON report, or None when the window or box it looked for is not there."""
        result = subprocess.run(self._command(*args), env=self.session.env(), capture_output=True,
                                stdin=subprocess.DEVNULL, timeout=timeout_s)
        if result.returncode == 1:
            return None
        if result.returncode != 0:
            raise ProbeError(f"probe {args} exited {result.returncode}: "
                             f"{result.stderr.decode('utf-8', 'replace')}")
        return json.loads(result.stdout.decode("utf-8"))

    @staticmethod
    def _target(index: int | None, text: str | None) -> list[str]:
        if index is not None:
            return ["--index", str(index)]
        if text is not None:
            return ["--text", hex_utf8(text)]
        return []

    def window(self, title: str = WINDOW_TITLE, wait_ms: int = FIRST_WINDOW_WAIT_MS,
               visible: bool = True) -> dict | None:
        return self.run("window", "--title", hex_utf8(title), "--wait", str(wait_ms),
                        *(["--visible"] if visible else []))

    def click(self, *, index: int | None = None, text: str | None = None, mouse: bool = False,
              title: str = WINDOW_TITLE, wait_ms: int = 5000) -> dict | None:
        return self.run("click", "--title", hex_utf8(title), "--wait", str(wait_ms),
                        *self._target(index, text), *(["--mouse"] if mouse else []))

    def key(self, vk: int, *, alt: bool = False, index: int | None = None, text: str | None = None,
            title: str = WINDOW_TITLE, wait_ms: int = 5000) -> dict | None:
        return self.run("key", "--title", hex_utf8(title), "--wait", str(wait_ms), "--vk", str(vk),
                        *self._target(index, text), *(["--alt"] if alt else []))

    def close(self, title: str = WINDOW_TITLE, wait_ms: int = 5000) -> dict | None:
        return self.run("close", "--title", hex_utf8(title), "--wait", str(wait_ms))

    def show(self, state: str, title: str = WINDOW_TITLE, wait_ms: int = 5000) -> dict | None:
        return self.run("show", "--title", hex_utf8(title), "--wait", str(wait_ms), "--state", state)

    def msgbox(self, title: str, *, ok: bool = False, wait_ms: int = 5000) -> dict | None:
        return self.run("msgbox", "--title", hex_utf8(title), "--wait", str(wait_ms),
                        *(["--ok"] if ok else []))

    def processes(self, exe: str | None = None) -> list[dict]:
        return self.run("processes", *(["--exe", exe] if exe else []))["processes"]

    def kill(self, exe: str) -> list[int]:
        return self.run("kill", "--exe", exe)["killed"]

    @contextlib.contextmanager
    def watch_window_creation(self, limit_ms: int = 60000):
        """Collects every window created by another process while the block runs."""
        watcher = subprocess.Popen(self._command("watch", "--for", str(limit_ms)),
                                   env=self.session.env(), stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        creations = WindowCreations()
        try:
            if watcher.stdout.readline() != b"ready\n":
                raise ProbeError(f"probe watch did not start: {watcher.stderr.read()!r}")
            yield creations
            time.sleep(self.WATCH_SETTLE_S)
        finally:
            # The end of its input is the probe's signal to report.
            out, err = watcher.communicate(timeout=30)
        if watcher.returncode != 0:
            raise ProbeError(f"probe watch exited {watcher.returncode}: {err!r}")
        creations.created = json.loads(out.decode("utf-8"))["created"]


def end_updaters(session: WineSession) -> None:
    """Ends every updater.exe of the prefix, whoever started it."""
    Probe(session).kill("updater.exe")


def run_directory(test_name: str) -> Path:
    """Where a test's updater copies, logs and screenshots go."""
    return E2E_DIR / "runs" / re.sub(r"[^A-Za-z0-9_.-]+", "_", test_name)[:120]
