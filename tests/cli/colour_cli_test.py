#!/usr/bin/env python3
"""sprite-cli bringing true-colour art into a palette: the nearest colour as the
eye sees it, the note it prints, dithering and a palette chosen by --colours,
on pictures made by Pillow. Usage: colour_cli_test.py SPRITE_CLI"""
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

from cli_check import check, cli, report


def gimp_palette(path, colours):
    with open(path, "w") as f:
        f.write("GIMP Palette\n")
        f.writelines(f"{r} {g} {b}\n" for r, g, b in colours)


def decoded(folder, archive, mode="RGBA"):
    """The first picture of the archive as decode --png writes it: indexes
    ("P"), or colours with every see-through pixel alike (None)."""
    out = os.path.join(folder, "back")
    shutil.rmtree(out, ignore_errors=True)
    os.mkdir(out)
    cli("decode", "-q", "--png", "-C", out, archive)
    picture = Image.open(os.path.join(out, sorted(os.listdir(out))[0])).convert(mode)
    return [p if mode == "P" else None if p[3] == 0 else p[:3] for p in picture.getdata()]


def nearest_as_the_eye_sees(folder):
    """Cases where RGB distances and OKLab disagree: OKLab decides."""
    for colour, entries in [((20, 20, 120), [(60, 60, 60), (0, 0, 200)]),
                            ((10, 10, 10), [(20, 0, 0), (0, 16, 0)]),
                            ((0, 110, 0), [(0, 100, 0), (0, 120, 0)])]:
        palette, picture, archive = (os.path.join(folder, n) for n in ("n.gpl", "n.png", "n.spr"))
        gimp_palette(palette, [(0, 0, 0)] + entries)  # the second entry is the nearer
        Image.new("RGB", (4, 2), colour).save(picture)
        status, out, err = cli("encode", "--palette", palette, "-o", archive, picture)
        what = f"{colour} in {entries}"
        check(what + ": a note, exit 0", status == 0 and err.startswith(
            f"sprite-cli: {picture}: 8 pixels took a near palette colour, the farthest 0.")
            and err.count("\n") == 1 and "Note: " in out, err)
        check(what + ": entry", decoded(folder, archive, "P") == [2] * 8)
        check(what + ": -q prints nothing",
              cli("encode", "-q", "--palette", palette, "-o", archive, picture) == (0, "", ""))


def art_in_the_palette_is_unchanged_by_any_mode(folder):
    colours = [(0, 0, 0), (200, 30, 30), (30, 200, 30), (30, 30, 200), (250, 250, 250)]
    palette = os.path.join(folder, "game.gpl")
    gimp_palette(palette, colours)
    picture = os.path.join(folder, "art.png")
    art = Image.new("RGBA", (16, 12))
    art.putdata([(0, 0, 0, 0) if (x * y) % 7 == 3 else colours[1 + (x + 2 * y) % 4] + (255,)
                 for y in range(12) for x in range(16)])
    art.save(picture)
    given = [None if p[3] == 0 else p[:3] for p in art.getdata()]
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

    Image.new("RGBA", (3, 3), (9, 9, 9, 255)).save(path("grey.png"))
    status, out, err = cli("encode", "--colours", "4", "-o", path("one.spr"), path("grey.png"))
    check("--colours 4 of one colour: said in the singular",
          "PNG palette: 1 opaque colour chosen from the pictures' 1" in out, out)

    clear = path("clear.png")
    Image.new("RGBA", (5, 5)).save(clear)
    status, out, err = cli("encode", "--colours", "8", "-o", path("clear.spr"), clear)
    check("all see-through", status == 0 and "no opaque pixel" in out, out + err)
    check("all see-through: stored so", decoded(folder, path("clear.spr")) == [None] * 25)
    Image.new("RGBA", (5, 5), (9, 9, 9, 100)).save(path("half.png"))
    status, out, err = cli("encode", "--colours", "8", "-o", path("half.spr"), path("half.png"))
    check("a picture refused: not said to be see-through",
          status == 1 and "not stored" in err and "no opaque pixel" not in out, out)

    # Nobody types at this terminal: a read of it would wait for ever.
    controller, terminal = os.openpty()
    try:
        run = subprocess.run([sys.argv[1], "encode", "--palette", "-", "-o", path("x.spr"), clear],
                             stdin=terminal, capture_output=True, text=True, timeout=20)
        status, err = run.returncode, run.stderr
    except subprocess.TimeoutExpired:
        status, err = None, "it waited for the terminal"
    os.close(terminal)
    os.close(controller)
    check("--palette - from a terminal: a usage error",
          status == 2 and "standard input is a terminal" in err, err)
    for args, words in [
        (["--colours=256"], "--colours=256: a palette holds 1 to 255"),
        (["--colours", "5", "--palette", path("game.gpl")], "give one of them"),
        (["--dither", "ordered"], "--dither belongs to --palette or --colours"),
        (["--colours", "5", "--opaque-index0=keep"], "with --colours every opaque pixel"),
        (["--palette", path("game.gpl"), "--opaque-index0=see-through"],
         "with --palette every opaque pixel"),
    ]:
        status, _, err = cli("encode", *args, "-o", path("x.spr"), clear)
        check(" ".join(args) + ": a usage error", status == 2 and words in err, err)


