"""Drives the real tovi.exe in the Wine virtual desktop of a test run.

The run (test.sh) provides an X display (DISPLAY) and a Wine prefix
(TOVI_WINEPREFIX) whose programs all share one 800x600 desktop with a task
bar. winprobe, a helper built beside the program, lists windows and sends
input from inside that desktop; xdotool and ImageMagick's import act on it
from outside.
"""
import io
import json
import math
import os
import shutil
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
# Every copy runs from a folder named like this: the program must work from any folder.
FOLDER_NAME = "目 テスト"
# Seconds to wait for something to happen; Wine on a busy machine is slow to start programs.
TIMEOUT = 30.0
MAIN_CLASS, MAIN_TITLE = "TFrmMain", "Tovi"
REQUIRED_FILES = ("tovi.exe", "base.bmp", "cap1.bmp")


class ProbeError(RuntimeError):
    pass


def environment_problem():
    """Why the tests cannot run here, or None."""
    if not os.environ.get("DISPLAY"):
        return "DISPLAY is not set: run the e2e tests through test.sh, which starts Xvfb"
    prefix = os.environ.get("TOVI_WINEPREFIX") or os.environ.get("WINEPREFIX")
    if not prefix or not (Path(prefix) / "system.reg").is_file():
        return "no prepared Wine prefix in TOVI_WINEPREFIX: run the e2e tests through test.sh"
    missing = [str(DIST_DIR / name) for name in REQUIRED_FILES if not (DIST_DIR / name).is_file()]
    if not WINPROBE.is_file():
        missing.append(str(WINPROBE))
    if missing:
        return "the Windows build is incomplete, missing: " + ", ".join(missing)
    return None


def wine_env():
    env = dict(os.environ)
    env["WINEPREFIX"] = os.environ.get("TOVI_WINEPREFIX") or os.environ["WINEPREFIX"]
    env.setdefault("WINEDEBUG", "-all")
    return env


