"""The settings dialog and the about box, opened from the eyes' menu: what
OK, Cancel, the close box and the keys do to the settings and to tovi.ini,
that each opens centred and only once, what the about box shows, that the
eyes go on following the cursor and blinking while either is open, and that
the menu's exit still ends the program then."""
import pytest

import harness
from dialog_driving import (ABOUT, ABOUT_ICON, ABOUT_OK, ABOUT_RULE_TOP, SETTINGS, click_blink, click_cancel,
                            click_close_box, click_ok, folder_state, glance_points, keys, open_dialog, pick,
                            pick_pupil, post_wm_close, settle, shown, spin_down, spin_up, system_close_command,
                            type_interval, wait_still)
from harness import wait_until
from test_eyes import (WATCH_MILLISECONDS, blinks, check_frames, click_blink_order, eye_frames, in_order,
                       look_towards, settings, start_and_find_eyes, tovi_menus)

DEFAULT_INI = settings(pupil_type=0, blink=1, interval=5000)


def assert_centred(dialog):
    screen = harness.probe("work-area")[0]["screen"]
    left, top, right, bottom = dialog.rect
    expected = (screen[2] - (right - left)) // 2, (screen[3] - (bottom - top)) // 2
    assert abs(left - expected[0]) <= 1 and abs(top - expected[1]) <= 1, \
        f"{dialog.describe()} is not centred on the screen {screen}: its top-left should be {expected}"


def ini_details(tovi, expected):
    return lambda: (f"tovi.ini holds {tovi.ini.read_bytes() if tovi.ini.exists() else None!r}, "
                    f"expected {expected!r}\n" + tovi.describe())


def wait_ini(tovi, expected, what):
    wait_until(lambda: tovi.ini.exists() and tovi.ini.read_bytes() == expected, what,
               details=ini_details(tovi, expected))


# (Type, Blink, BlinkInterval) in tovi.ini before, what the user does in the
# dialog, and the values OK must store. The pupil list has one entry per
# picture, eye1 to eye6.
@pytest.mark.parametrize("before, steps, after", [
    # The pupil list has the focus on opening; the disabled interval is skipped until
    # the check box is ticked; the arrow keys step it by 100.
    pytest.param((0, 0, 5000), [keys("DOWN", "DOWN", "TAB", "SPACE", "SHIFT+TAB", "UP", "UP")],
                 (2, 1, 5200), id="keyboard"),
    pytest.param((0, 0, 3000), [pick(3), click_blink, spin_up, spin_up, spin_up], (3, 1, 3300), id="mouse"),
    # A typed interval counts, and stays when blinking is switched off.
    pytest.param((1, 1, 5000), [pick(0), type_interval("1234"), click_blink], (0, 0, 1234), id="typed-then-blink-off"),
    pytest.param((5, 1, 9900), [pick(4), spin_up, spin_up, spin_up], (4, 1, 10000), id="up-stops-at-10000"),
    # A stored interval outside 100...10000 comes into the dialog clamped.
    pytest.param((2, 1, 20000), [spin_down, spin_down, pick(5)], (5, 1, 9800), id="stored-above-range"),
    pytest.param((3, 0, 50), [pick(1), click_blink, spin_down], (1, 1, 100), id="stored-below-range-down-stops"),
])
def test_ok_stores_the_values_at_once_and_the_eyes_take_the_new_pupil(tovi, before, steps, after):
    tray = start_and_find_eyes(tovi, settings(*before))
    dialog = open_dialog(tovi, tray, SETTINGS)
    assert dialog.record["title"] == SETTINGS.title
    assert_centred(dialog)
    for step in steps:
        step(dialog)
    # Until OK the eyes keep the pupil they had, and nothing is written.
    settle(tray, before[0])
    assert tovi.ini.read_bytes() == settings(*before), "tovi.ini changed while the dialog was open"
    click_ok(dialog)
    dialog.wait_closed()
    wait_ini(tovi, settings(*after), "tovi.ini to hold the new values")
    assert tovi.running(), "tovi.exe ended"
    settle(tray, after[0])


@pytest.mark.parametrize("ini, close", [
    pytest.param(settings(2, 0, 3000), click_cancel, id="cancel"),
    pytest.param(None, click_cancel, id="cancel-no-ini"),
    pytest.param(settings(2, 0, 3000), click_close_box, id="close-box"),
    pytest.param(None, post_wm_close, id="wm-close-no-ini"),
    pytest.param(settings(2, 0, 3000), system_close_command, id="alt-f4"),
])
def test_cancel_and_closing_change_nothing_and_write_nothing(tovi, ini, close):
    tray = start_and_find_eyes(tovi, ini)
    pupil_type = 2 if ini else 0
    before = folder_state(tovi.folder)
    dialog = open_dialog(tovi, tray, SETTINGS)
    pick_pupil(dialog, 4)
    click_blink(dialog)
    spin_up(dialog)
    close(dialog)
    dialog.wait_closed()
    # The eyes keep their pupil at the next move, by when any saving would be done.
    settle(tray, pupil_type)
    assert folder_state(tovi.folder) == before, "the program's folder or tovi.ini changed"
    # The settings are as they were: OK without a change on the next opening stores them.
    dialog = open_dialog(tovi, tray, SETTINGS)
    click_ok(dialog)
    dialog.wait_closed()
    wait_ini(tovi, ini or DEFAULT_INI, "tovi.ini to hold the settings of the start")


