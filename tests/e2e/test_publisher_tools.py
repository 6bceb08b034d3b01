"""mkmanifest, the publisher's manifest tool: what it writes is what the updater reads."""

import subprocess

import pytest

import servers
import wine

MKMANIFEST = wine.ROOT / "build" / "native" / "mkmanifest"


def mkmanifest(*args: str) -> subprocess.CompletedProcess:
    return subprocess.run([str(MKMANIFEST), *args], capture_output=True, timeout=30)


def test_written_manifest_is_gbk_with_crlf_and_checks_back(tmp_path):
    made = mkmanifest("--version", "3.1.0 测试", "--url", "http://127.0.0.1/新版.exe", "--title", "沐川堂")
    assert made.returncode == 0, made.stderr
    assert made.stdout == servers.gbk_crlf("沐川堂", "主程序版本=3.1.0 测试", "主程序下载地址=http://127.0.0.1/新版.exe")
    (tmp_path / "list.txt").write_bytes(made.stdout)
    checked = mkmanifest("--check", str(tmp_path / "list.txt"))
    assert checked.returncode == 0
    assert checked.stdout.decode() == 'server version: "3.1.0 测试"\ndownload address: "http://127.0.0.1/新版.exe"\n'


REFUSED = {
    "line break in the version": ["--version", "1\n2", "--url", "http://h/a.exe"],
    "CR in the address": ["--version", "1", "--url", "http://h/a.exe\r"],
    "empty version": ["--version", "", "--url", "http://h/a.exe"],
    "address that is no web address": ["--version", "1", "--url", "C:\\a.exe"],
    "no arguments": [],
}


@pytest.mark.parametrize("args", REFUSED.values(), ids=REFUSED)
def test_format_breaking_values_are_refused(args):
    made = mkmanifest(*args)
    assert made.returncode != 0
    assert made.stdout == b""


CHECKED = {
    "LF-only lines": ("主程序版本=2.0\n".encode("gbk"), 1, 'server version: ""'),
    "UTF-8 text": ("主程序版本=2.0\r\n".encode("utf-8"), 1, "rejected"),
    "prose only": ("说到主程序版本而已\r\n".encode("gbk"), 1, 'server version: ""'),
}


@pytest.mark.parametrize("body, status, shown", CHECKED.values(), ids=CHECKED)
def test_check_of_a_served_manifest_tells_the_pitfalls(nginx, body, status, shown):
    url = nginx.put(f"check/{abs(hash(body))}.txt", body)
    checked = mkmanifest("--check", url)
    assert checked.returncode == status
    assert shown in checked.stdout.decode()
