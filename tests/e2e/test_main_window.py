"""The main window and its controls, seen and driven from outside: where the window opens, its
style and icon, every control as created, the tooltip of ↓, the three top-right buttons, Esc, and
moving the window by dragging it with the mouse.

Mouse and keyboard input is real X input from xdotool, except where a case says it is posted by
the probe. State is polled with a deadline, as Wine delivers input and repaints asynchronously.
"""

from __future__ import annotations

import re
import subprocess
import time
from dataclasses import dataclass
from typing import Callable

import pytest

from servers import Answer, gbk_crlf, write_handoff
from wine import WINDOW_TITLE, WS_CAPTION, WS_POPUP, WS_THICKFRAME, UpdaterRun, make_token

WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_TABSTOP = 0x00010000  # the maximise-box bit, read on a child window
WS_EX_TOPMOST = 0x00000008
WS_EX_TOOLWINDOW = 0x00000080
WS_EX_APPWINDOW = 0x00040000
VK_ESCAPE = 0x1B

CLOSE_EXIT_S = 10  # Wine takes about 2 s from the window's end to the process's end
STATE_WAIT_S = 5
TOOLTIP_WAIT_S = 3
QUIET_S = 2  # how long a thing that must not happen is watched for

CHECKING = "版本检测中，客官请等片刻..."
REJECTED = "网络文件有问题，管理员手抽筋鸟"
TABLE_TEXT_OF_PROGRESS_LABEL = "版本检测中，客官请稍后..."


@dataclass(frozen=True)
class ControlSpec:
    window_class: str
    rect: tuple[int, int, int, int]  # left, top, width, height in the window's client area
    texts: frozenset[str]  # what the control may show at first sight
    visible: bool = True
    enabled: bool = True
    tab_stop: bool = False


def shows(*texts: str) -> frozenset[str]:
    return frozenset(texts)


# In the order of creation, which is the order the probe lists the children in (Z order).
CONTROLS = {
    "超级按钮3": ControlSpec("Button", (553, 0, 32, 32), shows("↓")),
    "超级按钮2": ControlSpec("Button", (585, 0, 32, 32), shows("－")),
    "超级按钮1": ControlSpec("Button", (618, 0, 32, 32), shows("×")),
    "透明标签3": ControlSpec("TransLabel", (13, 4, 251, 24), shows("在线更新器")),
    "透明标签2": ControlSpec("TransLabel", (24, 193, 608, 23), shows("专注装修，面面俱到，心有所思，无所不能！")),
    # The window opens while the version check runs; without gx.ini it is rejected at once.
    "标签_下载进度": ControlSpec("TransLabel", (24, 136, 600, 43), shows(CHECKING, REJECTED)),
    "标签_文件大小": ControlSpec("TransLabel", (11, 395, 165, 24), shows(" ")),
    "标签_下载速度": ControlSpec("TransLabel", (498, 395, 144, 24), shows(" ")),
    "按钮2": ControlSpec("Button", (590, 424, 60, 26), shows("开始更新"), enabled=False, tab_stop=True),
    "进度条1": ControlSpec("msctls_progress32", (0, 424, 590, 26), shows("")),
    "标签8": ControlSpec("Static", (72, 88, 113, 16), shows("所用时间:0秒"), visible=False),
}
INDEX = {name: i for i, name in enumerate(CONTROLS)}

# A point of the window's own background, covered by no control.
BACKGROUND_POINT = (300, 300)


# ---- helpers -----------------------------------------------------------------------------------

def poll(read: Callable[[], object], until: Callable[[object], bool], timeout_s: float,
         interval_s: float = 0.1):
    """Reads until `until` holds for the value read or the time is up; the last value read."""
    deadline = time.monotonic() + timeout_s
    while True:
        value = read()
        if until(value) or time.monotonic() >= deadline:
            return value
        time.sleep(interval_s)


def readings_for(read: Callable[[], object], seconds: float) -> list:
    """Every value read during that many seconds."""
    values = []
    deadline = time.monotonic() + seconds
    while not values or time.monotonic() < deadline:
        values.append(read())
        time.sleep(0.1)
    return values


