"""Faults for the end-to-end tests to put the program through: pictures
written byte by byte in every format a bitmap file can take, broken or not;
folders that refuse writing; a stand-in shell that refuses or counts icons;
and ways to see, on the screen, the eyes that a set of pictures should make.
"""
import json
import os
import struct
import subprocess
import tempfile
from pathlib import Path

import harness
from harness import EYE_SIZE, TIMEOUT, wait_until

# --- Pictures -----------------------------------------------------------------


class Pixels:
    """A picture as rows of (r, g, b), top row first; its key colour (drawn
    transparent) is the bottom-left pixel's."""

    def __init__(self, rows):
        self.rows = [list(row) for row in rows]
        self.width = len(self.rows[0]) if self.rows else 0
        self.height = len(self.rows)

    @property
    def key(self):
        return self.rows[-1][0]

    @classmethod
    def of(cls, name):
        """One of the program's own pictures, from its text pixel map in data/."""
        return cls(harness.picture(name).rows)

    @classmethod
    def from_text(cls, legend, lines):
        """A picture drawn as text: legend maps each character to a colour."""
        return cls([[legend[char] for char in line] for line in lines])


def bmp_file(picture, bits=24, rle=False, alpha=None, size=None):
    """A Windows bitmap file of picture, bottom-up with a 40-byte header:
    paletted (1, 4 or 8 bits, run-length coded if rle) or true colour (24 or
    32 bits; alpha(x, y) gives the fourth byte of a 32-bit pixel). size
    overrides the width and height the header claims."""
    width, height = size or (picture.width, picture.height)
    palette, table = [], b""
    if bits <= 8:
        palette = list(dict.fromkeys(colour for row in picture.rows for colour in row))
        assert len(palette) <= 1 << bits, f"{len(palette)} colours do not fit {bits} bits"
        palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    index = {colour: i for i, colour in reversed(list(enumerate(palette)))}
    bottom_up = list(reversed(picture.rows))
    if rle:
        assert bits in (4, 8), "run-length coding is for 4 and 8 bits"
        pixels = _rle(bits, [[index[c] for c in row] for row in bottom_up])
        compression = 2 if bits == 4 else 1
    else:
        pixels = b"".join(_row(bits, row, picture.height - 1 - y, index, alpha) for y, row in enumerate(bottom_up))
        compression = 0
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                       len(palette), 0)
    return header + info + table + pixels


