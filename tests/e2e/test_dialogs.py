"""The settings dialog and the about box, opened from the eyes' menu: what
OK, Cancel and the keys do to the settings and to tovi.ini,
and that the eyes go on following the cursor while either is open."""
from pathlib import Path

import pytest
from PIL import Image

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
# How the menu and the dialogs look at each scale, and the colour that stands for any (the version number's).
LOOKS, ANY = Path(__file__).parent / "looks", (255, 0, 255)


def pick(index):
    """Drops the pupil list down with a click and clicks entry index."""
    def step(dialog):
        dialog.click(PUPIL_COMBO)
        box = wait_until(lambda: dialog.tovi.own_windows("ComboLBox", visible=True), "the pupil list")[0]
        left, top, right, _ = box["rect"]
        # The list's frame is one pixel wide.
        entry = harness.scaled(ENTRY_HEIGHT)
        harness.x_click((left + right) // 2, top + 1 + index * entry + entry // 2)
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


def alt_f4(dialog):
    # Goes to the active window, the dialog until something else is clicked.
    harness.probe("key", "MENU+F4")


def look_problems(rect, name, test_dir):
    """How the desktop in rect differs from the reference picture
    looks/NAME-DPI.png, where magenta stands for any colour; what showed is
    kept in test_dir."""
    seen = harness.desktop_screenshot().crop(tuple(rect))
    seen.save(test_dir / f"{name}-{harness.DPI}.png")
    reference = Image.open(LOOKS / f"{name}-{harness.DPI}.png").convert("RGB")
    if seen.size != reference.size:
        return f"{name} is {seen.size} large, its reference {reference.size}"
    shown, wanted = seen.load(), reference.load()
    wrong = [(x, y) for y in range(seen.height) for x in range(seen.width) if wanted[x, y] not in (shown[x, y], ANY)]
    return wrong and f"{name} differs from its reference at {len(wrong)} pixels, first at {wrong[:4]}"


def folder_state(folder):
    """What saving would change: the folder's entries, and tovi.ini's bytes and modification time."""
    ini = Path(folder) / "tovi.ini"
    return sorted(p.name for p in Path(folder).iterdir()), ini.read_bytes(), ini.stat().st_mtime_ns


def wait_ini(tovi, expected):
    wait_until(lambda: tovi.ini.read_bytes() == expected, f"tovi.ini to hold {expected!r}",
               details=lambda: f"it holds {tovi.ini.read_bytes()!r}\n" + tovi.describe())


# (Type, Blink, BlinkInterval) before, what the user does, the values OK must store.
@pytest.mark.scales(144)
@pytest.mark.parametrize("before, steps, after", [
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
    pytest.param("about", click_ok, id="about-ok"),
])
def test_closing_changes_and_writes_nothing_and_the_dialog_opens_again(tovi, kind, close):
    ini = settings(2, 0, 3000)
    tray = Tray(tovi, ini)
    before = folder_state(tovi.folder)
    dialog = Dialog(tovi, kind, tray.eye_centre(0))
    if kind == "settings":
        for step in (pick(4), click_blink, spin_up):
            step(dialog)
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


def test_neither_enter_nor_escape_closes_the_about_box(tovi):
    tray = Tray(tovi, STILL)
    dialog = Dialog(tovi, "about", tray.eye_centre(0))
    harness.probe("key", "RETURN", "ESCAPE", "TAB", "RETURN", "ESCAPE")
    tray.settle(0)
    assert [tuple(w["rect"]) for w in dialog.showing()] == [dialog.rect], "the dialog closed or moved"
    # The about box has no control to take keys: Alt+F4 closes it.
    alt_f4(dialog)
    dialog.wait_closed()
    wait_ini(tovi, STILL)


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


@pytest.mark.scales(144)
@pytest.mark.parametrize("kind", ["settings", "about"])
def test_the_menu_and_the_dialog_show_as_drawn(tovi, test_dir, kind):
    """Pixel for pixel as the reference pictures, which were taken of the
    program and checked by eye: every text whole and in Japanese, no control
    over another, the OK button's frame by its rules (corners cut by two
    pixels, lines one pixel wide, whatever the size)."""
    tray = Tray(tovi, STILL)

    def shows(rect, name):
        problems = [None]

        def as_drawn():
            problems[0] = look_problems(rect, name, test_dir)
            return not problems[0]

        wait_until(as_drawn, f"the {name} to show as drawn", details=lambda: problems[0])

    dialog = Dialog(tovi, kind, tray.eye_centre(0), menu_shown=lambda menu: shows(menu["rect"], "menu"))
    shows(dialog.rect, kind)
    click_ok(dialog)
    dialog.wait_closed()
