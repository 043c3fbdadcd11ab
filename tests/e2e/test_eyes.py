"""The two eyes as Wine's notification area shows them: where they sit, where
they look, how they blink, and the menu of a right click. Pixels are compared
with the eye composed from the text pixel maps in data/."""
import contextlib

import pytest

import harness
from harness import EYE_SIZE, compose_eye, gaze_angle, gaze_centre, icon_differences, icon_text, wait_until

DEFAULT_INI = b"[Eye]\r\nType=0\r\nBlink=1\r\nBlinkInterval=5000\r\n"
# Long enough for one click's blink, and for several blinks 300 ms apart.
WATCH_MILLISECONDS = 3000


def settings(pupil_type=0, blink=0, interval=5000):
    return f"[Eye]\r\nType={pupil_type}\r\nBlink={blink}\r\nBlinkInterval={interval}\r\n".encode()


class Tray:
    """The task bar once both eyes are in it."""

    def __init__(self, taskbar, eyes, background):
        self.taskbar = taskbar
        self.eyes = eyes  # top-left corners, left eye first
        self.background = background
        self.centre = gaze_centre(taskbar)

    def eye_centre(self, index):
        x, y = self.eyes[index]
        return x + EYE_SIZE // 2, y + EYE_SIZE // 2

    def eyes_rect(self):
        (left, top), (right, _) = self.eyes[0], self.eyes[-1]
        return left, top, right + EYE_SIZE, top + EYE_SIZE


def start_and_find_eyes(tovi, ini=None):
    if ini is not None:
        tovi.ini.write_bytes(ini)
    tovi.start()
    taskbar = wait_until(harness.taskbar_rect, "Wine's task bar", details=tovi.describe)
    seen = {}

    def two_eyes():
        image = harness.desktop_screenshot()
        seen["eyes"] = harness.find_eyes(image, taskbar)
        return (image, seen["eyes"]) if len(seen["eyes"]) == 2 else None

    image, eyes = wait_until(two_eyes, "two eyes in the task bar",
                             details=lambda: f"eyes found at {seen.get('eyes')}\n" + tovi.describe())
    return Tray(taskbar, eyes, harness.background_colour(image, taskbar))


def describe_icons(tray, icons, expected, title):
    lines = [title]
    for corner, icon in zip(tray.eyes, icons):
        differences = icon_differences(icon, expected, tray.background)
        lines.append(harness.side_by_side(f"eye at {corner}", icon_text(icon, tray.background),
                                          "expected", icon_text(expected, tray.background)))
        lines += [f"  ({x},{y}) shows #{a[0]:02x}{a[1]:02x}{a[2]:02x}, expected #{e[0]:02x}{e[1]:02x}{e[2]:02x}"
                  for x, y, a, e in differences[:8]]
    return "\n".join(lines)


def look_towards(tray, point, pupil_type):
    """Puts the cursor on point and waits until both eyes show the pupil
    turned towards it; returns the gaze angle."""
    theta = gaze_angle(tray.taskbar, point)
    expected = compose_eye(pupil_type, theta)
    seen = {}

    def both_match():
        image = harness.desktop_screenshot()
        seen["icons"] = [harness.icon_pixels(image, corner) for corner in tray.eyes]
        return all(not icon_differences(icon, expected, tray.background) for icon in seen["icons"])

    harness.x_move(*point)
    wait_until(both_match, f"both eyes to look towards {point} (pupil at {harness.pupil_top_left(theta)})",
               details=lambda: describe_icons(tray, seen["icons"], expected, "last seen:"))
    return theta


