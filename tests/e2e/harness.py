"""Drives the real tovi.exe in the Wine virtual desktop of a test run.

test.sh provides an X display (DISPLAY) and a Wine prefix (TOVI_WINEPREFIX)
whose programs share one 800x600 desktop with a task bar. winprobe, built
beside the program, lists windows and sends input from inside that desktop;
xdotool and ImageMagick's import act on it from outside.
"""
import functools
import io
import json
import os
import subprocess
import tempfile
import time
from pathlib import Path, PureWindowsPath

from PIL import Image

REPO_ROOT = Path(__file__).resolve().parents[2]
# An absolute TOVI_BUILD_DIR replaces the repository root in the join.
BUILD_DIR = REPO_ROOT / os.environ.get("TOVI_BUILD_DIR", "build/windows")
DIST_DIR = BUILD_DIR / "tovi"
WINPROBE = BUILD_DIR / "tools" / "winprobe.exe"
WORK_ROOT = REPO_ROOT / "build" / "e2e-work"
DATA_DIR = REPO_ROOT / "data"
# Every copy runs from a folder named like this: the program must work from any folder.
FOLDER_NAME = "目 テスト"
# Wine on a busy machine is slow to start programs.
TIMEOUT = 30.0
MAIN_CLASS, MAIN_TITLE = "TFrmMain", "Tovi"
EYE_SIZE = 16
# The display scale of the run in dots per inch. test.sh runs the tier at 96,
# then the cases marked for other scales again, each in a prefix of that scale.
DPI = int(os.environ.get("TOVI_DPI", "96"))
# At each scale: the size of the icons in the task bar (the shell's small-icon
# size), the size of the pictures they show, and the block each picture pixel becomes.
ICON_SIZE, PICTURE_SIZE, BLOCK = {96: (16, 16, 1), 144: (24, 24, 1), 192: (32, 16, 2)}[DPI]
# The folder in data/ of the pictures drawn for PICTURE_SIZE.
PICTURES = "" if PICTURE_SIZE == EYE_SIZE else f"{PICTURE_SIZE}/"
# The pupil picture's top-left corner, across and down, when the eye looks straight ahead.
PUPIL_AHEAD = {16: 5, 24: 7}[PICTURE_SIZE]


def settings(pupil_type=0, blink=1, interval=5000):
    """tovi.ini as the program writes it; the defaults are the program's."""
    return f"[Eye]\r\nType={pupil_type}\r\nBlink={blink}\r\nBlinkInterval={interval}\r\n".encode()


STILL = settings(blink=0)


def environment_problem():
    if not os.environ.get("DISPLAY"):
        return "DISPLAY is not set: run the e2e tests through test.sh, which starts Xvfb"
    prefix = os.environ.get("TOVI_WINEPREFIX") or os.environ.get("WINEPREFIX")
    if not prefix or not (Path(prefix) / "system.reg").is_file():
        return "no prepared Wine prefix in TOVI_WINEPREFIX: run the e2e tests through test.sh"
    missing = [str(p) for p in (DIST_DIR / "tovi.exe", DIST_DIR / "base.bmp", WINPROBE) if not p.is_file()]
    return "the Windows build is incomplete, missing: " + ", ".join(missing) if missing else None


def wine_env():
    env = dict(os.environ, WINEPREFIX=os.environ.get("TOVI_WINEPREFIX") or os.environ["WINEPREFIX"])
    env.setdefault("WINEDEBUG", "-all")
    return env


