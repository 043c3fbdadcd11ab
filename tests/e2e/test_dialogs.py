"""The settings dialog and the about box, opened from the eyes' menu: how they
look, what OK, Cancel and the keys do to the settings and to tovi.ini, one
dialog at a time, the eyes following the cursor while either is open, and the
exit, which hands over no open dialog."""
from pathlib import Path

import pytest
from PIL import Image

from harness import (DPI, SETTINGS_OK, STILL, Tray, choose, click_in, keys, menus, open_dialog, screenshot, settings,
                     wait_closed, wait_until, windows)

# Controls as (left, top, width, height) in the client area.
SETTINGS_CANCEL, ABOUT_OK = (180, 44, 89, 25), (84, 84, 89, 25)
# From the pupil list, which has the focus, three pictures down; Tab to the blink box and tick it, two Tabs round
# to the interval and up three steps.
CHANGE = ("Down", "Down", "Down", "Tab", "space", "Tab", "Tab", "Up", "Up", "Up")
# How the menu and the dialogs look at each scale; magenta stands for any colour (the version number's).
LOOKS, ANY = Path(__file__).parent / "looks", (255, 0, 255)


def looks_as_drawn(rect, name, folder):
    """Waits until the desktop in rect is pixel for pixel the reference picture looks/NAME-DPI.png, taken
    of the program and checked by eye: every text whole and in Japanese, no control over another, the OK
    button's frame by its rules (corners cut by two pixels, lines one pixel wide, whatever the size)."""
    reference = Image.open(LOOKS / f"{name}-{DPI}.png").convert("RGB")

    def same():
        shown = screenshot().crop(tuple(rect))
        shown.save(folder / f"{name}-{DPI}.png")
        return shown.size == reference.size and all(r in (s, ANY) for r, s in zip(reference.getdata(), shown.getdata()))

    wait_until(same, f"the {name} to look as looks/{name}-{DPI}.png shows; it looks as {folder}/{name}-{DPI}.png")


def folder_state(folder):
    """What saving would change: the folder's entries, and tovi.ini's bytes and modification time."""
    ini = folder / "tovi.ini"
    return sorted(p.name for p in folder.iterdir()), ini.read_bytes(), ini.stat().st_mtime_ns


@pytest.mark.scales(144)
def test_settings_change_on_ok_alone_one_dialog_at_a_time_and_the_about_box_takes_neither_enter_nor_escape(
        tovi, tmp_path):
    tovi.start(STILL)
    tray = Tray()
    before = folder_state(tovi.folder)
    dialog = open_dialog("TDlgSetting", tray.eye_centre(0), lambda menu: looks_as_drawn(menu["rect"], "menu", tmp_path))
    looks_as_drawn(dialog["rect"], "settings", tmp_path)
    keys(*CHANGE)
    click_in(dialog, SETTINGS_CANCEL)
    wait_closed(dialog)
    about = open_dialog("TDlgAbout", tray.eye_centre(1))
    looks_as_drawn(about["rect"], "about", tmp_path)
    keys("Return", "Escape", "Tab", "Return", "Escape")
    # While a dialog is open, either item of the menu brings it forward instead of opening another.
    for eye, item in ((0, "settings"), (1, "about")):
        tray.settle(0)
        choose(tray.eye_centre(eye), item)
        wait_until(lambda: not menus(), "the menu to close")
    tray.settle(0)
    assert [(w["hwnd"], w["foreground"]) for w in windows(visible=True) if w["class"].startswith("TDlg")] == \
        [(about["hwnd"], True)], "not the about box alone in front"
    # It has no control to take keys: Alt+F4, which goes to the active window, closes it.
    keys("alt+F4")
    wait_closed(about)
    about = open_dialog("TDlgAbout", tray.eye_centre(0))
    click_in(about, ABOUT_OK)
    wait_closed(about)
    # The eyes keep their pupil at the next move, by when any saving would be done.
    tray.settle(0)
    assert folder_state(tovi.folder) == before, "the program's folder or tovi.ini changed"
    # Opened again as it was: the same changes from the values loaded.
    dialog = open_dialog("TDlgSetting", tray.eye_centre(1))
    keys(*CHANGE)
    # The eyes follow the cursor while the dialog is open, with the pupil they had, and nothing is written.
    tray.settle(0)
    assert tovi.ini.read_bytes() == STILL, "tovi.ini changed while the dialog was open"
    click_in(dialog, SETTINGS_OK)
    wait_closed(dialog)
    wait_until(lambda: tovi.ini.read_bytes() == settings(3, 1, 5300), "OK to write tovi.ini")
    tray.settle(3)
    open_dialog("TDlgSetting", tray.eye_centre(0))
    keys("Down")
    tray.settle(3)
    choose(tray.eye_centre(1), "exit")
    assert tovi.wait_exit() == 0
    assert tovi.ini.read_bytes() == settings(3, 1, 5300), "the exit saved what the open dialog showed"
