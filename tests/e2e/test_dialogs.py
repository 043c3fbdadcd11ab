"""The settings dialog and the about box, opened from the eyes' menu: what
OK, Cancel, the close box and the keys do to the settings and to tovi.ini,
and that the eyes go on following the cursor while either is open."""
from pathlib import Path

import pytest

import harness
from harness import STILL, Dialog, settings, wait_until
from test_eyes import Tray

# Controls as (left, top, width, height) in the client area.
PUPIL_COMBO = (96, 8, 53, 19)
BLINK_CHECK = (12, 36, 97, 17)
INTERVAL_SPIN = (113, 56, 15, 20)
SETTINGS_OK = (180, 12, 89, 25)
SETTINGS_CANCEL = (180, 44, 89, 25)
ABOUT_OK = (84, 84, 89, 25)
ENTRY_HEIGHT = 13


def keys(*names):
    return lambda dialog: harness.probe("key", *names)


def pick(index):
    """Drops the pupil list down with a click and clicks entry index."""
    def step(dialog):
        dialog.click(PUPIL_COMBO)
        box = wait_until(lambda: dialog.tovi.own_windows("ComboLBox", visible=True), "the pupil list")[0]
        left, top, right, _ = box["rect"]
        # The list's frame is one pixel wide.
        harness.x_click((left + right) // 2, top + 1 + index * ENTRY_HEIGHT + ENTRY_HEIGHT // 2)
        wait_until(lambda: not dialog.tovi.own_windows("ComboLBox", visible=True), "the pupil list to close")
    return step


def click_blink(dialog):
    dialog.click(BLINK_CHECK, dx=6)  # on the box itself, clear of the text


def spin_up(dialog):
    dialog.click(INTERVAL_SPIN, dy=4)


def click_ok(dialog):
    dialog.click(SETTINGS_OK if dialog.kind == "settings" else ABOUT_OK)


def click_cancel(dialog):
    dialog.click(SETTINGS_CANCEL)


def click_close_box(dialog):
    # The right-most of the caption's buttons.
    left, top, right, _ = dialog.rect
    harness.x_click(right - dialog.border - 11, top + dialog.border + (dialog.client[1] - top - dialog.border) // 2)


def post_wm_close(dialog):
    assert harness.probe("close", dialog.cls, dialog.title), f"no dialog {dialog.title!r} to close"


def alt_f4(dialog):
    # Goes to the active window, the dialog until something else is clicked.
    harness.probe("key", "MENU+F4")


def about_problems(dialog):
    """What is amiss in the about box on the screen: the icon (data/icon32.txt
    on the box's face), some ink for each line of text, the sunken rule."""
    x0, y0 = dialog.client
    client = harness.desktop_screenshot().crop((x0, y0, x0 + dialog.width, y0 + dialog.height)).convert("RGB")
    pixels, face = client.load(), harness.background_colour(client, (0, 0, dialog.width, dialog.height))
    icon, problems = harness.picture("icon32"), []
    wrong = [(x, y) for y, row in enumerate(icon.rows) for x, colour in enumerate(row)
             if pixels[8 + x, 8 + y] != (face if colour == icon.key else colour)]
    if wrong:
        problems.append(f"the icon differs at {len(wrong)} pixels, first at {wrong[:4]}")
    for what, rows, least in [("the name", range(8, 41), 100), ("the version", range(44, 56), 30),
                              ("the copyright", range(58, 70), 30)]:
        ink = sum(sum(pixels[x, y]) < 3 * 96 for x in range(48, dialog.width - 8) for y in rows)
        if ink < least:
            problems.append(f"{what} shows {ink} dark pixels, fewer than {least}")
    # Sunken: a shadow line, a light line below it, then the face.
    rule = [{pixels[x, y] for x in range(12, 241)} for y in range(76, 79)]
    if not (len(rule[0]) == len(rule[1]) == 1 and sum(next(iter(rule[0]))) < sum(face) <= sum(next(iter(rule[1])))
            and rule[2] == {face}):
        problems.append(f"the rule's rows from the top are {rule}, on the face {face}")
    return problems


def folder_state(folder):
    """What saving would change: the folder's entries, and tovi.ini's bytes and modification time."""
    ini = Path(folder) / "tovi.ini"
    return sorted(p.name for p in Path(folder).iterdir()), ini.read_bytes(), ini.stat().st_mtime_ns


def wait_ini(tovi, expected):
    wait_until(lambda: tovi.ini.read_bytes() == expected, f"tovi.ini to hold {expected!r}",
               details=lambda: f"it holds {tovi.ini.read_bytes()!r}\n" + tovi.describe())


# (Type, Blink, BlinkInterval) before, what the user does, the values OK must store.
@pytest.mark.parametrize("before, steps, after", [
    # The pupil list has the focus on opening; Tab skips the interval while it is
    # disabled, reaches it once the check box is ticked; the arrow keys step it by 100.
    pytest.param((0, 0, 5000), [keys("DOWN", "DOWN", "TAB", "SPACE", "SHIFT+TAB", "UP", "UP")],
                 (2, 1, 5200), id="keyboard"),
    pytest.param((0, 0, 3000), [pick(3), click_blink, spin_up, spin_up, spin_up], (3, 1, 3300), id="mouse"),
])
def test_ok_stores_the_values_at_once_and_the_eyes_take_the_new_pupil(tovi, before, steps, after):
    tray = Tray(tovi, settings(*before))
    dialog = Dialog(tovi, "settings", tray.eye_centre(0))
    for step in steps:
        step(dialog)
    # The eyes follow the cursor while the dialog is open, with the pupil they had, and nothing is written.
    tray.settle(before[0])
    assert tovi.ini.read_bytes() == settings(*before), "tovi.ini changed while the dialog was open"
    click_ok(dialog)
    dialog.wait_closed()
    wait_ini(tovi, settings(*after))
    tray.settle(after[0])


@pytest.mark.parametrize("kind, close", [
    pytest.param("settings", click_cancel, id="settings-cancel"),
    pytest.param("settings", click_close_box, id="settings-close-box"),
    pytest.param("settings", post_wm_close, id="settings-wm-close"),
    pytest.param("settings", alt_f4, id="settings-alt-f4"),
    pytest.param("about", click_ok, id="about-ok"),
    pytest.param("about", click_close_box, id="about-close-box"),
])
def test_closing_changes_and_writes_nothing_and_the_dialog_opens_again(tovi, kind, close):
    ini = settings(2, 0, 3000)
    tray = Tray(tovi, ini)
    before = folder_state(tovi.folder)
    dialog = Dialog(tovi, kind, tray.eye_centre(0))
    if kind == "settings":
        for step in (pick(4), click_blink, spin_up):
            step(dialog)
    else:
        problems = []

        def content_right():
            problems[:] = about_problems(dialog)
            return not problems

        wait_until(content_right, "the about box's content", details=lambda: "\n".join(problems))
    close(dialog)
    dialog.wait_closed()
    # The eyes keep their pupil at the next move, by when any saving would be done.
    tray.settle(2)
    assert folder_state(tovi.folder) == before, "the program's folder or tovi.ini changed"
    # The settings are as they were: OK without a change stores them as loaded.
    again = Dialog(tovi, kind, tray.eye_centre(1))
    assert again.rect == dialog.rect, f"opened again at {again.rect}, first at {dialog.rect}"
    click_ok(again)
    again.wait_closed()
    wait_ini(tovi, ini)


@pytest.mark.parametrize("kind, more_keys, close, stored", [
    # Shift+Tab brings the focus back to the pupil list: Down picks the next pupil, which OK stores.
    pytest.param("settings", ["SHIFT+TAB", "DOWN"], click_ok, settings(1, 0), id="settings"),
    # The about box has no control to take keys: Alt+F4 closes it.
    pytest.param("about", [], alt_f4, STILL, id="about"),
])
def test_neither_enter_nor_escape_closes_a_dialog(tovi, kind, more_keys, close, stored):
    tray = Tray(tovi, STILL)
    dialog = Dialog(tovi, kind, tray.eye_centre(0))
    # On the first tab stop and on the next, then keys that show whether keys reach the dialog at all.
    harness.probe("key", "RETURN", "ESCAPE", "TAB", "RETURN", "ESCAPE", *more_keys)
    tray.settle(0)
    assert [tuple(w["rect"]) for w in dialog.showing()] == [dialog.rect], "the dialog closed or moved"
    close(dialog)
    dialog.wait_closed()
    wait_ini(tovi, stored)


@pytest.mark.parametrize("kind", ["settings", "about"])
def test_while_a_dialog_is_open_either_item_brings_it_forward_and_exit_still_ends_the_program(tovi, kind):
    tray = Tray(tovi, STILL)
    dialog = Dialog(tovi, kind, tray.eye_centre(0))
    if kind == "settings":
        # A change that opening the dialog once more would undo, and that the exit must not hand over.
        click_blink(dialog)
    for eye, item in ((0, "settings"), (1, "about")):
        harness.x_click(*tray.eye_centre(eye), 3)
        wait_until(tovi.menus, "the eyes' menu while a dialog is open", details=tovi.describe)
        harness.probe("key", Dialog.KINDS[item][2])
        wait_until(lambda: not tovi.menus(), "the menu to close", details=tovi.describe)
        # The menu's own loop has ended once the eyes move again; a click before may fall into it.
        tray.settle(0)
        visible = tovi.own_windows(visible=True)
        assert [(w["hwnd"], tuple(w["rect"]), w["foreground"]) for w in visible] == \
            [(dialog.record["hwnd"], dialog.rect, True)], \
            f"after choosing the {item} item, expected only the first dialog, in front:\n" \
            + harness.describe_windows(visible)
    harness.x_click(*tray.eye_centre(0), 3)
    wait_until(tovi.menus, "the eyes' menu while a dialog is open", details=tovi.describe)
    harness.probe("key", "X")
    assert tovi.wait_exit() == 0
    assert tovi.ini.read_bytes() == STILL, "the exit saved other values than those loaded"