def wait_until(condition, what, timeout=TIMEOUT, details=None):
    """The first true result of condition(); fails after timeout naming what
    it waited for and what details() tells."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise AssertionError(f"gave up after {timeout:g} s waiting for {what}"
                                 + ("\n" + details() if details else ""))
        time.sleep(0.1)


def json_lines(file):
    """The complete JSON lines written so far to file, by a process that may still write."""
    data = os.pread(file.fileno(), os.fstat(file.fileno()).st_size, 0)
    return [json.loads(line) for line in data[:data.rfind(b"\n") + 1].decode("utf-8").splitlines()
            if line.startswith("{")]


def probe(*args):
    """Runs winprobe and returns its records (none when nothing matched)."""
    # Files, not pipes: a Wine process that winprobe starts (the desktop, the
    # server) inherits its output and would hold a pipe open.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(["wine", str(WINPROBE), *map(str, args)], env=wine_env(), stdin=subprocess.DEVNULL,
                              stdout=out, stderr=err, timeout=120).returncode
        if code not in (0, 1):
            err.seek(0)
            raise RuntimeError(f"winprobe {args} failed with {code}: {err.read().decode('utf-8', 'replace')}")
        return json_lines(out)


class Winprobe:
    """winprobe running beside the test (watching, holding icons, playing the
    shell); its records come in as it writes them."""

    def __init__(self, *args, close_args=None):
        self._out, self._err = tempfile.TemporaryFile(), tempfile.TemporaryFile()
        self.close_args = close_args
        self.process = subprocess.Popen(["wine", str(WINPROBE), *map(str, args)], env=wine_env(),
                                        stdin=subprocess.DEVNULL, stdout=self._out, stderr=self._err)

    def records(self, kind):
        return [r for r in json_lines(self._out) if r["kind"] == kind]

    def wait_record(self, kind):
        def ready():
            assert self.process.poll() in (None, 0), f"winprobe failed: {self.error()}"
            return self.records(kind)
        return wait_until(ready, f"winprobe's first {kind!r}")[0]

    def error(self):
        return os.pread(self._err.fileno(), 4096, 0).decode("utf-8", "replace").strip()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        if self.process.poll() is None and self.close_args:
            probe("close", *self.close_args)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                pass
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(60)


def windows():
    return [r for r in probe("windows") if r["kind"] == "window"]


def is_crash_window(window):
    return PureWindowsPath(window.get("exe", "")).name.lower() == "winedbg.exe" or "Program Error" in window["title"]


def describe_windows(records):
    return "\n".join(f"  {w['class']!r} {w['title']!r} visible={w['visible']} rect={w['rect']} "
                     f"foreground={w.get('foreground')} exe={PureWindowsPath(w['exe']).name}"
                     for w in records) or "  (none)"


def screenshot():
    png = subprocess.run(["/usr/bin/import", "-display", os.environ["DISPLAY"], "-window", "root", "png:-"],
                         capture_output=True, check=True, timeout=60).stdout
    return Image.open(io.BytesIO(png)).convert("RGB")


def xdotool(*args, check=True):
    return subprocess.run(["xdotool", *map(str, args)], env=wine_env(), capture_output=True, text=True,
                          check=check, timeout=60).stdout


def desktop_geometry():
    """(x, y, width, height) of the Wine desktop's X window, there while a program of the prefix runs."""
    shell = wait_until(lambda: xdotool("search", "--name", "^shell - Wine desktop$", "getwindowgeometry", "--shell",
                                       check=False), "the X window of the Wine desktop")
    values = dict(line.split("=", 1) for line in shell.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def desktop_screenshot():
    x, y, width, height = desktop_geometry()
    return screenshot().crop((x, y, x + width, y + height))


def x_move(x, y):
    left, top, _, _ = desktop_geometry()
    xdotool("mousemove", left + x, top + y)


_last_click = {}


@functools.cache
def double_click_seconds():
    """The system's double-click time, with a margin for a busy machine."""
    return probe("work-area")[0]["double_click_ms"] / 1000 + 0.2


def x_click(x, y, button=1):
    """One click. A second press of the same button on the same place within
    the double-click time would be a double click, which opens no menu: it waits."""
    left, top, _, _ = desktop_geometry()
    last = _last_click.get(button)
    if last and abs(last[0] - x) <= 2 and abs(last[1] - y) <= 2:
        time.sleep(max(0.0, last[2] + double_click_seconds() - time.monotonic()))
    xdotool("mousemove", left + x, top + y, "click", button)
    _last_click[button] = (x, y, time.monotonic())


def taskbar_rect():
    bars = [w for w in windows() if w["class"] == "Shell_TrayWnd" and w["visible"]]
    return tuple(bars[0]["rect"]) if bars else None


def wait_taskbar():
    return wait_until(taskbar_rect, "Wine's task bar")


class ToviProgram:
    """One copy of the program in a folder of its own, started at most once."""

    def __init__(self, folder, log_path):
        self.folder = Path(folder)
        self.ini = self.folder / "tovi.ini"
        self.log_path = log_path
        self.process = None
        # Wine maps the Unix root to drive Z:, and reports that path for the process.
        self.windows_folder = "Z:" + str(self.folder).replace("/", "\\") + "\\"

    def start(self):
        with open(self.log_path, "ab") as log:
            self.process = subprocess.Popen(["wine", str(self.folder / "tovi.exe")], cwd=self.folder,
                                            env=wine_env(), stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT)

    def running(self):
        return self.process is not None and self.process.poll() is None

    def owns(self, record):
        return record.get("exe", "").lower() == (self.windows_folder + "tovi.exe").lower()

    def own_windows(self, cls=None, visible=None):
        return [w for w in windows() if self.owns(w) and (cls is None or w["class"] == cls)
                and (visible is None or w["visible"] == visible)]

    def wait_main_window(self):
        return wait_until(lambda: self.own_windows(MAIN_CLASS), "the main window", details=self.describe)

    def menus(self):
        return self.own_windows("#32768", visible=True)

    def message_boxes(self):
        return [d for d in probe("message-boxes") if self.owns(d) and d["visible"]]

    def one_message(self):
        """The program's message box, making sure it is the only one."""
        wait_until(self.message_boxes, "a message box", details=self.describe)
        boxes = self.message_boxes()
        assert len(boxes) == 1 and boxes[0]["title"] == "Tovi", f"expected one message box, got {boxes}"
        return boxes[0]

    def answer_message(self):
        assert probe("press-button", "Tovi", "OK"), "no message box with an OK button"
        wait_until(lambda: not self.message_boxes(), "the message box to close", details=self.describe)

    def close(self):
        """Posts WM_CLOSE to the main window, as Windows does at log-off."""
        assert probe("close", MAIN_CLASS, MAIN_TITLE), "no main window to close"

    def wait_exit(self, timeout=TIMEOUT):
        """The exit code; a crash dialog ends the wait at once, for the program will not end before it."""
        wait_until(lambda: not self.running() or [w for w in windows() if is_crash_window(w)], "tovi.exe to end",
                   timeout, details=self.describe)
        assert not self.running(), "tovi.exe crashed:\n" + self.describe()
        return self.process.returncode

    def close_and_wait(self):
        self.close()
        assert self.wait_exit() == 0

    def describe(self):
        state = ("not started" if self.process is None else "running" if self.running()
                 else f"ended with exit code {self.process.returncode}")
        records = windows()
        lines = [f"tovi.exe in {self.folder}: {state}", "its windows and crash windows:",
                 describe_windows([w for w in records if self.owns(w) or is_crash_window(w)])]
        lines += [f"dialog {d['title']!r}: {d['texts']}" for d in probe("message-boxes")
                  if self.owns(d) or is_crash_window(d)]
        return "\n".join(lines)

    def stop(self):
        """Ends the program, politely first, and reaps it."""
        if self.running():
            try:
                probe("close", MAIN_CLASS, MAIN_TITLE)
                self.process.wait(10)
            except (subprocess.TimeoutExpired, RuntimeError):
                pass
        if self.running():
            self.process.kill()
        if self.process:
            self.process.wait(60)


# --- The eyes on the screen -------------------------------------------------

class Pixels:
    """A picture as rows of (r, g, b), top row first; its key colour (drawn
    transparent) is the bottom-left pixel's."""

    def __init__(self, rows):
        self.rows = [list(row) for row in rows]
        self.width, self.height = (len(self.rows[0]) if self.rows else 0), len(self.rows)

    @property
    def key(self):
        return self.rows[-1][0]


def picture(name):
    """One of the program's own pictures at the run's size, from its text
    pixel map in data/: a legend of "char r g b" lines, a blank line, the rows."""
    text = (DATA_DIR / f"{PICTURES}{name}.txt").read_text(encoding="utf-8").splitlines()
    blank = text.index("")
    legend = {line.split()[0]: tuple(map(int, line.split()[1:4])) for line in text[:blank] if not line.startswith("#")}
    return Pixels([[legend[c] for c in line.rstrip()] for line in text[blank + 1:] if line.strip()])


def scaled(length):
    """A length at 96 DPI at the run's scale, near enough to click at."""
    return length * DPI // 96


def gaze_centre(taskbar):
    """Where the eyes measure the cursor from: the task bar's centre (Wine's has no notification-area child)."""
    left, top, right, bottom = taskbar
    return left + (right - left) // 2, top + (bottom - top) // 2


def rim():
    """The base's opaque pixels next to its transparent area or border, each
    a block at the run's scale: the outline every frame of the eye shows,
    pupil or eyelid."""
    base = picture("base")

    def outside(x, y):
        return not (0 <= x < base.width and 0 <= y < base.height) or base.rows[y][x] == base.key

    return [(x * BLOCK + bx, y * BLOCK + by, base.rows[y][x]) for y in range(base.height) for x in range(base.width)
            if not outside(x, y) and any(outside(x + dx, y + dy) for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1)))
            for by in range(BLOCK) for bx in range(BLOCK)]


