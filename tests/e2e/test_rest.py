"""The eyes at rest. Wine never locks a session, never says the display is
off or a program in front hides the task bar, and cannot tell where an icon
sits: there the eyes run as they always did. A lock is steered with the
message the system sends the program's main window."""
import time

import harness
from harness import STILL
from test_eyes import Tray

# Longer than two of the program's once-a-second questions to the shell.
ASKED_SECONDS = 2.5
LOCKED_MILLISECONDS = 1500


def session(change):
    records = harness.probe("session", harness.MAIN_CLASS, change)
    assert records and all(r["sent"] for r in records), f"the {change} was not heard: {records}"


def test_where_wine_offers_none_of_it_the_eyes_run_as_ever_and_the_settings_file_gains_nothing(tovi):
    tray = Tray(tovi, STILL)
    x, y = tray.centre
    tray.look_towards((x - 200, y - 300), 0)
    time.sleep(ASKED_SECONDS)
    # Measured from the notification area's centre, as ever.
    tray.look_towards((x + 200, y - 300), 0)
    harness.end_and_see_the_eyes_go(tovi, tray.taskbar, tovi.close)
    assert tovi.ini.read_bytes() == STILL


def test_a_locked_session_stills_the_eyes_and_unlocking_turns_them_to_the_cursor(tovi):
    tray = Tray(tovi, STILL)
    x, y = tray.centre
    before, after = (x - 200, y - 300), (x + 200, y - 300)
    looking = tray.look_towards(before, 0)
    session("lock")
    with harness.ScreenWatch(tray.eyes_rect(), LOCKED_MILLISECONDS) as watch:
        harness.x_move(*after)
        frames = watch.finish()
    # Fails on any frame but the eyes looking at where the cursor was.
    for corner, labels in zip(tray.eyes, harness.label_frames(watch, frames, tray.eyes, looking, tray.background)):
        assert set(labels) <= {"open", "drawing"}, f"the eye at {corner} showed {labels} while locked"
    session("unlock")
    tray.look_towards(after, 0)
    tovi.close_and_wait()