def entry_commands_map_to_the_archive_palette(folder):
    """replace, insert and append take --dither onto the archive's palette and
    give the archive encode --palette=ARCHIVE gives; a palette of their own is
    refused, the archive left as it was."""
    def path(name):
        return os.path.join(folder, name)

    gimp_palette(path("ramp.gpl"), [(0, 0, 0)] + [(40 * i, 20 * i, 200 - 20 * i) for i in range(7)])
    kept, shaded = path("kept.png"), path("shaded.png")
    Image.new("RGB", (6, 5), (80, 40, 160)).save(kept)
    Image.frombytes("RGB", (24, 9), bytes(v % 251 for v in range(24 * 9 * 3))).save(shaded)
    made = set()
    for dither in ["none", "floyd-steinberg", "ordered"]:
        cli("encode", "-q", "--palette", path("ramp.gpl"), "-o", path("a.spr"), kept, kept)
        status, out, err = cli("replace", "--dither", dither, path("a.spr"), "2", shaded)
        check(dither + ": replace notes it, exit 0", status == 0 and err.startswith(
            f"sprite-cli: {shaded}: ") and err.count("\n") == 1 and "Note: " in out, out + err)
        cli("encode", "-q", "--palette", path("ramp.gpl"), "-o", path("b.spr"), kept)
        cli("encode", "-q", "--palette", path("b.spr"), "--dither", dither, "-o", path("c.spr"),
            kept, shaded)
        replaced = open(path("a.spr"), "rb").read()
        check(dither + ": the archive encode makes", replaced == open(path("c.spr"), "rb").read())
        made.add(replaced)
    check("each dithering its own archive", len(made) == 3)
    before = open(path("a.spr"), "rb").read()
    for args in [["replace", "--palette", path("ramp.gpl"), path("a.spr"), "1", shaded],
                 ["append", "--colours", "8", path("a.spr"), shaded]]:
        status, _, err = cli(*args)
        check(" ".join(args[:2]) + ": refused", status == 2 and "archive's own palette" in err
              and open(path("a.spr"), "rb").read() == before, err)