def layer_shows(icon, layer, left, top):
    """Whether every pixel of a picture drawn over the base at (left, top), in
    picture pixels, shows where the base is opaque."""
    base = picture("base")
    return all(icon[(top + y) * BLOCK][(left + x) * BLOCK] == colour
               for y, row in enumerate(layer.rows) for x, colour in enumerate(row)
               if colour != layer.key and 0 <= left + x < base.width and 0 <= top + y < base.height
               and base.rows[top + y][left + x] != base.key)


def look(icon, pupil_type, background):
    """An open eye judged by facts that need no model of the composition:
    every picture pixel is a uniform block, the screen shows through where
    the base is transparent, and the pupil picture shows at one place where
    the base is opaque. Returns what is amiss and that place, in picture pixels."""
    base, pupil = picture("base"), picture(f"eye{pupil_type + 1}")
    problems = []
    mixed = [(x, y) for y in range(0, ICON_SIZE, BLOCK) for x in range(0, ICON_SIZE, BLOCK)
             if len({icon[y + by][x + bx] for by in range(BLOCK) for bx in range(BLOCK)}) > 1]
    if mixed:
        problems.append(f"{len(mixed)} blocks of {BLOCK} x {BLOCK} pixels are not of one colour, first at {mixed[:4]}")
    hidden = [(x, y) for y in range(base.height) for x in range(base.width)
              if base.rows[y][x] == base.key and icon[y * BLOCK][x * BLOCK] != background]
    if hidden:
        problems.append(f"the task bar does not show through at {len(hidden)} pixels, first at {hidden[:4]}")
    places = [(x, y) for y in range(base.height - pupil.height + 1) for x in range(base.width - pupil.width + 1)
              if layer_shows(icon, pupil, x, y)]
    if len(places) != 1:
        problems.append(f"the pupil picture shows at {places}, not at one place")
    return problems, places[0] if len(places) == 1 else None


