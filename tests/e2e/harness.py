"""Drives the real tovi.exe in the 800x600 Wine desktop with a task bar that test.sh holds open: winprobe
looks from inside it, xdotool and ImageMagick's import act and look from outside. The eyes are judged by
facts about the pictures in data/ that need no model: the outline shows, the pupil shows whole at one place."""
import contextlib
import functools
import io
import json
import os
import re
import subprocess
import tempfile
import time
from pathlib import Path

from PIL import Image

REPO_ROOT = Path(__file__).resolve().parents[2]
BUILD_DIR = REPO_ROOT / "build" / "windows"
DIST_DIR, WINPROBE = BUILD_DIR / "tovi", BUILD_DIR / "tools" / "winprobe.exe"
# Wine on a busy machine is slow to start programs.
TIMEOUT = 30.0
MAIN_CLASS = "TFrmMain"
# The display scale of the run; at each, the size of the task bar's icons, of
# the pictures they show (their folder in data/), and the block a picture pixel becomes.
DPI = int(os.environ.get("TOVI_DPI", "96"))
ICON_SIZE, PICTURE_SIZE, BLOCK = {96: (16, 16, 1), 144: (24, 24, 1), 192: (32, 16, 2)}[DPI]
PICTURES = REPO_ROOT / "data" / ("" if PICTURE_SIZE == 16 else str(PICTURE_SIZE))
# The pupil picture's top-left corner when the cursor is far to the left of the eyes' centre, level with
# it, to the right, far above and below.
LEFT, RIGHT, UP, DOWN = {16: ((2, 5), (8, 5), (5, 2), (5, 8)), 24: ((2, 7), (12, 7), (7, 2), (7, 12))}[PICTURE_SIZE]
# The eyes' menu: its items' middles in parts of its height; separators lie between.
MENU_ITEMS = {"settings": 1 / 6, "about": 1 / 2, "exit": 5 / 6}


def settings(pupil_type=0, blink=1, interval=5000):
    """tovi.ini as the program writes it; the defaults are the program's."""
    return f"[Eye]\r\nType={pupil_type}\r\nBlink={blink}\r\nBlinkInterval={interval}\r\n".encode()


STILL = settings(blink=0)


def wait_until(condition, what):
    """The first true result of condition(); fails after TIMEOUT naming what it waited for, or what() saw last."""
    deadline = time.monotonic() + TIMEOUT
    while not (result := condition()):
        assert time.monotonic() < deadline, f"gave up after {TIMEOUT:g} s: {what() if callable(what) else what}"
        time.sleep(0.1)
    return result


def wine(program, *args, **options):
    # Files, not pipes, for its output: a Wine process it starts would inherit and hold a pipe open.
    return subprocess.Popen(["wine", str(program), *map(str, args)], stdin=subprocess.DEVNULL, **options,
                            env=dict(os.environ, WINEPREFIX=os.environ["TOVI_WINEPREFIX"]))


def records(out):
    """The lines winprobe has written whole so far to the file out."""
    data = os.pread(out.fileno(), os.fstat(out.fileno()).st_size, 0)
    return [json.loads(line) for line in data[:data.rfind(b"\n") + 1].decode().splitlines()]


def probe(*args):
    """Runs winprobe to its end and returns what it wrote."""
    with tempfile.TemporaryFile() as out:
        wine(WINPROBE, *args, stdout=out, stderr=subprocess.DEVNULL).wait(TIMEOUT)
        return records(out)


def windows(cls=None, visible=None):
    """The desktop's top-level windows, front first, of a class and visibility if given."""
    return [w for w in probe("windows") if cls in (None, w["class"]) and visible in (None, w["visible"])]


def menus():
    return windows("#32768", visible=True)


# The X window of the Wine desktop, as ImageMagick and xdotool name it.
DESKTOP = "shell - Wine desktop"


def screenshot():
    """The Wine desktop as the user sees it."""
    png = subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", DESKTOP, "png:-"],
                         capture_output=True, check=True, timeout=TIMEOUT).stdout
    return Image.open(io.BytesIO(png)).convert("RGB")


def x_click(x, y, button=None):
    """Moves the cursor to a point of the desktop and clicks, unless no button is given."""
    subprocess.run(["xdotool", "search", "--name", f"^{DESKTOP}$", "mousemove", "--window", "%1", str(x), str(y),
                    *(["click", str(button)] if button else [])], check=True)


