#!/usr/bin/env python3
"""sprite-cli never writes over a file it reads, nor one file twice, whatever
names, links or redirections lead there; it refuses a closed standard output;
lists read back through links and refuse control characters. Each case runs in
a folder of its own, and a refused run leaves every file in it as it was.
Usage: read_write_guard_test.py [RUNNER] SPRITE_CLI (RUNNER: Wine's, for .exe)"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

CLI = sys.argv[1:]
WINDOWS = CLI[-1].endswith(".exe")
failures = []


def bitmap(shade):
    """An 8-bit bitmap of 4 x 2 pixels with 256 colours."""
    pixels = bytes([1, 2, shade, 0, 0, shade, 2, 1])
    palette = b"".join(bytes([i, 40, 255 - i, 0]) for i in range(256))
    size = 14 + 40 + len(palette) + len(pixels)
    return (b"BM" + struct.pack("<IHHI", size, 0, 0, 1078) +
            struct.pack("<IiiHHIIiiII", 40, 4, 2, 1, 8, 0, len(pixels), 0, 0, 256, 0) +
            palette + pixels)


def png():
    """An RGBA PNG of 3 x 2 pixels: red, see-through, blue."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data))
    row = b"\0" + bytes([255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255])
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 3, 2, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(row * 2)) + chunk(b"IEND", b""))


def run(folder, args, stdin=None, stdout=None):
    """sprite-cli in `folder`; `stdout` "closed", or a file appended to."""
    out = subprocess.PIPE
    closing = None
    if stdout == "closed":
        out, closing = subprocess.DEVNULL, lambda: os.close(1)
    elif stdout:
        out = open(os.path.join(folder, stdout), "ab")
    source = open(os.path.join(folder, stdin), "rb") if stdin else subprocess.DEVNULL
    try:
        done = subprocess.run([*CLI, *args], cwd=folder, stdin=source, stdout=out,
                              stderr=subprocess.PIPE, preexec_fn=closing, timeout=120)
    finally:
        for stream in (out, source):
            if hasattr(stream, "close"):
                stream.close()
    return done.returncode, done.stderr.decode("utf-8", "replace")


def snapshot(folder):
    """Every file's bytes and every link's target, by path."""
    found = {}
    for top, folders, names in os.walk(folder):
        for name in folders + names:
            path = os.path.join(top, name)
            if os.path.islink(path):
                found[path] = ("link", os.readlink(path))
            elif os.path.isfile(path):
                with open(path, "rb") as f:
                    found[path] = f.read()
    return found


def make_template(folder):
    for name, data in (("a.bmp", bitmap(7)), ("b.bmp", bitmap(9)), ("a.png", png()),
                       ("l.txt", b"a.bmp\nb.bmp\n"),
                       ("p.gpl", b"GIMP Palette\n0 0 0 zero\n255 0 0 red\n0 0 255 blue\n")):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    os.mkdir(os.path.join(folder, "out"))
    status, err = run(folder, ["encode", "-q", "-o", "e.spr", "a.bmp", "b.bmp"])
    assert status == 0, err


def case(template, what, args, expect, links=(), stdin=None, stdout=None, status=2):
    """A run that must be refused (or end with `status`) and change nothing.
    `links`: (name, target) symbolic links, or hard ones for a target "=NAME"."""
    folder = os.path.join(os.path.dirname(template), "case")
    shutil.copytree(template, folder, symlinks=True)
    try:
        for link, target in links:
            if target.startswith("="):
                os.link(os.path.join(folder, target[1:]), os.path.join(folder, link))
            else:
                os.symlink(target, os.path.join(folder, link))
        before = snapshot(folder)
        got, err = run(folder, args, stdin, stdout)
        if got != status or not all(words in err for words in expect):
            failures.append(f"{what}: exit {got}, wanted {status} and {expect}: {err!r}")
        after = snapshot(folder)
        changed = [os.path.relpath(p, folder) for p in set(before) | set(after)
                   if before.get(p) != after.get(p)]
        if changed:
            failures.append(f"{what}: changed {sorted(changed)}")
    finally:
        shutil.rmtree(folder)