def centre_of(control: dict) -> tuple[int, int]:
    rect = control["rect"]
    return rect["left"] + rect["width"] // 2, rect["top"] + rect["height"] // 2


def on_screen(window: dict, client_point: tuple[int, int]) -> tuple[int, int]:
    return window["rect"]["left"] + client_point[0], window["rect"]["top"] + client_point[1]


def place(window: dict) -> tuple[int, int]:
    return window["rect"]["left"], window["rect"]["top"]


class Desktop:
    """Real X input on the session's display, and what X knows of the window."""

    def __init__(self, session):
        self.env = session.env()

    def xdotool(self, *args: object) -> str:
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                                text=True, timeout=30)
        assert result.returncode == 0, f"xdotool {args}: {result.stderr}"
        return result.stdout

    def rest_on(self, point: tuple[int, int]) -> None:
        # Two moves, so that the window under the pointer sees the pointer move over it.
        x, y = point
        self.xdotool("mousemove", x - 1, y - 1, "sleep", 0.1, "mousemove", x, y)

    def click(self, point: tuple[int, int]) -> None:
        self.rest_on(point)
        self.xdotool("click", 1)

    def drag(self, start: tuple[int, int], distance: tuple[int, int], steps: int = 5) -> None:
        step_x, step_y = distance[0] // steps, distance[1] // steps
        assert (step_x * steps, step_y * steps) == distance and min(distance) >= 0
        moves = []
        for _ in range(steps):
            moves += ["mousemove_relative", step_x, step_y, "sleep", 0.05]
        self.xdotool("mousemove", *start, "mousedown", 1, "sleep", 0.2, *moves,
                     "sleep", 0.2, "mouseup", 1)

    def x_window(self) -> str:
        return self.xdotool("search", "--sync", "--name", f"^{WINDOW_TITLE}$").split()[0]

    def focus(self) -> None:
        self.xdotool("windowfocus", "--sync", self.x_window())

    def icon_sizes(self) -> list[tuple[int, int]]:
        """The sizes of the icons that the window gives X (_NET_WM_ICON), from its class icon."""
        result = subprocess.run(["xprop", "-id", self.x_window(), "_NET_WM_ICON"], env=self.env,
                                capture_output=True, text=True, timeout=30)
        assert result.returncode == 0, result.stderr
        return [(int(w), int(h)) for w, h in re.findall(r"Icon \((\d+) x (\d+)\)", result.stdout)]


@dataclass
class Opened:
    run: UpdaterRun
    window: dict


def open_window(install, probe) -> Opened:
    run = install.start(make_token())
    window = probe.window()
    assert window is not None, f"no window; updater exit code {run.exit_code()}"
    return Opened(run, window)


def tooltips(probe) -> list[dict]:
    window = probe.window(wait_ms=2000)
    return [w for w in window["owned"] if w["class"] == "tooltips_class32"] if window else []


def shown_tooltips(probe) -> list[dict]:
    return [w for w in tooltips(probe) if w["visible"]]


def progress_label_text(probe) -> str:
    return probe.window()["children"][INDEX["标签_下载进度"]]["text"]


@pytest.fixture
def desktop(wine_env):
    return Desktop(wine_env)


@pytest.fixture
def opened(updater, probe, desktop):
    # The pointer is put aside first, so that no earlier test leaves it over a control.
    desktop.xdotool("mousemove", 0, 0)
    return open_window(updater, probe)


def stalled_version_check(updater, scripted) -> None:
    """gx.ini names a manifest whose server accepts the request and never answers."""
    address = scripted.answer("/stalled.txt", Answer(stall=True))
    write_handoff(updater.directory, download=address, 版本="1.0", 文件名="main", id="1")


# ---- the window ----------------------------------------------------------------------------------

SCREENS = {
    "1920x1080": ((1920, 1080), (635, 315)),
    "1366x768": ((1366, 768), (358, 159)),
    "640x480, smaller than the window": ((640, 480), (-5, 15)),
}