@pytest.mark.parametrize("kind, more_keys, close, stored", [
    # Shift+Tab brings the focus back to the pupil list: Down picks the next pupil, which OK stores.
    pytest.param(SETTINGS, ["SHIFT+TAB", "DOWN"], click_ok, settings(pupil_type=1, blink=0), id="settings"),
    # The about box has no control to take keys: the system's close command, Alt+F4, closes it.
    pytest.param(ABOUT, [], system_close_command, None, id="about"),
])
@pytest.mark.parametrize("key", ["RETURN", "ESCAPE"])
def test_neither_enter_nor_escape_closes_a_dialog(tovi, key, kind, more_keys, close, stored):
    tray = start_and_find_eyes(tovi, settings(blink=0))
    before = folder_state(tovi.folder)
    dialog = open_dialog(tovi, tray, kind)
    # Once on the first tab stop, once on the next; then keys that show whether
    # keys reach the dialog at all.
    harness.probe("key", key, "TAB", key, *more_keys)
    settle(tray, 0)
    assert dialog.showing(), f"{key} closed {dialog.describe()}"
    assert [tuple(w["rect"]) for w in shown(tovi, kind)] == [dialog.rect], f"{dialog.describe()} moved"
    close(dialog)
    dialog.wait_closed()
    if stored:
        wait_ini(tovi, stored, "tovi.ini to hold the pupil picked with the keys")
    else:
        settle(tray, 0)
        assert folder_state(tovi.folder) == before, "the program's folder or tovi.ini changed"


@pytest.mark.parametrize("kind", [SETTINGS, ABOUT], ids=["settings", "about"])
def test_choosing_the_item_again_while_the_dialog_is_open_does_nothing(tovi, kind):
    tray = start_and_find_eyes(tovi, settings(blink=0))
    dialog = open_dialog(tovi, tray, kind)
    if kind is SETTINGS:
        # A change that opening the dialog once more would undo.
        click_blink(dialog)
    for eye in (0, 1):
        harness.x_click(*tray.eye_centre(eye), 3)
        wait_until(lambda: tovi_menus(tovi), "the eyes' menu while a dialog is open", details=tovi.describe)
        harness.probe("key", kind.menu_key)
        wait_until(lambda: not tovi_menus(tovi), "the menu to close", details=tovi.describe)
    settle(tray, 0)
    visible = [w for w in tovi.own_windows() if w["visible"]]
    assert [(w["hwnd"], tuple(w["rect"])) for w in visible] == [(dialog.record["hwnd"], dialog.rect)], \
        f"expected only {dialog.describe()} to show:\n" + harness.describe_windows(visible)
    # One OK ends it, with the change made before the item was chosen again.
    click_ok(dialog)
    dialog.wait_closed()
    if kind is SETTINGS:
        wait_ini(tovi, settings(blink=1), "tovi.ini to hold the change")
    settle(tray, 0)
    assert not shown(tovi, kind), f"{kind.title!r} showed again after its OK"


def dark(colour):
    return sum(colour) < 3 * 96


def about_problems(dialog, image):
    """What is amiss in the about box's client area on a screenshot: the
    icon (data/icon32.txt on the box's background), ink where the name,
    version and copyright stand, the sunken rule, the OK button."""
    client = dialog.client_image(image)
    width, height = dialog.kind.client_size
    face = harness.background_colour(client, (0, 0, width, height))
    pixels = client.load()
    problems = []
    icon = harness.picture("icon32")
    left, top, _, _ = ABOUT_ICON
    wrong = [(x, y) for y, row in enumerate(icon.rows) for x, colour in enumerate(row)
             if pixels[left + x, top + y] != (face if colour == icon.key else colour)]
    if wrong:
        problems.append(f"the icon differs from data/icon32.txt at {len(wrong)} pixels, first at {wrong[:4]}")
    # The name is large and the version and copyright lines small; each leaves some ink.
    for what, (first_row, end_row), least in [("the name", (8, 41), 100), ("the version", (44, 56), 30),
                                              ("the copyright", (58, 70), 30)]:
        ink = sum(dark(pixels[x, y]) for x in range(48, width - 8) for y in range(first_row, end_row))
        if ink < least:
            problems.append(f"{what} shows {ink} dark pixels, fewer than {least}")
    rule = [{pixels[x, y] for x in range(12, 12 + 229)} for y in range(ABOUT_RULE_TOP, ABOUT_RULE_TOP + 5)]
    # Sunken: a line of one shadow colour, a line of one light colour below it, then the background.
    shadow, light = (next(iter(line)) if len(line) == 1 else None for line in rule[:2])
    if not (shadow and light and sum(shadow) < sum(face) <= sum(light) and all(line == {face} for line in rule[2:])):
        problems.append(f"the rule's rows from the top are {rule}, on the background {face}")
    left, top, button_width, button_height = ABOUT_OK
    ink = sum(dark(pixels[x, y]) for x in range(left, left + button_width) for y in range(top, top + button_height))
    if ink < 2 * (button_width + button_height):
        problems.append(f"the OK button shows {ink} dark pixels, too few for its frame and caption")
    return problems


