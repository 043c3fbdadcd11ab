"""The two eyes in Wine's notification area: where they look, how they blink, what a locked session
does to them, and an installer asking them to end."""
import pytest

from harness import DOWN, LEFT, MAIN_CLASS, RIGHT, STILL, UP, Tray, probe, x_click

# What the system sends the windows registered for the session's changes.
WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 0x2B1, 7, 8
# What a restart manager sends a program that holds a file an installer must replace.
WM_ENDSESSION, ENDSESSION_CLOSEAPP = 0x16, 1


@pytest.mark.scales(144, 192)
def test_the_pupils_follow_the_cursor_a_click_blinks_a_lock_stills_them_and_an_installer_ends_them(tovi):
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
    # The session goes on: a program left running unseen would hold its folder against every later start.
    assert probe("send", MAIN_CLASS, WM_ENDSESSION, 1, ENDSESSION_CLOSEAPP)[0]["to"] == 1
    assert tovi.wait_exit() == 0

