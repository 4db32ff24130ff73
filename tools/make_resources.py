#!/usr/bin/env python3
"""Writes Tolvira's resources (skin, icon, test pattern, hand cursor) into a folder.

Every picture is drawn from code with fixed seeds and no timestamps, so two runs
give the same bytes. The QR matrix comes from the qrencode tool (libqrencode).

Usage: make_resources.py OUTPUT_DIR [--qrencode PATH]
"""

import argparse
import math
import os
import re
import struct
import subprocess
import sys
import zlib



def read_geometry():
    """The skin's size and the colour key, as the code has them."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "Geometry.h")
    with open(path, encoding="utf-8") as f:
        values = dict(re.findall(r"\b(k\w+) = (0x[0-9A-Fa-f]+|\d+);", f.read()))
    key = int(values["kColourKey"], 0)
    return (key & 0xFF, key >> 8 & 0xFF, key >> 16 & 0xFF), int(values["kSkinWidth"]), int(
        values["kSkinHeight"])


KEY, SKIN_W, SKIN_H = read_geometry()
TITLE_ROWS = 26
CLOSE_CENTRE = (236, 13)
WELCOME = "Welcome to the Vantrel"
PATTERN_SIZE = 132
QUIET_MODULES = 4

# An RGB picture is a list of rows, each a list of (r, g, b) tuples, top row first.


def clamp(v, lo=0, hi=255):
    return max(lo, min(hi, int(round(v))))


def mix(a, b, t):
    """Blends colour a towards b by t in [0, 1]."""
    return tuple(clamp(x + (y - x) * t) for x, y in zip(a, b))


class Rng:
    """A small xorshift generator: the texture must not depend on Python's own random."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def unit(self):
        return self.next() / 0x100000000


# ---------------------------------------------------------------- BMP writing


def bmp_file(width, height, bit_count, palette, pixel_rows):
    """A BITMAPFILEHEADER + BITMAPINFOHEADER file; pixel_rows are packed rows, top first."""
    stride = (width * bit_count + 31) // 32 * 4
    body = b"".join(row.ljust(stride, b"\0") for row in reversed(pixel_rows))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(pal)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0, len(body),
                       2835, 2835, len(palette), 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    return head + info + pal + body


def bmp24(picture):
    rows = [b"".join(struct.pack("<BBB", b, g, r) for r, g, b in row) for row in picture]
    return bmp_file(len(picture[0]), len(picture), 24, [], rows)


