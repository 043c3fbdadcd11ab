"""Odd or broken pictures beside tovi.exe, each set started as a user would
start the program: a set it can use makes two eyes as the pictures compose
them, within their 16 x 16 icons; any other ends with one message box naming
the file, and the program ends in order. Never a crash or a hang."""
import struct

import pytest

import harness
from harness import EYE_SIZE, STILL, Pixels, compose, picture, wait_until

MAGENTA, WHITE, INK = (255, 0, 255), (255, 255, 255), (10, 8, 8)


def bmp_file(pixels, bits=24, rle=False, alpha=None, size=None):
    """A bottom-up Windows bitmap file with a 40-byte header: paletted (1, 4
    or 8 bits, run-length coded if rle) or true colour (24 or 32 bits; alpha
    gives the fourth byte). size overrides the width and height in the header."""
    width, height = size or (pixels.width, pixels.height)
    palette = list(dict.fromkeys(c for row in pixels.rows for c in row)) if bits <= 8 else []
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette) if bits <= 8 else 0)
    index = {colour: i for i, colour in reversed(list(enumerate(palette)))}
    bottom_up = [[index.get(c, c) for c in row] for row in reversed(pixels.rows)]
    if rle:
        data = b"".join(rle_row(bits, row) + (b"\0\1" if y == len(bottom_up) - 1 else b"\0\0")
                        for y, row in enumerate(bottom_up))
    else:
        data = b"".join(plain_row(bits, row, alpha) for row in bottom_up)
    offset = 54 + 4 * len(palette)
    return (struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
            + struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, (2 if bits == 4 else 1) if rle else 0,
                          len(data), 2835, 2835, len(palette), 0)
            + b"".join(bytes((b, g, r, 0)) for r, g, b in palette) + data)


def plain_row(bits, row, alpha):
    if bits >= 24:
        data = b"".join(bytes((b, g, r)) + (bytes((alpha,)) if bits == 32 else b"") for r, g, b in row)
    else:
        value = 0
        for i in row:
            value = (value << bits) | i
        spare = -len(row) * bits % 8
        data = (value << spare).to_bytes((len(row) * bits + spare) // 8, "big") if row else b""
    return data + b"\0" * (-len(data) % 4)


def rle_row(bits, row):
    """Runs of one index coded, stretches of three or more single pixels in the absolute mode."""
    out, x = bytearray(), 0
    while x < len(row):
        run = 1
        while x + run < len(row) and row[x + run] == row[x] and run < 255:
            run += 1
        end = x
        while end < len(row) and end - x < 255 and (end + 1 >= len(row) or row[end + 1] != row[end]):
            end += 1
        if run > 1 or end - x < 3:
            out += bytes((run, row[x] * 17 if bits == 4 else row[x]))
            x += run
            continue
        values = row[x:end] + [0] * ((end - x) % 2 if bits == 4 else 0)
        data = bytes((values[i] << 4) | values[i + 1] for i in range(0, len(values), 2)) if bits == 4 else bytes(values)
        out += bytes((0, end - x)) + data + b"\0" * (len(data) % 2)
        x = end
    return bytes(out)


def huge_bmp(pixels, width, height):
    """A 24-bit file of width x height, pixels at its top left, key colour elsewhere; made row by row."""
    def bgr(colour):
        return bytes(reversed(colour))
    pad = b"\0" * (-width * 3 % 4)
    rows = [b"".join(map(bgr, row)) + bgr(pixels.key) * (width - pixels.width) + pad for row in pixels.rows]
    data = (bgr(pixels.key) * width + pad) * (height - pixels.height) + b"".join(reversed(rows))
    return (struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
            + struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0) + data)


def text_pixels(legend, lines):
    return Pixels([[legend[c] for c in line] for line in lines])


def rewrite_all(folder, **format):
    """Writes every picture of the program again in one format."""
    names = ["base"] + [f"{s}{n}" for s in ("cap", "eye") for n in range(1, harness.series(s) + 1)]
    for name in names:
        (folder / f"{name}.bmp").write_bytes(bmp_file(picture(name), **format))
    return picture("base"), picture("eye1"), None


