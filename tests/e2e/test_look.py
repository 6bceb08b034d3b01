"""The settled look of the window in the states the program passes through, read from
screenshots of the real window: sampled pixels and small regions, never whole images, since
fonts differ between machines. Each state's screenshot is kept in build/e2e/screenshots."""

import subprocess
import time

import pytest

import servers
import wine
from wine import make_token

SHOTS = wine.E2E_DIR / "screenshots"
SETTLE_S = 10
TOLERANCE = 12

# Control IDs follow the window's controls table.
DOWN, MINIMISE, CLOSE, TITLE, SLOGAN, PROGRESS, SIZE, SPEED, MAIN_BUTTON, BAR = range(1000, 1010)

GREEN = (26, 124, 49)
MAIN_GREEN = (0, 224, 128)
MAGENTA = (255, 0, 255)
PICTURE_GREEN = (104, 150, 104)


def near(colour, expected, tolerance=TOLERANCE):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


class Shot:
    """A screenshot of the whole screen, read back as raw pixels."""

    def __init__(self, display: str, name: str):
        SHOTS.mkdir(parents=True, exist_ok=True)
        self.path = wine.screenshot(display, SHOTS / f"{name}.png")
        size = subprocess.run(["identify", "-format", "%w %h", str(self.path)], capture_output=True,
                              text=True, check=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run(["convert", str(self.path), "-depth", "8", "rgb:-"],
                                  capture_output=True, check=True).stdout

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at:at + 3])

    def region(self, rect: dict) -> list[tuple[int, int, int]]:
        return [self.pixel(x, y) for y in range(rect["top"], rect["bottom"])
                for x in range(rect["left"], rect["right"])]


def on_screen(window: dict, control_id: int, inset: int = 0) -> dict:
    child = next(c for c in window["children"] if c["id"] == control_id)
    left = window["rect"]["left"] + child["rect"]["left"] + inset
    top = window["rect"]["top"] + child["rect"]["top"] + inset
    return {"left": left, "top": top, "right": left + child["rect"]["width"] - 2 * inset,
            "bottom": top + child["rect"]["height"] - 2 * inset}


def centre(rect: dict) -> tuple[int, int]:
    return (rect["left"] + rect["right"]) // 2, (rect["top"] + rect["bottom"]) // 2


def count(pixels, predicate) -> int:
    return sum(1 for p in pixels if predicate(p))


def reddish(p): return p[0] > 190 and p[1] < 80 and p[2] < 80
def cyanish(p): return p[0] < 80 and p[1] > 190 and p[2] > 190
def blackish(p): return max(p) < 40


def wait_for_text(probe, control_id: int, text: str) -> dict:
    deadline = time.monotonic() + SETTLE_S
    while time.monotonic() < deadline:
        window = probe.window()
        if window and any(c["id"] == control_id and c["text"] == text for c in window["children"]):
            return window
        time.sleep(0.2)
    pytest.fail(f"{text!r} did not show")


def mouse_to(display: str, x: int, y: int) -> None:
    subprocess.run(["xdotool", "mousemove", str(x), str(y)], env={"DISPLAY": display}, check=True)
    time.sleep(0.4)


@pytest.fixture
def checked(install, nginx):
    """Starts an updater whose check finds the given server version against installed 1.0."""
    def start(server_version: str):
        updater = install()
        url = nginx.put(f"look/{server_version}/list.txt",
                        servers.gbk_crlf(f"主程序版本={server_version}", "主程序下载地址=http://127.0.0.1:1/x.exe"))
        servers.write_handoff(updater.directory, download=url, 版本="1.0", 文件名="主程序", id="1")
        return updater.start(make_token())
    return start


def test_new_version_state(checked, probe, wine_env):
    checked("2.0")
    window = wait_for_text(probe, PROGRESS, "新版发布，火力大增，不得不爱")
    mouse_to(wine_env.display, 0, 0)
    shot = Shot(wine_env.display, "new-version")
    client = window["rect"]
    # The picture shows beneath the labels and in the free areas; nothing else paints there.
    free_area = {"left": client["left"] + 300, "top": client["top"] + 60,
                 "right": client["left"] + 340, "bottom": client["top"] + 100}
    assert count(shot.region(free_area), lambda p: near(p, PICTURE_GREEN)) > 1500
    for button in (DOWN, MINIMISE, CLOSE):
        rect = on_screen(window, button)
        assert near(shot.pixel(rect["left"] + 1, rect["top"] + 1), GREEN), button
    main = on_screen(window, MAIN_BUTTON)
    assert near(shot.pixel(main["left"] + 1, main["top"] + 1), MAIN_GREEN)
    progress = shot.region(on_screen(window, PROGRESS))
    assert count(progress, reddish) > 200, "the new-version text is red"
    assert count(progress, blackish) > 100, "its shadow stays black"
    assert count(progress, cyanish) == 0


