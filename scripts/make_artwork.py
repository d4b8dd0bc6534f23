#!/usr/bin/env python3
"""Draws the program's artwork as pixel art and writes it with the standard library only.

art/about_picture.bmp: the About box picture, 75 x 200 pixels, 8 bits per pixel, 256 colours:
    three frames of a walking sprite on a sprite-sheet strip, and a row of palette swatches.
art/program_icon.png: the program icon, 256 x 256 pixels, drawn on a grid of 16 x 16 cells.
samples/hero_walk_1.bmp ... _4.bmp: the same character's walk cycle as sprites to try the tool
    on: 38 x 44 pixels, 8 bits per pixel, one shared 256-colour palette, index 0 for the
    empty pixels around the figure.

Run from the repository root: python3 scripts/make_artwork.py
"""
import struct
import zlib

# Shared colours, red-green-blue.
COLOURS = {
    "K": (0x1A, 0x1C, 0x2C),  # outline
    "R": (0xB1, 0x3E, 0x53),  # hat
    "r": (0x7A, 0x24, 0x3A),  # hat shade
    "S": (0xF4, 0xC4, 0x8A),  # skin
    "p": (0xE0, 0x86, 0x72),  # cheeks
    "B": (0x3B, 0x5D, 0xC9),  # tunic
    "b": (0x29, 0x36, 0x6F),  # tunic shade
    "Y": (0xFF, 0xCD, 0x75),  # belt
    "L": (0x56, 0x6C, 0x86),  # legs
    "F": (0x5D, 0x27, 0x5D),  # boots
    "G": (0x38, 0xB7, 0x64),  # green
    "C": (0x41, 0xA6, 0xF6),  # sky
    "W": (0xF4, 0xF4, 0xF4),  # white
    "O": (0x4A, 0x4F, 0x80),  # frame border
    "d": (0x3A, 0x3F, 0x5E),  # checkerboard, light square
    "e": (0x32, 0x36, 0x52),  # checkerboard, dark square
    "s": (0x26, 0x29, 0x40),  # shadow
}

HEAD = [
    "......KKKK......",
    ".....KRRRrK.....",
    "....KRRRRRrK....",
    "..KrrrrrrrrrrK..",
    "...KSSSSSSSSK...",
    "...KSKSSSSKSK...",
    "...KSSSSSSSSK...",
    "....KSpSSpSK....",
    ".....KKKKKK.....",
]
BODY = [
    "...KBBBBBBBbK...",
    "..KSKBBBBBbKSK..",
    "..KSKBBBBBbKSK..",
    "...KKYYYYYYKK...",
    "....KBBBBBbK....",
]
LEGS = [
    [  # standing
        "....KLLKKLLK....",
        "....KLLKKLLK....",
        "...KFFFKKFFFK...",
        "...KKKKKKKKKK...",
    ],
    [  # half stride
        "....KLLKKLLK....",
        "...KLLK..KLLK...",
        "..KFFFK..KFFFK..",
        "..KKKKK..KKKKK..",
    ],
    [  # full stride
        "...KLLK..KLLK...",
        "..KLLK....KLLK..",
        ".KFFFK....KFFFK.",
        ".KKKKK....KKKKK.",
    ],
]
SWATCHES = "RYGCBFpW"


