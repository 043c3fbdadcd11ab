#!/usr/bin/env python3
"""Turns the icon's text pixel maps into the Windows icon file of tovi.exe.

Usage: make_icon.py OUTPUT_ICO MAP [MAP ...]
       make_icon.py --preview ICO OUTPUT_PNG

The maps (icon32.txt, icon16.txt) use the legend and rows of make_bitmaps.py;
the colour of the bottom-left pixel is transparent. Each map must be square
and, apart from that key colour, use only the 16 colours of the classic
palette below, because each image is stored with 4 bits a pixel. The icon
file holds one image per map, in the order given.

With --preview, the images of an icon file are decoded again and drawn
enlarged 8 times on light grey, side by side, into a PNG (docs/icon-preview.png):
what it shows is what the file holds, not what the maps meant.
"""

import os
import struct
import sys

# No bytecode cache in the source folder, which the picture build watches.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_bitmaps  # noqa: E402

# The classic 16-colour palette, in its usual order: any Windows shows these
# exactly, whatever its display depth.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

PREVIEW_SCALE = 8
PREVIEW_GAP = 16
PREVIEW_BACKGROUND = (208, 208, 208)


def padded(row_bytes):
    """Bitmap rows are stored in whole 4-byte units."""
    return row_bytes + bytes(-len(row_bytes) % 4)


def image_bytes(name, size, rows):
    """One icon image: BITMAPINFOHEADER (height doubled for the two masks),
    the palette, the 4-bit colour bitmap and the 1-bit transparency mask,
    both bottom-up."""
    key = rows[size - 1][0]
    index = {rgb: i for i, rgb in enumerate(PALETTE)}
    for y, row in enumerate(rows):
        for x, rgb in enumerate(row):
            if rgb != key and rgb not in index:
                raise make_bitmaps.MapError(f"{name}: pixel ({x}, {y}) is {rgb}, which is not in the 16-colour palette")
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        # Transparent pixels are black in the colour bitmap and set in the
        # mask, so that drawing leaves the background untouched.
        nibbles = [0 if rgb == key else index[rgb] for rgb in row] + [0] * (size % 2)
        colour += padded(bytes(hi << 4 | lo for hi, lo in zip(nibbles[0::2], nibbles[1::2])))
        bits = [1 if rgb == key else 0 for rgb in row] + [0] * (-size % 8)
        mask += padded(bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8)))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(colour) + len(mask), 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def icon_bytes(maps):
    """ICONDIR, one ICONDIRENTRY an image, then the images."""
    images = []
    for path in maps:
        name = os.path.basename(path)
        width, height, rows = make_bitmaps.parse_map(path)
        if width != height or width > 256:
            raise make_bitmaps.MapError(f"{name}: an icon image must be square and at most 256 pixels, not {width} x {height}")
        if any(width == size for size, _ in images):
            raise make_bitmaps.MapError(f"{name}: a second image of {width} x {width}")
        images.append((width, image_bytes(name, width, rows)))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = len(data) + 16 * len(images)
    for size, image in images:
        # A size of 256 is written as 0.
        data += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return data + b"".join(image for _, image in images)


def decode_icon(data):
    """The images of an icon file this script wrote, as rows of (r, g, b) or None."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        raise ValueError("not an icon file")
    images = []
    for n in range(count):
        width, height, _, _, _, bit_count, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        size = width or 256
        header = struct.unpack_from("<IiiHHIIiiII", data, offset)
        if (width != height or bit_count != 4 or header[0] != 40 or header[1] != size or header[2] != 2 * size
                or header[4] != 4 or header[5] != 0 or offset + length > len(data)):
            raise ValueError(f"image {n} is not a {size} x {size} 4-bit image")
        palette = [struct.unpack_from("<BBBx", data, offset + 40 + 4 * i)[::-1] for i in range(16)]
        colour_at = offset + 40 + 64
        colour_stride = (size * 4 + 31) // 32 * 4
        mask_at = colour_at + colour_stride * size
        mask_stride = (size + 31) // 32 * 4
        if mask_at + mask_stride * size != offset + length:
            raise ValueError(f"image {n} has {length} bytes, not the size of its bitmaps")
        rows = []
        for y in range(size):
            line = size - 1 - y
            row = []
            for x in range(size):
                if data[mask_at + line * mask_stride + x // 8] >> (7 - x % 8) & 1:
                    row.append(None)
                else:
                    byte = data[colour_at + line * colour_stride + x // 2]
                    row.append(palette[byte >> 4 if x % 2 == 0 else byte & 15])
            rows.append(row)
        images.append(rows)
    return images


def preview(ico_path, png_path):
    # Here, not at the top: the build makes the icon without the preview script.
    import make_preview
    with open(ico_path, "rb") as f:
        images = decode_icon(f.read())
    width = PREVIEW_GAP + sum(len(rows) * PREVIEW_SCALE + PREVIEW_GAP for rows in images)
    height = 2 * PREVIEW_GAP + max(len(rows) for rows in images) * PREVIEW_SCALE
    pixels = [[PREVIEW_BACKGROUND] * width for _ in range(height)]
    left = PREVIEW_GAP
    for rows in images:
        for y in range(len(rows) * PREVIEW_SCALE):
            for x in range(len(rows) * PREVIEW_SCALE):
                colour = rows[y // PREVIEW_SCALE][x // PREVIEW_SCALE]
                if colour is not None:
                    pixels[PREVIEW_GAP + y][left + x] = colour
        left += len(rows) * PREVIEW_SCALE + PREVIEW_GAP
    make_preview.write_png(png_path, pixels)


def main(argv):
    name = os.path.basename(argv[0])
    if len(argv) == 4 and argv[1] == "--preview":
        try:
            preview(argv[2], argv[3])
        except (OSError, ValueError, struct.error) as e:
            print(f"{name}: error: {argv[2]}: {e}", file=sys.stderr)
            return 1
        return 0
    if len(argv) < 3 or argv[1].startswith("-"):
        print(f"usage: {name} OUTPUT_ICO MAP [MAP ...]\n       {name} --preview ICO OUTPUT_PNG", file=sys.stderr)
        return 2
    try:
        data = icon_bytes(argv[2:])
    except (make_bitmaps.MapError, OSError) as e:
        print(f"{name}: error: {e}", file=sys.stderr)
        return 1
    out = argv[1]
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    # Written aside and moved into place: an interrupted build never leaves a
    # half icon that a later build would take as up to date.
    with open(out + ".tmp", "wb") as f:
        f.write(data)
    os.replace(out + ".tmp", out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