@pytest.mark.parametrize("screen, expected", SCREENS.values(), ids=SCREENS)
def test_window_is_centred_on_the_screen(updater, probe, screen, expected):
    opened = open_window(updater, probe)
    assert place(opened.window) == expected
    assert (opened.window["rect"]["width"], opened.window["rect"]["height"]) == (650, 450)
    assert probe.close() is not None
    assert opened.run.wait(CLOSE_EXIT_S) == 0


def test_window_is_a_frameless_application_window(opened):
    window = opened.window
    assert window["text"] == WINDOW_TITLE
    assert (window["client"]["width"], window["client"]["height"]) == (650, 450)
    style, exstyle = window["style"], window["exstyle"]
    assert style & WS_POPUP
    assert not style & (WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX), hex(style)
    assert style & WS_MINIMIZEBOX, hex(style)
    assert not exstyle & WS_EX_TOPMOST, hex(exstyle)
    # A taskbar button of its own: no owner, and not a tool window unless forced by APPWINDOW.
    assert window["owner"] == 0
    assert exstyle & WS_EX_APPWINDOW or not exstyle & WS_EX_TOOLWINDOW, hex(exstyle)
    assert not window["iconic"] and not window["zoomed"]


def test_window_icon_is_one_48_pixel_image(opened, desktop):
    # The probe cannot read another process's icon under Wine; X gets it from the class icon.
    assert desktop.icon_sizes() == [(48, 48)]


# ---- the controls --------------------------------------------------------------------------------

def differences(settings: ControlSpec, control: dict) -> dict:
    rect = control["rect"]
    seen = {
        "class": control["class"],
        "rect": (rect["left"], rect["top"], rect["width"], rect["height"]),
        "text": control["text"],
        "visible": control["visible"],
        "enabled": control["enabled"],
        "tab stop": bool(control["style"] & WS_TABSTOP),
        "direct child": control["parent"] == -1,
    }
    wanted = {"class": settings.window_class, "rect": settings.rect, "visible": settings.visible,
              "enabled": settings.enabled, "tab stop": settings.tab_stop, "direct child": True}
    found = {key: seen[key] for key in wanted if seen[key] != wanted[key]}
    if control["text"] not in settings.texts:
        found["text"] = control["text"]
    return found


def test_every_control_is_created_as_defined(opened):
    children = opened.window["children"]
    assert [c["class"] for c in children] == [s.window_class for s in CONTROLS.values()]
    mismatches = {name: differences(settings, children[INDEX[name]]) for name, settings in CONTROLS.items()}
    assert {name: found for name, found in mismatches.items() if found} == {}
    bar = children[INDEX["进度条1"]]["progress"]
    assert (bar["low"], bar["high"], bar["pos"]) == (0, 10000, 0)


@dataclass(frozen=True)
class CheckCase:
    prepare: Callable
    settles_on: str


PROGRESS_LABEL_CASES = {
    "no gx.ini: rejected at once": CheckCase(lambda updater, scripted: None, REJECTED),
    "manifest server never answers: still checking":
        CheckCase(stalled_version_check, CHECKING),
}


@pytest.mark.parametrize("case", PROGRESS_LABEL_CASES.values(), ids=PROGRESS_LABEL_CASES)
def test_progress_label_never_shows_its_creation_text(updater, probe, scripted, case):
    case.prepare(updater, scripted)
    open_window(updater, probe)
    first = progress_label_text(probe)
    settled = poll(lambda: progress_label_text(probe), lambda text: text == case.settles_on,
                   STATE_WAIT_S)
    later = readings_for(lambda: progress_label_text(probe), QUIET_S / 2)
    assert first in (CHECKING, REJECTED)
    assert settled == case.settles_on
    assert set(later) == {case.settles_on}
    assert TABLE_TEXT_OF_PROGRESS_LABEL not in [first, settled, *later]
    assert not probe.window()["children"][INDEX["按钮2"]]["enabled"]


