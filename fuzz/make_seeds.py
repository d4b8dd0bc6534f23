#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/: a few real bitmaps, archives and
coded streams, among them an archive over 1032 bytes and streams at the
32766/32767-byte limits, so that short fuzz runs start from whole files.
Targets that read the same kind of file share a folder through a symbolic link."""
import glob
import os
import random
import shutil
import struct
import zlib

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


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def indexed_png(width, height, indexes, extra=b""):
    """An 8-bit indexed PNG with a 256-entry PLTE, index 0 see-through, as decode --png writes."""
    rows = b"".join(b"\0" + indexes[y * width:(y + 1) * width] for y in range(height))
    plte = bytes(PALETTE[i] for i in range(1024) if i % 4 != 3)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
            + chunk(b"PLTE", plte) + chunk(b"tRNS", b"\0") + extra
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def png_seeds():
    """The test PNGs (every colour type, bit depth, interlace, tRNS), an entry
    with its shape chunk, and damaged ones."""
    for path in glob.glob(os.path.join(HERE, "..", "..", "tests", "data", "png", "*.png")):
        os.makedirs(os.path.join(HERE, "fuzz_png_reader"), exist_ok=True)
        shutil.copyfile(path, os.path.join(HERE, "fuzz_png_reader", os.path.basename(path)))
    # 10 stored bytes of a 4-wide entry whose height field is -3.
    entry = indexed_png(4, 3, bytes(range(10)) + bytes(2), chunk(b"spRt", struct.pack(">hI", -3, 10)))
    write("fuzz_png_reader", "entry-shape.png", entry)
    broken = bytearray(entry)
    broken[-13] ^= 0xFF  # the IDAT chunk's CRC
    write("fuzz_png_reader", "broken-crc.png", bytes(broken))
    write("fuzz_png_reader", "truncated.png", entry[:len(entry) // 2])

    write("fuzz_palette_file", "walk.gpl", b"GIMP Palette\nName: walk\nColumns: 4\n#\n"
          + b"".join(b"%d %d %d\tIndex %d\n" % (i * 7 % 256, i * 11 % 256, i * 13 % 256, i) for i in range(20)))
    write("fuzz_palette_file", "walk.pal", b"JASC-PAL\r\n0100\r\n3\r\n0 0 0\r\n255 0 0\r\n1 2 3\r\n")
    write("fuzz_palette_file", "swatch.png", indexed_png(16, 16, bytes(range(256))))
    write("fuzz_palette_file", "palette.bmp", bitmap(2, 1, bytes(4)))
    write("fuzz_palette_file", "palette.spr", archive([(2, 1, bytes([1, 2]))]))


def list_and_command_seeds(rng):
    """List files (the first byte chooses the folder they are read from), and
    command lines over the scratch folder as rows of choices."""
    write("fuzz_list_file", "frames.txt", b"\x01# the walk\nwalk_1.png\n  sub/walk 2.png \n\n/abs/3.png\n")
    write("fuzz_list_file", "through-a-link.txt", b"\x03\xef\xbb\xbf../o/a.png\r\n..\\..\\b.png\r\n")
    write("fuzz_list_file", "zero-byte.txt", b"\x00a.png\nb.png\x00junk\n")
    for n in range(8):
        write("fuzz_cli_commands", "choices-%d" % n, bytes(rng.randrange(256) for _ in range(48)))


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
        # A row and a column: as a sheet, cells of 32767 x 2000 pixels, more than encode reads.
        "sheet-too-large.spr": archive([(32767, 1, bytes([0, 255] * 128 + [0, 127])),
                                        (1, 2000, bytes([0, 255] * 7 + [0, 215]))]),
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

    png_seeds()
    list_and_command_seeds(rng)

    link("fuzz_bitmap_reader", "fuzz_encode_command")
    link("fuzz_round_trip", "fuzz_encode_command")
    link("fuzz_archive_reader", "fuzz_decode_command")
    link("fuzz_edit_command", "fuzz_decode_command")


if __name__ == "__main__":
    main()
