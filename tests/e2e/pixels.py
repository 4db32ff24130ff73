#!/usr/bin/env python3
"""Checks on a screenshot of the main window, cut to the window and saved as a binary PPM.

Usage: pixels.py WINDOW.ppm CHECK ARGS...  Coordinates are window pixels, rectangles are
X0 Y0 X1 Y1 with both ends included, colours R,G,B. Prints what it found; exit code 0 when the
check holds, 1 when it doesn't.

  corners R,G,B             the 24 staircase pixels show R,G,B; their inner neighbours are grey
  row Y R,G,B               the whole row shows R,G,B; the row above it (but its ends) doesn't
  fill X0 Y0 X1 Y1 R,G,B F  at least the fraction F of the rectangle is exactly R,G,B
  light X0 Y0 X1 Y1 T N     at least N pixels have a channel of T or more
  glyphs X0 Y0 X1 Y1 T N    the light pixels (channel >= T) form N distinct, filled glyphs side
                            by side, not the hollow boxes of a font without them
  grey X Y                  the pixel is one of the skin's greys
  dark X0 Y0 X1 Y1 T        no pixel has a channel of T or more
  pixel X Y                 prints the pixel
"""
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:]
    return width, height, pixels


class Shot:
    def __init__(self, path):
        self.width, self.height, self.data = read_ppm(path)

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def area(self, x0, y0, x1, y1):
        return [(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)]


def colour(text):
    return tuple(int(v) for v in text.split(","))


def corner_pixels(width, height):
    """The three-step staircase in each corner of the skin (rows 0..283)."""
    bottom = height - 1
    for step, count in enumerate((3, 2, 1)):
        for i in range(count):
            for y in (step, bottom - step):
                yield i, y
                yield width - 1 - i, y


def is_grey(p):
    return max(p) - min(p) <= 12 and 20 <= p[0] <= 160


def check_corners(shot, key):
    bottom, width = 283, shot.width
    wrong = [(x, y, shot.at(x, y)) for x, y in corner_pixels(width, bottom + 1)
             if shot.at(x, y) != key]
    # The first pixel inside the staircase on each of its rows.
    inner = []
    for step, count in enumerate((3, 2, 1)):
        for y in (step, bottom - step):
            inner += [(count, y), (width - 1 - count, y)]
    inner += [(0, 3), (width - 1, 3), (0, bottom - 3), (width - 1, bottom - 3)]
    drawn = [(x, y, shot.at(x, y)) for x, y in inner if not is_grey(shot.at(x, y))]
    print(f"corner pixels not showing the background: {wrong or 'none'}")
    print(f"inner neighbours not drawn in grey: {drawn or 'none'}")
    return not wrong and not drawn


def check_row(shot, y, want):
    wrong = [x for x in range(shot.width) if shot.at(x, y) != want]
    above = [x for x in range(3, shot.width - 3) if shot.at(x, y - 1) == want]
    print(f"row {y}: {shot.width - len(wrong)} of {shot.width} pixels show the background; "
          f"row {y - 1}: {len(above)} of {shot.width - 6} do")
    return not wrong and not above


def check_fill(shot, x0, y0, x1, y1, want, fraction):
    points = shot.area(x0, y0, x1, y1)
    hits = sum(shot.at(x, y) == want for x, y in points)
    print(f"{hits} of {len(points)} pixels are {want} (at least {fraction:.0%} wanted)")
    return hits >= fraction * len(points)


def light_points(shot, x0, y0, x1, y1, threshold):
    return [(x, y) for x, y in shot.area(x0, y0, x1, y1) if max(shot.at(x, y)) >= threshold]


def check_light(shot, x0, y0, x1, y1, threshold, least):
    count = len(light_points(shot, x0, y0, x1, y1, threshold))
    print(f"{count} light pixels (at least {least} wanted)")
    return count >= least


def check_glyphs(shot, x0, y0, x1, y1, threshold, count):
    points = set(light_points(shot, x0, y0, x1, y1, threshold))
    if not points:
        print("no light pixels")
        return False
    left = min(x for x, _ in points)
    right = max(x for x, _ in points)
    cell = (right - left + 1) / count
    glyphs, ok = [], True
    for i in range(count):
        mine = {(x, y) for x, y in points if left + i * cell <= x < left + (i + 1) * cell}
        if not mine:
            print(f"glyph {i + 1}: empty")
            return False
        gx0, gx1 = min(x for x, _ in mine), max(x for x, _ in mine)
        gy0, gy1 = min(y for _, y in mine), max(y for _, y in mine)
        # A missing glyph is drawn as a box outline: nothing inside its border.
        inside = sum(1 for x, y in mine if gx0 + 1 < x < gx1 - 1 and gy0 + 1 < y < gy1 - 1)
        print(f"glyph {i + 1}: {gx1 - gx0 + 1}x{gy1 - gy0 + 1} px, {len(mine)} light, "
              f"{inside} inside its outline")
        ok = ok and inside >= 3
        glyphs.append(frozenset((x - gx0, y - gy0) for x, y in mine))
    if len(set(glyphs)) != count:
        print("some glyphs are identical")
        ok = False
    return ok


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    shot, check, args = Shot(argv[1]), argv[2], argv[3:]
    if check == "corners":
        ok = check_corners(shot, colour(args[0]))
    elif check == "row":
        ok = check_row(shot, int(args[0]), colour(args[1]))
    elif check == "fill":
        ok = check_fill(shot, *map(int, args[:4]), colour(args[4]), float(args[5]))
    elif check == "light":
        ok = check_light(shot, *map(int, args[:6]))
    elif check == "glyphs":
        ok = check_glyphs(shot, *map(int, args[:6]))
    elif check == "grey":
        p = shot.at(int(args[0]), int(args[1]))
        print(f"pixel {p}")
        ok = is_grey(p)
    elif check == "dark":
        count = len(light_points(shot, *map(int, args[:5])))
        print(f"{count} light pixels")
        ok = count == 0
    elif check == "pixel":
        print(",".join(map(str, shot.at(int(args[0]), int(args[1])))))
        ok = True
    else:
        sys.exit(__doc__)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
