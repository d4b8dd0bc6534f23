#!/usr/bin/env python3
"""End-to-end benchmark: sprite-cli against tar on the same files (new ones and
existing ones replaced), the window's Decode against the console's, and peak
memory for 500 and 5000 files.

Every ratio is measured side by side in one run, as the median of several runs.
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tarfile
import tempfile
import time

BUILD = sys.argv[1] if len(sys.argv) > 1 else "build/default"
CLI = os.path.join(BUILD, "src", "sprite-cli")
GUI_DECODE = os.path.join(BUILD, "bench", "window_decode")
RUNS = int(os.environ.get("BENCH_RUNS", "5"))


def sprite_area(rng, width, rows):
    pad = (4 - width % 4) % 4
    out = bytearray()
    for _ in range(rows):
        x = 0
        transparent = rng.random() < 0.6
        while x < width:
            n = min(rng.randint(1, 16), width - x)
            out += bytes(n) if transparent else bytes(rng.randint(1, 255) for _ in range(n))
            x += n
            transparent = not transparent
        out += bytes(pad)
    return bytes(out)


def bitmap(width, height, palette, area):
    header = b"BM" + struct.pack("<IHHI", 1078 + len(area), 0, 0, 1078)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(area), 0, 0, 256, 0)
    return header + info + palette + area


def make_bitmaps(folder, count, seed=1):
    rng = random.Random(seed)
    palette = bytes(0 if i % 4 == 3 else (i * 7) & 0xFF for i in range(1024))
    paths = []
    for i in range(count):
        w, h = rng.randint(32, 64), rng.randint(32, 64)
        path = os.path.join(folder, "s%05d.bmp" % i)
        with open(path, "wb") as f:
            f.write(bitmap(w, h, palette, sprite_area(rng, w, h)))
        paths.append(path)
    return paths


def timed(cmd, env=None):
    """Wall time of one command."""
    start = time.perf_counter()
    done = subprocess.run(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        raise SystemExit("failed: %s" % " ".join(cmd[:3]))
    return elapsed, None


def peak_memory(cmd):
    """Peak resident memory (KiB) of one command, as GNU time measures it after exec."""
    done = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True, check=True)
    return int(done.stderr.strip().splitlines()[-1])


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


def side_by_side(first, second, runs=RUNS, before=None):
    """Alternates the two commands `runs` times; returns their median times."""
    a, b = [], []
    for _ in range(runs):
        if before:
            before()
        a.append(timed(first)[0])
        if before:
            before()
        b.append(timed(second)[0])
    return median(a), median(b)


def clear_decoded(folder):
    for name in os.listdir(folder):
        if name.startswith("pack.spr."):
            os.unlink(os.path.join(folder, name))


def main():
    if not os.path.exists(CLI):
        raise SystemExit("build sprite-cli first (make build)")
    # BENCH_DIR=/dev/shm takes the disk out of the measurement.
    work = tempfile.mkdtemp(prefix="sprite-bench-", dir=os.environ.get("BENCH_DIR"))
    try:
        src = os.path.join(work, "src")
        os.mkdir(src)
        paths = make_bitmaps(src, 5000)
        names = [os.path.basename(p) for p in paths]
        archive = os.path.join(src, "pack.spr")
        print("5000 sprite bitmaps, 32x32 to 64x64, %d runs each, medians" % RUNS)

        enc, tar_c = side_by_side(
            [CLI, "encode", "-o", archive] + paths,
            ["tar", "-cf", os.path.join(work, "same.tar"), "-C", src] + names)
        print("encode          %.3fs   tar -cf %.3fs   ratio %.2fx" % (enc, tar_c, enc / tar_c))

        # The archive in a folder of its own, and a tar holding as many files of
        # the same sizes as the decoded bitmaps; both are unpacked into folders
        # that are emptied the same way before every run.
        dec = os.path.join(work, "dec")
        out = os.path.join(work, "out")
        os.mkdir(dec)
        os.mkdir(out)
        archive = os.path.join(dec, "pack.spr")
        shutil.copy(os.path.join(src, "pack.spr"), archive)
        subprocess.run([CLI, "decode", archive], check=True, stdout=subprocess.DEVNULL)
        decoded = sorted(n for n in os.listdir(dec) if n.startswith("pack.spr."))
        sizes_tar = os.path.join(work, "sizes.tar")
        with tarfile.open(sizes_tar, "w") as tar:
            for n in decoded:
                tar.add(os.path.join(dec, n), arcname=n)

        def reset():
            clear_decoded(dec)
            for name in os.listdir(out):
                os.unlink(os.path.join(out, name))

        dec_time, tar_x = side_by_side([CLI, "decode", archive],
                                       ["tar", "-xf", sizes_tar, "-C", out], before=reset)
        print("decode          %.3fs   tar -xf %.3fs   ratio %.2fx"
              % (dec_time, tar_x, dec_time / tar_x))

        # Over the bitmaps of an earlier run: every file is replaced, and its
        # new content flushed before it takes the old one's place; tar replaces
        # the same files without flushing.
        for cmd in ([CLI, "decode", archive], ["tar", "-xf", sizes_tar, "-C", out]):
            timed(cmd)
        over, tar_over = side_by_side([CLI, "decode", archive],
                                      ["tar", "-xf", sizes_tar, "-C", out])
        print("decode, replace %.3fs   tar -xf %.3fs   ratio %.2fx   (existing files)"
              % (over, tar_over, over / tar_over))

        if os.path.exists(GUI_DECODE):
            env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
            gui, click, cli = [], [], []
            for _ in range(RUNS):
                clear_decoded(dec)
                start = time.perf_counter()
                done = subprocess.run([GUI_DECODE, archive], env=env, check=True,
                                      capture_output=True, text=True)
                gui.append(time.perf_counter() - start)
                click.append(float(done.stdout.split()[-1]))
                clear_decoded(dec)
                cli.append(timed([CLI, "decode", archive])[0])
            print("window decode   %.3fs   console %.3fs   ratio %.2fx   (whole program)"
                  % (median(gui), median(cli), median(gui) / median(cli)))
            print("window decode   %.3fs   console %.3fs   ratio %.2fx   (the Decode click alone)"
                  % (median(click), median(cli), median(click) / median(cli)))
        else:
            print("window decode   (not built: %s)" % GUI_DECODE)

        small = os.path.join(work, "small")
        os.mkdir(small)
        small_paths = make_bitmaps(small, 500)
        small_archive = os.path.join(small, "pack.spr")
        for label, files, arch, folder in (("500", small_paths, small_archive, small),
                                           ("5000", paths, archive, dec)):
            enc_mem = peak_memory([CLI, "encode", "-o", arch] + files)
            clear_decoded(folder)
            dec_mem = peak_memory([CLI, "decode", arch])
            print("peak memory %5s files: encode %6d KiB   decode %6d KiB" % (label, enc_mem, dec_mem))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
