"""The two eyes in Wine's notification area: where they look, how they blink, and what a locked session
does to them."""
import pytest

from harness import DOWN, LEFT, MAIN_CLASS, RIGHT, STILL, UP, Tray, probe, windows, x_click

# What the system sends the windows registered for the session's changes.
WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 0x2B1, 7, 8


@pytest.mark.scales(144, 192)
def test_the_pupils_follow_the_cursor_a_click_blinks_and_a_lock_stills_them(tovi):
    tovi.start(STILL)
    tray = Tray()
    (x, y), bottom = tray.centre, tray.taskbar[3]
    # Each place differs from the one before, so that the pupils must move to pass. The screen ends just below
    # the task bar's centre, at its last row; at 24 pixels the travel is 4.5, and halves round away from the centre.
    for point, place in [((x - 200, y), LEFT), ((x, y - 300), UP), ((x, bottom - 1), DOWN), ((x + 200, y), RIGHT)]:
        tray.look_towards(point, place)
    # The eyes are right of the centre: the cursor on one leaves the pupils where they are.
    open_eye = tray.look_towards(tray.eye_centre(0), RIGHT)
    for eye in (0, 1):
        seen = tray.watch(open_eye, 2000, lambda: x_click(*tray.eye_centre(eye), 1))
        # One blink: the eyelids' pictures, in between two looks of the open eye.
        assert seen == ["oco", "oco"], f"the eyes showed {seen} for a click on eye {eye}"
    assert probe("send", MAIN_CLASS, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK)[0]["to"] == 1, "the lock went unheard"
    seen = tray.watch(open_eye, 1500, lambda: x_click(x - 200, y))
    assert seen == ["o", "o"], f"the eyes showed {seen} while locked"
    assert probe("send", MAIN_CLASS, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK)[0]["to"] == 1, "the unlock went unheard"
    tray.look_towards((x - 200, y), LEFT)


# Unreadable lines, a huge value and values the program cannot use, among values it can.
BROKEN = (b"\x00\x01binary\xff\xfe junk\r\n=a value without a key\r\n[not closed\r\n\x80\x81=\x82\r\n"
          b"[Big]\r\nValue=" + b"x" * (1 << 20) + b"\r\n"
          b"[Eye]\r\nType=two\r\nBlink=yes\r\nBlinkInterval=300\r\n\r\na line without an equals sign")
SAVED = BROKEN.replace(b"Type=two", b"Type=0").replace(b"Blink=yes", b"Blink=1")


def test_a_broken_settings_file_gives_what_it_can_and_saving_keeps_every_other_byte(tovi):
    tovi.start(BROKEN)
    tray = Tray()
    # Blinking by default, every 300 ms as the file says, not every 5 s.
    seen = tray.watch(tray.look_towards((tray.centre[0], tray.centre[1] - 300), UP), 3000)
    assert all(eye.count("c") >= 3 for eye in seen), f"the eyes showed {seen}"
    assert not windows("#32770"), "a message box showed"
    tovi.close()
    assert tovi.wait_exit() == 0
    assert tovi.ini.read_bytes().split(b"\r\n") == SAVED.split(b"\r\n"), "the save changed lines not its own"
    assert not (tovi.folder / "tovi.ini.tmp").exists(), "the save left its temporary file"