def padded_bmp(picture, width, height):
    """A 24-bit bitmap file of width x height pixels: picture at its top left,
    its key colour everywhere else. Made row by row, for pictures far larger
    than an eye."""
    def bgr(colour):
        return bytes(reversed(colour))

    pad = b"\0" * (-width * 3 % 4)
    blank = bgr(picture.key) * width + pad
    rows = [b"".join(map(bgr, row)) + bgr(picture.key) * (width - picture.width) + pad for row in picture.rows]
    pixels = blank * (height - picture.height) + b"".join(reversed(rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def _row(bits, row, y, index, alpha):
    if bits == 24:
        data = b"".join(bytes((b, g, r)) for r, g, b in row)
    elif bits == 32:
        data = b"".join(bytes((b, g, r, alpha(x, y) if alpha else 0)) for x, (r, g, b) in enumerate(row))
    else:
        value = 0
        for colour in row:
            value = (value << bits) | index[colour]
        spare = -len(row) * bits % 8
        data = (value << spare).to_bytes((len(row) * bits + spare) // 8, "big") if row else b""
    return data + b"\0" * (-len(data) % 4)


def _rle(bits, rows):
    """Runs of one index as coded runs, stretches of single pixels in the
    absolute mode, an end of line after every row and the end of the bitmap."""
    out = bytearray()
    for number, row in enumerate(rows):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and row[x + run] == row[x] and run < 255:
                run += 1
            if run > 1:
                out += bytes((run, row[x] * 17 if bits == 4 else row[x]))
                x += run
                continue
            single = x
            while single < len(row) and single - x < 255 and (single + 1 >= len(row) or row[single + 1] != row[single]):
                single += 1
            count = single - x
            if count < 3:
                out += bytes((1, row[x] * 17 if bits == 4 else row[x]))
                x += 1
                continue
            values = row[x:single]
            if bits == 4:
                values = values + [0] * (len(values) % 2)
                data = bytes((values[i] << 4) | values[i + 1] for i in range(0, len(values), 2))
            else:
                data = bytes(values)
            out += bytes((0, count)) + data + b"\0" * (len(data) % 2)
            x = single
        out += b"\0\1" if number == len(rows) - 1 else b"\0\0"
    return bytes(out)


def program_pictures():
    """The names of the program's own pictures: base, cap1... and eye1..."""
    names = ["base"]
    names += [f"cap{n}" for n in range(1, harness.cap_count() + 1)]
    n = 1
    while (harness.DATA_DIR / f"eye{n}.txt").is_file():
        names.append(f"eye{n}")
        n += 1
    return names


# --- The eyes a set of pictures makes ------------------------------------------


def compose(base, pupil, theta, cap=None):
    """The 16 x 16 icon as the program composes it: base, pupil at its place
    for theta, eyelid frame cap, each without its key colour and cut at the
    icon's edges; None where the icon is transparent (outside the base or on
    its key colour)."""
    canvas = [[None] * EYE_SIZE for _ in range(EYE_SIZE)]
    opaque = [[False] * EYE_SIZE for _ in range(EYE_SIZE)]

    def draw(picture, left, top, marks_opaque=False):
        for y, row in enumerate(picture.rows):
            for x, colour in enumerate(row):
                px, py = left + x, top + y
                if colour != picture.key and 0 <= px < EYE_SIZE and 0 <= py < EYE_SIZE:
                    canvas[py][px] = colour
                    if marks_opaque:
                        opaque[py][px] = True

    draw(base, 0, 0, marks_opaque=True)
    if pupil is not None:
        draw(pupil, *harness.pupil_top_left(theta))
    if cap is not None:
        draw(cap, 0, 0)
    return [[canvas[y][x] if opaque[y][x] else None for x in range(EYE_SIZE)] for y in range(EYE_SIZE)]


def matches(image, corner, expected, background):
    pixels = image.load()
    x0, y0 = corner
    return all(pixels[x0 + x, y0 + y] == (background if want is None else want)
               for y, row in enumerate(expected) for x, want in enumerate(row))


def find_icon(image, area, expected, background):
    """Top-left corners, in reading order, of every place in area where the
    image shows the icon expected over the background."""
    left, top, right, bottom = area
    pixels = image.load()
    # The first opaque pixel rules out most places at once.
    first = next((x, y, want) for y, row in enumerate(expected) for x, want in enumerate(row) if want is not None)
    fx, fy, fcolour = first
    return [(x, y) for y in range(top, bottom - EYE_SIZE + 1) for x in range(left, right - EYE_SIZE + 1)
            if pixels[x + fx, y + fy] == fcolour and matches(image, (x, y), expected, background)]


def expected_rows(expected):
    return ["".join("_" if want is None else "#" for want in row) for row in expected]


def gaze_point(taskbar):
    """A place above the task bar's centre: there the pupils look straight up."""
    x, y = harness.gaze_centre(taskbar)
    return x, y - 300


def wait_for_two_eyes(tovi, taskbar, expected):
    """Waits until the task bar shows the icon expected exactly twice, side
    by side; returns their corners. Fails naming what was seen instead."""
    seen = {}

    def two():
        image = harness.desktop_screenshot()
        seen["found"] = find_icon(image, taskbar, expected, harness.background_colour(image, taskbar))
        return seen["found"] if len(seen["found"]) == 2 else None

    def details():
        lines = [f"found {seen.get('found')} in the task bar {taskbar}", "expected (# opaque):",
                 *expected_rows(expected)]
        return "\n".join(lines) + "\n" + tovi.describe()

    found = wait_until(two, "the two eyes the pictures make", details=details)
    (left_x, left_y), (right_x, right_y) = found
    assert left_y == right_y and EYE_SIZE <= right_x - left_x < 2 * EYE_SIZE, f"the eyes are not side by side: {found}"
    return found


def wait_for_eyes(tovi, taskbar, count):
    """Waits until the task bar shows the eye's outline, which every frame
    of the eye has, count times; returns their corners."""
    seen = {}

    def counted():
        seen["eyes"] = harness.find_eyes(harness.desktop_screenshot(), taskbar)
        return len(seen["eyes"]) == count

    wait_until(counted, f"{count} eyes in the task bar",
               details=lambda: f"eyes at {seen.get('eyes')}\n" + tovi.describe())
    return seen["eyes"]


def close_and_see_the_eyes_go(tovi, taskbar, expected):
    """Closes the program, waits until the icon expected has left the task
    bar and returns the exit code. Watching the task bar keeps Wine's
    desktop open after the program has gone."""
    with harness.ScreenWatch(taskbar, TIMEOUT * 2000) as watch:
        watch.wait_started()
        assert tovi.close(), "no main window to close"
        code = tovi.wait_exit()

        def gone():
            image = watch.frames()[-1].image
            area = (0, 0, image.width, image.height)
            return not find_icon(image, area, expected, harness.background_colour(image, area))

        wait_until(gone, "the eyes to leave the task bar", details=tovi.describe)
    return code


def icons_in_tray(taskbar):
    """How many icons the notification area holds, seen or not. Wine puts a
    new icon to the left of those it has: two icons of another program are
    added, and where they land tells how many there were before."""
    def row_of(image):
        return image.crop(taskbar)

    before = row_of(harness.desktop_screenshot())
    left, _, right, _ = taskbar

    def two_new_icons():
        now = row_of(harness.desktop_screenshot())
        changed = [x for x in range(now.width)
                   if any(now.getpixel((x, y)) != before.getpixel((x, y)) for y in range(now.height))]
        groups = []
        for x in changed:
            if groups and x - groups[-1][-1] < 4:
                groups[-1].append(x)
            else:
                groups.append([x])
        return groups if len(groups) == 2 else None

    with harness.OtherTrayIcons(2):
        groups = wait_until(two_new_icons, "two icons of another program in the notification area")
    # The two new icons stand one place apart; the right one has as many places to its right as there were icons.
    place = groups[1][0] - groups[0][0]
    assert EYE_SIZE <= place < 2 * EYE_SIZE, f"the other program's icons are {place} pixels apart"
    return (right - left - groups[1][0]) // place


# --- Message boxes ----------------------------------------------------------------


def windows_folder(tovi):
    """The program's folder as the program itself names it, with a trailing backslash."""
    return tovi.windows_exe[:-len("tovi.exe")]


def wait_for_one_message(tovi):
    """Waits for a message box of the program and returns it, making sure it is the only one."""
    wait_until(tovi.message_boxes, "a message box", details=tovi.describe)
    boxes = tovi.message_boxes()
    assert len(boxes) == 1, f"expected one message box, got {boxes}"
    return boxes[0]


def answer_message(tovi, box):
    assert harness.probe("press-button", box["title"], "OK"), f"no OK button in {box['buttons']}"
    wait_until(lambda: not tovi.message_boxes(), "the message box to close", details=tovi.describe)


# --- Read-only places ---------------------------------------------------------------


def run_root(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=60)


class ReadOnlyFolder:
    """Makes a folder refuse every change to its entries, for programs run as
    root too (Wine run as root ignores Unix permissions): a read-only bind
    mount of the folder over itself, or else the immutable attribute. Undone
    on exit. why_not says why neither could be had."""

    def __init__(self, folder):
        self.folder = str(folder)
        self.undo = None
        self.why_not = None

    def __enter__(self):
        mount = run_root("mount", "--bind", self.folder, self.folder)
        if mount.returncode == 0:
            remount = run_root("mount", "-o", "remount,bind,ro", self.folder)
            if remount.returncode == 0:
                # Lazily: the program under test may still have the folder as its current one.
                self.undo = ["umount", "-l", self.folder]
                return self
            run_root("umount", "-l", self.folder)
            reasons = [f"remount read-only: {remount.stderr.strip()}"]
        else:
            reasons = [f"bind mount: {mount.stderr.strip()}"]
        chattr = run_root("chattr", "+i", self.folder)
        if chattr.returncode == 0:
            self.undo = ["chattr", "-i", self.folder]
            return self
        reasons.append(f"chattr +i: {chattr.stderr.strip()}")
        self.why_not = "; ".join(reasons)
        return self

    def __exit__(self, *_):
        if self.undo:
            result = run_root(*self.undo)
            assert result.returncode == 0, f"could not make {self.folder} writable again: {result.stderr}"
            self.undo = None

    def refuses_writing(self):
        probe_file = Path(self.folder) / ".write-probe"
        try:
            probe_file.write_bytes(b"")
        except OSError:
            return True
        probe_file.unlink()
        return False


# --- The shell ---------------------------------------------------------------------

ICON_WINDOW_CLASS = "ToviTrayIconWindow"
ICON_ID = 1
NIM_ADD, NIM_MODIFY, NIM_DELETE = 0, 1, 2


def broadcast_taskbar_created():
    """Tells every window that the task bar was made anew; returns once all have handled it."""
    records = harness.probe("taskbar-created")
    assert records and records[0]["sent"], f"the broadcast failed: {records}"


def forget_icons():
    """Takes the eyes out of the notification area behind the program's
    back, as a restarted shell has forgotten them; returns how many went."""
    return sum(1 for r in harness.probe("tray-delete", ICON_WINDOW_CLASS, ICON_ID) if r["done"])


def icon_windows(tovi):
    return sorted(w["hwnd"] for w in tovi.own_windows() if w["class"] == ICON_WINDOW_CLASS)


class FakeShell:
    """winprobe standing in for the shell, found by Shell_NotifyIcon before
    Wine's own task bar: "refuse" answers every request with a refusal, as a
    shell that is not ready; "accept" holds icons as a shell just restarted.
    Every request it answered is in requests()."""

    TITLE = "winprobe fake shell"

    def __init__(self, mode):
        self._out = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["wine", str(harness.WINPROBE), "fake-shell", mode, str(int(TIMEOUT * 8000))],
                                        env=harness.wine_env(), stdin=subprocess.DEVNULL, stdout=self._out,
                                        stderr=subprocess.DEVNULL)
        try:
            ready = wait_until(lambda: [r for r in self._records() if r["kind"] == "fake-shell"],
                               "the stand-in shell to start")
            assert ready[0]["first"], "the stand-in shell is not the first window of class Shell_TrayWnd"
        except BaseException:
            self.close()
            raise

    def _records(self):
        data = os.pread(self._out.fileno(), os.fstat(self._out.fileno()).st_size, 0)
        complete = data[:data.rfind(b"\n") + 1].decode("utf-8")
        return [json.loads(line) for line in complete.splitlines() if line.startswith("{")]

    def requests(self, message=None):
        return [r for r in self._records()
                if r["kind"] == "tray-request" and (message is None or r["message"] == message)]

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        if self.process.poll() is None:
            harness.probe("close", "Shell_TrayWnd", self.TITLE)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        self.process.wait(60)


def by_window(requests):
    grouped = {}
    for r in requests:
        grouped.setdefault(r["window"], []).append(r)
    return grouped


# --- The settings dialog --------------------------------------------------------------

SETTINGS_CLASS, SETTINGS_CLIENT = "TDlgSetting", (283, 86)
SETTINGS_OK = (180, 12, 89, 25)  # left, top, width, height in the client area


def open_settings(tovi, eye_corner):
    """Right-clicks an eye and chooses 設定 by its access key; returns the dialog's window."""
    x, y = eye_corner[0] + EYE_SIZE // 2, eye_corner[1] + EYE_SIZE // 2
    harness.x_click(x, y, 3)
    wait_until(lambda: [w for w in tovi.own_windows() if w["class"] == "#32768" and w["visible"]],
               "the eyes' menu", details=tovi.describe)
    harness.probe("key", "C")
    return wait_until(lambda: next((w for w in tovi.own_windows() if w["class"] == SETTINGS_CLASS and w["visible"]),
                                   None), "the settings dialog", details=tovi.describe)


def click_settings_ok(dialog):
    """Clicks the dialog's OK button, drawn by the program, which answers the mouse only."""
    left, top, right, bottom = dialog["rect"]
    width, height = SETTINGS_CLIENT
    border = (right - left - width) // 2
    client_left, client_top = left + border, bottom - border - height
    x, y, w, h = SETTINGS_OK
    harness.x_click(client_left + x + w // 2, client_top + y + h // 2)