def background_colour(image, rect):
    """The most common colour in rect: the task bar's own."""
    return max(image.crop(rect).getcolors(maxcolors=1 << 24))[1]


def find_eyes(image, area):
    """Top-left corners, in reading order, of the places in area where the eye's outline shows."""
    pattern = rim()
    left, top, right, bottom = area
    pixels = image.load()
    return [(x, y) for y in range(max(top, 0), min(bottom, image.height) - ICON_SIZE + 1)
            for x in range(max(left, 0), min(right, image.width) - ICON_SIZE + 1)
            if all(pixels[x + dx, y + dy] == colour for dx, dy, colour in pattern)]


def icon_pixels(image, corner):
    pixels = image.load()
    return [[pixels[corner[0] + x, corner[1] + y] for x in range(ICON_SIZE)] for y in range(ICON_SIZE)]


def icon_text(icon):
    """An icon as text, a letter per colour in order of appearance, for failure messages."""
    letters = {}
    return "\n".join("".join(letters.setdefault(c, "abcdefghijklmnopqrstuvwxyz0123456789"[len(letters) % 36])
                             for c in row) for row in icon)


def wait_two_eyes(tovi, taskbar):
    """Waits until the task bar shows two eyes' outlines side by side on one row; returns their corners."""
    seen = {}

    def two():
        seen["eyes"] = find_eyes(desktop_screenshot(), taskbar)
        return seen["eyes"] if len(seen["eyes"]) == 2 else None

    (left_x, left_y), (right_x, right_y) = eyes = wait_until(
        two, "two eyes in the task bar", details=lambda: f"eyes at {seen.get('eyes')}\n" + tovi.describe())
    assert left_y == right_y and ICON_SIZE <= right_x - left_x < 2 * ICON_SIZE, f"the eyes are not side by side: {eyes}"
    return eyes


def end_and_see_the_eyes_go(tovi, taskbar, end):
    """Ends the program with end() and waits until its eyes have left the task bar."""
    assert find_eyes(desktop_screenshot(), taskbar), "the eyes do not show"
    end()
    assert tovi.wait_exit() == 0
    wait_until(lambda: not find_eyes(desktop_screenshot(), taskbar), "the eyes to leave the task bar",
               details=tovi.describe)


