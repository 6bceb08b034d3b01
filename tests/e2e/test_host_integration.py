"""docs/host-integration.md is enough for a host in another language: tokens built by an encoder
written only from that document start the updater."""

import random

import pytest

import host_token
from wine import WINDOW_TITLE

CLOSE_EXIT_S = 5

TOKENS = {
    "the document's example": host_token.example_token,
    "a fresh token from the document's steps": lambda: host_token.random_token(random.Random(8)),
}


def test_example_token_follows_the_documented_steps():
    assert host_token.example_token() == host_token.encode(
        host_token.key_material()["launch_text"], "7TM5", [51, 42, 9, 17, 63])


@pytest.mark.parametrize("token", TOKENS.values(), ids=TOKENS)
def test_documented_token_is_accepted(updater, probe, token):
    run = updater.start(token())
    window = probe.window()
    assert window is not None, f"no window; updater exit code {run.exit_code()}"
    assert window["text"] == WINDOW_TITLE
    assert probe.close() is not None
    assert run.wait(CLOSE_EXIT_S) == 0
