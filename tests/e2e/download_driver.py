"""Runs build/win/download_driver.exe, which calls the updater's http_download on a worker
thread, and reads back what it printed and the progress callbacks it logged."""

from __future__ import annotations

import dataclasses
import os
import select
import subprocess
import time
from pathlib import Path

from wine import ROOT, WINE, ZH_LOCALE, HarnessError, WineSession

DRIVER_EXE = ROOT / "build" / "win" / "download_driver.exe"


def windows_path(path: Path) -> str:
    """The path as the Windows side sees it, through Wine's Z: drive."""
    return "Z:" + str(path).replace("/", "\\")


@dataclasses.dataclass
class Callback:
    total: int
    so_far: int
    elapsed: int
    received: int


@dataclasses.dataclass
class Outcome:
    result: int
    elapsed_ms: float
    local_file: str  # "free", "held" (still open) or "absent"
    callbacks: list[Callback]


def parse_report(stdout: bytes) -> dict[str, str]:
    report = {}
    for line in stdout.decode("utf-8", "replace").splitlines():
        name, _, value = line.partition(" ")
        report[name] = value
    if "result" not in report:
        raise HarnessError(f"download_driver printed no result: {stdout!r}")
    return report


def read_callbacks(log: Path) -> list[Callback]:
    if not log.exists():
        return []
    return [Callback(*map(int, line.split())) for line in log.read_text().splitlines()]


class DriverRun:
    """One start of the driver; `finish` waits for its report."""

    def __init__(self, session: WineSession, url: str, local: Path, *, offset: int = 0, resume: int = 0,
                 log: Path | None = None, window: bool = False, stay: bool = False,
                 locale: str = ZH_LOCALE):
        if not DRIVER_EXE.exists():
            raise HarnessError(f"{DRIVER_EXE} is missing: run make build first")
        self.log = log
        if log is not None and log.exists():
            log.unlink()
        args = [WINE, str(DRIVER_EXE), "download", url, windows_path(local), str(offset), str(resume)]
        if log is not None:
            args += ["--log", windows_path(log)]
        args += (["--window"] if window else []) + (["--stay"] if stay else [])
        self.process = subprocess.Popen(args, env=session.env(locale), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def read_report(self, timeout_s: float) -> Outcome:
        """The report of a driver that stays open (--stay): its first three lines."""
        text = b""
        deadline = time.monotonic() + timeout_s
        while text.count(b"\n") < 3:
            ready, _, _ = select.select([self.process.stdout], [], [], max(0.0, deadline - time.monotonic()))
            piece = os.read(self.process.stdout.fileno(), 4096) if ready else b""
            if not piece:
                raise HarnessError(f"download_driver reported only {text!r} in {timeout_s} s")
            text += piece
        return self.outcome(parse_report(text))

    def finish(self, timeout_s: float) -> Outcome:
        """Waits for the driver to end; raises subprocess.TimeoutExpired while it still runs."""
        stdout, stderr = self.process.communicate(timeout=timeout_s)
        if self.process.returncode != 0:
            raise HarnessError(f"download_driver exited {self.process.returncode}: {stderr!r}")
        return self.outcome(parse_report(stdout))

    def outcome(self, report: dict[str, str]) -> Outcome:
        return Outcome(int(report["result"]), float(report["elapsed_ms"]), report["local_file"],
                       read_callbacks(self.log) if self.log else [])

    def kill(self) -> None:
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(10)
        self.process.stdout.close()
        self.process.stderr.close()


def write_costs(session: WineSession, count: int, timeout_s: float = 600) -> dict[str, float]:
    """Milliseconds per call of each property write of the progress report, from a worker."""
    result = subprocess.run([WINE, str(DRIVER_EXE), "write-cost", str(count)], env=session.env(),
                            stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout_s)
    if result.returncode != 0:
        raise HarnessError(f"download_driver write-cost exited {result.returncode}: {result.stderr!r}")
    costs = {}
    for line in result.stdout.decode().splitlines():
        name, value = line.split()
        costs[name] = float(value)
    return costs
