"""Tovi's two dialogs as a user reaches them: opened from an eye's menu,
driven with clicks on their controls and with keys, closed with their
buttons, the caption's close box or the system's close command. Where a
control is comes from the dialog's own layout, in pixels of its client area.

Run as a program (in a prepared test desktop, as test.sh makes one) it saves
the README's pictures of the dialogs:

    python3 tests/e2e/dialog_driving.py docs
"""
import shutil
import sys
import tempfile
from dataclasses import dataclass
from pathlib import Path

import harness
from harness import wait_until
from test_eyes import look_towards, start_and_find_eyes, tovi_menus


@dataclass(frozen=True)
class DialogKind:
    window_class: str
    title: str
    menu_key: str  # the access key of its item in the eyes' menu
    client_size: tuple


SETTINGS = DialogKind("TDlgSetting", "設定", "C", (283, 86))
ABOUT = DialogKind("TDlgAbout", "Toviについて", "A", (249, 115))

# Controls as (left, top, width, height) in the client area.
PUPIL_COMBO = (96, 8, 53, 19)
BLINK_CHECK = (12, 36, 97, 17)
INTERVAL_EDIT = (60, 56, 53, 20)
INTERVAL_SPIN = (113, 56, 15, 20)
SETTINGS_OK = (180, 12, 89, 25)
SETTINGS_CANCEL = (180, 44, 89, 25)
ENTRY_HEIGHT = 13
ABOUT_ICON = (8, 8, 32, 32)
ABOUT_OK = (84, 84, 89, 25)
ABOUT_RULE_TOP = 76


def shown(tovi, kind, view=None):
    """The visible windows of the program that are dialogs of this kind."""
    return [w for w in tovi.own_windows(view) if w["class"] == kind.window_class and w["visible"]]


def pupil_list(tovi):
    """The pupil combo box's dropped-down list, while it shows."""
    return [w for w in tovi.own_windows() if w["class"] == "ComboLBox" and w["visible"]]


