#!/usr/bin/env python3
"""Draws a shaded sphere with Pillow, maps it to a 32-colour palette with
sprite-cli (nearest colour, then Floyd-Steinberg) and writes the README's
before-and-after picture, docs/dither-sphere.png: the sphere as drawn, then as
each archive stores it, four times larger.

Run from the repository root: python3 scripts/make_colour_pictures.py SPRITE_CLI
"""
import math
import os
import subprocess
import sys
import tempfile

from PIL import Image

SCALE = 4
SIZE = 48


def sphere():
    """Light from the upper left, a highlight, a see-through background."""
    im = Image.new("RGBA", (SIZE, SIZE))
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = (2 * x + 1 - SIZE) / SIZE, (2 * y + 1 - SIZE) / SIZE
            if dx * dx + dy * dy > 1:
                continue
            z = math.sqrt(1 - dx * dx - dy * dy)
            light = max(0.0, -0.45 * dx - 0.5 * dy + 0.74 * z)
            shade = 0.12 + 0.8 * light + 0.5 * light ** 24
            im.putpixel((x, y), tuple(min(255, round(c * shade)) for c in (230, 120, 50)) + (255,))
    return im


def game_palette():
    """Entry 0 see-through, then four ramps of a game's sort: greys, oranges, greens, blues."""
    colours = [(0, 0, 0)]
    for ramp, steps in [((255, 255, 255), 7), ((255, 150, 60), 8), ((90, 210, 90), 8),
                        ((80, 140, 240), 8)]:
        colours += [tuple(round(c * (i + 1) / steps) for c in ramp) for i in range(steps)]
    return colours


def main():
    cli = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        drawn = sphere()
        drawn.save(os.path.join(folder, "sphere.png"))
        with open(os.path.join(folder, "game.gpl"), "w") as palette:
            palette.write("GIMP Palette\n")
            palette.writelines(f"{r} {g} {b}\n" for r, g, b in game_palette())
        shown = [drawn]
        for dither in ["none", "floyd-steinberg"]:
            archive = os.path.join(folder, dither + ".spr")
            subprocess.run([cli, "encode", "-q", "--palette", os.path.join(folder, "game.gpl"),
                            "--dither", dither, "-o", archive, os.path.join(folder, "sphere.png")],
                           check=True)
            subprocess.run([cli, "decode", "-q", "--png", archive], check=True)
            shown.append(Image.open(archive + ".0001.png").convert("RGBA"))
    gap = 8
    out = Image.new("RGBA", (len(shown) * (SIZE * SCALE + gap) - gap, SIZE * SCALE),
                    (255, 255, 255, 255))
    for i, picture in enumerate(shown):
        big = picture.resize((SIZE * SCALE, SIZE * SCALE), Image.NEAREST)
        out.alpha_composite(big, (i * (SIZE * SCALE + gap), 0))
    out.convert("RGB").save("docs/dither-sphere.png", optimize=True)


if __name__ == "__main__":
    main()
