#!/usr/bin/env python3
"""Writes the test PNGs beside this script with Pillow and ImageMagick. Every
picture is 7 x 5 pixels made from the formulas below, which the tests repeat
to know each pixel: v(x, y) = x + 3y picks a palette index or a grey level,
RGB pictures take (36x, 60y, 11xy mod 256), and alpha is 0 where x + y is a
multiple of 3. Run it again only to change the set; the outputs are committed."""
import os
import struct
import subprocess
import tempfile
import zlib

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 7, 5
CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"


def v(x, y):
    return x + 3 * y


def palette_colour(i):
    return (i * 37 % 256, i * 91 % 256, (i * 53 + 7) % 256)


def rgb(x, y):
    return (36 * x, 60 * y, 11 * x * y % 256)


def alpha(x, y):
    return 0 if (x + y) % 3 == 0 else 255


def grey(x, y, bits):
    levels = (1 << bits) - 1
    return v(x, y) % (levels + 1) * 255 // levels


def pixels(fn):
    return [fn(x, y) for y in range(H) for x in range(W)]


def indexed(bits, transparency=None):
    n = 1 << bits
    im = Image.new("P", (W, H))
    im.putpalette([c for i in range(n) for c in palette_colour(i)])
    im.putdata(pixels(lambda x, y: v(x, y) % n))
    options = {"bits": bits} if bits < 8 else {}
    if transparency is not None:
        options["transparency"] = transparency
    return im, options


def save(im, name, **options):
    im.save(os.path.join(HERE, name), optimize=False, **options)


def magick(source, name, *arguments, kind="PNG"):
    # Without the dates ImageMagick would write, so that the outputs stay the same.
    subprocess.run([CONVERT, source, *arguments, "-define", "png:exclude-chunks=date,time", kind + ":" + os.path.join(HERE, name)], check=True)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def handmade(name, width, height, depth, colour_type, rows, plte=None):
    """A PNG put together chunk by chunk, for what no encoder writes."""
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth,
                                                                 colour_type, 0, 0, 0))
    if plte is not None:
        data += chunk(b"PLTE", plte)
    if rows is not None:
        data += chunk(b"IDAT", zlib.compress(b"".join(b"\0" + row for row in rows)))
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data + chunk(b"IEND", b""))


def main():
    for bits in (1, 2, 4, 8):
        im, options = indexed(bits)
        save(im, f"indexed-{bits}bit.png", **options)
    im, options = indexed(4, transparency=5)
    save(im, "indexed-trns.png", **options)

    grey1 = Image.new("1", (W, H))
    grey1.putdata(pixels(lambda x, y: grey(x, y, 1)))
    save(grey1, "grey-1bit.png")
    grey8 = Image.new("L", (W, H))
    grey8.putdata(pixels(lambda x, y: grey(x, y, 8)))
    save(grey8, "grey-8bit.png")
    save(grey8, "grey-trns.png", transparency=grey(2, 1, 8))
    grey16 = Image.new("I;16", (W, H))
    grey16.putdata(pixels(lambda x, y: grey(x, y, 8) * 257))
    save(grey16, "grey-16bit.png")
    grey_alpha = Image.new("LA", (W, H))
    grey_alpha.putdata(pixels(lambda x, y: (grey(x, y, 8), alpha(x, y))))
    save(grey_alpha, "grey-alpha.png")

    colour = Image.new("RGB", (W, H))
    colour.putdata(pixels(rgb))
    save(colour, "rgb.png")
    save(colour, "rgb-trns.png", transparency=rgb(3, 2))
    rgba = Image.new("RGBA", (W, H))
    rgba.putdata(pixels(lambda x, y: rgb(x, y) + (alpha(x, y),)))
    save(rgba, "rgba.png")

    # 300 colours, more than a palette holds.
    many = Image.new("RGB", (20, 15))
    many.putdata([(x * 12, y * 17, 99) for y in range(15) for x in range(20)])
    save(many, "rgb-300-colours.png")
    # Index 2 of a PLTE of two entries.
    handmade("index-past-plte.png", 4, 1, 8, 3, [bytes([0, 1, 2, 1])], plte=bytes(range(6)))
    handmade("no-idat.png", 4, 1, 8, 0, None)
    # A header claiming 60000 x 60000 pixels over 9 bytes of image data.
    handmade("huge-claim.png", 60000, 60000, 8, 0, [bytes(3)])

    with tempfile.TemporaryDirectory() as folder:
        rgba_file = os.path.join(folder, "rgba.png")
        rgba.save(rgba_file)
        magick(rgba_file, "rgba-16bit-interlaced.png", "-depth", "16", "-interlace", "PNG",
               kind="PNG64")
        grey_file = os.path.join(folder, "grey2.png")
        grey2 = Image.new("L", (W, H))
        grey2.putdata(pixels(lambda x, y: grey(x, y, 2)))
        grey2.save(grey_file)
        magick(grey_file, "grey-2bit-interlaced.png", "-type", "Grayscale", "-depth", "2",
               "-interlace", "PNG")
        magick(os.path.join(HERE, "indexed-2bit.png"), "indexed-interlaced.png",
               "-interlace", "PNG")


if __name__ == "__main__":
    main()
