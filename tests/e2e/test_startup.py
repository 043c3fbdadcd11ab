"""Tovi starts with no window to show, and ends when Windows asks it to, keeping its settings beside it."""
import time

import pytest

from harness import MAIN_CLASS, MAIN_TITLE, TIMEOUT, describe_windows, probe, settings

# How long to keep watching once the main window is there: the start is when
# a stray window or task-bar button would show up.
WATCH_SECONDS = 4.0


@pytest.mark.scales(144)
def test_runs_hidden_without_a_task_bar_button_and_close_writes_the_defaults(tovi):
    tovi.start()
    give_up, watch_until = time.monotonic() + TIMEOUT, None
    while watch_until is None or time.monotonic() < watch_until:
        records = probe("windows")
        assert tovi.running(), f"tovi.exe ended with exit code {tovi.process.returncode}"
        shown = [w for w in records if w["kind"] == "window" and tovi.owns(w) and w["visible"]]
        assert not shown, "a window of tovi.exe is visible:\n" + describe_windows(shown)
        # Wine's task bar keeps a hidden button for every window; only shown ones count.
        buttons = [b for b in records if b["kind"] == "taskbar-button" and b["visible"] and b["text"] == MAIN_TITLE]
        assert not buttons, f"the task bar shows a button for Tovi: {buttons}"
        if watch_until is None and any(tovi.owns(w) and w["class"] == MAIN_CLASS for w in records):
            watch_until = time.monotonic() + WATCH_SECONDS
        assert watch_until or time.monotonic() < give_up, "its main window never appeared:\n" + tovi.describe()
    assert not tovi.ini.exists()
    tovi.close_and_wait()
    assert tovi.ini.read_bytes() == settings()