class ScreenWatch(Winprobe):
    """Every distinct picture of a rectangle of the desktop, grabbed from
    inside it as often as it can: a blink is too short for screenshots from
    outside. Holds Wine's desktop open after the program has ended."""

    def __init__(self, rect, milliseconds):
        self.left, self.top, right, bottom = rect
        super().__init__("watch", self.left, self.top, right - self.left, bottom - self.top, int(milliseconds))
        self.wait_record("frame")

    def frames(self):
        """(milliseconds from the start, image) of every picture so far."""
        return [(r["t"], Image.frombytes("RGB", (len(r["rows"][0]) // 6, len(r["rows"])),
                                         bytes.fromhex("".join(r["rows"])))) for r in self.records("frame")]

    def finish(self):
        code = self.process.wait(TIMEOUT)
        assert code == 0 and self.records("watched"), f"winprobe watch failed with {code}: {self.error()}"
        return self.frames()

    def icon(self, image, corner):
        return icon_pixels(image, (corner[0] - self.left, corner[1] - self.top))


def label_frames(watch, frames, corners, open_eye, background):
    """For each eye, what each frame shows of it: "open" for the icon
    open_eye, eyelid picture n by its number where it shows whole, or
    "drawing" for the steps in which the task bar paints an icon (its
    background, then the icon's mask in black), which a fast watch sees on
    a busy machine. Fails on a frame that is none of these."""
    base, caps = picture("base"), []
    while (DATA_DIR / f"{PICTURES}cap{len(caps) + 1}.txt").is_file():
        caps.append(picture(f"cap{len(caps) + 1}"))
    # The eyelids cover one another: the one that shows whole with the most pixels is the one drawn.
    by_size = sorted(range(len(caps)), key=lambda n: -sum(c != caps[n].key for row in caps[n].rows for c in row))
    blank = [[background] * ICON_SIZE] * ICON_SIZE
    mask = [[(0, 0, 0) if base.rows[y // BLOCK][x // BLOCK] != base.key else background for x in range(ICON_SIZE)]
            for y in range(ICON_SIZE)]
    labels = []
    for corner in corners:
        labels.append([])
        for t, image in frames:
            icon = watch.icon(image, corner)
            label = ("open" if icon == open_eye else "drawing" if icon in (blank, mask)
                     else next((n + 1 for n in by_size if layer_shows(icon, caps[n], 0, 0)), None))
            assert label is not None, f"the eye at {corner} showed at {t} ms a picture no frame makes:\n" \
                + icon_text(icon)
            labels[-1].append(label)
    return labels


def blinks(labels):
    """The runs of eyelid frames between open eyes, repeats and "drawing" left out."""
    runs, run = [], []
    for label in [label for label in labels if label != "drawing"] + ["open"]:
        if label == "open":
            runs, run = runs + [run] if run else runs, []
        elif not run or run[-1] != label:
            run.append(label)
    return runs


class Dialog:
    """One opening of one of the program's dialogs: the settings dialog or the about box."""

    # Window class, title, the access key of its item in the eyes' menu, client size at each scale.
    KINDS = {"settings": ("TDlgSetting", "設定", "C", {96: (283, 86), 144: (425, 129)}),
             "about": ("TDlgAbout", "Toviについて", "A", {96: (249, 115), 144: (374, 173)})}

    def __init__(self, tovi, kind, eye_point, menu_shown=None):
        """Right-clicks an eye and chooses the dialog's item by its access key,
        after menu_shown(the menu's window), where given."""
        self.tovi, self.kind = tovi, kind
        self.cls, self.title, key, sizes = self.KINDS[kind]
        self.width, self.height = sizes[DPI]
        x_click(*eye_point, 3)
        menu = wait_until(tovi.menus, "the eyes' menu", details=tovi.describe)[0]
        if menu_shown:
            menu_shown(menu)
        probe("key", key)
        self.record = wait_until(lambda: tovi.own_windows(self.cls, visible=True), f"the dialog {self.title!r}",
                                 details=tovi.describe)[0]
        wait_until(lambda: not tovi.menus(), "the menu to close", details=tovi.describe)
        self.rect = left, top, right, bottom = tuple(self.record["rect"])
        # A dialog frame is as wide at the left, right and bottom; the caption adds to the top.
        self.border = (right - left - self.width) // 2
        self.client = left + self.border, bottom - self.border - self.height

    def click(self, box, dx=None, dy=None):
        """Clicks a control, given as (left, top, width, height) in the client
        area at 96 DPI, at its centre by default."""
        left, top, width, height, dx, dy = (None if v is None else scaled(v) for v in (*box, dx, dy))
        x_click(self.client[0] + left + (width // 2 if dx is None else dx),
                self.client[1] + top + (height // 2 if dy is None else dy))

    def showing(self):
        return [w for w in self.tovi.own_windows(self.cls, visible=True) if w["hwnd"] == self.record["hwnd"]]

    def wait_closed(self):
        wait_until(lambda: not self.showing(), f"the dialog {self.title!r} to close", details=self.tovi.describe)
