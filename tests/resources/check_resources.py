#!/usr/bin/env python3
"""Checks the generated resources byte by byte, and the test pattern with the real decoder.

Usage:
  check_resources.py reproducible FIRST_DIR SECOND_DIR --tool TOOL [--qrencode PATH]
  check_resources.py test-pattern DIR --zbarimg PATH
  check_resources.py skin DIR
  check_resources.py icon-and-cursor DIR
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import zlib

KEY = (88, 88, 88)
WELCOME = "QR-Code:Welcome to the Vantrel"


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def read(folder, name):
    path = os.path.join(folder, name)
    expect(os.path.isfile(path), f"{path} is missing")
    with open(path, "rb") as f:
        return f.read()


# ---------------------------------------------------------------- readers


class Dib:
    """A BITMAPINFOHEADER image; for icons and cursors height counts the mask too."""

    def __init__(self, data, offset=0):
        (self.header_size, self.width, self.height, self.planes, self.bit_count,
         self.compression) = struct.unpack_from("<IiiHHI", data, offset)
        self.colours_used = struct.unpack_from("<I", data, offset + 32)[0]
        expect(self.header_size == 40, f"DIB header of {self.header_size} bytes, expected 40")
        palette_len = 0
        if self.bit_count <= 8:
            palette_len = self.colours_used or (1 << self.bit_count)
        self.palette = [struct.unpack_from("<BBB", data, offset + 40 + 4 * i)[::-1]
                        for i in range(palette_len)]
        self.bits_offset = offset + 40 + 4 * palette_len


def stride(width, bit_count):
    return (width * bit_count + 31) // 32 * 4


def bit_at(data, row_start, x):
    return (data[row_start + x // 8] >> (7 - x % 8)) & 1


class Bmp:

    def __init__(self, data):
        expect(data[:2] == b"BM", "not a BMP file")
        size, _, _, pixel_offset = struct.unpack_from("<IHHI", data, 2)
        expect(size == len(data), f"BMP header gives {size} bytes, file has {len(data)}")
        self.dib = Dib(data, 14)
        self.data = data
        self.pixel_offset = pixel_offset
        self.width, self.height = self.dib.width, self.dib.height
        expect(self.height > 0, "expected a bottom-up BMP")
        expect(self.dib.compression == 0, "expected an uncompressed BMP")

    def row_start(self, y):
        return self.pixel_offset + (self.height - 1 - y) * stride(self.width, self.dib.bit_count)

    def rgb(self, x, y):
        start = self.row_start(y)
        if self.dib.bit_count == 24:
            b, g, r = self.data[start + 3 * x:start + 3 * x + 3]
            return (r, g, b)
        expect(self.dib.bit_count == 1, f"unexpected bit depth {self.dib.bit_count}")
        return self.dib.palette[bit_at(self.data, start, x)]


def png_size(data):
    expect(data[:8] == b"\x89PNG\r\n\x1a\n", "the large icon image is not a PNG")
    pos, idat = 8, b""
    ihdr = None
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        crc = struct.unpack_from(">I", data, pos + 8 + length)[0]
        expect(zlib.crc32(kind + body) & 0xFFFFFFFF == crc, f"PNG chunk {kind} has a bad CRC")
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    expect(ihdr is not None, "PNG without IHDR")
    width, height, depth, colour_type = ihdr[:4]
    expect((depth, colour_type) == (8, 6), "the PNG is not 8-bit RGBA (32-bit colour)")
    raw = zlib.decompress(idat)
    expect(len(raw) == height * (1 + 4 * width), "the PNG's pixel data has the wrong length")
    return width, height


def directory(data, kind):
    reserved, found_kind, count = struct.unpack_from("<HHH", data, 0)
    expect(reserved == 0 and found_kind == kind, f"resource directory of type {found_kind}")
    entries = []
    for i in range(count):
        w, h, colours, _, field1, field2, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        expect(offset + size <= len(data), f"image {i} runs past the end of the file")
        entries.append((w or 256, h or 256, colours, field1, field2, data[offset:offset + size]))
    return entries


# ---------------------------------------------------------------- checks


def check_reproducible(args):
    first = sorted(os.listdir(args.first))
    subprocess.run([sys.executable, args.tool, args.second, "--qrencode", args.qrencode],
                   check=True)
    second = sorted(os.listdir(args.second))
    expect(first == second, f"the two runs wrote different files: {first} and {second}")
    for name in first:
        expect(read(args.first, name) == read(args.second, name),
               f"{name} differs between two runs of the tool")


def check_test_pattern(args):
    data = read(args.dir, "testpattern.bmp")
    bmp = Bmp(data)
    expect((bmp.width, bmp.height) == (132, 132), f"test pattern is {bmp.width}x{bmp.height}")
    expect(bmp.dib.bit_count == 1, f"test pattern has {bmp.dib.bit_count} bits per pixel")
    expect(sorted(bmp.dib.palette) == [(0, 0, 0), (255, 255, 255)],
           f"test pattern palette is {bmp.dib.palette}, expected black and white")
    zbarimg = shutil.which(args.zbarimg)
    expect(zbarimg is not None, f"zbarimg was not found ({args.zbarimg})")
    result = subprocess.run([zbarimg, "-q", os.path.join(args.dir, "testpattern.bmp")],
                            capture_output=True, text=True)
    lines = result.stdout.splitlines()
    expect(lines == [WELCOME], f"zbarimg read {lines!r} (exit {result.returncode}), "
           f"expected [{WELCOME!r}]")


def staircase():
    cells = set()
    for depth, count in enumerate((3, 2, 1)):
        for y in (depth, 283 - depth):
            for i in range(count):
                cells.add((i, y))
                cells.add((249 - i, y))
    return cells


def near(colour, wanted, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, wanted))


def check_skin(args):
    bmp = Bmp(read(args.dir, "skin.bmp"))
    expect((bmp.width, bmp.height) == (250, 284), f"skin is {bmp.width}x{bmp.height}")
    expect(bmp.dib.bit_count == 24, f"skin has {bmp.dib.bit_count} bits per pixel")
    px = [[bmp.rgb(x, y) for x in range(250)] for y in range(284)]

    keyed = {(x, y) for y in range(284) for x in range(250) if px[y][x] == KEY}
    expected = staircase()
    expect(len(expected) == 24, "the staircase must have 24 cells")
    expect(keyed == expected, f"key-coloured pixels misplaced: extra {sorted(keyed - expected)[:8]}"
           f", missing {sorted(expected - keyed)[:8]}")

    # Away from the corners and the close glyph, the title is a falling gradient.
    column = [px[y][120] for y in range(26)]
    expect(near(column[0], (131, 132, 133), 4), f"title row 0 is {column[0]}")
    expect(near(column[25], (64, 64, 65), 4), f"title row 25 is {column[25]}")
    expect(all(column[y + 1][1] <= column[y][1] for y in range(25)),
           f"the title gradient does not fall from top to bottom: {column}")

    for y, wanted in ((26, 29), (30, 39)):
        mean = sum(px[y][x][0] for x in range(250)) / 250
        expect(abs(mean - wanted) <= 3, f"shadow row {y} averages {mean:.1f}, expected ~{wanted}")

    body = [px[y][x] for y in range(31, 284) for x in range(250) if (x, y) not in expected]
    in_range = sum(1 for c in body if all(39 <= v <= 44 for v in c))
    expect(in_range >= 0.98 * len(body),
           f"only {in_range} of {len(body)} body pixels lie in 39..44")
    expect(len(set(body)) > 2, "the body has no texture")

    # A dark disc about 18 pixels across around (236,13), with a light cross in the middle.
    cx, cy = 236, 13
    disc = [px[y][x] for y in range(cy - 8, cy + 9) for x in range(cx - 8, cx + 9)
            if (x - cx)**2 + (y - cy)**2 <= 49]
    disc_lum = sorted(sum(c) / 3 for c in disc)
    median = disc_lum[len(disc_lum) // 2]
    expect(median < 60, f"the close glyph is not dark around ({cx},{cy}): median {median:.0f}")
    for x, y in ((cx - 6, cy), (cx + 6, cy), (cx, cy - 6), (cx, cy + 6)):
        expect(max(px[y][x]) < 60, f"close glyph pixel ({x},{y}) is {px[y][x]}, not dark")
    expect(min(px[cy][cx]) > 150, f"the close glyph's cross is missing at ({cx},{cy})")
    for x in (cx - 12, cx - 11):
        expect(min(px[cy][x]) > 80, f"the close glyph is wider than ~18 pixels at ({x},{cy})")


def check_icon_image(width, height, colours, planes, bits, image):
    if width == 256:
        expect(bits == 32, f"the 256x256 image is declared with {bits} bits")
        expect(png_size(image) == (256, 256), "the PNG image is not 256x256")
        return
    expect(bits == 4 and colours == 16, f"the {width}x{height} image has {bits} bits, "
           f"{colours} colours; expected 16 colours")
    dib = Dib(image)
    expect((dib.width, dib.height, dib.bit_count) == (width, 2 * height, 4),
           f"the {width}x{height} image's DIB is {dib.width}x{dib.height}x{dib.bit_count}")
    mask_offset = dib.bits_offset + stride(width, 4) * height
    expect(len(image) == mask_offset + stride(width, 1) * height,
           f"the {width}x{height} image lacks its AND mask")
    opaque = sum(1 - bit_at(image, mask_offset + stride(width, 1) * y, x)
                 for y in range(height) for x in range(width))
    expect(opaque > width * height // 2, f"the {width}x{height} image is mostly transparent")


def check_icon_and_cursor(args):
    images = directory(read(args.dir, "app.ico"), 1)
    sizes = sorted((w, h, bits) for w, h, _, _, bits, _ in images)
    expect(sizes == [(16, 16, 4), (32, 32, 4), (256, 256, 32)],
           f"the icon holds {sizes}, expected 16x16 and 32x32 at 4 bits, 256x256 at 32")
    for image in images:
        check_icon_image(*image)

    cursors = directory(read(args.dir, "hand.cur"), 2)
    expect(len(cursors) == 1, f"the cursor file holds {len(cursors)} images")
    width, height, _, hot_x, hot_y, image = cursors[0]
    expect((width, height) == (32, 32), f"the cursor is {width}x{height}")
    expect((hot_x, hot_y) == (5, 0), f"the cursor's hot spot is ({hot_x},{hot_y}), not (5,0)")
    dib = Dib(image)
    expect((dib.width, dib.height) == (32, 64), "the cursor's DIB is not 32x32 with its mask")
    row_bytes = stride(32, dib.bit_count)
    mask_top_row = dib.bits_offset + row_bytes * 32 + stride(32, 1) * 31
    expect(bit_at(image, mask_top_row, 5) == 0, "the hot spot is not on the drawn fingertip")


def main(argv):
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="check", required=True)
    p = sub.add_parser("reproducible")
    p.add_argument("first")
    p.add_argument("second")
    p.add_argument("--tool", required=True)
    p.add_argument("--qrencode", default="qrencode")
    p.set_defaults(run=check_reproducible)
    p = sub.add_parser("test-pattern")
    p.add_argument("dir")
    p.add_argument("--zbarimg", default="zbarimg")
    p.set_defaults(run=check_test_pattern)
    for name, run in (("skin", check_skin), ("icon-and-cursor", check_icon_and_cursor)):
        p = sub.add_parser(name)
        p.add_argument("dir")
        p.set_defaults(run=run)
    args = parser.parse_args(argv)
    try:
        args.run(args)
    except Failure as failure:
        print(f"FAIL ({args.check}): {failure}", file=sys.stderr)
        return 1
    print(f"ok ({args.check})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