# ---- the tooltip ---------------------------------------------------------------------------------

TOOLTIPS = {"超级按钮3": "手工下载", "超级按钮2": None, "超级按钮1": None}


@pytest.mark.parametrize("button, tip", TOOLTIPS.items(), ids=TOOLTIPS)
def test_only_the_download_button_has_a_tooltip(opened, probe, desktop, button, tip):
    window = opened.window
    desktop.rest_on(on_screen(window, centre_of(window["children"][INDEX[button]])))
    if tip is None:
        readings = readings_for(lambda: shown_tooltips(probe), QUIET_S)
        assert {w["text"] for shown in readings for w in shown} == set()
        return
    shown = poll(lambda: shown_tooltips(probe), bool, TOOLTIP_WAIT_S)
    assert [w["text"] for w in shown] == [tip]
    assert shown[0]["rect"]["width"] <= 400


# ---- closing -------------------------------------------------------------------------------------

def click_close_button(opened, probe, desktop):
    desktop.click(on_screen(opened.window, centre_of(opened.window["children"][INDEX["超级按钮1"]])))


def press_escape(opened, probe, desktop):
    desktop.focus()
    desktop.xdotool("key", "Escape")


def post_escape_to(control: str | None):
    def post(opened, probe, desktop):
        index = None if control is None else INDEX[control]
        assert probe.key(VK_ESCAPE, index=index) is not None
    return post


CLOSERS = {
    "× clicked": click_close_button,
    "Esc pressed in the focused window": press_escape,
    "Esc posted to the window": post_escape_to(None),
    "Esc posted to ↓": post_escape_to("超级按钮3"),
    "Esc posted to the disabled 按钮2": post_escape_to("按钮2"),
    "Esc posted to 标签_下载进度": post_escape_to("标签_下载进度"),
}


@pytest.mark.parametrize("close", CLOSERS.values(), ids=CLOSERS)
def test_close_ends_the_process_with_code_0(opened, probe, desktop, close):
    close(opened, probe, desktop)
    assert opened.run.wait(CLOSE_EXIT_S) == 0


def test_close_button_ends_the_process_while_the_version_check_waits(updater, probe, desktop,
                                                                      scripted):
    stalled_version_check(updater, scripted)
    opened = open_window(updater, probe)
    assert poll(lambda: progress_label_text(probe), lambda text: text == CHECKING, STATE_WAIT_S) \
        == CHECKING
    click_close_button(opened, probe, desktop)
    assert opened.run.wait(CLOSE_EXIT_S) == 0


KEYS_THAT_DO_NOT_CLOSE = {
    "Shift+Esc": "shift+Escape",
    "Ctrl+Esc": "ctrl+Escape",
    "Alt+Esc": "alt+Escape",
    "Enter": "Return",
    "F1": "F1",
}


@pytest.mark.parametrize("keys", KEYS_THAT_DO_NOT_CLOSE.values(), ids=KEYS_THAT_DO_NOT_CLOSE)
def test_other_keys_and_escape_with_a_modifier_do_not_close(opened, probe, desktop, keys):
    desktop.focus()
    desktop.xdotool("key", keys)
    time.sleep(QUIET_S)
    assert opened.run.alive()
    assert probe.window(wait_ms=0) is not None
    # The keys did reach the window: a plain Esc right after them closes it.
    desktop.xdotool("key", "Escape")
    assert opened.run.wait(CLOSE_EXIT_S) == 0


# ---- minimising ----------------------------------------------------------------------------------

def test_minimise_button_minimises_and_a_restore_brings_the_window_back(opened, probe, desktop):
    before = opened.window
    desktop.click(on_screen(before, centre_of(before["children"][INDEX["超级按钮2"]])))
    minimised = poll(probe.window, lambda w: w["iconic"], STATE_WAIT_S)
    assert minimised["iconic"]
    assert probe.show("restore") is not None
    restored = poll(probe.window, lambda w: not w["iconic"], STATE_WAIT_S)
    assert not restored["iconic"] and restored["visible"]
    assert restored["rect"] == before["rect"]
    assert opened.run.alive()


