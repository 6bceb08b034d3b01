"""The main window's placement on screens of different sizes."""

import pytest

from wine import make_token

CLOSE_EXIT_S = 5


@pytest.mark.parametrize("screen", [(1920, 1080), (1366, 768)], ids=["1920x1080", "1366x768"])
def test_window_is_centred_on_the_screen(updater, probe, screen):
    run = updater.start(make_token())
    window = probe.window()
    assert window is not None, f"no window; updater exit code {run.exit_code()}"
    screen_width, screen_height = screen
    assert (window["rect"]["left"], window["rect"]["top"]) == (
        (screen_width - 650) // 2, (screen_height - 450) // 2)
    assert probe.close() is not None
    assert run.wait(CLOSE_EXIT_S) == 0