def refusals(template):
    archive, picture = 'the archive "e.spr"', "is the same file"
    rows = [
        ("the list over the archive", ["decode", "--png", "--list=e.spr", "e.spr"],
         ['the list "e.spr"', archive]),
        ("the list over picture 1", ["decode", "--png", "--list=e.spr.0001.png", "e.spr"],
         ['the list "e.spr.0001.png"', 'picture 1 "e.spr.0001.png"']),
        ("the archive over its list", ["encode", "-o", "l.txt", "@l.txt"],
         ['the archive "l.txt"', 'the list file "l.txt"']),
        ("the archive over its palette", ["encode", "--palette=p.gpl", "-o", "p.gpl", "a.png"],
         ['the archive "p.gpl"', 'the palette file "p.gpl"']),
        ("the swatch over its source", ["palette", "a.png", "-o", "a.png"],
         ['the palette file "a.png"', "the palette's source \"a.png\""]),
        ("a bitmap linked to the archive", ["decode", "-C", "out", "e.spr"],
         ['bitmap 2 "out' + ("\\" if WINDOWS else "/") + 'e.spr.0002.bmp"', archive],
         [("out/e.spr.0002.bmp", "../e.spr")]),
        ("a bitmap that is a hard link to the archive", ["decode", "-C", "out", "e.spr"],
         ['bitmap 1 "out' + ("\\" if WINDOWS else "/") + 'e.spr.0001.bmp"', archive],
         [("out/e.spr.0001.bmp", "=e.spr")]),
        ("a sheet linked to the archive", ["decode", "--png", "--sheet=2", "e.spr"],
         ['the sheet "e.spr.sheet.png"', archive], [("e.spr.sheet.png", "e.spr")]),
        ("the archive on standard output appended to its picture", ["encode", "-o", "-", "a.png"],
         ['the archive "-"', 'the listed picture "a.png"'], (), None, "a.png"),
        ("the log appended to the archive", ["list", "e.spr"],
         ["the log on standard output", archive], (), None, "e.spr"),
        ("the log appended to a picture when a list is missing",
         ["encode", "-o", "x.spr", "a.bmp", "@none.txt"],
         ["the log on standard output", 'the listed picture "a.bmp"'], (), None, "a.bmp"),
        ("the log appended to a file that is no archive", ["decode", "a.bmp"],
         ["the log on standard output", 'the archive "a.bmp"'], (), None, "a.bmp"),
        ("the list over the archive on standard input", ["decode", "-C", "out", "--list=e.spr", "-"],
         ['the list "e.spr"', 'the archive "-"'], (), "e.spr"),
        ("a closed standard output and the archive", ["encode", "-o", "-", "a.bmp"],
         ["standard output is closed", "the archive (-o -)"], (), None, "closed"),
        ("a closed standard output and the log", ["encode", "-o", "x.spr", "a.bmp"],
         ["standard output is closed", "the log"], (), None, "closed"),
    ]
    if WINDOWS:
        rows += [
            ("the list over the archive, in other case", ["decode", "--png", "--list=E.SPR", "e.spr"],
             ['the list "E.SPR"', picture]),
            ("the list over picture 1, in other case",
             ["decode", "--png", "--list=E.SPR.0001.PNG", "e.spr"], ["picture 1", picture]),
            ("the list through a backslash", ["decode", "--list=.\\e.spr", "e.spr"],
             [archive, picture]),
        ]
    for row in rows:
        case(template, *row)


def lists(template):
    zero = os.path.join(template, "zero.txt")
    with open(zero, "wb") as f:
        f.write(b"a.bmp\nb.bmp\0junk\n")
    with open(os.path.join(template, "esc.txt"), "wb") as f:
        f.write(b"# frames\n\x1b[2Ja.bmp\n")
    case(template, "a NUL in a list line", ["encode", "-o", "x.spr", "@zero.txt"],
         ['"zero.txt"', "line 2", "\\x00"], status=1)
    case(template, "an escape in a list line", ["encode", "-o", "x.spr", "@esc.txt"],
         ['"esc.txt"', "line 2", "\\x1B"], status=1)
    # A list written through a link reads back as it was written.
    folder = os.path.join(os.path.dirname(template), "linked")
    shutil.copytree(template, folder, symlinks=True)
    os.makedirs(os.path.join(folder, "s1", "s2"))
    os.symlink(os.path.join("s1", "s2"), os.path.join(folder, "link"))
    steps = [["decode", "-q", "-C", "out", "--list=link/l2.txt", "e.spr"],
             ["encode", "-q", "-o", "back.spr", "@link/l2.txt"]]
    for args in steps:
        status, err = run(folder, args)
        if status != 0:
            failures.append(f"{' '.join(args)} through a link: exit {status}: {err}")
    with open(os.path.join(folder, "e.spr"), "rb") as a, open(os.path.join(folder, "back.spr"),
                                                                "rb") as b:
        if a.read() != b.read():
            failures.append("the archive encoded from a list written through a link differs")


def main():
    root = tempfile.mkdtemp()
    try:
        template = os.path.join(root, "template")
        os.mkdir(template)
        make_template(template)
        refusals(template)
        lists(template)
    finally:
        shutil.rmtree(root)
    for failure in failures:
        print("FAIL:", failure)
    print(f"read_write_guard_test: {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
