#!/usr/bin/env python3
"""End-to-end benchmark of PNG pictures: sprite-cli encode of 5000 PNG sprites
against encode of the same pictures as bitmaps, and decode --png against
decode, as ratios; peak memory of encode for 500 and 5000 PNG pictures.

The PNG sprites come in the two forms modders have: indexed PNGs sharing one
palette (what decode --png writes, and pixel-art editors export), and RGBA
PNGs (what sheet packers write), whose palette the run builds. The sprites of
bench/e2e.py fill their opaque spans with noise, the worst case for PNG (every
pixel a new colour to look up, nothing for deflate to fold); a second set whose
spans are each of one colour, as drawn sprites are, is timed beside it.
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e import (RUNS, bitmap, empty, make_bitmaps, peak_memory, report,  # noqa: E402
                 side_by_side)


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def rgba_png(width, rows):
    """An RGBA PNG of `rows` (bytes of 4 × width each), as sheet packers write them."""
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, len(rows), 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def bitmap_as_rgba(path, out_path):
    """The bitmap's pixels as RGBA: index 0 see-through, the others its palette's colours."""
    with open(path, "rb") as f:
        data = f.read()
    width, height = struct.unpack_from("<ii", data, 18)
    palette = data[54:54 + 1024]
    colours = [bytes((palette[4 * i + 2], palette[4 * i + 1], palette[4 * i], 255)) if i else
               b"\0\0\0\0" for i in range(256)]
    stride = (width + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom row first in the bitmap
        start = 1078 + y * stride
        rows.append(b"".join(colours[i] for i in data[start:start + width]))
    with open(out_path, "wb") as f:
        f.write(rgba_png(width, rows))


def make_drawn_bitmaps(folder, count, seed=3):
    """`count` sprites of 32 x 32 to 64 x 64 pixels whose opaque spans are each of one
    of six colours; their names, in order."""
    rng = random.Random(seed)
    palette = bytes(0 if i % 4 == 3 else (i * 7) & 0xFF for i in range(1024))
    names = []
    for i in range(count):
        width, height = rng.randint(32, 64), rng.randint(32, 64)
        colours = [rng.randint(1, 255) for _ in range(6)]
        area = bytearray()
        for _ in range(height):
            x, transparent = 0, rng.random() < 0.6
            while x < width:
                n = min(rng.randint(1, 16), width - x)
                area += bytes(n) if transparent else bytes([rng.choice(colours)]) * n
                x, transparent = x + n, not transparent
            area += bytes((4 - width % 4) % 4)
        names.append("d%05d.bmp" % i)
        with open(os.path.join(folder, names[-1]), "wb") as f:
            f.write(bitmap(width, height, palette, bytes(area)))
    return names


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/default"
    cli = os.path.abspath(os.path.join(build, "src", "sprite-cli"))
    if not os.path.exists(cli):
        raise SystemExit("build sprite-cli first (make build)")
    work = tempfile.mkdtemp(prefix="sprite-bench-png-", dir=os.environ.get("BENCH_DIR"))
    try:
        bmp = os.path.join(work, "bmp")
        os.mkdir(bmp)
        bitmaps = [os.path.join(bmp, name) for name in make_bitmaps(bmp, 5000)]
        archive = os.path.join(work, "pack.spr")
        # The same pictures as indexed PNGs, in the same order, through decode --png.
        indexed_dir = os.path.join(work, "indexed")
        os.mkdir(indexed_dir)
        subprocess.run([cli, "encode", "-q", "-o", archive] + bitmaps, check=True)
        subprocess.run([cli, "decode", "-q", "--png", "-C", indexed_dir, archive], check=True)
        indexed = sorted(os.path.join(indexed_dir, n) for n in os.listdir(indexed_dir))
        rgba_dir = os.path.join(work, "rgba")
        os.mkdir(rgba_dir)
        rgba = []
        for path in bitmaps:
            rgba.append(os.path.join(rgba_dir, os.path.basename(path)[:-4] + ".png"))
            bitmap_as_rgba(path, rgba[-1])
        print("5000 sprites, 32x32 to 64x64, %d runs each, medians; PNG written at libdeflate's level 1"
              % RUNS)

        out = os.path.join(work, "out.spr")
        for label, pictures in (("indexed PNG", indexed), ("RGBA PNG", rgba)):
            times = side_by_side({"bitmaps": ([cli, "encode", "-q", "-o", out] + bitmaps, None),
                                  label: ([cli, "encode", "-q", "-o", out] + pictures, None)})
            report("encode " + label, times, base="bitmaps", goal="<= 2.0x")

        drawn_dir = os.path.join(work, "drawn")
        os.mkdir(drawn_dir)
        drawn = [os.path.join(drawn_dir, n) for n in make_drawn_bitmaps(drawn_dir, 5000)]
        drawn_rgba = []
        for path in drawn:
            drawn_rgba.append(path[:-4] + ".png")
            bitmap_as_rgba(path, drawn_rgba[-1])
        times = side_by_side({"bitmaps": ([cli, "encode", "-q", "-o", out] + drawn, None),
                              "RGBA PNG": ([cli, "encode", "-q", "-o", out] + drawn_rgba, None)})
        report("encode RGBA PNG, drawn spans", times, base="bitmaps", goal="<= 2.0x")

        dec = os.path.join(work, "dec")
        os.mkdir(dec)
        shutil.copy(archive, os.path.join(dec, "pack.spr"))
        archive = os.path.join(dec, "pack.spr")
        times = side_by_side({"decode": ([cli, "decode", "-q", archive], None),
                              "decode --png": ([cli, "decode", "-q", "--png", archive], None)},
                             before=lambda: empty(dec, (".bmp", ".png")))
        report("decode --png", times, base="decode", goal="<= 2.0x")

        for label, pictures in (("indexed", indexed), ("RGBA", rgba)):
            small = peak_memory([cli, "encode", "-q", "-o", out] + pictures[:500])
            large = peak_memory([cli, "encode", "-q", "-o", out] + pictures)
            print("peak memory, encode %-7s PNG: 500 files %6d KiB   5000 files %6d KiB"
                  % (label, small, large))
        print("  (the palette pass keeps the PNG files it read whole, 512 KiB at most, and a second"
              " thread\n   decodes them ahead, 512 KiB of pictures at most: memory is bounded"
              " whatever the count)")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
