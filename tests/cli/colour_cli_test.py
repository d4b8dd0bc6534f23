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


def seen(colour):
    """A pixel as a sprite keeps it: any see-through pixel is the same."""
    return None if colour[3] == 0 else colour[:3]


def decoded(folder, archive):
    out = os.path.join(folder, "back")
    stored_indexes(folder, archive)
    name = sorted(os.listdir(out))[0]
    return [seen(p) for p in Image.open(os.path.join(out, name)).convert("RGBA").getdata()]


def art_in_the_palette_is_unchanged_by_any_mode(folder):
    colours = [(0, 0, 0), (200, 30, 30), (30, 200, 30), (30, 30, 200), (250, 250, 250)]
    palette = os.path.join(folder, "game.gpl")
    gimp_palette(palette, colours)
    picture = os.path.join(folder, "art.png")
    art = Image.new("RGBA", (16, 12))
    art.putdata([(0, 0, 0, 0) if (x * y) % 7 == 3 else colours[1 + (x + 2 * y) % 4] + (255,)
                 for y in range(12) for x in range(16)])
    art.save(picture)
    given = [seen(p) for p in art.getdata()]
    archives = {}
    for mode in ["--palette=" + palette, "--colours=4", "--colours=255"]:
        for dither in ["none", "floyd-steinberg", "ordered"]:
            what = f"{mode} --dither={dither}"
            archive = os.path.join(folder, "art.spr")
            status, out, err = cli("encode", mode, "--dither", dither, "-o", archive, picture)
            check(what + ": clean", status == 0 and err == "" and "Note" not in out, out + err)
            check(what + ": pixels", decoded(folder, archive) == given)
            archives.setdefault(mode, set()).add(open(archive, "rb").read())
    for mode, made in archives.items():
        check(mode + ": one archive whatever the dithering", len(made) == 1)


def chosen_palettes(folder):
    def path(name):
        return os.path.join(folder, name)

    # Four pictures with 300, 200, 100 and 50 colours of their own, and one shared.
    pictures = []
    for n, own in enumerate([100, 300, 50, 200]):
        im = Image.new("RGBA", (own + 1, 1))
        im.putdata([(n * 60, i % 256, i // 256, 255) for i in range(own)] + [(1, 2, 3, 255)])
        pictures.append(path(f"own{own}.png"))
        im.save(pictures[-1])
    status, out, err = cli("encode", "-o", path("many.spr"), *pictures)
    check("too many colours: refused", status == 1, err)
    check("too many colours: the three with most of their own",
          f'"{pictures[1]}" 300, "{pictures[3]}" 200, "{pictures[0]}" 100: give --colours 255'
          in err, err)

    status, out, err = cli("encode", "--colors", "16", "-o", path("q.spr"), *pictures)
    check("--colours 16: asked for, so exit 0", status == 0, err)
    check("--colours 16: chosen", "PNG palette: 16 opaque colours chosen from the pictures' 651"
          in out, out)
    check("--colours 16: a note a picture", err.count("took a near palette colour") == 4, err)
    used = {c for c in decoded(folder, path("q.spr")) if c}
    check("--colours 16: at most 16 colours", 0 < len(used) <= 16, used)

    clear = path("clear.png")
    Image.new("RGBA", (5, 5)).save(clear)
    status, out, err = cli("encode", "--colours", "8", "-o", path("clear.spr"), clear)
    check("all see-through", status == 0 and "no opaque pixel" in out, out + err)
    check("all see-through: stored so", decoded(folder, path("clear.spr")) == [None] * 25)

    for args, words in [
        (["--colours", "0"], "--colours=0: a palette holds 1 to 255"),
        (["--colours=256"], "--colours=256: a palette holds 1 to 255"),
        (["--colours", "5", "--palette", path("game.gpl")], "give one of them"),
        (["--dither", "random", "--colours", "5"], "none, floyd-steinberg or ordered"),
        (["--dither", "ordered"], "--dither belongs to --palette or --colours"),
    ]:
        status, _, err = cli("encode", *args, "-o", path("x.spr"), clear)
        check(" ".join(args) + ": a usage error", status == 2 and words in err, err)


def main():
    folder = tempfile.mkdtemp(prefix="sprite-colour-test-")
    try:
        nearest_as_the_eye_sees(folder)
        art_in_the_palette_is_unchanged_by_any_mode(folder)
        chosen_palettes(folder)
    finally:
        shutil.rmtree(folder)
    return report()


if __name__ == "__main__":
    sys.exit(main())