def about_picture():
    width, height = 75, 200
    palette = list(COLOURS.values())
    keys = list(COLOURS.keys())
    # The rest of the 256 entries: a night-blue ramp for the background, then a
    # colour wheel so that every entry is a real colour.
    ramp_start = len(palette)
    ramp_length = 64
    for i in range(ramp_length):
        t = i / (ramp_length - 1)
        palette.append((int(0x24 - 0x16 * t), int(0x28 - 0x18 * t), int(0x48 - 0x26 * t)))
    while len(palette) < 256:
        i = len(palette)
        h = (i * 37) % 256
        palette.append(((h * 3) % 256, (h * 5 + 64) % 256, (h * 7 + 128) % 256))
    index = {key: keys.index(key) for key in keys}

    pixels = [[ramp_start + y * (ramp_length - 1) // (height - 1)] * width for y in range(height)]

    def fill(x0, y0, w, h, key):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                pixels[y][x] = index[key]

    scale = 3
    box_x, box_w, box_h = 5, 65, 60
    for frame, legs in enumerate(LEGS):
        box_y = 3 + frame * 62
        fill(box_x, box_y, box_w, box_h, "O")
        for y in range(box_y + 1, box_y + box_h - 1):
            for x in range(box_x + 1, box_x + box_w - 1):
                check = ((x - box_x - 1) // 6 + (y - box_y - 1) // 6) % 2
                pixels[y][x] = index["e" if check else "d"]
        rows = HEAD + BODY + legs
        left = box_x + (box_w - 16 * scale) // 2 + 1
        top = box_y + 3
        shadow_y = top + len(rows) * scale - 2
        fill(left + 6, shadow_y, 16 * scale - 12, 2, "s")
        for row, line in enumerate(rows):
            for column, key in enumerate(line):
                if key != ".":
                    fill(left + column * scale, top + row * scale, scale, scale, key)
    for n, key in enumerate(SWATCHES):
        fill(3 + n * 9, 190, 8, 8, key)
    return width, height, palette, pixels


def write_bmp(path, width, height, palette, pixels):
    stride = (width + 3) & ~3
    area = bytearray()
    for row in reversed(pixels):  # bottom row first
        area += bytes(row) + bytes(stride - width)
    pixel_offset = 14 + 40 + 1024
    header = struct.pack("<2sIHHI", b"BM", pixel_offset + len(area), 0, 0, pixel_offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(area), 3780, 3780, 256, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    with open(path, "wb") as out:
        out.write(header + info + table + area)


ICON = [
    "..OOOOOOOOOOOO..",
    ".OnnnnnnnnnnnnO.",
    "OnnnnnKKKKnnnnnO",
    "OnnnnKRRRrKnnnnO",
    "OnnnKRRRRRrKnnnO",
    "OnKrrrrrrrrrrKnO",
    "OnnKSSSSSSSSKnnO",
    "OnnKSKSSSSKSKnnO",
    "OnnKSpSSSSpSKnnO",
    "OnnnKKKKKKKKnnnO",
    "OnnnnnnnnnnnnnnO",
    "OnYYYnBBBBBnGGnO",
    "OnRRRRRnCCnWWWnO",
    "OnnnnnnnnnnnnnnO",
    ".OnnnnnnnnnnnnO.",
    "..OOOOOOOOOOOO..",
]


def program_icon():
    cell = 16
    size = 16 * cell
    colours = dict(COLOURS)
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            key = ICON[y // cell][x // cell]
            if key == ".":
                row += bytes((0, 0, 0, 0))
                continue
            if key == "n":  # night-blue fill, lighter towards the top
                t = y / (size - 1)
                colour = (int(0x33 - 0x15 * t), int(0x3A - 0x18 * t), int(0x66 - 0x2C * t))
            else:
                colour = colours[key]
            row += bytes(colour) + b"\xff"
        rows.append(bytes(row))
    return size, rows


def write_png(path, size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + row for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def sample_palette():
    # Index 0 is the empty pixel, the value the archive's run-length code packs.
    palette = [(0, 0, 0)] + list(COLOURS.values())
    while len(palette) < 256:
        level = (len(palette) - len(COLOURS) - 1) * 255 // (255 - len(COLOURS) - 1)
        palette.append((level, level, level))
    return palette


def sample_frames():
    width, height, scale = 38, 44, 2
    keys = list(COLOURS.keys())
    frames = []
    for legs in (LEGS[0], LEGS[1], LEGS[2], LEGS[1]):  # a walk cycle
        pixels = [[0] * width for _ in range(height)]
        rows = HEAD + BODY + legs
        left = (width - 16 * scale) // 2
        top = height - len(rows) * scale - 2
        for row, line in enumerate(rows):
            for column, key in enumerate(line):
                if key == ".":
                    continue
                for y in range(scale):
                    for x in range(scale):
                        pixels[top + row * scale + y][left + column * scale + x] = keys.index(key) + 1
        frames.append(pixels)
    return width, height, frames


if __name__ == "__main__":
    write_bmp("art/about_picture.bmp", *about_picture())
    write_png("art/program_icon.png", *program_icon())
    width, height, frames = sample_frames()
    for number, pixels in enumerate(frames, start=1):
        write_bmp("samples/hero_walk_%d.bmp" % number, width, height, sample_palette(), pixels)