def pack_bits(bits):
    """Packs a row of 0/1 values, most significant bit first."""
    out = bytearray((len(bits) + 7) // 8)
    for i, bit in enumerate(bits):
        if bit:
            out[i // 8] |= 0x80 >> (i % 8)
    return bytes(out)


def pack_nibbles(values):
    out = bytearray((len(values) + 1) // 2)
    for i, v in enumerate(values):
        out[i // 2] |= v << (4 if i % 2 == 0 else 0)
    return bytes(out)


def padded(row, stride):
    return row.ljust(stride, b"\0")


# ---------------------------------------------------------------- PNG writing


def png_file(rgba_rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    height, width = len(rgba_rows), len(rgba_rows[0])
    raw = b"".join(b"\0" + b"".join(bytes(px) for px in row) for row in rgba_rows)
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


# ---------------------------------------------------------------- skin


def title_colour(row):
    # Row 0 sits a little above the gradient: a thin light edge along the top.
    top, start, end = (131, 132, 133), (122, 123, 124), (64, 64, 65)
    if row == 0:
        return top
    return mix(start, end, (row - 1) / (TITLE_ROWS - 2))


def body_texture(rng):
    """Fine grain in 39..44, with a faint horizontal brush so it reads as a surface."""
    picture = []
    streak = [0.0] * SKIN_W
    for _ in range(TITLE_ROWS, SKIN_H):
        row = []
        for x in range(SKIN_W):
            streak[x] = 0.6 * streak[x] + 0.4 * (rng.unit() - 0.5)
            grain = rng.unit() - 0.5
            v = 41.5 + 2.2 * grain + 2.0 * streak[x]
            g = clamp(v, 39, 44)
            row.append((g, g, g))
        picture.append(row)
    return picture


def coverage(inside, px, py, steps=4):
    """Share of pixel (px, py) inside a shape, sampled on a steps x steps grid."""
    hits = 0
    for i in range(steps):
        for j in range(steps):
            if inside(px + (i + 0.5) / steps, py + (j + 0.5) / steps):
                hits += 1
    return hits / (steps * steps)


def distance_to_segment(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def draw_close_glyph(picture):
    # Pixel centres sit at +0.5, so the glyph is centred on the middle of the named pixel.
    cx, cy = CLOSE_CENTRE[0] + 0.5, CLOSE_CENTRE[1] + 0.5
    radius, arm, stroke = 9.0, 3.3, 0.8
    face_top, face_bottom = (46, 46, 48), (30, 30, 31)
    rim = (22, 22, 23)
    cross = (214, 214, 214)

    def in_disc(x, y):
        return math.hypot(x - cx, y - cy) <= radius

    def in_face(x, y):
        return math.hypot(x - cx, y - cy) <= radius - 1.0

    def in_cross(x, y):
        return (distance_to_segment(x, y, cx - arm, cy - arm, cx + arm, cy + arm) <= stroke or
                distance_to_segment(x, y, cx - arm, cy + arm, cx + arm, cy - arm) <= stroke)

    for py in range(int(cy - radius) - 1, int(cy + radius) + 2):
        for px in range(int(cx - radius) - 1, int(cx + radius) + 2):
            disc = coverage(in_disc, px, py)
            if disc == 0:
                continue
            face = mix(face_top, face_bottom, (py + 0.5 - (cy - radius)) / (2 * radius))
            colour = mix(rim, face, coverage(in_face, px, py))
            colour = mix(colour, cross, coverage(in_cross, px, py))
            picture[py][px] = mix(picture[py][px], colour, disc)


def corner_pixels():
    """The staircase of key-coloured pixels in the four corners, 24 in all."""
    cells = []
    for depth, count in enumerate((3, 2, 1)):
        for row in (depth, SKIN_H - 1 - depth):
            for i in range(count):
                cells.append((i, row))
                cells.append((SKIN_W - 1 - i, row))
    return cells


def make_skin():
    rng = Rng(0x70E1)
    picture = [[title_colour(y)] * SKIN_W for y in range(TITLE_ROWS)]
    picture = [list(row) for row in picture] + body_texture(rng)
    # Shadow cast by the title bar, fading into the texture over five rows.
    for step in range(5):
        y = TITLE_ROWS + step
        base = 29 + step * 2.5
        for x in range(SKIN_W):
            g = clamp(base + (picture[y][x][0] - 41.5) * step / 4)
            picture[y][x] = (g, g, g)
    draw_close_glyph(picture)
    # Only the corners may carry the key colour, or the window would get holes.
    for y, row in enumerate(picture):
        for x, colour in enumerate(row):
            if colour == KEY:
                row[x] = (88, 88, 89)
    for x, y in corner_pixels():
        picture[y][x] = KEY
    return picture


# ---------------------------------------------------------------- icon

ICON_PALETTE = [
    (0, 0, 0),  # transparent pixels (masked)
    (255, 255, 255),  # finder bevel light
    (222, 224, 226),  # finder face
    (140, 142, 146),  # finder bevel shadow
    (255, 128, 0),  # accent face
    (255, 184, 110),  # accent bevel light
    (176, 80, 0),  # accent bevel shadow
    (66, 68, 72),  # tile top
    (52, 54, 58),  # tile middle
    (38, 39, 42),  # tile bottom
    (96, 98, 102),  # tile rim
    (24, 25, 27),  # tile outline
    (192, 192, 192),
    (128, 128, 128),
    (80, 80, 80),
    (16, 16, 16),
]

# The picture is laid out on a 16 x 16 grid so every size keeps whole modules.
FINDERS = [(1, 1), (9, 1), (1, 9)]
FINDER_SIZE = 6
CHEQUER = (9, 9, 6)  # left, top, size of the chequered quarter
CHEQUER_CELL = 2


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if not (left <= x < right and top <= y < bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return math.hypot(x - cx, y - cy) <= radius


def finder_shape(unit, fx, fy, x, y):
    """Ring of one module, gap of one, centre of two: a finder square scaled to 6 modules."""
    left, top = fx * unit, fy * unit
    size = FINDER_SIZE * unit
    if not (left <= x < left + size and top <= y < top + size):
        return False
    r = unit * 0.35
    outer = in_rounded_rect(x, y, left, top, left + size, top + size, r)
    hole = in_rounded_rect(x, y, left + unit, top + unit, left + size - unit, top + size - unit,
                           r * 0.5)
    centre = in_rounded_rect(x, y, left + 2 * unit, top + 2 * unit, left + size - 2 * unit,
                             top + size - 2 * unit, r * 0.5)
    return (outer and not hole) or centre


def chequer_shape(unit, x, y):
    left, top, size = (v * unit for v in CHEQUER)
    if not (left <= x < left + size and top <= y < top + size):
        return False
    col = int((x - left) // (CHEQUER_CELL * unit))
    row = int((y - top) // (CHEQUER_CELL * unit))
    if (col + row) % 2:
        return False
    cell_l = left + col * CHEQUER_CELL * unit
    cell_t = top + row * CHEQUER_CELL * unit
    cell = CHEQUER_CELL * unit
    return in_rounded_rect(x, y, cell_l, cell_t, cell_l + cell, cell_t + cell, unit * 0.35)


def icon_sample(size, x, y):
    """Colour and opacity (0 or 1) of the icon at point (x, y) of a size x size picture."""
    unit = size / 16
    corner = unit * 2.5 if size > 16 else 2
    if not in_rounded_rect(x, y, 0, 0, size, size, corner):
        return (0, 0, 0), 0
    # At 16 pixels a module is one pixel wide: a bevel would eat the whole face.
    bevel = unit * 0.3 if size > 16 else 0
    shapes = [
        (lambda px, py: any(finder_shape(unit, fx, fy, px, py) for fx, fy in FINDERS),
         ICON_PALETTE[1], ICON_PALETTE[2], ICON_PALETTE[3]),
        (lambda px, py: chequer_shape(unit, px, py), ICON_PALETTE[5], ICON_PALETTE[4],
         ICON_PALETTE[6]),
    ]
    for inside, light, face, shadow in shapes:
        if inside(x, y):
            if not bevel:
                return face, 1
            # A raised plateau: lit where the edge faces up or left, shaded down or right.
            if not inside(x - bevel, y) or not inside(x, y - bevel):
                return light, 1
            if not inside(x + bevel, y) or not inside(x, y + bevel):
                return shadow, 1
            return face, 1
    rim = max(1.0, unit * 0.25)
    if not in_rounded_rect(x, y, rim, rim, size - rim, size - rim, max(corner - rim, 0.5)):
        return mix(ICON_PALETTE[10], ICON_PALETTE[11], y / size), 1
    t = y / size
    top, middle, bottom = ICON_PALETTE[7], ICON_PALETTE[8], ICON_PALETTE[9]
    return (mix(top, middle, t * 2) if t < 0.5 else mix(middle, bottom, t * 2 - 1)), 1


def average_samples(size, px, py, steps):
    acc = [0, 0, 0, 0]
    for j in range(steps):
        for i in range(steps):
            colour, alpha = icon_sample(size, px + (i + 0.5) / steps, py + (j + 0.5) / steps)
            if alpha:
                acc[0] += colour[0]
                acc[1] += colour[1]
                acc[2] += colour[2]
                acc[3] += 1
    if not acc[3]:
        return (0, 0, 0, 0)
    return (clamp(acc[0] / acc[3]), clamp(acc[1] / acc[3]), clamp(acc[2] / acc[3]),
            clamp(255 * acc[3] / (steps * steps)))


def render_icon_rgba(size, steps):
    """Samples pixel centres; where a pixel differs from a neighbour, averages steps x steps."""
    flat = [[average_samples(size, px, py, 1) for px in range(size)] for py in range(size)]
    if steps == 1:
        return flat
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            here = flat[py][px]
            neighbours = [flat[y][x] for x, y in ((px - 1, py), (px + 1, py), (px, py - 1),
                                                  (px, py + 1)) if 0 <= x < size and 0 <= y < size]
            edge = px in (0, size - 1) or py in (0, size - 1)
            # The tile's gradient changes a little every row; only real edges need sampling.
            if edge or any(max(abs(a - b) for a, b in zip(n, here)) > 8 for n in neighbours):
                here = average_samples(size, px, py, steps)
            row.append(here)
        rows.append(row)
    return rows


def nearest_index(colour):
    return min(range(1, len(ICON_PALETTE)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, ICON_PALETTE[i])))


def icon_dib_4bit(size):
    """A 16-colour icon image: header (double height), palette, colour bits, AND mask."""
    rgba = render_icon_rgba(size, 1)
    colour_rows, mask_rows = [], []
    for row in rgba:
        colour_rows.append(pack_nibbles([nearest_index(px[:3]) if px[3] >= 128 else 0
                                         for px in row]))
        mask_rows.append(pack_bits([px[3] < 128 for px in row]))
    colour_stride = (size * 4 + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    colour = b"".join(padded(r, colour_stride) for r in reversed(colour_rows))
    mask = b"".join(padded(r, mask_stride) for r in reversed(mask_rows))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in ICON_PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colour) + len(mask),
                         0, 0, 0, 0)
    return header + pal + colour + mask


def make_icon():
    images = [
        (32, 16, 4, icon_dib_4bit(32)),
        (16, 16, 4, icon_dib_4bit(16)),
        (256, 0, 32, png_file(render_icon_rgba(256, 3))),
    ]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, colours, bits, data in images:
        dim = size if size < 256 else 0
        out += struct.pack("<BBBBHHII", dim, dim, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b"".join(data for *_, data in images)


# ---------------------------------------------------------------- test pattern


def qr_matrix(qrencode, text):
    """Dark modules of the QR code, from qrencode's text rendering (two characters a module)."""
    result = subprocess.run([qrencode, "-t", "ASCII", "-l", "M", "-m", "0", "-o", "-", text],
                            check=True, capture_output=True, text=True)
    lines = [line for line in result.stdout.splitlines() if line.strip()]
    matrix = [[line[i] == "#" for i in range(0, len(line), 2)] for line in lines]
    width = len(matrix)
    if any(len(row) != width for row in matrix):
        raise SystemExit("qrencode gave a matrix that is not square")
    return matrix


def make_test_pattern(qrencode):
    matrix = qr_matrix(qrencode, WELCOME)
    modules = len(matrix) + 2 * QUIET_MODULES
    if PATTERN_SIZE % modules:
        raise SystemExit(f"a {len(matrix)}-module code does not fill {PATTERN_SIZE} pixels")
    scale = PATTERN_SIZE // modules
    rows = []
    for y in range(PATTERN_SIZE):
        my = y // scale - QUIET_MODULES
        bits = []
        for x in range(PATTERN_SIZE):
            mx = x // scale - QUIET_MODULES
            dark = 0 <= my < len(matrix) and 0 <= mx < len(matrix) and matrix[my][mx]
            bits.append(0 if dark else 1)  # palette: 0 black, 1 white
        rows.append(pack_bits(bits))
    return bmp_file(PATTERN_SIZE, PATTERN_SIZE, 1, [(0, 0, 0), (255, 255, 255)], rows)


# ---------------------------------------------------------------- hand cursor

# X outline, o fill, blank transparent. The fingertip is row 0, columns 5-6.
HAND = [
    "     XX",
    "    XooX",
    "    XooX",
    "    XooX",
    "    XooXXX",
    "    XooXooXXX",
    "    XooXooXooXXX",
    "    XooXooXooXooX",
    " XX XooXooXooXooX",
    "XooXXooXooXooXooX",
    "XoooXoooooooooooX",
    "XoooooooooooooooX",
    " XooooooooooooooX",
    "  XoooooooooooooX",
    "  XoooooooooooooX",
    "   XooooooooooooX",
    "   XoooooooooooX",
    "    XooooooooooX",
    "    XooooooooooX",
    "     XooooooooX",
    "     XooooooooX",
    "     XXXXXXXXXX",
]
HOT_SPOT = (5, 0)
CURSOR_SIZE = 32


def make_cursor():
    art = [line.ljust(CURSOR_SIZE) for line in HAND]
    art += [" " * CURSOR_SIZE] * (CURSOR_SIZE - len(art))
    # Monochrome: AND 1 + XOR 0 shows the screen, AND 0 + XOR 0 is black, XOR 1 is white.
    xor_rows = [pack_bits([ch == "o" for ch in line]) for line in art]
    and_rows = [pack_bits([ch == " " for ch in line]) for line in art]
    stride = 4
    xor = b"".join(padded(r, stride) for r in reversed(xor_rows))
    mask = b"".join(padded(r, stride) for r in reversed(and_rows))
    pal = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    header = struct.pack("<IiiHHIIiiII", 40, CURSOR_SIZE, CURSOR_SIZE * 2, 1, 1, 0,
                         len(xor) + len(mask), 0, 0, 2, 0)
    image = header + pal + xor + mask
    entry = struct.pack("<BBBBHHII", CURSOR_SIZE, CURSOR_SIZE, 2, 0, HOT_SPOT[0], HOT_SPOT[1],
                        len(image), 6 + 16)
    return struct.pack("<HHH", 0, 2, 1) + entry + image


# ---------------------------------------------------------------- main


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output_dir")
    parser.add_argument("--qrencode", default="qrencode")
    args = parser.parse_args(argv)
    os.makedirs(args.output_dir, exist_ok=True)
    write(args.output_dir, "skin.bmp", bmp24(make_skin()))
    write(args.output_dir, "app.ico", make_icon())
    write(args.output_dir, "testpattern.bmp", make_test_pattern(args.qrencode))
    write(args.output_dir, "hand.cur", make_cursor())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