# ---- moving --------------------------------------------------------------------------------------

DRAG_DISTANCE = (50, 40)


@dataclass(frozen=True)
class DragCase:
    point: tuple[int, int]  # in the window's client area
    moves: bool


def on_control(name: str) -> tuple[int, int]:
    left, top, width, height = CONTROLS[name].rect
    return left + width // 2, top + height // 2


DRAGS = {
    "background": DragCase(BACKGROUND_POINT, True),
    "进度条1": DragCase(on_control("进度条1"), True),
    "标签_下载进度": DragCase(on_control("标签_下载进度"), False),
    "透明标签3": DragCase(on_control("透明标签3"), False),
    "↓": DragCase(on_control("超级按钮3"), False),
    # The platform passes a press on a disabled control on to the main window.
    "disabled 按钮2": DragCase(on_control("按钮2"), False),
}


@pytest.mark.parametrize("case", DRAGS.values(), ids=DRAGS)
def test_drag_moves_the_window_only_from_background_and_bar(opened, probe, desktop, case):
    start = place(opened.window)
    desktop.drag(on_screen(opened.window, case.point), DRAG_DISTANCE)
    if not case.moves:
        # A drag on the background after it shows that the first drag has been handled: the
        # window then stands exactly one drag distance away.
        desktop.drag(on_screen(opened.window, BACKGROUND_POINT), DRAG_DISTANCE)
    expected = (start[0] + DRAG_DISTANCE[0], start[1] + DRAG_DISTANCE[1])
    moved = poll(lambda: place(probe.window()), lambda p: p == expected, STATE_WAIT_S)
    assert moved == expected
    time.sleep(0.3)
    assert place(probe.window()) == expected
    assert opened.run.alive()


# ---- manual download -----------------------------------------------------------------------------

def no_handoff(updater, nginx) -> None:
    pass


def manifest_without_download_address(updater, nginx) -> None:
    address = nginx.put("/main-window/no-address.txt", gbk_crlf("主程序版本=2.0"))
    write_handoff(updater.directory, download=address, 版本="1.0", 文件名="main", id="1")


@dataclass(frozen=True)
class ManualCase:
    prepare: Callable
    settled_text: str
    button_enabled: bool


MANUAL_DOWNLOADS = {
    "no gx.ini": ManualCase(no_handoff, REJECTED, False),
    "manifest without a download address":
        ManualCase(manifest_without_download_address, "新版发布，火力大增，不得不爱", True),
}


def window_view(window: dict) -> dict:
    """What the user sees of the window: its place and state, and each control's text and state."""
    return {"rect": window["rect"], "visible": window["visible"], "iconic": window["iconic"],
            "controls": [(c["text"], c["visible"], c["enabled"]) for c in window["children"]]}


@pytest.mark.parametrize("case", MANUAL_DOWNLOADS.values(), ids=MANUAL_DOWNLOADS)
def test_download_button_without_an_address_does_nothing(updater, probe, desktop, nginx, case):
    case.prepare(updater, nginx)
    opened = open_window(updater, probe)
    settled = poll(probe.window, lambda w: w["children"][INDEX["标签_下载进度"]]["text"] ==
                   case.settled_text and w["children"][INDEX["按钮2"]]["enabled"] ==
                   case.button_enabled, STATE_WAIT_S)
    assert settled["children"][INDEX["标签_下载进度"]]["text"] == case.settled_text
    processes_before = sorted(p["exe"] for p in probe.processes())
    with probe.watch_window_creation() as watch:
        desktop.click(on_screen(settled, centre_of(settled["children"][INDEX["超级按钮3"]])))
        time.sleep(QUIET_S)
    assert opened.run.alive()
    assert [w for w in watch.created if w["kind"] == "top-level"] == []
    assert sorted(p["exe"] for p in probe.processes()) == processes_before
    assert window_view(probe.window()) == window_view(settled)