def wait_until(condition, what, timeout=TIMEOUT, details=None):
    """Returns the first true result of condition(); fails after timeout seconds,
    naming what it waited for and, if given, the state that details() tells."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            message = f"gave up after {timeout:g} s waiting for {what}"
            if details:
                message += "\n" + details()
            raise AssertionError(message)
        time.sleep(0.1)


def probe(*args):
    """Runs winprobe in the test prefix; returns its records (none when nothing matched)."""
    command = ["wine", str(WINPROBE), *map(str, args)]
    # Files, not pipes: a Wine process that winprobe happens to start (the
    # desktop, the server) inherits its output and would hold a pipe open.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(command, env=wine_env(), stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              timeout=120).returncode
        out.seek(0)
        err.seek(0)
        lines = out.read().decode("utf-8").splitlines()
        if code not in (0, 1):
            raise ProbeError(f"winprobe {' '.join(map(str, args))} failed with {code}: "
                             f"{err.read().decode('utf-8', 'replace').strip()}")
    return [json.loads(line) for line in lines if line.startswith("{")]


class Desktop:
    """One look at the desktop: top-level windows and task-bar buttons."""

    def __init__(self, records):
        self.windows = [r for r in records if r["kind"] == "window"]
        self.taskbar_buttons = [r for r in records if r["kind"] == "taskbar-button"]

    def crash_windows(self):
        return [w for w in self.windows if is_crash_window(w)]


def desktop():
    return Desktop(probe("windows"))


def exe_name(record):
    return PureWindowsPath(record.get("exe", "")).name.casefold()


def is_crash_window(window):
    return exe_name(window) == "winedbg.exe" or "Program Error" in window["title"]


def describe_windows(windows):
    return "\n".join(f"  {w['class']!r} {w['title']!r} visible={w['visible']} rect={w['rect']} "
                     f"exe={PureWindowsPath(w['exe']).name}" for w in windows) or "  (none)"


def screenshot():
    """The whole X screen, the Wine desktop at its top left."""
    png = subprocess.run(["/usr/bin/import", "-display", os.environ["DISPLAY"], "-window", "root", "png:-"],
                         capture_output=True, check=True, timeout=60).stdout
    return Image.open(io.BytesIO(png)).convert("RGB")


def xdotool(*args, check=True):
    return subprocess.run(["xdotool", *map(str, args)], env=wine_env(), capture_output=True, text=True,
                          check=check, timeout=60).stdout


def desktop_geometry():
    """(x, y, width, height) of the Wine desktop's X window on the screen.
    The desktop lives while a program of the prefix runs."""
    shell = wait_until(lambda: xdotool("search", "--name", "^shell - Wine desktop$",
                                       "getwindowgeometry", "--shell", check=False),
                       "the X window of the Wine desktop")
    values = dict(line.split("=", 1) for line in shell.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def desktop_screenshot():
    x, y, width, height = desktop_geometry()
    return screenshot().crop((x, y, x + width, y + height))


def x_move(x, y):
    """Moves the X pointer to desktop coordinates (x, y)."""
    left, top, _, _ = desktop_geometry()
    xdotool("mousemove", left + x, top + y)


def x_click(x, y, button=1):
    left, top, _, _ = desktop_geometry()
    xdotool("mousemove", left + x, top + y, "click", button)


def copy_program(destination):
    """A fresh copy of the built program and its pictures, without settings
    that a run of the build folder may have left there."""
    shutil.copytree(DIST_DIR, destination, symlinks=True,
                    ignore=lambda _, names: [n for n in names if n.casefold() == "tovi.ini"])
    return destination


class ToviProgram:
    """One copy of the program in a folder of its own, started at most once."""

    def __init__(self, folder, log_path):
        self.folder = Path(folder)
        self.exe = self.folder / "tovi.exe"
        self.ini = self.folder / "tovi.ini"
        self.log_path = Path(log_path)
        self.process = None
        # Wine maps the Unix root to drive Z:, and reports that path for the process.
        self.windows_exe = "Z:" + str(self.exe).replace("/", "\\")

    def start(self):
        assert self.process is None, "a ToviProgram starts once"
        with open(self.log_path, "ab") as log:
            self.process = subprocess.Popen(["wine", str(self.exe)], cwd=self.folder, env=wine_env(),
                                            stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)

    def running(self):
        return self.process is not None and self.process.poll() is None

    def owns(self, record):
        return record.get("exe", "").casefold() == self.windows_exe.casefold()

    def own_windows(self, view=None):
        return [w for w in (view or desktop()).windows if self.owns(w)]

    def main_window(self, view=None):
        return next((w for w in self.own_windows(view)
                     if w["class"] == MAIN_CLASS and w["title"] == MAIN_TITLE), None)

    def wait_main_window(self):
        return wait_until(self.main_window, f"its main window {MAIN_CLASS!r} {MAIN_TITLE!r}",
                          details=self.describe)

    def message_boxes(self):
        return [d for d in probe("message-boxes") if self.owns(d) and d["visible"]]

    def close(self):
        """Posts WM_CLOSE to the main window, as Windows does at log-off or from a task manager."""
        return bool(probe("close", MAIN_CLASS, MAIN_TITLE))

    def wait_exit(self, timeout=TIMEOUT):
        """Waits for the program to end and returns its exit code; a crash
        dialog ends the wait at once, for the program will not end before it."""
        wait_until(lambda: not self.running() or desktop().crash_windows(), "tovi.exe to end", timeout,
                   details=self.describe)
        assert not self.running(), "tovi.exe crashed:\n" + self.describe()
        return self.process.returncode

    def describe(self):
        if self.process is None:
            state = "not started"
        elif self.running():
            state = "running"
        else:
            state = f"ended with exit code {self.process.returncode}"
        view = desktop()
        dialogs = [d for d in probe("message-boxes") if self.owns(d) or is_crash_window(d)]
        lines = [f"tovi.exe in {self.folder}: {state}",
                 "its top-level windows:", describe_windows(self.own_windows(view)),
                 "crash windows:", describe_windows(view.crash_windows())]
        lines += [f"dialog {d['title']!r}: {d['texts']} buttons {[b['text'] for b in d['buttons']]}"
                  for d in dialogs]
        return "\n".join(lines)

    def stop(self):
        """Ends the program, politely first, and reaps it."""
        if self.process is None:
            return
        if self.running():
            try:
                if self.close():
                    self.process.wait(10)
            except (subprocess.TimeoutExpired, ProbeError):
                pass
        if self.running():
            self.process.kill()
        self.process.wait(60)


def end_crash_reporters():
    """Ends Wine's crash reporters, which outlive the program they report on;
    returns how many there were."""
    return len(probe("kill", "winedbg.exe"))


# --- The eyes on the screen -------------------------------------------------

DATA_DIR = REPO_ROOT / "data"
EYE_SIZE = 16
# The pupil's centre is 3 pixels into its picture and travels 3 pixels from the eye's centre.
EYE_CENTRE, PUPIL_TRAVEL, PUPIL_CENTRE = 8, 3, 3


class Picture:
    """One text pixel map of data/: rows of (r, g, b), its key colour (the
    bottom-left pixel) and its legend characters by colour."""

    def __init__(self, name):
        self.name = name
        text = (DATA_DIR / f"{name}.txt").read_text(encoding="utf-8").splitlines()
        blank = text.index("")
        legend = {}
        for line in text[:blank]:
            if line.startswith("#"):
                continue
            char, red, green, blue = line.split()[:4]
            legend[char] = (int(red), int(green), int(blue))
        pixel_rows = [line.rstrip() for line in text[blank + 1:] if line.strip()]
        self.rows = [[legend[char] for char in line] for line in pixel_rows]
        self.width, self.height = len(self.rows[0]), len(self.rows)
        self.key = self.rows[-1][0]
        self.chars = {colour: char for char, colour in legend.items()}


_pictures = {}


def picture(name):
    if name not in _pictures:
        _pictures[name] = Picture(name)
    return _pictures[name]


def cap_count():
    """How many eyelid frames there are: cap1, cap2, ... in data/, up to the first gap."""
    count = 0
    while (DATA_DIR / f"cap{count + 1}.txt").is_file():
        count += 1
    return count


def gaze_centre(rect):
    """The point the eyes measure the cursor from: the centre of the task
    bar's rectangle (Wine's task bar has no notification-area child)."""
    left, top, right, bottom = rect
    return left + (right - left) // 2, top + (bottom - top) // 2


def gaze_angle(rect, point):
    centre_x, centre_y = gaze_centre(rect)
    return math.atan2(point[1] - centre_y, point[0] - centre_x)


def round_off(value):
    """Rounds halves away from zero."""
    return math.floor(abs(value) + 0.5) * (1 if value >= 0 else -1)


def pupil_top_left(theta):
    return (EYE_CENTRE + round_off(PUPIL_TRAVEL * math.cos(theta)) - PUPIL_CENTRE,
            EYE_CENTRE + round_off(PUPIL_TRAVEL * math.sin(theta)) - PUPIL_CENTRE)


def _draw(canvas, source, left, top):
    for y, row in enumerate(source.rows):
        for x, colour in enumerate(row):
            if colour != source.key and 0 <= left + x < EYE_SIZE and 0 <= top + y < EYE_SIZE:
                canvas[top + y][left + x] = colour


def compose_eye(pupil_type, theta, cap=None):
    """The 16 x 16 icon as the eye should show it: the base, pupil picture
    eye(pupil_type + 1) at its place for theta, eyelid frame cap`cap` if given,
    each without its key colour; None where the base has its key colour (the
    icon is transparent there)."""
    base = picture("base")
    canvas = [list(row) for row in base.rows]
    _draw(canvas, picture(f"eye{pupil_type + 1}"), *pupil_top_left(theta))
    if cap is not None:
        _draw(canvas, picture(f"cap{cap}"), 0, 0)
    return [[None if base.rows[y][x] == base.key else canvas[y][x] for x in range(EYE_SIZE)]
            for y in range(EYE_SIZE)]


def _rim():
    """The base's pixels that touch its key-coloured area or its border: the
    outline every frame of the eye shares, pupil or eyelid."""
    base = picture("base")

    def outside(x, y):
        return not (0 <= x < base.width and 0 <= y < base.height) or base.rows[y][x] == base.key

    return [(x, y, base.rows[y][x]) for y in range(base.height) for x in range(base.width)
            if not outside(x, y) and any(outside(x + dx, y + dy)
                                         for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1)))]


def find_eyes(image, area=None):
    """Top-left corners (x, y) of every place in area (left, top, right,
    bottom; the whole image if None) where the eye's outline shows, in
    reading order."""
    left, top, right, bottom = area or (0, 0, image.width, image.height)
    left, top = max(left, 0), max(top, 0)
    right, bottom = min(right, image.width), min(bottom, image.height)
    pixels = image.load()
    rim = _rim()
    return [(x, y) for y in range(top, bottom - EYE_SIZE + 1) for x in range(left, right - EYE_SIZE + 1)
            if all(pixels[x + dx, y + dy] == colour for dx, dy, colour in rim)]


def icon_pixels(image, corner):
    x0, y0 = corner
    pixels = image.load()
    return [[pixels[x0 + x, y0 + y] for x in range(EYE_SIZE)] for y in range(EYE_SIZE)]


def icon_differences(actual, expected, background):
    """Where the pixels seen differ from the icon expected; a transparent
    pixel must show the task bar's background."""
    return [(x, y, actual[y][x], background if want is None else want)
            for y in range(EYE_SIZE) for x in range(EYE_SIZE)
            for want in [expected[y][x]] if actual[y][x] != (background if want is None else want)]


