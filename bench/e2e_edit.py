#!/usr/bin/env python3
"""End-to-end benchmark of the entry commands on the largest archive, 32767
sprites, in memory (tmpfs): replacing one entry against cp of the same
archive, as a ratio; proof that the entries kept are never decoded; peak
memory; and a step of the viewer through the archive's entries (viewer_step,
the Qt window offscreen).

    bench/e2e_edit.py [BUILD]

BENCH_TMPFS is the folder in memory (default /dev/shm), BENCH_RUNS the rounds
(default 5; three times as many here, where a run is short and noisier).
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e import RUNS, bitmap, peak_memory, report, side_by_side, sprite_area  # noqa: E402

COUNT = 32767


def coded(rows):
    """The archive's run-length code of stored rows: zero runs of up to 255 as
    00 n, every other byte as itself."""
    out, i = bytearray(), 0
    while i < len(rows):
        if rows[i]:
            out.append(rows[i])
            i += 1
            continue
        n = 0
        while i < len(rows) and not rows[i] and n < 255:
            n, i = n + 1, i + 1
        out += bytes((0, n))
    return bytes(out)


def make_archive(path, undecodable=False):
    """32767 sprites of 32 x 32 to 64 x 64 (256 drawn, each used 128 times);
    `undecodable`: every coded stream ends in a zero-run marker without its
    count, which no decoder takes."""
    rng = random.Random(5)
    entries = []
    for _ in range(256):
        width, height = rng.randint(32, 64), rng.randint(32, 64)
        area = sprite_area(rng, width, height)
        stride = (width + 3) & ~3
        rows = b"".join(area[y * stride:y * stride + width] for y in range(height))
        stream = coded(rows)[:32765] + (b"\0" if undecodable else b"")
        entries.append(struct.pack("<hhh", width, height, len(stream)) + stream)
    with open(path, "wb") as f:
        f.write(b"SP\x01\x02" + struct.pack("<hh", COUNT, 0))
        for k in range(COUNT):
            f.write(entries[k % 256])
        f.write(bytes(1024))


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/default"
    cli = os.path.abspath(os.path.join(build, "src", "sprite-cli"))
    viewer = os.path.abspath(os.path.join(build, "bench", "viewer_step"))
    if not os.path.exists(cli):
        raise SystemExit("build sprite-cli first (make build)")
    work = tempfile.mkdtemp(prefix="sprite-bench-edit-", dir=os.environ.get("BENCH_TMPFS", "/dev/shm"))
    try:
        archive = os.path.join(work, "big.spr")
        make_archive(archive)
        picture = os.path.join(work, "new.bmp")
        rng = random.Random(9)
        with open(picture, "wb") as f:
            f.write(bitmap(48, 48, bytes(1024), sprite_area(rng, 48, 48)))
        edited = os.path.join(work, "edited.spr")
        shutil.copy(archive, edited)
        size = os.path.getsize(archive)
        print("%d sprites, 32x32 to 64x64, %.1f MB, in %s; %d rounds, medians"
              % (COUNT, size / 1e6, os.path.dirname(work), 3 * RUNS))
        times = side_by_side({
            "cp": (["cp", archive, os.path.join(work, "copy.spr")], None),
            "replace": ([cli, "replace", "-q", edited, "16384", picture], None),
        }, runs=3 * RUNS)
        report("replace entry 16384 of 32767", times, base="cp", goal="<= 2.0x")
        print("peak memory, replace: %d KiB (the archive: %d KiB)"
              % (peak_memory([cli, "replace", "-q", edited, "16384", picture]), size // 1024))

        # The same archive with streams no decoder takes: info finds every one
        # damaged, and replace copies all but the one replaced byte for byte.
        broken = os.path.join(work, "undecodable.spr")
        make_archive(broken, undecodable=True)
        before = open(broken, "rb").read()
        info = subprocess.run([cli, "info", "-q", broken], stderr=subprocess.PIPE, text=True)
        damaged = info.stderr.count("zero-run marker")
        done = subprocess.run([cli, "replace", "-q", broken, "2", picture])
        after = open(broken, "rb").read()
        first = struct.unpack_from("<hhh", before, 8)[2] + 6  # entry 1, head and stream
        second = struct.unpack_from("<hhh", before, 8 + first)[2] + 6
        kept = (after[8:8 + first] == before[8:8 + first]
                and after.endswith(before[8 + first + second:]))
        print("entries that do not decode: info found %d damaged (exit %d); replace of entry 2"
              " exited %d and copied the other %d byte for byte: %s"
              % (damaged, info.returncode, done.returncode, COUNT - 1, "yes" if kept else "NO"))

        if os.path.exists(viewer):
            env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
            out = subprocess.run([viewer, archive, "2000"], env=env, stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, text=True)
            print(out.stdout.strip())
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