def test_two_eyes_sit_side_by_side_at_the_right_of_the_task_bar(tovi):
    # No blinking: one icon changes a moment before the other.
    tray = start_and_find_eyes(tovi, settings(blink=0))
    (left_x, left_y), (right_x, right_y) = tray.eyes
    bar_left, bar_top, bar_right, bar_bottom = tray.taskbar
    assert left_y == right_y, f"the eyes are not on one row: {tray.eyes}"
    # Adjacent: apart by at least an icon's width, with no room for another icon between them.
    assert EYE_SIZE <= right_x - left_x < 2 * EYE_SIZE, f"the eyes are not side by side: {tray.eyes}"
    assert bar_top <= left_y and left_y + EYE_SIZE <= bar_bottom, f"the eyes are not in the task bar {tray.taskbar}"
    # The notification area is at the right end; the eyes are its only icons.
    assert bar_right - EYE_SIZE < right_x + EYE_SIZE <= bar_right, \
        f"the eyes {tray.eyes} are not at the right end of the task bar {tray.taskbar}"
    image = harness.desktop_screenshot()
    left, right = (harness.icon_pixels(image, corner) for corner in tray.eyes)
    assert left == right, "the eyes look different:\n" + harness.side_by_side(
        "left eye", icon_text(left, tray.background), "right eye", icon_text(right, tray.background))


def right(centre, bar):
    return centre[0] + 200, centre[1]


def left(centre, bar):
    return centre[0] - 200, centre[1]


def above(centre, bar):
    return centre[0], centre[1] - 300


def below(centre, bar):
    # The screen ends just below the task bar's centre: its last row.
    return centre[0], bar[3] - 1


def above_right(centre, bar):
    return centre[0] + 300, centre[1] - 300


def above_left(centre, bar):
    return centre[0] - 300, centre[1] - 300


def right_a_little_up(centre, bar):
    return centre[0] + 300, centre[1] - 100


@pytest.mark.parametrize("place, pupil_type, pupil_at", [
    pytest.param(right, 0, (8, 5), id="right"),
    pytest.param(below, 0, (5, 8), id="below"),
    pytest.param(left, 0, (2, 5), id="left"),
    pytest.param(above, 0, (5, 2), id="above"),
    pytest.param(above_right, 0, (7, 3), id="above-right"),
    pytest.param(above_left, 0, (3, 3), id="above-left"),
    # 3 cos = 2.85 and 3 sin = -0.95: both round to the nearer whole pixel.
    pytest.param(right_a_little_up, 0, (8, 4), id="right-a-little-up"),
    # Type n shows picture eye(n + 1), the last one included.
    pytest.param(right, 2, (8, 5), id="right-type-2"),
    pytest.param(left, 5, (2, 5), id="left-type-5"),
])
def test_pupils_turn_towards_the_cursor(tovi, place, pupil_type, pupil_at):
    tray = start_and_find_eyes(tovi, settings(pupil_type=pupil_type))
    point = place(tray.centre, tray.taskbar)
    assert harness.pupil_top_left(gaze_angle(tray.taskbar, point)) == pupil_at, \
        f"the case does not fit this task bar {tray.taskbar}: the cursor at {point}"
    # Look elsewhere first, so that the pupils must move to pass.
    elsewhere = above if pupil_at != (5, 2) else right
    look_towards(tray, elsewhere(tray.centre, tray.taskbar), pupil_type)
    look_towards(tray, point, pupil_type)


BLACK = (0, 0, 0)


def eye_frames(frames, tray, theta, pupil_type=0):
    """For each eye, what each frame of a watch shows of it: "open", an
    eyelid frame's number, "drawing", or None for a picture that is none of these.

    The task bar paints an icon in steps: it fills the icon's place with its
    background, then draws the icon's mask (black where the icon is opaque),
    then the picture. The watch is fast enough to see the steps between when
    the machine is busy; they are "drawing"."""
    open_eye = compose_eye(pupil_type, theta)
    looks = [("open", open_eye)]
    looks += [(n, compose_eye(pupil_type, theta, cap=n)) for n in range(1, harness.cap_count() + 1)]
    looks += [("drawing", [[None] * EYE_SIZE for _ in range(EYE_SIZE)]),
              ("drawing", [[None if pixel is None else BLACK for pixel in row] for row in open_eye])]

    def label(icon):
        return next((name for name, look in looks if not icon_differences(icon, look, tray.background)), None)

    return [[label(frame.icon(corner)) for frame in frames] for corner in tray.eyes]


def blinks(labels):
    """The runs of eyelid frames between open eyes, repeats and frames still being drawn left out."""
    runs, run = [], []
    for label in [label for label in labels if label != "drawing"] + ["open"]:
        if label == "open":
            if run:
                runs.append(run)
            run = []
        elif not run or run[-1] != label:
            run.append(label)
    return runs