def background_colour(image, rect):
    """The most common colour in rect: the task bar's own."""
    colours = image.crop(rect).getcolors(maxcolors=1 << 24)
    return max(colours)[1]


def icon_text(pixels, background=None):
    """A 16 x 16 icon as text: the legend characters of data/*.txt (the first
    picture's where two share a colour), '_' for the background where no
    picture has its colour, '?' for any other colour. A transparent pixel
    (None) stands for the background."""
    names = {}
    for name in ["base", *(f"cap{n}" for n in range(1, cap_count() + 1)), "eye1"]:
        for colour, char in picture(name).chars.items():
            names.setdefault(colour, char)
    return ["".join(names.get(c, "_" if c == background else "?")
                    for c in (background if p is None else p for p in row)) for row in pixels]


def side_by_side(title_a, a, title_b, b):
    return "\n".join([f"{title_a:<18}{title_b}"] + [f"{ra:<18}{rb}" for ra, rb in zip(a, b)])


def taskbar_rect(view=None):
    """The task bar's rectangle, from Wine's own record of it; None while there is none."""
    bars = [w for w in (view or desktop()).windows if w["class"] == "Shell_TrayWnd" and w["visible"]]
    return tuple(bars[0]["rect"]) if bars else None


def work_area():
    return tuple(probe("work-area")[0]["rect"])


