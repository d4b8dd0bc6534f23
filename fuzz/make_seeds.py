#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/: a few real bitmaps, archives and
coded streams, among them an archive over 1032 bytes and streams at the
32766/32767-byte limits, so that short fuzz runs start from whole files.
Targets that read the same kind of file share a folder through a symbolic link."""
import os
import random
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
PALETTE = bytes(0 if i % 4 == 3 else (i * 7 + 3) & 0xFF for i in range(1024))


def bitmap(width, height, area, info_size=40, bits=8, colours=256, compression=0):
    palette_at = 14 + info_size
    pixels_at = palette_at + 1024
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression,
                       len(area), 0, 0, colours, 0) + bytes(info_size - 40)
    head = b"BM" + struct.pack("<IHHI", pixels_at + len(area), 0, 0, pixels_at)
    return head + info + PALETTE + area


def sprite_area(rng, width, rows):
    pad = (4 - width % 4) % 4
    out = bytearray()
    for _ in range(rows):
        row = bytearray()
        while len(row) < width:
            n = min(rng.randint(1, 12), width - len(row))
            row += bytes(n) if rng.random() < 0.5 else bytes(rng.randint(1, 255) for _ in range(n))
        out += row + bytes(pad)
    return bytes(out)


def literals(count, start=1):
    return bytes(1 + (start + i) % 255 for i in range(count))


def archive(entries):
    out = b"SP\x01\x02" + struct.pack("<hH", len(entries), 0)
    for width, height, coded in entries:
        out += struct.pack("<hhh", width, height, len(coded)) + coded
    return out + bytes(PALETTE[i] if i % 4 != 3 else 0 for i in range(1024))


def write(folder, name, data):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    with open(os.path.join(HERE, folder, name), "wb") as f:
        f.write(data)


def link(folder, to):
    path = os.path.join(HERE, folder)
    if not os.path.islink(path):
        os.symlink(to, path)


def main():
    rng = random.Random(9)
    bitmaps = {
        "worked-example.bmp": bitmap(4, 2, bytes([0, 0, 1, 1, 2, 0, 0, 0])),
        "width-3.bmp": bitmap(3, 2, bytes([1, 2, 3, 0, 4, 5, 6, 0])),
        "sprite-64.bmp": bitmap(64, 64, sprite_area(rng, 64, 64)),
        "flip-invalid.bmp": bitmap(4, 2, bytes(range(1, 11))),
        "top-down.bmp": bitmap(5, -3, sprite_area(rng, 5, 3)),
        "header-124.bmp": bitmap(6, 2, sprite_area(rng, 6, 2), info_size=124),
        # Every pixel a colour: the coded stream is as long as the pixels.
        "codes-to-32760.bmp": bitmap(120, 273, literals(120 * 273)),
        "codes-to-32768.bmp": bitmap(128, 256, literals(128 * 256)),
        "24-bit.bmp": bitmap(2, 2, bytes(16), bits=24, colours=0),
    }
    for name, data in bitmaps.items():
        write("fuzz_encode_command", name, data)

    archives = {
        "worked-example.spr": archive([(4, 2, bytes([2, 0, 5, 1, 1]))]),
        "empty.spr": archive([]),
        "three.spr": archive([(3, 2, bytes([4, 5, 6, 1, 2, 3])), (64, 8, bytes([0, 255, 0, 255, 7])),
                              (5, -3, bytes([9, 0, 3, 9, 9, 9, 9, 0, 4, 1]))]),
        "stream-32767.spr": archive([(127, 258, literals(32767))]),
        "zero-runs.spr": archive([(1, 1, bytes([0, 255] * 2000)), (2, 1, bytes([0, 0, 7]))]),
    }
    for name, data in archives.items():
        write("fuzz_decode_command", name, data)

    write("fuzz_rle_decompress", "stream-32766", literals(32766))
    write("fuzz_rle_decompress", "stream-32767", literals(32767))
    write("fuzz_rle_decompress", "zero-runs", bytes([0, 255, 5] * 100))
    write("fuzz_rle_decompress_rows", "width-127-stream-32767", struct.pack("<h", 127) + literals(32767))
    write("fuzz_rle_decompress_rows", "width-3-zero-runs", struct.pack("<h", 3) + bytes([0, 9, 4, 0, 2]))
    write("fuzz_row_alignment", "width-3-rows", struct.pack("<h", 3) + bytes([1, 2, 3, 0, 4, 5, 6, 0]))
    write("fuzz_row_alignment", "width-1-32766", struct.pack("<h", 1) + literals(32766))

    link("fuzz_bitmap_reader", "fuzz_encode_command")
    link("fuzz_round_trip", "fuzz_encode_command")
    link("fuzz_archive_reader", "fuzz_decode_command")


if __name__ == "__main__":
    main()
