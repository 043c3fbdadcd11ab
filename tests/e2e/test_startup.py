"""Tovi starts as a program with no window to show, ends when Windows asks
it to, keeping its settings beside it, and ends cleanly on a bad picture."""
import time

import pytest

from harness import MAIN_CLASS, MAIN_TITLE, TIMEOUT, desktop, describe_windows, probe, wait_until

DEFAULT_INI = b"[Eye]\r\nType=0\r\nBlink=1\r\nBlinkInterval=5000\r\n"
# How long to keep watching after the main window appeared: the start is when
# a stray window or task-bar button would show up.
WATCH_SECONDS = 4.0


def test_runs_with_only_a_hidden_main_window_and_no_task_bar_button(tovi):
    tovi.start()
    give_up = time.monotonic() + TIMEOUT
    watch_until = None
    while watch_until is None or time.monotonic() < watch_until:
        view = desktop()
        assert tovi.running(), f"tovi.exe ended with exit code {tovi.process.returncode}"
        shown = [w for w in tovi.own_windows(view) if w["visible"]]
        assert not shown, "a window of tovi.exe is visible:\n" + describe_windows(shown)
        # Wine's task bar keeps a hidden button for every window; only shown ones count.
        buttons = [b for b in view.taskbar_buttons if b["visible"] and b["text"] == MAIN_TITLE]
        assert not buttons, f"the task bar shows a button for Tovi: {buttons}"
        main = tovi.main_window(view)
        if main and watch_until is None:
            watch_until = time.monotonic() + WATCH_SECONDS
        if watch_until is None:
            assert time.monotonic() < give_up, "its main window never appeared:\n" + tovi.describe()
    assert main is not None and not main["visible"], f"the main window is gone or visible: {main}"
    assert tovi.running(), f"tovi.exe ended with exit code {tovi.process.returncode}"


def ini_lines(data):
    """Splits the bytes of tovi.ini into every line that is not a key of
    [Eye], endings included, and the [Eye] values by lower-case key."""
    others, eye = [], {}
    section = None
    for line in data.splitlines(keepends=True):
        text = line.strip()
        if text.startswith(b"["):
            section = text.strip(b"[]").strip().lower()
        elif section == b"eye" and b"=" in text and not text.startswith(b";"):
            key, value = text.split(b"=", 1)
            eye.setdefault(key.strip().lower(), value.strip())
            continue
        others.append(line)
    return others, eye


class TestClosing:
    def close_and_wait(self, tovi):
        tovi.start()
        tovi.wait_main_window()
        assert tovi.close(), f"no window {MAIN_CLASS!r} {MAIN_TITLE!r} to close"
        code = tovi.wait_exit()
        assert code == 0, f"tovi.exe ended with exit code {code}"

    def test_first_close_writes_the_default_settings(self, tovi):
        assert not tovi.ini.exists()
        self.close_and_wait(tovi)
        assert tovi.ini.read_bytes() == DEFAULT_INI

    @pytest.mark.parametrize("initial, eye_values, added_lines", [
        pytest.param(
            "; トヴィの設定\r\n[Window]\r\nLeft = 10\r\n\r\n[Eye]\r\n; 瞳の形\r\nType=2\r\nBlink=0\r\n"
            "BlinkInterval=1234\r\n\r\n[Other]\r\nName=目 テスト\r\n",
            {b"type": b"2", b"blink": b"0", b"blinkinterval": b"1234"},
            [],
            id="eye-values-kept"),
        pytest.param(
            "[Window]\r\nLeft=10\r\n; no eye section yet\r\n",
            {b"type": b"0", b"blink": b"1", b"blinkinterval": b"5000"},
            [b"[Eye]\r\n"],
            id="eye-section-added"),
    ])
    def test_close_keeps_every_other_line(self, tovi, initial, eye_values, added_lines):
        initial = initial.encode("utf-8")
        tovi.ini.write_bytes(initial)
        self.close_and_wait(tovi)
        saved = tovi.ini.read_bytes()
        saved_others, saved_eye = ini_lines(saved)
        initial_others, _ = ini_lines(initial)
        assert saved_others == initial_others + added_lines, f"other lines changed:\n{saved!r}"
        assert saved_eye == eye_values, f"wrong [Eye] values:\n{saved!r}"


def delete(path):
    path.unlink()


def empty(path):
    path.write_bytes(b"")


def text_file(path):
    path.write_bytes(b"This is not a picture.\r\n")


@pytest.mark.parametrize("file_name, spoil", [
    ("base.bmp", delete),
    ("base.bmp", empty),
    ("cap1.bmp", delete),
    ("cap2.bmp", text_file),
])
def test_bad_picture_shows_one_message_then_ends(tovi, file_name, spoil):
    spoil(tovi.folder / file_name)
    tovi.start()
    wait_until(tovi.message_boxes, "a message box", details=tovi.describe)
    boxes = tovi.message_boxes()
    assert len(boxes) == 1, f"expected one message box, got {boxes}"
    box = boxes[0]
    assert box["title"] == "Tovi"
    assert any(file_name in text for text in box["texts"]), \
        f"the message does not name {file_name}: {box['texts']}"
    assert probe("press-button", "Tovi", "OK"), f"no OK button in {box['buttons']}"
    # Ends in order: a crash would keep the process alive behind Wine's crash dialog.
    tovi.wait_exit()