# Each arranges the folder and returns the base, the pupil and, where the eyes blink, the eyelid frames by number.

def huge_base(folder):
    (folder / "base.bmp").write_bytes(huge_bmp(picture("base"), 4096, 4096))
    return picture("base"), picture("eye1"), None


def one_bit(folder):
    # Two colours each: a white disc, and a square pupil.
    disc = text_pixels({".": MAGENTA, "W": WHITE}, [
        "................", "......WWWW......", "....WWWWWWWW....", "...WWWWWWWWWW...",
        "..WWWWWWWWWWWW..", "..WWWWWWWWWWWW..", ".WWWWWWWWWWWWWW.", ".WWWWWWWWWWWWWW.",
        ".WWWWWWWWWWWWWW.", ".WWWWWWWWWWWWWW.", "..WWWWWWWWWWWW..", "..WWWWWWWWWWWW..",
        "...WWWWWWWWWW...", "....WWWWWWWW....", "......WWWW......", "................"])
    pupil = text_pixels({".": MAGENTA, "p": INK}, ["......."] + [".ppppp."] * 5 + ["......."])
    (folder / "base.bmp").write_bytes(bmp_file(disc, bits=1))
    (folder / "eye1.bmp").write_bytes(bmp_file(pupil, bits=1))
    return disc, pupil, None


def pupil_larger_than_the_eye(folder):
    # 24 x 24 rings of two colours around the pupil's centre (3, 3).
    ring = [(200, 30, 30), (30, 30, 200)]
    rows = [[ring[max(abs(x - 3), abs(y - 3)) % 2] for x in range(24)] for y in range(24)]
    rows[23][0] = MAGENTA
    (folder / "eye1.bmp").write_bytes(bmp_file(Pixels(rows)))
    return picture("base"), Pixels(rows), None


def odd_sized_caps(folder):
    """Eyelid frames smaller and larger than the eye in place of cap1 and cap3."""
    lid = (238, 190, 152)
    caps = {n: picture(f"cap{n}") for n in range(1, harness.series("cap") + 1)}
    caps[1] = Pixels([[lid] * 8] * 5 + [[MAGENTA] + [lid] * 7])
    caps[3] = Pixels([[lid] * 30] * 23 + [[MAGENTA] + [lid] * 29])
    for n in (1, 3):
        (folder / f"cap{n}.bmp").write_bytes(bmp_file(caps[n]))
    (folder / "tovi.ini").write_bytes(harness.settings(blink=1, interval=300))
    return picture("base"), picture("eye1"), caps


def gap_in_series(folder):
    # A series ends at its first missing number: broken files beyond a gap are
    # never read, and pupil type 3 (eye4) has no picture.
    (folder / "cap3.bmp").unlink()
    (folder / "cap4.bmp").write_bytes(b"not a picture")
    (folder / "eye3.bmp").unlink()
    (folder / "eye4.bmp").write_bytes(b"not a picture")
    (folder / "tovi.ini").write_bytes(harness.settings(pupil_type=3, blink=0))
    return picture("base"), None, None


def one_pixel_base(folder):
    # Its one pixel is its key colour: two icons that show nothing.
    (folder / "base.bmp").write_bytes(bmp_file(Pixels([[MAGENTA]])))
    return Pixels([[MAGENTA]]), picture("eye1"), None


