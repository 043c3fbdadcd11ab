"""The two eyes in Wine's notification area: where they look, how they
blink, and the menu of a right click. The eyes are judged by facts about
the pictures in data/ that need no model of the composition: the screen
shows through where the base is transparent, the pupil picture shows whole
at one place, both eyes alike, each eyelid picture shows whole in turn."""
import math

import pytest

import harness
from harness import ICON_SIZE, icon_text, settings, wait_until

# Cases that run at 144 and 192 DPI too; the others at 96 only.
SCALED = pytest.mark.scales(144, 192)
# Long enough for one click's blink, and for several blinks 300 ms apart.
WATCH_MILLISECONDS = 3000
# The eyelid pictures of one blink: cap1.bmp down to cap4.bmp and back.
BLINK = [1, 2, 3, 4, 3, 2, 1]


class Tray:
    """The task bar once both eyes are in it."""

    def __init__(self, tovi, ini=None):
        if ini is not None:
            tovi.ini.write_bytes(ini)
        tovi.start()
        self.taskbar = harness.wait_taskbar()
        self.eyes = harness.wait_two_eyes(tovi, self.taskbar)  # top-left corners, left eye first
        self.centre = harness.gaze_centre(self.taskbar)
        self.background = harness.background_colour(harness.desktop_screenshot(), self.taskbar)

    def eye_centre(self, index):
        x, y = self.eyes[index]
        return x + ICON_SIZE // 2, y + ICON_SIZE // 2

    def eyes_rect(self):
        (left, top), (right, _) = self.eyes
        return left, top, right + ICON_SIZE, top + ICON_SIZE

    def look_towards(self, point, pupil_type, pupil_at=None):
        """Puts the cursor on point and waits until both eyes show the pupil
        at pupil_at in the picture, or, where not given, on the cursor's side
        of looking ahead. Returns the icon both show."""
        seen, problems = [], []

        def both_match():
            image = harness.desktop_screenshot()
            seen[:] = [harness.icon_pixels(image, corner) for corner in self.eyes]
            problems[:] = self.problems(seen, pupil_type, point, pupil_at)
            return not problems

        harness.x_move(*point)
        wait_until(both_match, f"both eyes to look towards {point}",
                   details=lambda: "\n".join(problems) + "\nseen:\n" + "\n\n".join(map(icon_text, seen)))
        return seen[0]

    def problems(self, icons, pupil_type, point, pupil_at):
        problems, place = harness.look(icons[0], pupil_type, self.background)
        if icons[1] != icons[0]:
            problems.append("the two eyes differ")
        if place and pupil_at and place != pupil_at:
            problems.append(f"the pupil is at {place}, not at {pupil_at}")
        if place and not pupil_at:
            across, down = place[0] - harness.PUPIL_AHEAD, place[1] - harness.PUPIL_AHEAD
            theta = math.atan2(point[1] - self.centre[1], point[0] - self.centre[0])
            if (across, down) == (0, 0) or math.cos(math.atan2(down, across) - theta) < math.cos(math.radians(30)):
                problems.append(f"the pupil is {across, down} from looking ahead, not towards {math.degrees(theta):.0f}°")
        return problems

    def settle(self, pupil_type):
        """Looks far to the left and far to the right (above the dialogs in the
        middle of the desktop) and waits each time until both eyes follow. The
        eyes turn on the program's timer, whose messages come after the input
        sent before: once they have turned, every key and click is handled."""
        x, y = self.centre
        for point in ((x - 300, y - 300), (x + 300, y - 300)):
            self.look_towards(point, pupil_type)


def in_order(run, order):
    """Whether run shows frames of one blink in order; a sample of the screen may miss a frame, never add one."""
    steps = iter(order)
    return all(any(frame == step for step in steps) for frame in run)