def eyes_in_place(tray):
    """Both eyes are still where they were."""
    return harness.find_eyes(harness.desktop_screenshot(), tray.taskbar) == tray.eyes


@pytest.mark.parametrize("close", [click_ok, click_close_box, post_wm_close], ids=["ok", "close-box", "wm-close"])
def test_about_box_shows_its_content_and_opens_again_the_same(tovi, close):
    tray = start_and_find_eyes(tovi, settings(blink=0))
    dialog = open_dialog(tovi, tray, ABOUT)
    assert dialog.record["title"] == "Toviについて"
    assert_centred(dialog)
    seen = {}

    def content_right():
        seen["problems"] = about_problems(dialog, harness.desktop_screenshot())
        return not seen["problems"]

    wait_until(content_right, "the about box's content", details=lambda: "\n".join(seen["problems"]))
    first = wait_still(dialog.window_image, "the about box to be painted")
    close(dialog)
    dialog.wait_closed()
    # The eyes are unaffected: both in their places, and following the cursor.
    wait_until(lambda: eyes_in_place(tray), "both eyes in their places")
    settle(tray, 0)

    again = open_dialog(tovi, tray, ABOUT)
    assert again.rect == dialog.rect, f"opened again at {again.rect}, first at {dialog.rect}"
    wait_until(lambda: again.window_image(harness.desktop_screenshot()).tobytes() == first.tobytes(),
               "the about box to look as it did the first time")
    click_ok(again)
    again.wait_closed()
    wait_until(lambda: eyes_in_place(tray), "both eyes in their places")
    settle(tray, 0)


@pytest.mark.parametrize("kind", [SETTINGS, ABOUT], ids=["settings", "about"])
def test_the_eyes_follow_and_blink_while_a_dialog_is_open(tovi, kind):
    # No blinking on their own: the blink seen is the click's.
    tray = start_and_find_eyes(tovi, settings(pupil_type=1, blink=0, interval=100))
    dialog = open_dialog(tovi, tray, kind)
    for point in glance_points(tray):
        look_towards(tray, point, 1)
    point = tray.eye_centre(1)
    theta = look_towards(tray, point, 1)
    with harness.ScreenWatch(tray.eyes_rect(), WATCH_MILLISECONDS) as watch:
        watch.wait_started()
        harness.x_click(*point)
        frames = watch.finish()
    labels = eye_frames(frames, tray, theta, pupil_type=1)
    check_frames(frames, labels, tray)
    for corner, eye_labels in zip(tray.eyes, labels):
        runs = blinks(eye_labels)
        assert len(runs) == 1 and in_order(runs[0], click_blink_order()), \
            f"the eye at {corner} showed {runs} for one click, not one blink in the order {click_blink_order()}"
    assert dialog.showing(), f"{dialog.describe()} closed"
    click_ok(dialog)
    dialog.wait_closed()


@pytest.mark.parametrize("kind", [SETTINGS, ABOUT], ids=["settings", "about"])
def test_exit_while_a_dialog_is_open_ends_the_program_with_the_settings_unchanged(tovi, kind):
    ini = settings(2, 0, 3000)
    tray = start_and_find_eyes(tovi, ini)
    dialog = open_dialog(tovi, tray, kind)
    if kind is SETTINGS:
        # An edit that the dialog's own loop, ended by the exit, must not hand over.
        click_blink(dialog)
    harness.x_click(*tray.eye_centre(0), 3)
    wait_until(lambda: tovi_menus(tovi), "the eyes' menu while a dialog is open", details=tovi.describe)
    harness.probe("key", "X")
    code = tovi.wait_exit()
    assert code == 0, f"tovi.exe ended with exit code {code}"
    # Saved at the exit as it was loaded.
    assert tovi.ini.read_bytes() == ini