class Dialog:
    """One opening of a dialog, at the place it was shown."""

    def __init__(self, tovi, kind, record):
        self.tovi, self.kind, self.record = tovi, kind, record
        self.rect = tuple(record["rect"])
        left, top, right, bottom = self.rect
        width, height = kind.client_size
        # A dialog frame is as wide at the left, right and bottom; the caption adds to the top.
        self.border = (right - left - width) // 2
        self.client = left + self.border, bottom - self.border - height

    def at(self, x, y):
        """Desktop coordinates of a client point."""
        return self.client[0] + x, self.client[1] + y

    def client_rect(self):
        width, height = self.kind.client_size
        return (*self.client, self.client[0] + width, self.client[1] + height)

    def click(self, x, y):
        harness.x_click(*self.at(x, y))

    def click_control(self, box, dx=None, dy=None):
        """Clicks a control at (dx, dy) inside it, its centre by default."""
        left, top, width, height = box
        self.click(left + (width // 2 if dx is None else dx), top + (height // 2 if dy is None else dy))

    def close_box(self):
        """The centre of the caption's close box, the right-most of its buttons."""
        left, top, right, _ = self.rect
        caption = self.client[1] - top - self.border
        return right - self.border - 11, top + self.border + caption // 2

    def client_image(self, image):
        return image.crop(self.client_rect())

    def window_image(self, image):
        return image.crop(self.rect)

    def showing(self):
        return [w for w in shown(self.tovi, self.kind) if w["hwnd"] == self.record["hwnd"]]

    def wait_closed(self):
        wait_until(lambda: not self.showing(), f"the dialog {self.kind.title!r} to close",
                   details=self.tovi.describe)

    def describe(self):
        return f"{self.kind.title!r} at {self.rect}"


def open_dialog(tovi, tray, kind, eye=0):
    """Right-clicks an eye and chooses the dialog's item by its access key."""
    harness.x_click(*tray.eye_centre(eye), 3)
    wait_until(lambda: tovi_menus(tovi), "the eyes' menu", details=tovi.describe)
    harness.probe("key", kind.menu_key)
    record = wait_until(lambda: shown(tovi, kind), f"the dialog {kind.title!r}", details=tovi.describe)[0]
    wait_until(lambda: not tovi_menus(tovi), "the menu to close", details=tovi.describe)
    return Dialog(tovi, kind, record)


# --- Settings dialog controls -------------------------------------------------

def pick_pupil(dialog, index):
    """Drops the pupil list down with a click and clicks entry index."""
    dialog.click_control(PUPIL_COMBO)
    box = wait_until(lambda: pupil_list(dialog.tovi), "the pupil list to drop down", details=dialog.tovi.describe)[0]
    left, top, right, _ = box["rect"]
    # The list's frame is one pixel wide.
    harness.x_click((left + right) // 2, top + 1 + index * ENTRY_HEIGHT + ENTRY_HEIGHT // 2)
    wait_until(lambda: not pupil_list(dialog.tovi), "the pupil list to close", details=dialog.tovi.describe)


def click_blink(dialog):
    # On the box itself, clear of the text.
    dialog.click_control(BLINK_CHECK, dx=6)


def spin_up(dialog):
    dialog.click_control(INTERVAL_SPIN, dy=4)


def spin_down(dialog):
    dialog.click_control(INTERVAL_SPIN, dy=INTERVAL_SPIN[3] - 5)


def type_interval(text):
    def step(dialog):
        dialog.click_control(INTERVAL_EDIT)
        harness.probe("key", "HOME", "SHIFT+END", *text)
    return step


def keys(*names):
    def step(dialog):
        harness.probe("key", *names)
    return step


def pick(index):
    def step(dialog):
        pick_pupil(dialog, index)
    return step


# --- Ways to close a dialog ---------------------------------------------------

def click_ok(dialog):
    dialog.click_control(SETTINGS_OK if dialog.kind is SETTINGS else ABOUT_OK)


def click_cancel(dialog):
    dialog.click_control(SETTINGS_CANCEL)


def click_close_box(dialog):
    harness.x_click(*dialog.close_box())


def post_wm_close(dialog):
    assert harness.probe("close", dialog.kind.window_class, dialog.kind.title), \
        f"no window {dialog.kind.window_class!r} {dialog.kind.title!r} to close"


def system_close_command(dialog):
    # Alt+F4 goes to the active window, which the dialog is until something else
    # is clicked. Wine's combo box swallows it while it has the focus.
    harness.probe("key", "MENU+F4")


# --- The eyes as a sign that the program has caught up -------------------------

def glance_points(tray):
    """Two places above the task bar, far to the left and far to the right,
    where the pupils sit apart (3, 3) and (7, 3); both clear of the dialogs
    in the middle of the desktop."""
    x, y = tray.centre
    return (x - 300, y - 300), (x + 300, y - 300)


def settle(tray, pupil_type):
    """Looks to the left and to the right and waits each time until both
    eyes follow. The eyes turn on the program's timer, and a thread takes
    the input sent to it before its timer's messages; so once they have
    turned, every key and click sent before has been handled. One of the
    two glances is a real turn whichever way they looked before."""
    for point in glance_points(tray):
        look_towards(tray, point, pupil_type)


def folder_state(folder):
    """What saving settings would change: the folder's entries, and the
    bytes and modification time of tovi.ini (None when there is none)."""
    ini = Path(folder) / "tovi.ini"
    names = sorted(p.name for p in Path(folder).iterdir())
    return names, (ini.read_bytes(), ini.stat().st_mtime_ns) if ini.exists() else None


# --- Pictures for the README ----------------------------------------------------

def enlarged(image, factor=2):
    return image.resize((image.width * factor, image.height * factor), resample=0)


def wait_still(crop, what):
    """A picture of the screen that two looks in a row agree on: painting is done."""
    seen = {}

    def still():
        picture = crop(harness.desktop_screenshot())
        same = seen.get("last") is not None and picture.tobytes() == seen["last"].tobytes()
        seen["last"] = picture
        return picture if same else None

    return wait_until(still, what)


def save_pictures(out_dir):
    """Starts the program in a folder of its own and saves the settings
    dialog (closed and with the pupil list dropped down) and the about box."""
    out_dir = Path(out_dir)
    problem = harness.environment_problem()
    if problem:
        raise SystemExit(problem)
    harness.WORK_ROOT.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="pictures-", dir=harness.WORK_ROOT))
    tovi = harness.ToviProgram(harness.copy_program(work / harness.FOLDER_NAME), work / "wine.log")
    try:
        tray = start_and_find_eyes(tovi, b"[Eye]\r\nType=1\r\nBlink=1\r\nBlinkInterval=3000\r\n")
        dialog = open_dialog(tovi, tray, SETTINGS)
        enlarged(wait_still(dialog.window_image, "the settings dialog")).save(out_dir / "settings-dialog.png")
        dialog.click_control(PUPIL_COMBO)
        box = wait_until(lambda: pupil_list(tovi), "the pupil list")[0]
        left, top, right, bottom = dialog.rect
        area = left, top, max(right, box["rect"][2]), max(bottom, box["rect"][3])
        enlarged(wait_still(lambda image: image.crop(area), "the pupil list")).save(
            out_dir / "settings-dialog-list.png")
        left, top, right, _ = box["rect"]
        harness.x_click((left + right) // 2, top + 1 + ENTRY_HEIGHT + ENTRY_HEIGHT // 2)
        wait_until(lambda: not pupil_list(tovi), "the pupil list to close")
        click_cancel(dialog)
        dialog.wait_closed()
        dialog = open_dialog(tovi, tray, ABOUT)
        enlarged(wait_still(dialog.window_image, "the about box")).save(out_dir / "about-box.png")
        click_ok(dialog)
        dialog.wait_closed()
    finally:
        tovi.stop()
        harness.end_crash_reporters()
    shutil.rmtree(work)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit("usage: dialog_driving.py OUTPUT_FOLDER")
    save_pictures(sys.argv[1])