def keys(*names):
    """Presses keys, as xdotool names them, in the active window."""
    subprocess.run(["xdotool", "key", *names], check=True)


def answer_message():
    """The text of the program's one message box, answered with OK (as closing it is)."""
    boxes = wait_until(lambda: windows("#32770", visible=True), "a message box")
    assert [b["title"] for b in boxes] == ["Tovi"] and probe("close", "#32770", "Tovi"), f"message boxes {boxes}"
    wait_until(lambda: not windows("#32770", visible=True), "the message box to close")
    return boxes[0]["text"]


class ToviProgram:
    """One copy of the program in a folder of its own."""

    def __init__(self, folder):
        self.folder, self.ini, self.process = folder, folder / "tovi.ini", None
        self.log_path = folder.parent / "wine.log"
        # Wine maps the Unix root to drive Z:; the program names its files by that path.
        self.windows_folder = "Z:" + str(folder).replace("/", "\\") + "\\"

    def start(self, ini=None):
        if ini is not None:
            self.ini.write_bytes(ini)
        with open(self.log_path, "ab") as log:
            self.process = wine(self.folder / "tovi.exe", cwd=self.folder, stdout=log, stderr=log)

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self):
        wait_until(lambda: not self.running(), "tovi.exe to end")
        return self.process.returncode

    def stop(self):
        """Ends the program, politely first, and reaps it."""
        if self.running() and probe("close", MAIN_CLASS):
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.process.wait(TIMEOUT)
        if self.process:
            self.process.kill()
            self.process.wait(TIMEOUT)


@functools.cache
def picture(name):
    """A picture of data/ at the run's size as rows of colours, from its text map: a legend, a blank line, the rows.
    Its key colour is the bottom-left pixel's."""
    text = (PICTURES / f"{name}.txt").read_text(encoding="utf-8").splitlines()
    blank = text.index("")
    legend = {line.split()[0]: tuple(map(int, line.split()[1:4])) for line in text[:blank] if not line.startswith("#")}
    return tuple(tuple(legend[c] for c in line.rstrip()) for line in text[blank + 1:] if line.strip())


def shows(icon, layer, left, top):
    """Whether a picture drawn over the base at (left, top), in picture pixels, shows whole where the base is opaque."""
    base = picture("base")
    return all(icon[(top + y) * BLOCK][(left + x) * BLOCK] == colour for y, row in enumerate(layer)
               for x, colour in enumerate(row) if colour != layer[-1][0] and 0 <= top + y < len(base)
               and 0 <= left + x < len(base) and base[top + y][left + x] != base[-1][0])


@functools.cache
def rim():
    """The outline every picture of the eye shows: the base's opaque pixels beside its transparent ones or border."""
    base = picture("base")
    inside = {(x, y) for y, row in enumerate(base) for x, colour in enumerate(row) if colour != base[-1][0]}
    return [(x * BLOCK + bx, y * BLOCK + by, base[y][x]) for x, y in inside
            if {(x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)} - inside for by in range(BLOCK) for bx in range(BLOCK)]


