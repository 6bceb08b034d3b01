"""The launch gate, seen from outside: which command lines open the updater's window and keep it
running, and which end the process silently with exit code 0."""

import time
from dataclasses import dataclass, field

import pytest

from wine import C_LOCALE, WINDOW_TITLE, WS_CAPTION, WS_POPUP, WS_THICKFRAME, ZH_LOCALE, make_token

LOCALES = [ZH_LOCALE, C_LOCALE]
QUICK_EXIT_S = 5
KEEPS_RUNNING_S = 1.5
CLOSE_EXIT_S = 5

# Wine quotes an argv element that holds a blank, so a "quoted" argument is one with a blank.
WRONG_ARGUMENT_COUNTS = {
    "no argument": lambda: [],
    "two valid tokens": lambda: [make_token(), make_token()],
    "token then a plain argument": lambda: [make_token(), "x"],
    "token then a quoted argument": lambda: [make_token(), "second argument"],
    "quoted noisy token then a quoted argument": lambda: [make_token("--ascii-noise"), "a b"],
}

WRONG_TOKENS = {
    "token of another text": lambda: make_token("--text", "something-else"),
    "empty argument": lambda: "",
    "text that is no token": lambda: "not a token",
}


@pytest.mark.parametrize("locale", LOCALES)
@pytest.mark.parametrize("arguments", WRONG_ARGUMENT_COUNTS.values(), ids=WRONG_ARGUMENT_COUNTS)
def test_wrong_argument_count_ends_before_any_window(updater, probe, arguments, locale):
    with probe.watch_window_creation() as watch:
        run = updater.start(*arguments(), locale=locale)
        assert run.wait(QUICK_EXIT_S) == 0
    assert watch.of("updater.exe") == []


@pytest.mark.parametrize("locale", LOCALES)
@pytest.mark.parametrize("token", WRONG_TOKENS.values(), ids=WRONG_TOKENS)
def test_wrong_token_ends_after_the_window_was_created(updater, probe, token, locale):
    with probe.watch_window_creation() as watch:
        run = updater.start(token(), locale=locale)
        assert run.wait(QUICK_EXIT_S) == 0
    # The window is loaded before the token is compared.
    assert [w for w in watch.of("updater.exe") if w["kind"] != "message-only"], watch.created


@dataclass
class Accepted:
    locale: str
    mktoken_options: list[str] = field(default_factory=list)
    folder: str = "updater"


ACCEPTED = {
    "plain token": Accepted(ZH_LOCALE),
    "token with blanks, CR LF and full-width blanks": Accepted(ZH_LOCALE, ["--noise"]),
    "token with blanks and CR LF": Accepted(ZH_LOCALE, ["--ascii-noise"]),
    "quoted program path with blanks": Accepted(ZH_LOCALE, folder="folder with blanks"),
    "plain token, code page 1252": Accepted(C_LOCALE),
    "token with blanks and CR LF, code page 1252": Accepted(C_LOCALE, ["--ascii-noise"]),
    "quoted program path with blanks, code page 1252":
        Accepted(C_LOCALE, ["--ascii-noise"], folder="folder with blanks"),
}


@pytest.mark.parametrize("case", ACCEPTED.values(), ids=ACCEPTED)
def test_valid_token_opens_the_window_until_it_is_closed(install, probe, case):
    with probe.watch_window_creation() as watch:
        run = install(case.folder).start(make_token(*case.mktoken_options), locale=case.locale)
        window = probe.window()
    assert window is not None, f"no window; updater exit code {run.exit_code()}"
    assert window["text"] == WINDOW_TITLE
    assert (window["rect"]["width"], window["rect"]["height"]) == (650, 450)
    assert window["style"] & WS_POPUP
    assert not window["style"] & (WS_CAPTION | WS_THICKFRAME)
    assert [p["pid"] for p in probe.processes("updater.exe")] == [window["pid"]]
    titled = [w for w in watch.of("updater.exe") if w["kind"] == "top-level" and w["text"] == WINDOW_TITLE]
    assert len(titled) == 1, watch.created

    time.sleep(max(0.0, KEEPS_RUNNING_S - run.seconds_since_start()))
    assert run.alive(), f"updater ended with exit code {run.exit_code()}"
    assert probe.close() is not None
    assert run.wait(CLOSE_EXIT_S) == 0
    assert probe.processes("updater.exe") == []