def sixteen_bit_samples(folder):
    """Greys that differ only below 8 bits merge: a warning of its own, but a
    part of the mapping --palette or --colours asks for, and never said of a
    picture that is not stored."""
    small, large, palette, archive = (os.path.join(folder, n) for n in
                                      ("g16.png", "big16.png", "grey.gpl", "g.spr"))
    gimp_palette(palette, [(g, g, g) for g in range(0, 256, 8)])
    for path, size in [(small, (16, 16)), (large, (256, 200))]:
        picture = Image.new("I;16", size)
        picture.putdata([(v % 200 + 1) * 257 + (v // 200) % 2 for v in range(size[0] * size[1])])
        picture.save(path)
    for args, status, said in [([small], 1, "stored, but its 16-bit samples"),
                               (["--palette", palette, small], 0, ""),
                               (["--colours", "255", small], 0, ""),
                               ([large], 1, "not stored: it is too large")]:
        got, _, err = cli("encode", "-q", "-o", archive, *args)
        check(" ".join(args) + ": said once", got == status and said in err
              and err.count("16-bit samples") == said.count("16-bit samples"), err)


def pictures_that_agree_with_the_last_palette_where_they_use_it(folder):
    """A PNG mapped to a short palette comes back with its colours under the
    last bitmap's palette when that agrees at the entries it uses."""
    def path(name):
        return os.path.join(folder, name)

    ramp = [(0, 0, 0), (200, 30, 30), (30, 200, 30)]
    gimp_palette(path("short.gpl"), ramp)
    Image.new("RGB", (4, 4), ramp[1]).save(path("red.png"))
    for red, padding, status in [(ramp[1], (0, 0, 0), 0), (ramp[1], (9, 9, 9), 0),
                                 ((200, 30, 31), (9, 9, 9), 1)]:
        bitmap = Image.new("P", (4, 4), 2)
        bitmap.putpalette([v for c in [ramp[0], red, ramp[2]] + [padding] * 253 for v in c])
        bitmap.save(path("last.bmp"))
        got, _, err = cli("encode", "-q", "--palette", path("short.gpl"), "-o", path("l.spr"),
                          path("red.png"), path("last.bmp"))
        check(f"last palette {red}, padded with {padding}", got == status
              and ("other colours" in err) == bool(status), err)


def a_palette_no_picture_took(folder):
    """Bitmaps keep their own palettes: --palette or --colours asked of a run
    that stored only bitmaps is a warning, unless the archive keeps that palette."""
    path = lambda name: os.path.join(folder, name)
    for name, blue in [("own.bmp", 30), ("other.bmp", 200)]:
        bitmap = Image.new("P", (4, 4), 1)
        bitmap.putpalette([0, 0, 0, 200, 30, blue] + [0] * 762)
        bitmap.save(path(name))
    Image.new("RGB", (4, 4), (200, 30, 30)).save(path("red.png"))
    for option, pictures, warned in [("--palette=" + path("own.bmp"), ["other.bmp"], True),
                                     ("--palette=" + path("own.bmp"), ["own.bmp"], False),
                                     ("--colours=4", ["own.bmp"], True),
                                     ("--colours=4", ["own.bmp", "red.png"], False)]:
        got, out, err = cli("encode", option, "-o", path("a.spr"), *map(path, pictures))
        check(f"{option} {pictures}", (got == 1 and "had no effect" in out + err) if warned
              else (got == 0 and err == ""), out + err)
    # The entry commands' --dither, which bitmaps never take, likewise.
    for command, pictures, warned in [(["append"], ["own.bmp"], True),
                                      (["replace", "1"], ["own.bmp"], True),
                                      (["append"], ["own.bmp", "red.png"], False)]:
        cli("encode", "-q", "-o", path("a.spr"), path("own.bmp"))
        got, out, err = cli(command[0], "--dither=ordered", path("a.spr"), *command[1:],
                            *map(path, pictures))
        check(f"{command} --dither {pictures}", got == (1 if warned else 0)
              and ("--dither ordered had no effect" in err) == warned, out + err)


def main():
    folder = tempfile.mkdtemp(prefix="sprite-colour-test-")
    try:
        nearest_as_the_eye_sees(folder)
        art_in_the_palette_is_unchanged_by_any_mode(folder)
        chosen_palettes(folder)
        entry_commands_map_to_the_archive_palette(folder)
        sixteen_bit_samples(folder)
        pictures_that_agree_with_the_last_palette_where_they_use_it(folder)
        a_palette_no_picture_took(folder)
    finally:
        shutil.rmtree(folder)
    return report()


if __name__ == "__main__":
    sys.exit(main())