def blink_order():
    """The eyelid frames of a blink on its own: cap1 down to the last and back up to cap1."""
    count = harness.cap_count()
    return list(range(1, count + 1)) + list(range(count - 1, 0, -1))


def click_blink_order():
    """A click's blink starts one frame in: the tick after the click counts
    down before it draws."""
    return blink_order()[1:]


def in_order(run, order):
    """Whether run shows frames of one blink in their order; a sample of the
    screen can miss a frame, so a frame may be left out, never added."""
    steps = iter(order)
    return all(any(frame == step for step in steps) for frame in run)


def check_frames(frames, labels, tray):
    """Every frame of each eye is the open eye, an eyelid frame or a step of painting one."""
    for corner, eye in zip(tray.eyes, labels):
        unknown = [frame for frame, label in zip(frames, eye) if label is None]
        if unknown:
            icon = unknown[0].icon(corner)
            colours = sorted({f"#{r:02x}{g:02x}{b:02x}" for row in icon for r, g, b in row})
            raise AssertionError(f"the eye at {corner} showed {len(unknown)} unexpected picture(s), first at "
                                 f"{unknown[0].t} ms, in the colours {colours}:\n"
                                 + "\n".join(icon_text(icon, tray.background)))


def close_menu(tovi):
    wait_until(lambda: tovi_menus(tovi), "the menu of tovi.exe", details=tovi.describe)
    harness.probe("key", "ESCAPE")
    wait_until(lambda: not tovi_menus(tovi), "the menu to close", details=tovi.describe)


@pytest.mark.parametrize("eye, button", [
    pytest.param(0, 1, id="left-eye"),
    pytest.param(1, 1, id="right-eye"),
    # The release of the button that opened the menu is a click too.
    pytest.param(0, 3, id="left-eye-right-button"),
])
def test_a_click_on_an_eye_blinks_both_once(tovi, eye, button):
    # No blinking on their own: every blink seen is the click's.
    tray = start_and_find_eyes(tovi, settings(blink=0, interval=100))
    point = tray.eye_centre(eye)
    theta = look_towards(tray, point, 0)
    with harness.ScreenWatch(tray.eyes_rect(), WATCH_MILLISECONDS) as watch:
        watch.wait_started()
        harness.x_click(*point, button)
        if button == 3:
            close_menu(tovi)
        frames = watch.finish()
    labels = eye_frames(frames, tray, theta)
    check_frames(frames, labels, tray)
    for corner, eye_labels in zip(tray.eyes, labels):
        runs = blinks(eye_labels)
        assert eye_labels[0] == "open", f"the eye at {corner} was not open before the click: {eye_labels}"
        assert len(runs) == 1, f"the eye at {corner} blinked {len(runs)} times for one click: {runs}"
        assert in_order(runs[0], click_blink_order()), \
            f"the eye at {corner} showed {runs[0]}, not in the order {click_blink_order()}"
        assert eye_labels[-1] == "open", f"the eye at {corner} did not open again: {eye_labels}"


@pytest.mark.parametrize("blink, interval, fewest, most", [
    pytest.param(0, 100, 0, 0, id="off"),
    pytest.param(1, 300, 2, None, id="every-300-ms"),
])
def test_blinking_on_their_own_follows_the_settings(tovi, blink, interval, fewest, most):
    tray = start_and_find_eyes(tovi, settings(blink=blink, interval=interval))
    theta = look_towards(tray, above(tray.centre, tray.taskbar), 0)
    with harness.ScreenWatch(tray.eyes_rect(), WATCH_MILLISECONDS) as watch:
        watch.wait_started()
        frames = watch.finish()
    labels = eye_frames(frames, tray, theta)
    check_frames(frames, labels, tray)
    for corner, eye_labels in zip(tray.eyes, labels):
        runs = blinks(eye_labels)
        assert fewest <= len(runs) and (most is None or len(runs) <= most), \
            f"the eye at {corner} blinked {len(runs)} times in {WATCH_MILLISECONDS} ms: {runs}"
        wrong = [run for run in runs if not in_order(run, blink_order())]
        assert not wrong, f"the eye at {corner} showed {wrong}, not in the order {blink_order()}"
        if runs:
            # A sample can miss a frame of one blink, hardly the same in all of them.
            shown = sorted({frame for run in runs for frame in run})
            assert shown == list(range(1, harness.cap_count() + 1)), \
                f"the eye at {corner} never showed some eyelid frames: {runs}"
            assert any(run.index(max(run)) not in (0, len(run) - 1) for run in runs), \
                f"the eye at {corner} never closed and opened again in one blink: {runs}"