def _json_lines(file):
    """The complete lines written so far to file, by a process still writing it."""
    data = os.pread(file.fileno(), os.fstat(file.fileno()).st_size, 0)
    complete = data[:data.rfind(b"\n") + 1].decode("utf-8")
    return [json.loads(line) for line in complete.splitlines() if line.startswith("{")]


class Frame:
    """One distinct picture of a watched rectangle, at t milliseconds after the watch began."""

    def __init__(self, record, left, top):
        self.t = record["t"]
        rows = record["rows"]
        width = len(rows[0]) // 6
        self.image = Image.frombytes("RGB", (width, len(rows)), bytes.fromhex("".join(rows)))
        self.left, self.top = left, top

    def icon(self, corner):
        """The 16 x 16 pixels at a desktop point."""
        return icon_pixels(self.image, (corner[0] - self.left, corner[1] - self.top))

    def eyes(self):
        return [(x + self.left, y + self.top) for x, y in find_eyes(self.image)]


class ScreenWatch:
    """winprobe watching a rectangle of the desktop beside the test: every
    distinct picture, as often as it can grab the screen. A blink lasts a few
    10 ms ticks, far too short for screenshots from outside."""

    def __init__(self, rect, milliseconds):
        self.left, self.top, right, bottom = rect
        self._out = tempfile.TemporaryFile()
        self._err = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            ["wine", str(WINPROBE), "watch", str(self.left), str(self.top), str(right - self.left),
             str(bottom - self.top), str(int(milliseconds))],
            env=wine_env(), stdin=subprocess.DEVNULL, stdout=self._out, stderr=self._err)
        self.summary = None

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()

    def frames(self):
        records = _json_lines(self._out)
        self.summary = next((r for r in records if r["kind"] == "watched"), None)
        return [Frame(r, self.left, self.top) for r in records if r["kind"] == "frame"]

    def wait_started(self):
        """Waits until the first picture is in: the watch has begun."""
        def started():
            assert self.process.poll() in (None, 0), f"winprobe watch failed: {self._error()}"
            return bool(self.frames())
        wait_until(started, "the screen watch to begin")

    def finish(self, timeout=TIMEOUT):
        """Waits for the watch to end and returns its frames."""
        code = self.process.wait(timeout)
        assert code == 0, f"winprobe watch failed with {code}: {self._error()}"
        frames = self.frames()
        assert self.summary, "winprobe watch ended without its summary"
        return frames

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(60)
        self._out.close()
        self._err.close()

    def _error(self):
        return os.pread(self._err.fileno(), 4096, 0).decode("utf-8", "replace").strip()


class OtherTrayIcons:
    """Icons of another program (winprobe) in the notification area, added
    before the eyes so that the eyes are not the last at its right end."""

    CLASS = "WinprobeTrayIcons"

    def __init__(self, count):
        self._out = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["wine", str(WINPROBE), "tray-icons", str(count), str(int(TIMEOUT * 4000))],
                                        env=wine_env(), stdin=subprocess.DEVNULL, stdout=self._out,
                                        stderr=subprocess.DEVNULL)
        try:
            added = wait_until(lambda: [r for r in _json_lines(self._out) if r["kind"] == "tray-icons"],
                               f"winprobe to add {count} tray icons")
            assert added[0]["added"] == count, f"the shell took {added[0]['added']} of {count} icons"
        except BaseException:
            self.__exit__()
            raise

    def __enter__(self):
        return self

    def __exit__(self, *_):
        if self.process.poll() is None:
            probe("close", self.CLASS)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        self.process.wait(60)
        self._out.close()
