"""Drives the real tovi.exe in the Wine virtual desktop of a test run.

The run (test.sh) provides an X display (DISPLAY) and a Wine prefix
(TOVI_WINEPREFIX) whose programs all share one 800x600 desktop with a task
bar. winprobe, a helper built beside the program, lists windows and sends
input from inside that desktop; xdotool and ImageMagick's import act on it
from outside.
"""
import io
import json
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
