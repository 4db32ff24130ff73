#!/usr/bin/env python3
"""How many QR codes the built zbarimg.exe reads, and how many it reads with the wrong text,
with and without the switches Tolvira starts both engines with (-Sqrcode.binary
-Stest-inverted), on pictures made here like a webcam's: scaled, turned a little, blurred, noisy,
saved as JPEG. Texts: ASCII, Chinese of several lengths, Chinese mixed with accented letters and
symbols, accented Latin, GBK-encoded Chinese, a share of them light on dark.

Each output is read as Tolvira reads a result line: valid UTF-8 as UTF-8, else the ANSI code
page, taken to be GBK (code page 936, a Chinese system).

    python3 tools/measure_engine_switches.py BUILD_DIR [COUNT] [SEED]
"""
import concurrent.futures
import os
import random
import shutil
import subprocess
import sys
import tempfile

TEXTS = {
    "ascii": ["SN-{n:05d}-ABC", "https://example.com/item?id={n}&lang=zh", "LOT {n} / BOX 7"],
    "chinese-2": ["你好", "批号", "中文", "扫码", "库存", "合格", "编号", "名称"],
    "chinese-long": ["产品批号{n}，生产日期二〇二四年", "欢迎使用扫码输入工具第{n}号",
                     "仓库货架{n}区上层左侧"],
    "chinese-mixed": ["价格¥{n}.5 温度36.5°", "Café 咖啡 ¥{n}", "Crème brûlée 焦糖布丁 {n}",
                      "批号é{n}°C", "型号 Ø{n}mm 不锈钢", "Größe {n} 尺码"],
    "latin": ["café crème {n}", "Größe {n}°C", "naïve résumé {n}", "Ñandú año {n}"],
    "gbk": ["你好{n}", "批号{n}", "中文测试{n}"],
}


def make(path, text, encoding, inverted, rng):
    raw = text.encode(encoding)
    qr = path + ".qr.png"
    subprocess.run(["qrencode", "-8", "-s", "4", "-m", "4", "-o", qr], input=raw, check=True)
    scale = rng.uniform(60, 100)
    angle = rng.uniform(-8, 8)
    blur = rng.uniform(0.3, 1.0)
    noise = rng.uniform(0.2, 0.6)
    args = ["convert", qr, "-resize", f"{scale:.0f}%", "-background", "white",
            "-rotate", f"{angle:.1f}", "-blur", f"0x{blur:.2f}", "-attenuate", f"{noise:.2f}",
            "+noise", "Gaussian"]
    if inverted:
        args += ["-negate"]
    args += ["-quality", "70", path]
    subprocess.run(args, check=True)
    os.remove(qr)


def as_tolvira_reads(raw):
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return raw.decode("gbk", errors="replace")


def run(env, exe, picture, switches):
    result = subprocess.run(["wine", exe, "-q", *switches, picture], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    lines = [l for l in result.stdout.split(b"\r\n") if l]
    return [as_tolvira_reads(l.split(b":", 1)[1]) for l in lines if b":" in l]


def main():
    build = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 240
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 19)
    exe = os.path.join(build, "zbar", "zbarimg.exe")
    work = tempfile.mkdtemp(prefix="tolvira-switches-")
    env = dict(os.environ, WINEPREFIX=os.path.join(work, "prefix"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    cases = []
    kinds = list(TEXTS)
    for i in range(count):
        kind = kinds[i % len(kinds)]
        text = rng.choice(TEXTS[kind]).format(n=rng.randint(1, 99999))
        inverted = rng.random() < 0.2
        path = os.path.join(work, f"p{i:04d}.jpg")
        make(path, text, "gbk" if kind == "gbk" else "utf-8", inverted, rng)
        cases.append((kind, inverted, text, path))

    modes = {"without the switches": [], "with -Sqrcode.binary -Stest-inverted":
             ["-Sqrcode.binary", "-Stest-inverted"]}
    print(f"{count} pictures, zbarimg.exe {exe}")
    for name, switches in modes.items():
        with concurrent.futures.ThreadPoolExecutor(2) as pool:
            outs = list(pool.map(lambda c: run(env, exe, c[3], switches), cases))
        per_kind = {}
        for (kind, inverted, text, _), out in zip(cases, outs):
            key = kind + (" inverted" if inverted else "")
            tally = per_kind.setdefault(key, [0, 0, 0])
            tally[0] += 1
            if text in out:
                tally[1] += 1
            elif out:
                tally[2] += 1
        total = [sum(t[i] for t in per_kind.values()) for i in range(3)]
        print(f"\n{name}: read {total[1]}/{total[0]} ({100 * total[1] / total[0]:.0f} %), "
              f"wrong text {total[2]}")
        for key in sorted(per_kind):
            n, ok, wrong = per_kind[key]
            print(f"  {key:24} {ok:4}/{n:<4} read, {wrong:3} wrong")
    subprocess.run(["wineserver", "-k"], env=env)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