@pytest.mark.parametrize("arrange", [
    pytest.param(huge_base, id="4096x4096-base"),
    pytest.param(one_bit, id="1-bit"),
    pytest.param(lambda folder: rewrite_all(folder, bits=4, rle=True), id="4-bit-rle"),
    pytest.param(lambda folder: rewrite_all(folder, bits=8, rle=True), id="8-bit-rle"),
    # The fourth byte varies, as alpha would: it is no part of the colour.
    pytest.param(lambda folder: rewrite_all(folder, bits=32, alpha=0x5a), id="32-bit"),
    pytest.param(pupil_larger_than_the_eye, id="pupil-larger-than-the-eye"),
    pytest.param(odd_sized_caps, id="caps-of-other-sizes"),
    pytest.param(gap_in_series, id="gap-in-series"),
    pytest.param(one_pixel_base, id="1x1-base"),
])
def test_usable_pictures_make_two_eyes_as_composed(tovi, arrange):
    tovi.ini.write_bytes(STILL)
    base, pupil, caps = arrange(tovi.folder)
    taskbar = harness.wait_taskbar()
    point = harness.gaze_centre(taskbar)[0], taskbar[1] - 300
    harness.x_move(*point)
    tovi.start()
    theta = harness.gaze_angle(taskbar, point)
    open_eye = compose(base, pupil, theta)
    transparent = all(c is None for row in open_eye for c in row)
    if transparent:
        # The shell holds both icons, and nothing shows where they are (the right half of the task bar).
        right_half = harness.gaze_centre(taskbar)[0], taskbar[1], taskbar[2], taskbar[3]
        deleted = []

        def both_held():
            assert len(harness.desktop_screenshot().crop(right_half).getcolors()) == 1, "the icons show something"
            deleted.extend(r for r in harness.probe("tray-delete", "ToviTrayIconWindow", 1) if r["done"])
            return len(deleted) == 2

        wait_until(both_held, "the shell to hold both icons", details=tovi.describe)
    else:
        eyes = harness.wait_two_eyes(tovi, taskbar, open_eye)
    assert not tovi.message_boxes(), f"a message box: {tovi.message_boxes()}"
    if caps:
        (left, top), (right, _) = eyes
        with harness.ScreenWatch((left, top, right + EYE_SIZE, top + EYE_SIZE), 2000) as watch:
            frames = watch.finish()
        looks = [("open", open_eye)] + [(n, compose(base, pupil, theta, cap)) for n, cap in caps.items()]
        background = harness.background_colour(harness.desktop_screenshot(), taskbar)
        labels = harness.label_frames(watch, frames, eyes, looks, background)
        # Blinks every 300 ms for 2 s: a sample can miss a frame of one blink, hardly the same one in all.
        assert {"open", *caps} <= set(labels[0] + labels[1]), f"the eyes showed only {labels}"
    if caps or transparent:  # the eyes' outline does not show all the time
        tovi.close_and_wait()
    else:
        harness.end_and_see_the_eyes_go(tovi, taskbar, tovi.close, open_eye)


def truncated(path):
    # Headers whole, half the pixels gone.
    data = bmp_file(picture(path.stem))
    path.write_bytes(data[:len(data) - (len(data) - 54) // 2])


MISSING, UNREADABLE = "が見つかりません", "はビットマップとして読み込めません"


@pytest.mark.parametrize("file_name, spoil, problem", [
    pytest.param("base.bmp", lambda path: path.unlink(), MISSING, id="missing-base"),
    pytest.param("base.bmp", lambda path: path.write_bytes(b""), UNREADABLE, id="empty-base"),
    pytest.param("base.bmp", truncated, UNREADABLE, id="truncated-base"),
    pytest.param("cap1.bmp", lambda path: path.write_bytes(b"This is not a picture.\r\n"), UNREADABLE,
                 id="text-file-as-cap1"),
    pytest.param("base.bmp", lambda path: path.write_bytes(bmp_file(Pixels([]), size=(0, 0))), UNREADABLE,
                 id="0x0-base"),
])
def test_unusable_pictures_end_with_one_message_naming_the_file(tovi, file_name, spoil, problem):
    spoil(tovi.folder / file_name)
    tovi.start()
    expected = f"{tovi.windows_folder}{file_name} {problem}"
    assert tovi.one_message()["texts"] == [expected], f"the message should read {expected!r}"
    tovi.answer_message()
    # The main form never came into being: the program says so in its exit code.
    assert tovi.wait_exit() == 1
