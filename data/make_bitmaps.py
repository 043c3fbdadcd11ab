#!/usr/bin/env python3
"""Turns the text pixel maps beside this script into the BMP pictures of Tovi.

Usage: make_bitmaps.py OUTPUT_DIR

Every map named base.txt, capN.txt or eyeN.txt becomes base.bmp, capN.bmp or
eyeN.bmp in OUTPUT_DIR: uncompressed 24-bit Windows bitmaps, bottom-up, which
is what the program reads. The maps of a folder named by a size (20, 24)
become the same pictures in that folder of OUTPUT_DIR: the set drawn for
icons of that many pixels, whose base must be that size.

A map is a legend, one blank line, then the pixel rows:

    # comment lines may stand anywhere before the rows
    .  255   0 255   key colour: the pixel at the bottom left must be this one
    o   48  40  44   outline

    ..oo..
    .o..o.

A legend line is one character and its red, green and blue (0 to 255); the
rest of the line is a note for the reader. Each character is one pixel. Any
fault in a map stops the script with its file and line before anything is
written, so a broken drawing never ships as a picture.
"""

import os
import re
import struct
import sys

MAP_NAME = re.compile(r"^(base|cap[1-9][0-9]*|eye[1-9][0-9]*)\.txt$")
SIZE_FOLDER = re.compile(r"^[1-9][0-9]*$")
PICTURE_NAME = re.compile(r"^(base|cap[1-9][0-9]*|eye[1-9][0-9]*)\.bmp$")


class MapError(Exception):
    pass


def parse_map(path):
    """Returns (width, height, rows of (r, g, b)) of the map at path."""
    name = os.path.basename(path)
    with open(path, encoding="utf-8") as f:
        lines = [line.rstrip() for line in f.read().splitlines()]

    def fail(line_no, text):
        raise MapError(f"{name}:{line_no}: {text}")

    legend = {}
    colours = {}
    n = 0
    while n < len(lines) and lines[n] != "":
        line = lines[n]
        n += 1
        if line.startswith("#"):
            continue
        fields = line.split()
        if len(line) < 2 or line[1] not in " \t" or len(fields) < 4:
            fail(n, f"legend line must be 'CHARACTER RED GREEN BLUE [note]': {line!r}")
        char = fields[0]
        try:
            rgb = tuple(int(v) for v in fields[1:4])
        except ValueError:
            fail(n, f"colour of {char!r} is not three whole numbers: {line!r}")
        if any(not 0 <= v <= 255 for v in rgb):
            fail(n, f"colour of {char!r} is out of 0..255: {line!r}")
        if char in legend:
            fail(n, f"{char!r} is in the legend twice")
        # Two characters of one colour would hide a stray key colour.
        if rgb in colours:
            fail(n, f"{char!r} has the same colour as {colours[rgb]!r}")
        legend[char] = rgb
        colours[rgb] = char
    if not legend:
        fail(1, "no legend before the first blank line")

    rows = []
    first_row_line = None
    width = None
    for i in range(n + 1, len(lines)):
        line = lines[i]
        if line == "":
            # Trailing blank lines are harmless; one between rows is not.
            if any(rest != "" for rest in lines[i + 1:]):
                fail(i + 1, "blank line between pixel rows")
            break
        if first_row_line is None:
            first_row_line = i + 1
            width = len(line)
        elif len(line) != width:
            fail(i + 1, f"row has {len(line)} pixels, the first row has {width}")
        row = []
        for x, char in enumerate(line):
            if char not in legend:
                fail(i + 1, f"pixel {x} is {char!r}, which is not in the legend")
            row.append(legend[char])
        rows.append(row)
    if not rows:
        fail(len(lines), "no pixel rows after the legend")
    return width, len(rows), rows


def bmp_bytes(width, height, rows):
    """An uncompressed 24-bit BMP: BITMAPINFOHEADER, bottom-up, rows padded to 4 bytes."""
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b in row:
            pixels += bytes((b, g, r))
        pixels += bytes(stride - width * 3)
    offset = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    # 2835 pixels per metre is 72 dots per inch.
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return file_header + info_header + bytes(pixels)


def check_series(names):
    """The program stops reading a series at its first missing number, and
    refuses to start without base and cap1: a gap or a missing first picture
    would ship pictures that are never shown."""
    if "base" not in names:
        raise MapError("base.txt is missing")
    for series in ("cap", "eye"):
        numbers = sorted(int(n[len(series):]) for n in names if n.startswith(series))
        if series == "cap" and not numbers:
            raise MapError("cap1.txt is missing")
        for expected, number in enumerate(numbers, start=1):
            if number != expected:
                raise MapError(f"{series}{number}.txt follows a gap: {series}{expected}.txt is missing")


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read_set(map_dir, size=None):
    """The pictures of one folder's maps, by file name."""
    maps = sorted(f for f in os.listdir(map_dir) if MAP_NAME.match(f))
    check_series({os.path.splitext(f)[0] for f in maps})
    pictures = {}
    for f in maps:
        width, height, rows = parse_map(os.path.join(map_dir, f))
        if f == "base.txt" and size is not None and (width, height) != (size, size):
            raise MapError(f"{size}/base.txt is {width} x {height}, not {size} x {size}")
        pictures[os.path.splitext(f)[0] + ".bmp"] = bmp_bytes(width, height, rows)
    return pictures


def write_set(out_dir, pictures):
    os.makedirs(out_dir, exist_ok=True)
    # A picture whose map was removed would still be loaded by the program.
    for f in os.listdir(out_dir):
        if PICTURE_NAME.match(f) and f not in pictures:
            os.remove(os.path.join(out_dir, f))
            print(f"make_bitmaps.py: removed {f}: it has no map")
    # Always written, even when unchanged, so the build sees them up to date.
    for f, data in pictures.items():
        write_file(os.path.join(out_dir, f), data)


def main(argv):
    if len(argv) != 2:
        print(f"usage: {os.path.basename(argv[0])} OUTPUT_DIR", file=sys.stderr)
        return 2
    out_dir = argv[1]
    map_dir = os.path.dirname(os.path.abspath(__file__))
    sizes = sorted(d for d in os.listdir(map_dir) if SIZE_FOLDER.match(d) and os.path.isdir(os.path.join(map_dir, d)))
    try:
        sets = {out_dir: read_set(map_dir)}
        for size in sizes:
            sets[os.path.join(out_dir, size)] = read_set(os.path.join(map_dir, size), int(size))
    except MapError as e:
        print(f"make_bitmaps.py: error: {e}", file=sys.stderr)
        return 1
    for folder, pictures in sets.items():
        write_set(folder, pictures)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
