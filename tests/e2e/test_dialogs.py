"""The settings dialog and the about box, opened from the eyes' menu: how they
look, what OK, Cancel and the keys do to the settings and to tovi.ini, one
dialog at a time, and the eyes following the cursor while either is open."""
from pathlib import Path

import pytest
from PIL import Image

from harness import DPI, STILL, Dialog, Tray, choose, probe, screenshot, settings, wait_until, x_click

# Controls as (left, top, width, height) in the client area.
PUPIL_COMBO, BLINK_CHECK, INTERVAL_SPIN = (96, 8, 53, 19), (12, 36, 97, 17), (113, 56, 15, 20)
SETTINGS_CANCEL, ABOUT_OK = (180, 44, 89, 25), (84, 84, 89, 25)
ENTRY_HEIGHT = 13
# How the menu and the dialogs look at each scale; magenta stands for any colour (the version number's).
LOOKS, ANY = Path(__file__).parent / "looks", (255, 0, 255)


def change(dialog, tovi):
    """Picks the fourth pupil from the list (its frame one pixel wide), clicks the blink box clear of its
    text, and the interval's up arrow three times."""
    dialog.click(PUPIL_COMBO)
    left, top, right, _ = wait_until(lambda: tovi.windows("ComboLBox", visible=True), "the list")[0]["rect"]
    entry = ENTRY_HEIGHT * DPI // 96
    x_click((left + right) // 2, top + 1 + 3 * entry + entry // 2, 1)
    wait_until(lambda: not tovi.windows("ComboLBox", visible=True), "the pupil list to close")
    dialog.click(BLINK_CHECK, dx=6)
    for _ in range(3):
        dialog.click(INTERVAL_SPIN, dy=4)


def looks_as_drawn(rect, name, test_dir):
    """Waits until the desktop in rect is pixel for pixel the reference picture looks/NAME-DPI.png, taken
    of the program and checked by eye: every text whole and in Japanese, no control over another, the OK
    button's frame by its rules (corners cut by two pixels, lines one pixel wide, whatever the size)."""
    reference = Image.open(LOOKS / f"{name}-{DPI}.png").convert("RGB")

    def same():
        shown = screenshot().crop(tuple(rect))
        shown.save(test_dir / f"{name}-{DPI}.png")
        return shown.size == reference.size and all(r in (s, ANY) for r, s in zip(reference.getdata(), shown.getdata()))

    wait_until(same, f"the {name} to look as looks/{name}-{DPI}.png shows; it looks as {test_dir}/{name}-{DPI}.png")


def folder_state(folder):
    """What saving would change: the folder's entries, and tovi.ini's bytes and modification time."""
    return sorted(p.name for p in folder.iterdir()), (folder / "tovi.ini").read_bytes(), (folder / "tovi.ini").stat().st_mtime_ns


@pytest.mark.scales(144)
def test_settings_cancel_changes_nothing_ok_stores_at_once_and_the_exit_hands_over_no_open_dialog(tovi, test_dir):
    tovi.start(STILL)
    tray = Tray()
    before = folder_state(tovi.folder)
    dialog = Dialog(tovi, "TDlgSetting", tray.eye_centre(0), lambda menu: looks_as_drawn(menu["rect"], "menu", test_dir))
    looks_as_drawn(dialog.rect, "settings", test_dir)
    change(dialog, tovi)
    dialog.click(SETTINGS_CANCEL)
    dialog.wait_closed()
    # The eyes keep their pupil at the next move, by when any saving would be done.
    tray.settle(0)
    assert folder_state(tovi.folder) == before, "the program's folder or tovi.ini changed"
    # Opened again as it was: the same changes from the values loaded.
    dialog = Dialog(tovi, "TDlgSetting", tray.eye_centre(1))
    change(dialog, tovi)
    # The eyes follow the cursor while the dialog is open, with the pupil they had, and nothing is written.
    tray.settle(0)
    assert tovi.ini.read_bytes() == STILL, "tovi.ini changed while the dialog was open"
    dialog.click(Dialog.SETTINGS_OK)
    dialog.wait_closed()
    wait_until(lambda: tovi.ini.read_bytes() == settings(3, 1, 5300), "OK to write tovi.ini")
    tray.settle(3)
    dialog = Dialog(tovi, "TDlgSetting", tray.eye_centre(0))
    dialog.click(BLINK_CHECK, dx=6)
    tray.settle(3)
    choose(tovi, tray.eye_centre(1), "X")
    assert tovi.wait_exit() == 0
    assert tovi.ini.read_bytes() == settings(3, 1, 5300), "the exit saved what the open dialog showed"


@pytest.mark.scales(144)
def test_the_about_box_keeps_to_itself_and_takes_neither_enter_nor_escape(tovi, test_dir):
    tovi.start(STILL)
    tray = Tray()
    before = folder_state(tovi.folder)
    dialog = Dialog(tovi, "TDlgAbout", tray.eye_centre(0))
    looks_as_drawn(dialog.rect, "about", test_dir)
    probe("key", "RETURN", "ESCAPE", "TAB", "RETURN", "ESCAPE")
    # While a dialog is open, either item of the menu brings it forward instead of opening another.
    for eye, key in ((0, "C"), (1, "A")):
        tray.settle(0)
        choose(tovi, tray.eye_centre(eye), key)
        wait_until(lambda: not tovi.menus(), "the menu to close")
    tray.settle(0)
    assert [(w["hwnd"], tuple(w["rect"]), w["foreground"]) for w in tovi.windows(visible=True)] == \
        [(dialog.hwnd, dialog.rect, True)], "not the about box alone in front"
    # It has no control to take keys: Alt+F4, which goes to the active window, closes it.
    probe("key", "MENU+F4")
    dialog.wait_closed()
    again = Dialog(tovi, "TDlgAbout", tray.eye_centre(1))
    assert again.rect == dialog.rect, f"opened again at {again.rect}, first at {dialog.rect}"
    again.click(ABOUT_OK)
    again.wait_closed()
    tray.settle(0)
    assert folder_state(tovi.folder) == before, "the program's folder or tovi.ini changed"