class Tray:
    """The task bar once both eyes of a started program show in it side by side."""

    def __init__(self):
        self.taskbar = left, top, right, bottom = tuple(
            wait_until(lambda: windows("Shell_TrayWnd", visible=True), "Wine's task bar")[0]["rect"])
        # Wine's task bar has no notification-area child: the eyes measure the cursor from its centre.
        self.centre = (left + right) // 2, (top + bottom) // 2

        def two_eyes():
            self.eyes = self.find_eyes()
            return len(self.eyes) == 2

        wait_until(two_eyes, lambda: f"two eyes in the task bar, not {self.eyes}")
        (x, y), (right_x, right_y) = self.eyes
        assert y == right_y and ICON_SIZE <= right_x - x < 2 * ICON_SIZE, f"the eyes are not side by side: {self.eyes}"

    def find_eyes(self):
        """Top-left corners, in reading order, of the places in the task bar where the eye's outline shows."""
        left, top, right, bottom = self.taskbar
        pixels = screenshot().load()
        return [(x, y) for y in range(top, bottom - ICON_SIZE + 1) for x in range(left, right - ICON_SIZE + 1)
                if all(pixels[x + dx, y + dy] == colour for dx, dy, colour in rim())]

    def eye_centre(self, index):
        return self.eyes[index][0] + ICON_SIZE // 2, self.eyes[index][1] + ICON_SIZE // 2

    def icons(self, image, origin=(0, 0)):
        """Both eyes' pixels as rows, from a picture of the desktop whose top-left is at origin."""
        pixels = image.load()
        return [[[pixels[x - origin[0] + dx, y - origin[1] + dy] for dx in range(ICON_SIZE)] for dy in range(ICON_SIZE)]
                for x, y in self.eyes]

    def look_towards(self, point, place, pupil_type=0):
        """Puts the cursor on point and waits until both eyes show the same open eye with the pupil picture's
        top-left corner at place; returns that icon."""
        pupil, seen = picture(f"eye{pupil_type + 1}"), {}
        span = range(len(picture("base")) - len(pupil) + 1)

        def looking():
            left, right = seen["icons"] = self.icons(screenshot())
            seen["places"] = [(x, y) for y in span for x in span if shows(left, pupil, x, y)]
            return seen["places"] == [place] and left == right

        x_click(*point)
        wait_until(looking, lambda: f"the pupils at {place}, towards {point}; the first at {seen['places']}, "
                   f"{'the same' if seen['icons'][0] == seen['icons'][1] else 'not the same'} in the second")
        return seen["icons"][0]

    def settle(self, pupil_type):
        """Looks far to the left, then far to the right, with the pupil of pupil_type. The eyes turn on the
        program's timer, whose messages come after the input sent before: once they have turned, every key and
        click is handled."""
        self.look_towards((self.centre[0] - 300, self.centre[1]), LEFT, pupil_type)
        self.look_towards((self.centre[0] + 300, self.centre[1]), RIGHT, pupil_type)

    def watch(self, open_eye, milliseconds, during=lambda: None):
        """What each eye shows over milliseconds, seen from inside the desktop (a blink is too short for screenshots
        from outside) while during() acts: "o" while it shows open_eye, "c" while another picture, once for each
        stretch. The task bar painting an icon, which a fast watch sees on a busy machine, shows no outline."""
        (left, top), (right, bottom) = self.eyes[0], (self.eyes[1][0] + ICON_SIZE, self.eyes[1][1] + ICON_SIZE)
        with tempfile.TemporaryFile() as out:
            watch = wine(WINPROBE, "watch", left, top, right - left, bottom - top, milliseconds, stdout=out)
            wait_until(lambda: records(out), "winprobe's first look")
            during()
            assert watch.wait(TIMEOUT) == 0, "winprobe watch failed"
            frames = records(out)
        labels = ["", ""]
        for frame in frames:
            image = Image.frombytes("RGB", (right - left, bottom - top), bytes.fromhex(frame["pixels"]))
            for eye, icon in enumerate(self.icons(image, (left, top))):
                labels[eye] += "o" if icon == open_eye else "" if any(icon[y][x] != c for x, y, c in rim()) else "c"
        return [re.sub(r"(.)\1+", r"\1", eye) for eye in labels]


def choose(eye_point, item, menu_shown=lambda menu: None):
    """Right-clicks an eye, waits for its menu, hands it to menu_shown and clicks an item."""
    x_click(*eye_point, 3)
    menu = wait_until(menus, "the eyes' menu")[0]
    menu_shown(menu)
    left, top, right, bottom = menu["rect"]
    x_click((left + right) // 2, top + round((bottom - top) * MENU_ITEMS[item]), 1)


# The settings dialog's OK as (left, top, width, height) in its client area.
SETTINGS_OK = (180, 12, 89, 25)


def open_dialog(cls, eye_point, menu_shown=lambda menu: None):
    """Opens a dialog, by its window class, from the eyes' menu and returns its window."""
    choose(eye_point, {"TDlgSetting": "settings", "TDlgAbout": "about"}[cls], menu_shown)
    return wait_until(lambda: windows(cls, visible=True), f"the dialog {cls}")[0]


def click_in(dialog, box):
    """Clicks a dialog's control, given as (left, top, width, height) in its client area at 96 DPI, at its centre."""
    (x, y), (left, top, width, height) = dialog["client"], (v * DPI // 96 for v in box)
    x_click(x + left + width // 2, y + top + height // 2, 1)


def wait_closed(dialog):
    wait_until(lambda: not windows(dialog["class"], visible=True), "the dialog to close")
