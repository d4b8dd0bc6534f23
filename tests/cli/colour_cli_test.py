#!/usr/bin/env python3
"""sprite-cli bringing true-colour art into a palette: the nearest colour as the
eye sees it, the note it prints, dithering and a palette chosen by --colours,
on pictures made by Pillow. Usage: colour_cli_test.py SPRITE_CLI"""
import os
import shutil
import sys
import tempfile

from PIL import Image

from cli_check import check, cli, report


def gimp_palette(path, colours):
    with open(path, "w") as f:
        f.write("GIMP Palette\n")
        f.writelines(f"{r} {g} {b}\n" for r, g, b in colours)


def stored_indexes(folder, archive):
    """The indexes of the archive's pictures, as decode --png writes them."""
    out = os.path.join(folder, "back")
    shutil.rmtree(out, ignore_errors=True)
    os.mkdir(out)
    cli("decode", "-q", "--png", "-C", out, archive)
    return [list(Image.open(os.path.join(out, name)).getdata())
            for name in sorted(os.listdir(out))]


def nearest_as_the_eye_sees(folder):
    """Cases where RGB distances and OKLab disagree: OKLab decides."""
    cases = [
        # colour, the palette past the see-through entry 0, the entry it takes
        ((20, 20, 120), [(60, 60, 60), (0, 0, 200)], 2),
        ((10, 10, 10), [(20, 0, 0), (0, 16, 0)], 2),
        ((0, 110, 0), [(0, 100, 0), (0, 120, 0)], 2),
    ]
    for colour, entries, expected in cases:
        palette = os.path.join(folder, "near.gpl")
        gimp_palette(palette, [(0, 0, 0)] + entries)
        picture = os.path.join(folder, "near.png")
        Image.new("RGB", (4, 2), colour).save(picture)
        archive = os.path.join(folder, "near.spr")
        status, out, err = cli("encode", "--palette", palette, "-o", archive, picture)
        what = f"{colour} in {entries}"
        check(what + ": asked-for mapping exits 0", status == 0, err)
        check(what + ": one note", err == f"sprite-cli: {picture}: 8 pixels took a near palette "
              f"colour, the farthest {err.split('farthest ')[-1][:5]} away (OKLab)\n", err)
        check(what + ": the note in the log", "Note: " in out, out)
        check(what + ": entry", stored_indexes(folder, archive) == [[expected] * 8],
              stored_indexes(folder, archive))
        status, out, err = cli("encode", "-q", "--palette", palette, "-o", archive, picture)
        check(what + ": -q prints nothing", (status, out, err) == (0, "", ""), err)


def main():
    folder = tempfile.mkdtemp(prefix="sprite-colour-test-")
    try:
        nearest_as_the_eye_sees(folder)
    finally:
        shutil.rmtree(folder)
    return report()


if __name__ == "__main__":
    sys.exit(main())