# The pupil picture's top-left corner in the pictures of 16 and of 24 pixels.
@pytest.mark.parametrize("place, pupil_at", [
    # At 24 pixels the travel is 4.5: halves round away from the centre.
    pytest.param(lambda x, y, bar: (x + 200, y), {16: (8, 5), 24: (12, 7)}, id="right", marks=SCALED),
    # The screen ends just below the task bar's centre: its last row.
    pytest.param(lambda x, y, bar: (x, bar[3] - 1), {16: (5, 8), 24: (7, 12)}, id="below", marks=SCALED),
    pytest.param(lambda x, y, bar: (x - 200, y), {16: (2, 5), 24: (2, 7)}, id="left", marks=SCALED),
    pytest.param(lambda x, y, bar: (x, y - 300), {16: (5, 2), 24: (7, 2)}, id="above", marks=SCALED),
])
def test_pupils_turn_towards_the_cursor(tovi, place, pupil_at):
    tray = Tray(tovi, settings(blink=0))
    point = place(*tray.centre, tray.taskbar)
    # Look elsewhere first, so that the pupils must move to pass.
    x, y = tray.centre
    tray.look_towards((x, y - 300) if pupil_at[16] != (5, 2) else (x + 200, y), 0)
    tray.look_towards(point, 0, pupil_at[harness.PICTURE_SIZE])


@pytest.mark.parametrize("blink, interval, click_eye, fewest, most", [
    pytest.param(1, 300, None, 2, 99, id="every-300-ms"),
    pytest.param(0, 100, 0, 1, 1, id="click"),
])
def test_blinks_follow_the_settings_and_clicks(tovi, blink, interval, click_eye, fewest, most):
    tray = Tray(tovi, settings(blink=blink, interval=interval))
    point = tray.eye_centre(click_eye) if click_eye is not None else (tray.centre[0], tray.centre[1] - 300)
    open_eye = tray.look_towards(point, 0)
    with harness.ScreenWatch(tray.eyes_rect(), WATCH_MILLISECONDS) as watch:
        if click_eye is not None:
            harness.x_click(*point)
        frames = watch.finish()
    # A click's blink starts one frame in: the tick after the click counts down before it draws.
    order = BLINK[1:] if click_eye is not None else BLINK
    for corner, labels in zip(tray.eyes, harness.label_frames(watch, frames, tray.eyes, open_eye, tray.background)):
        runs = harness.blinks(labels)
        assert fewest <= len(runs) <= most, f"the eye at {corner} blinked {len(runs)} times: {runs}"
        assert all(in_order(run, order) for run in runs), f"the eye at {corner} showed {runs}, not in order {order}"
        assert click_eye is None or labels[0] == labels[-1] == "open", f"the eye at {corner} showed {labels}"


def test_right_click_menu_opens_at_the_cursor_and_exit_ends_the_program(tovi):
    """Wine pushes a pop-up menu back into the work area (above the task
    bar): it stands on the work area's bottom edge right above the cursor,
    ending at the right edge where it does not fit from the cursor on."""
    tray = Tray(tovi)
    x, y = point = tray.eye_centre(1)
    harness.x_click(x, y, 3)
    menu = wait_until(tovi.menus, "the menu of tovi.exe", details=tovi.describe)[0]
    work_left, work_top, work_right, work_bottom = harness.probe("work-area")[0]["rect"]
    left, top, right, bottom = menu["rect"]
    expected = (max(work_left, min(x, work_right - (right - left))), max(work_top, min(y, work_bottom - (bottom - top))))
    assert abs(left - expected[0]) <= 1 and abs(top - expected[1]) <= 1, \
        f"menu {menu['rect']} for a right click at {point}: its top-left should be {expected}"
    assert left <= x < right and y >= bottom, f"the cursor {point} is not below the menu {menu['rect']}"
    # 終了 is the last item; the menu's bottom border is 3 pixels and an item is at least 16 high.
    harness.end_and_see_the_eyes_go(tovi, tray.taskbar, lambda: harness.x_click((left + right) // 2, bottom - 3 - 8))
    assert tovi.ini.read_bytes() == settings()