def test_up_to_date_state_is_cyan_with_a_black_shadow(checked, probe, wine_env):
    checked("1.0")
    window = wait_for_text(probe, PROGRESS, "没有发现新版，无需更新！")
    shot = Shot(wine_env.display, "up-to-date")
    progress = shot.region(on_screen(window, PROGRESS))
    assert count(progress, cyanish) > 200
    assert count(progress, blackish) > 100
    assert count(progress, reddish) == 0


def magentaish(p): return p[0] > 140 and p[2] > 140 and p[1] < 110
def cyanish_text(p): return p[1] > 150 and p[2] > 150 and p[0] < 110
def redish_text(p): return p[0] > 150 and p[1] < 90 and p[2] < 90


# The button, what its caption turns while the mouse is over it, its background then and after.
HOVERS = {
    "↓ turns magenta": (DOWN, magentaish, GREEN, GREEN),
    "－ turns cyan": (MINIMISE, cyanish_text, GREEN, GREEN),
    "× turns red": (CLOSE, redish_text, GREEN, GREEN),
    "开始更新 turns magenta": (MAIN_BUTTON, magentaish, MAGENTA, MAIN_GREEN),
}


@pytest.mark.parametrize("button, hover_pixel, hover_back, normal_back", HOVERS.values(), ids=HOVERS)
def test_hover_colours(checked, probe, wine_env, button, hover_pixel, hover_back, normal_back):
    checked("2.0")
    window = wait_for_text(probe, PROGRESS, "新版发布，火力大增，不得不爱")
    rect = on_screen(window, button)
    mouse_to(wine_env.display, *centre(rect))
    hovered = Shot(wine_env.display, f"hover-{button}")
    assert near(hovered.pixel(rect["left"] + 1, rect["top"] + 1), hover_back)
    assert count(hovered.region(rect), hover_pixel) > 0
    mouse_to(wine_env.display, window["rect"]["left"] + 300, window["rect"]["top"] + 300)
    left = Shot(wine_env.display, f"left-{button}")
    assert near(left.pixel(rect["left"] + 1, rect["top"] + 1), normal_back)
    if hover_back == normal_back:
        assert count(left.region(rect), hover_pixel) == 0


def test_disabled_main_button_is_embossed_and_ignores_hover(updater, probe, wine_env):
    updater.start(make_token())  # no gx.ini: the check is rejected, 按钮2 stays disabled
    window = wait_for_text(probe, PROGRESS, "网络文件有问题，管理员手抽筋鸟")
    rect = on_screen(window, MAIN_BUTTON)
    mouse_to(wine_env.display, *centre(rect))
    shot = Shot(wine_env.display, "rejected")
    assert near(shot.pixel(rect["left"] + 1, rect["top"] + 1), MAIN_GREEN), "no hover colour"
    caption = shot.region(rect)
    # Anti-aliased against the green: the shadow greyish, the highlight nearly white.
    grey = count(caption, lambda p: max(p) - min(p) < 45 and 100 < p[0] < 190)
    white = count(caption, lambda p: min(p) > 215)
    assert grey > 10 and white > 10, "shadow over highlight, not the enabled white caption alone"


def test_tooltip_shows_over_the_download_button_only(checked, probe, wine_env):
    checked("2.0")
    window = wait_for_text(probe, PROGRESS, "新版发布，火力大增，不得不爱")

    def tooltip_after_resting_on(button):
        mouse_to(wine_env.display, *centre(on_screen(window, button)))
        time.sleep(1.5)
        owned = probe.window().get("owned", [])
        return [w["text"] for w in owned if w["class"] == "tooltips_class32" and w["visible"]]

    for button in (MINIMISE, CLOSE):
        assert tooltip_after_resting_on(button) == []
    shown = tooltip_after_resting_on(DOWN)
    Shot(wine_env.display, "tooltip")
    assert shown == ["手工下载"] or shown == [""], shown
