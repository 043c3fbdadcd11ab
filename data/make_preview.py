#!/usr/bin/env python3
"""Draws an enlarged contact sheet of the eye as the tray will show it.

Usage: make_preview.py [--size N] OUTPUT_PNG

With --size, the maps of the folder N beside this script (pictures drawn for
N by N pixels), composed with the 16-pixel layout scaled to N as the program
scales it.

Composes the maps beside this script the way the program does: the base, the
pupil with its key colour left out, the eyelid frame the same way, and then
every place where the base has its key colour made transparent (shown here as
light grey). Rows of the sheet: the bare base, then the first pupil at the
centre and at each of eight gaze positions; the eyelid frames over a centred
and over a raised pupil; every pupil at the centre. Also checks that each pupil, wherever the gaze puts it, stays
within the eye and leaves the icon's outline to the base.
"""

import math
import os
import struct
import sys
import zlib

# No bytecode cache in the source folder, which the picture build watches.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_bitmaps  # noqa: E402

MAP_DIR = os.path.dirname(os.path.abspath(__file__))
SCALE = 8
GAP = 8
TRANSPARENT = (208, 208, 208)
SHEET = (96, 96, 104)
SIZE = 16
EYE_CENTRE, TRAVEL, PUPIL_CENTRE = 8, 3, 3


def set_size(size):
    """The 16-pixel layout scaled to size, rounded as the program rounds it."""
    global MAP_DIR, SIZE, EYE_CENTRE, TRAVEL, PUPIL_CENTRE
    if size != 16:
        MAP_DIR = os.path.join(MAP_DIR, str(size))
    SIZE, EYE_CENTRE, TRAVEL, PUPIL_CENTRE = size, size // 2, 3 * size / 16, (3 * size + 8) // 16


def load(name):
    width, height, rows = make_bitmaps.parse_map(os.path.join(MAP_DIR, name + ".txt"))
    return {"w": width, "h": height, "rows": rows, "key": rows[height - 1][0]}


def round_off(x):
    return int(x + 0.5) if x >= 0 else int(x - 0.5)


def pupil_top_left(theta):
    return (EYE_CENTRE + round_off(TRAVEL * math.cos(theta)) - PUPIL_CENTRE,
            EYE_CENTRE + round_off(TRAVEL * math.sin(theta)) - PUPIL_CENTRE)


def draw(canvas, picture, left, top):
    for y, row in enumerate(picture["rows"]):
        for x, colour in enumerate(row):
            if colour != picture["key"] and 0 <= left + x < SIZE and 0 <= top + y < SIZE:
                canvas[top + y][left + x] = colour


def compose(base, pupil=None, at=None, cap=None):
    """The SIZE x SIZE icon; None stands for a transparent pixel."""
    canvas = [list(row) for row in base["rows"]]
    if pupil:
        draw(canvas, pupil, *at)
    if cap:
        draw(canvas, cap, 0, 0)
    return [[None if base["rows"][y][x] == base["key"] else canvas[y][x] for x in range(SIZE)] for y in range(SIZE)]


def check_pupil(base, pupil, name):
    """Where each gaze position puts the pupil's pixels on the base: the white
    is the aim, the outline passes, the key area is cut off by the icon mask."""
    def is_key(x, y):
        return not (0 <= x < SIZE and 0 <= y < SIZE) or base["rows"][y][x] == base["key"]

    # The outline: the eye's pixels that touch the key area.
    def on_rim(x, y):
        return any(is_key(x + dx, y + dy) for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1)))

    positions = sorted({pupil_top_left(math.radians(a / 10)) for a in range(3600)})
    report = []
    for left, top in positions:
        on_outline = on_key = 0
        for y, row in enumerate(pupil["rows"]):
            for x, colour in enumerate(row):
                if colour == pupil["key"]:
                    continue
                if is_key(left + x, top + y):
                    on_key += 1
                elif on_rim(left + x, top + y):
                    on_outline += 1
        if on_outline or on_key:
            report.append(f"({left},{top}) {on_outline}+{on_key}")
    print(f"{name}: {len(positions)} gaze positions,", f"{len(positions) - len(report)} wholly inside the white;",
          "top-left (pixels on the outline + pixels cut off):", " ".join(report) if report else "-")


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def main(argv):
    if len(argv) == 4 and argv[1] == "--size" and argv[2].isdigit():
        set_size(int(argv[2]))
        argv = argv[:1] + argv[3:]
    if len(argv) != 2:
        print(f"usage: {os.path.basename(argv[0])} [--size N] OUTPUT_PNG", file=sys.stderr)
        return 2
    names = sorted(os.path.splitext(f)[0] for f in os.listdir(MAP_DIR) if make_bitmaps.MAP_NAME.match(f))
    base = load("base")
    caps = [load(n) for n in sorted((n for n in names if n.startswith("cap")), key=lambda n: int(n[3:]))]
    eyes = [load(n) for n in sorted((n for n in names if n.startswith("eye")), key=lambda n: int(n[3:]))]
    for i, eye in enumerate(eyes, 1):
        check_pupil(base, eye, f"eye{i}")

    centre = (EYE_CENTRE - PUPIL_CENTRE,) * 2
    gazes = [centre] + [pupil_top_left(math.radians(a)) for a in range(0, 360, 45)]
    sheet_rows = [
        [compose(base)] + [compose(base, eyes[0], at) for at in gazes],
        [compose(base, eyes[0], centre, cap) for cap in caps]
        + [compose(base, eyes[0], pupil_top_left(-math.pi / 2), cap) for cap in caps],
        [compose(base, eye, centre) for eye in eyes],
    ]
    # The icon's outline is the base's in every case, whatever the pupil or lid drew.
    base_outline = [[colour == base["key"] for colour in row] for row in base["rows"]]
    for icons in sheet_rows:
        for icon in icons:
            assert [[colour is None for colour in row] for row in icon] == base_outline

    tile = SIZE * SCALE
    columns = max(len(r) for r in sheet_rows)
    width = GAP + columns * (tile + GAP)
    height = GAP + len(sheet_rows) * (tile + GAP)
    pixels = [[SHEET] * width for _ in range(height)]
    for r, icons in enumerate(sheet_rows):
        for c, icon in enumerate(icons):
            for y in range(tile):
                for x in range(tile):
                    colour = icon[y // SCALE][x // SCALE]
                    pixels[GAP + r * (tile + GAP) + y][GAP + c * (tile + GAP) + x] = colour or TRANSPARENT
    write_png(argv[1], pixels)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
