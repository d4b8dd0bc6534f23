#!/usr/bin/env python3
"""sprite-cli with PNG pictures made as modders make them, by Pillow and by
ImageMagick: the round trip from a folder and back, and what is refused or
warned about. Usage: png_cli_test.py SPRITE_CLI"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

from cli_check import check, cli, report


def seen(colour):
    """A pixel as a sprite keeps it: any see-through pixel is the same."""
    return None if colour[3] == 0 else colour[:3]


def random_sprite(rng, path):
    """Transparent background (of any colour), opaque black, a few colours."""
    w, h = rng.randint(1, 40), rng.randint(1, 40)
    im = Image.new("RGBA", (w, h))
    colours = [(0, 0, 0, 255), (255, 136, 0, 255), (20, 200, 90, 255)]
    im.putdata([(rng.randrange(256), 9, 9, 0) if rng.random() < 0.5 else rng.choice(colours)
                for _ in range(w * h)])
    im.save(path)


def rgba_folder_round_trip(folder):
    sprites = os.path.join(folder, "sprites")
    os.mkdir(sprites)
    rng = random.Random(7)
    names = [f"walk_{n}.png" for n in (1, 2, 10, 11)]
    for name in names[:3]:
        random_sprite(rng, os.path.join(sprites, name))
    subprocess.run(["convert", "-size", "12x9", "xc:none", "-fill", "black", "-draw",
                    "rectangle 2,2 5,5", "-fill", "#ff8800", "-draw", "point 7,3",
                    "PNG32:" + os.path.join(sprites, names[3])], check=True)
    archive = os.path.join(folder, "a.spr")
    status, out, err = cli("encode", "-o", archive, sprites + "/")
    check("encode of a folder", status == 0, err)
    # Natural order: walk_2 before walk_10.
    check("folder order", [line.split("/")[-1] for line in out.splitlines()
                           if line.startswith("Adding: ")] == names, out)
    status, _, err = cli("decode", "--png", archive)
    check("decode --png", status == 0, err)
    for number, name in enumerate(names, 1):
        given = Image.open(os.path.join(sprites, name)).convert("RGBA")
        written = Image.open(f"{archive}.{number:04d}.png")
        check(name + " is indexed", written.mode == "P", written.mode)
        written = written.convert("RGBA")
        check(name + " size", written.size == given.size, f"{written.size} {given.size}")
        check(name + " pixels",
              [seen(p) for p in written.getdata()] == [seen(p) for p in given.getdata()])


def refusals_and_warnings(folder):
    def path(name):
        return os.path.join(folder, name)

    indexed = Image.new("P", (4, 2))
    indexed.putpalette([10, 20, 30, 200, 0, 0, 0, 0, 0, 9, 9, 9])
    indexed.putdata([0, 1, 2, 3, 3, 3, 1, 0])
    indexed.save(path("k.png"), transparency=3)
    semi = Image.new("RGBA", (3, 2))
    semi.putpixel((1, 1), (255, 0, 0, 128))
    semi.save(path("semi.png"))
    many = Image.new("RGB", (20, 15))
    many.putdata([(i % 256, i // 256, 7) for i in range(300)])
    many.save(path("many.png"))
    rgb = Image.new("RGB", (2, 2))
    rgb.putdata([(250, 1, 1), (0, 0, 0), (3, 3, 3), (200, 0, 0)])
    rgb.save(path("rgb.png"))
    sheet = Image.new("RGBA", (8, 8))
    sheet.putpixel((5, 1), (0, 0, 0, 255))
    sheet.putpixel((2, 6), (0, 0, 0, 255))
    sheet.save(path("sheet.png"))
    Image.new("RGBA", (8, 4)).save(path("clear.png"))
    Image.new("RGBA", (256, 256)).save(path("frames.png"))  # 32768 frames of 1 x 2
    # An editor's export without a see-through entry: colour 0 is the dark background.
    dark = Image.new("P", (3, 2))
    dark.putpalette([16, 16, 16, 224, 64, 64])
    dark.putdata([0, 1, 0, 0, 0, 1])
    dark.save(path("dark.png"))
    # Three frames: the still picture is the first, the other two are left out.
    frames = [Image.new("RGBA", (3, 2), (9 * n, 0, 0, 255)) for n in range(3)]
    frames[0].save(path("anim.png"), save_all=True, append_images=frames[1:])
    # The image data intact, its CRC wrong.
    damaged = bytearray(open(path("rgb.png"), "rb").read())
    at = damaged.find(b"IDAT")
    damaged[at + 4 + int.from_bytes(damaged[at - 4:at], "big")] ^= 1
    open(path("crc.png"), "wb").write(damaged)
    cli("encode", "-q", "-o", path("k.spr"), path("k.png"))
    cli("palette", path("k.spr"), "-o", path("k.gpl"))

    cases = [
        # what, arguments, exit status, words expected in the log and standard error
        ("see-through index 3 trades places with 0", ["k.png"], 0,
         "see-through index 3 and index 0 trade places"),
        ("partial alpha names the pixel", ["semi.png"], 1, "pixel (1, 1) is partly see-through"),
        ("a threshold says where see-through ends", ["--alpha-threshold=128", "semi.png"], 0,
         "Adding: "),
        ("more than 255 colours", ["many.png"], 1, "300 distinct opaque colours"),
        ("near colours are a note", ["--palette", "k.gpl", "rgb.png"], 0,
         "rgb.png: 2 pixels took a near palette colour, the farthest"),
        ("an opaque colour 0 is counted", ["dark.png"], 1,
         "its 4 pixels of the opaque colour 0 (16, 16, 16) will come back see-through"),
        ("or moved to an index of its colour", ["--opaque-index0=keep", "dark.png"], 0,
         "the opaque colour of index 0 moves to index 2"),
        ("or meant to be see-through", ["--opaque-index0=see-through", "dark.png"], 0, "Adding: "),
        ("an animated PNG's frames left out are counted", ["anim.png"], 1,
         "2 frames of its animation (acTL chunk) are left out"),
        ("a wrong image-data CRC is refused in an RGB picture", ["crc.png"], 1,
         "chunk IDAT at offset 33 is damaged: its CRC does not match its data"),
        ("a sheet that leaves no frame is named", ["--sheet=4x4", "--skip-empty", "clear.png"], 1,
         "all its 2 frames of 4 × 4 are see-through"),
        ("a sheet ends where the archive is full", ["--sheet=1x2", "frames.png"], 1,
         "frames.png (frames 32768 on): not stored: the archive already holds 32767"),
        # Last: the list and the sheet below read its archive.
        ("sheets are cut, empty frames left out", ["--sheet=4x4", "--skip-empty", "sheet.png"], 0,
         "sheet.png (frame 3)"),
    ]
    for what, args, expected, words in cases:
        args = [path(a) if a.endswith(".png") or a.endswith(".gpl") else a for a in args]
        status, out, err = cli("encode", "-o", path("out.spr"), *args)
        check(what, status == expected and words in out + err, f"{status}\n{out}{err}")

    # The see-through pixels of the traded picture stay see-through, the rest keep their colour.
    cli("decode", "-q", "--png", path("k.spr"))
    back = Image.open(path("k.spr.0001.png")).convert("RGBA")
    given = Image.open(path("k.png")).convert("RGBA")
    check("traded picture", [seen(p) for p in back.getdata()] == [seen(p) for p in given.getdata()])

    # Moved to an index of its own, colour 0 comes back opaque.
    cli("encode", "-q", "--opaque-index0=keep", "-o", path("dark.spr"), path("dark.png"))
    cli("decode", "-q", "--png", path("dark.spr"))
    back = Image.open(path("dark.spr.0001.png")).convert("RGBA")
    given = Image.open(path("dark.png")).convert("RGBA")
    check("kept colour 0", list(back.getdata()) == list(given.getdata()))

    # Two frames of the sheet, on a sheet of 2 columns of 4 x 4 cells.
    status, out, _ = cli("list", path("out.spr"))
    check("list", status == 0 and out.splitlines()[-1] == "2 pictures, 10 bytes coded", out)
    cli("decode", "-q", "--png", "--sheet=2", path("out.spr"))
    check("sheet size", Image.open(path("out.spr.sheet.png")).size == (8, 4))


def main():
    folder = tempfile.mkdtemp(prefix="sprite-png-test-")
    try:
        rgba_folder_round_trip(folder)
        refusals_and_warnings(folder)
    finally:
        shutil.rmtree(folder)
    return report()


if __name__ == "__main__":
    sys.exit(main())