def choose_exit_by_key(menu):
    harness.probe("key", "X")


def choose_exit_by_click(menu):
    # 終了 is the last item; the menu's bottom border is 3 pixels and an item is
    # at least 16 high.
    left, _, right, bottom = menu["rect"]
    harness.x_click((left + right) // 2, bottom - 3 - 8)


def tovi_menus(tovi):
    return [w for w in harness.desktop().windows if w["class"] == "#32768" and w["visible"] and tovi.owns(w)]


@pytest.mark.parametrize("eye, other_icons, choose_exit", [
    pytest.param(1, 0, choose_exit_by_key, id="right-eye-last-icon-access-key"),
    pytest.param(0, 0, choose_exit_by_click, id="left-eye-last-icon-click"),
    pytest.param(0, 8, choose_exit_by_key, id="left-eye-before-other-icons-access-key"),
    pytest.param(1, 8, choose_exit_by_click, id="right-eye-before-other-icons-click"),
])
def test_right_click_menu_opens_at_the_cursor_and_exit_ends_the_program(tovi, eye, other_icons, choose_exit):
    """Wine keeps a pop-up menu inside the work area (the screen above the
    task bar) by pushing it back, where Windows would flip it around the
    point: its top-left is (min(x, work right - width), min(y, work bottom -
    height)) for the point (x, y) it was opened at. A click in the task bar
    is below the work area, so the menu always stands on the work area's
    bottom edge, right above the cursor. Horizontally it starts at the cursor
    when it fits (other icons to the right of the eyes), and ends at the work
    area's right edge when the eyes are the last icons."""
    with contextlib.ExitStack() as stack:
        if other_icons:
            stack.enter_context(harness.OtherTrayIcons(other_icons))
        tray = start_and_find_eyes(tovi)
        x, y = point = tray.eye_centre(eye)
        harness.x_click(x, y, 3)
        menu = wait_until(lambda: tovi_menus(tovi), "the menu of tovi.exe", details=tovi.describe)[0]
        work_left, work_top, work_right, work_bottom = harness.work_area()
        left, top, right, bottom = menu["rect"]
        width, height = right - left, bottom - top
        fits = x + width <= work_right
        assert fits == bool(other_icons), \
            f"the case does not fit: a menu {width} wide at {point} fits={fits} in the work area's right {work_right}"
        expected = max(work_left, min(x, work_right - width)), max(work_top, min(y, work_bottom - height))
        assert abs(left - expected[0]) <= 1 and abs(top - expected[1]) <= 1, \
            f"menu {menu['rect']} for a right click at {point}: its top-left should be {expected}"
        assert left <= x < right and y >= bottom, f"the cursor {point} is not below the menu {menu['rect']}"

        # The watch keeps Wine's desktop open after tovi.exe has ended, and sees the icons go.
        bar_left, bar_top, bar_right, bar_bottom = tray.taskbar
        watch_rect = tray.centre[0], bar_top, bar_right, bar_bottom
        watch = stack.enter_context(harness.ScreenWatch(watch_rect, harness.TIMEOUT * 2000))
        watch.wait_started()
        assert watch.frames()[0].eyes() == tray.eyes, "the watch does not see the eyes"
        choose_exit(menu)
        code = tovi.wait_exit()
        assert code == 0, f"tovi.exe ended with exit code {code}"
        wait_until(lambda: not watch.frames()[-1].eyes(), "the eyes to leave the task bar",
                   details=lambda: f"eyes still at {watch.frames()[-1].eyes()}")
    assert tovi.ini.read_bytes() == DEFAULT_INI
