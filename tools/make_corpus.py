#!/usr/bin/python3
"""Makes webcam-like frames holding one code each, for measuring the engines' read rates.

    /usr/bin/python3 tools/make_corpus.py OUT [PER_CELL] [SEED]

Each code is drawn by zint, put on a white label, turned and warped onto a textured grey
background of 640x480 or 1280x720, and then spoilt in one of the ways a webcam spoils it (the
DIFFICULTIES below). OUT gets the frames and truth.tsv: file, kind, the text an engine must print
(GS1 separators as GS, \\xNN escapes), difficulty, size. PER_CELL frames are made for each kind,
difficulty and size (default 2); the same SEED makes the same frames.
"""
import io
import math
import random
import subprocess
import sys
from pathlib import Path

import numpy as np
from PIL import Image, ImageFilter, ImageOps

SIZES = [(640, 480), (1280, 720)]
GS = "\x1d"


def digits(rng, n):
    return "".join(rng.choice("0123456789") for _ in range(n))


def text(rng, lo, hi, alphabet="ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz0123456789-./ "):
    return "".join(rng.choice(alphabet) for _ in range(rng.randint(lo, hi))).strip() or "X"


def ean13(rng):
    body = digits(rng, 12)
    total = sum(int(d) * (3 if i % 2 else 1) for i, d in enumerate(body))
    return body, body + str((10 - total % 10) % 10)


def gs1(rng):
    """A UDI-like element string: GTIN, expiry, lot and serial; zint's input and ZBar's text."""
    gtin = digits(rng, 14)
    expiry = "%02d%02d%02d" % (rng.randint(24, 35), rng.randint(1, 12), rng.randint(1, 28))
    lot = text(rng, 3, 10, "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789")
    serial = text(rng, 4, 12, "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789")
    zint_input = f"[01]{gtin}[17]{expiry}[10]{lot}[21]{serial}"
    # Fixed-length fields need no separator; the lot, of variable length, ends with one.
    return zint_input, f"01{gtin}17{expiry}10{lot}{GS}21{serial}"


def make_code(kind, rng):
    """Returns (zint arguments, expected text)."""
    if kind == "DataMatrix":
        value = text(rng, 6, 40)
        return ["-b", "71", "-d", value], value
    if kind == "GS1-DataMatrix":
        data, expected = gs1(rng)
        return ["-b", "71", "--gs1", "-d", data], expected
    if kind == "QR-Code":
        value = text(rng, 6, 60)
        return ["-b", "58", "-d", value], value
    if kind == "EAN-13":
        body, expected = ean13(rng)
        return ["-b", "13", "-d", body], expected
    if kind == "CODE-128":
        value = text(rng, 5, 16, "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789")
        return ["-b", "20", "-d", value], value
    raise ValueError(kind)


KINDS = ["DataMatrix", "GS1-DataMatrix", "QR-Code", "EAN-13", "CODE-128", "none"]


def zint(args, module_px):
    out = subprocess.run(["zint", "--direct", "--filetype=png", "--scale", str(module_px / 2)] + args,
                         check=True, capture_output=True).stdout
    return Image.open(io.BytesIO(out)).convert("L")


def background(rng, size):
    w, h = size
    npr = np.random.default_rng(rng.randrange(1 << 30))
    base = npr.normal(150, 25, (h // 8 + 1, w // 8 + 1)).clip(0, 255).astype(np.uint8)
    img = Image.fromarray(base).resize((w, h), Image.BILINEAR).filter(ImageFilter.GaussianBlur(3))
    ramp = np.linspace(rng.uniform(0.8, 1.0), rng.uniform(0.8, 1.0), w)[None, :]
    return Image.fromarray((np.asarray(img) * ramp).clip(0, 255).astype(np.uint8))


def place(rng, frame, code, angle, warp, label=True):
    """Puts the code on a white label, turns and warps it, and pastes it at a random place."""
    pad = max(8, code.width // 10)
    card = ImageOps.expand(code, border=pad, fill=255 if label else 0)
    mask = Image.new("L", card.size, 255).rotate(angle, resample=Image.BICUBIC, expand=True, fillcolor=0)
    card = card.rotate(angle, resample=Image.BICUBIC, expand=True, fillcolor=0)
    if warp:
        w, h = card.size
        d = warp * min(w, h)
        quad = [rng.uniform(0, d), rng.uniform(0, d), rng.uniform(0, d), h - rng.uniform(0, d),
                w - rng.uniform(0, d), h - rng.uniform(0, d), w - rng.uniform(0, d), rng.uniform(0, d)]
        card = card.transform(card.size, Image.QUAD, quad, Image.BICUBIC)
        mask = mask.transform(mask.size, Image.QUAD, quad, Image.BICUBIC)
    fw, fh = frame.size
    if card.width >= fw or card.height >= fh:
        scale = 0.9 * min(fw / card.width, fh / card.height)
        card = card.resize((int(card.width * scale), int(card.height * scale)), Image.BICUBIC)
        mask = mask.resize(card.size, Image.BICUBIC)
    x = rng.randint(0, fw - card.width)
    y = rng.randint(0, fh - card.height)
    frame.paste(card, (x, y), mask)
    return frame


def noise(img, sigma, npr):
    a = np.asarray(img, dtype=np.float32) + npr.normal(0, sigma, (img.height, img.width))
    return Image.fromarray(a.clip(0, 255).astype(np.uint8))


def levels(img, gain, offset):
    a = np.asarray(img, dtype=np.float32) * gain + offset
    return Image.fromarray(a.clip(0, 255).astype(np.uint8))


def glare(img, rng):
    w, h = img.size
    cx, cy = rng.uniform(0.3, 0.7) * w, rng.uniform(0.3, 0.7) * h
    r = rng.uniform(0.15, 0.3) * min(w, h)
    yy, xx = np.mgrid[0:h, 0:w]
    spot = 170 * np.exp(-((xx - cx) ** 2 + (yy - cy) ** 2) / (2 * r * r))
    return Image.fromarray((np.asarray(img, dtype=np.float32) + spot).clip(0, 255).astype(np.uint8))


# Each difficulty: module size in pixels, largest turn in degrees, warp, then what spoils it.
DIFFICULTIES = {
    "clean": (4, 5, 0, lambda img, rng, npr: img),
    "small": (1.6, 5, 0, lambda img, rng, npr: noise(img, 3, npr)),
    "turned": (3, 45, 0, lambda img, rng, npr: noise(img, 3, npr)),
    "perspective": (3, 10, 0.18, lambda img, rng, npr: noise(img, 3, npr)),
    "blur": (4, 10, 0, lambda img, rng, npr: img.filter(ImageFilter.GaussianBlur(rng.uniform(1.2, 2.2)))),
    "motion": (4, 10, 0, lambda img, rng, npr: img.filter(ImageFilter.BoxBlur(rng.uniform(1.0, 2.0)))),
    "noise": (3, 10, 0, lambda img, rng, npr: noise(img, 22, npr)),
    "low-light": (3, 10, 0, lambda img, rng, npr: noise(levels(img, 0.22, 5), 4, npr)),
    "low-contrast": (3, 10, 0, lambda img, rng, npr: noise(levels(img, 0.35, 90), 3, npr)),
    "glare": (3, 10, 0.05, lambda img, rng, npr: glare(noise(img, 4, npr), rng)),
    "inverted": (3, 10, 0, lambda img, rng, npr: noise(img, 4, npr)),
    "jpeg": (3, 10, 0.05, lambda img, rng, npr: noise(img.filter(ImageFilter.GaussianBlur(0.8)), 5, npr)),
    "busy": (3, 15, 0.08, lambda img, rng, npr: noise(img.filter(ImageFilter.GaussianBlur(0.7)), 8, npr)),
}


def escape(s):
    return "".join(c if 0x20 <= ord(c) < 0x7f and c != "\\" else "\\x%02x" % ord(c) for c in s)


def make_frame(kind, difficulty, size, rng):
    module_px, max_angle, warp, spoil = DIFFICULTIES[difficulty]
    npr = np.random.default_rng(rng.randrange(1 << 30))
    frame = background(rng, size)
    expected = ""
    if kind != "none":
        args, expected = make_code(kind, rng)
        # 1D codes are drawn by bar width: the module size is the narrow bar's.
        code = zint(args, max(module_px, 1.0))
        if difficulty == "inverted":
            code = ImageOps.invert(code)
        place(rng, frame, code, rng.uniform(-max_angle, max_angle), warp, label=difficulty != "inverted")
    return spoil(frame, rng, npr), expected


def main():
    out = Path(sys.argv[1])
    per_cell = int(sys.argv[2]) if len(sys.argv) > 2 else 2
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
    out.mkdir(parents=True, exist_ok=True)
    rows = []
    for kind in KINDS:
        for difficulty in DIFFICULTIES:
            for w, h in SIZES:
                for i in range(per_cell):
                    frame, expected = make_frame(kind, difficulty, (w, h), rng)
                    name = f"{kind}-{difficulty}-{w}x{h}-{i}." + ("jpg" if difficulty == "jpeg" else "png")
                    if difficulty == "jpeg":
                        frame.save(out / name, quality=rng.randint(20, 40))
                    else:
                        frame.save(out / name)
                    rows.append("\t".join([name, kind, escape(expected), difficulty, f"{w}x{h}"]))
    (out / "truth.tsv").write_text("\n".join(rows) + "\n")
    print(f"make_corpus: {len(rows)} frames in {out}")


if __name__ == "__main__":
    main()
