#!/usr/bin/env python3
"""End-to-end benchmark: sprite-cli against tar on the same files, on the disk
and in memory (tmpfs), the window's Decode against the console's, the floors
of the system calls each way of writing files needs, and peak memory.

    bench/e2e.py [BUILD] [--baseline OTHER_BUILD] [--full]

--baseline times another build's sprite-cli in the same runs (for before and
after). --full adds 32767 sprites, the most an archive holds. BENCH_DIR is the
folder on the disk (default: the build folder), BENCH_TMPFS the
one in memory (default /dev/shm), BENCH_RUNS the runs of each case on the disk
(default 5; three times as many in memory, where a run is short and noisier).

Every ratio is to tar doing the same work, measured side by side in rounds:
each round runs every command once, a ratio is the median of the rounds'
ratios, and each time shown is the median of the runs.
"""
import argparse
import json
import os
import random
import shutil
import struct
import subprocess
import sys
import tarfile
import tempfile
import time

RUNS = int(os.environ.get("BENCH_RUNS", "5"))
HERE = os.path.dirname(os.path.abspath(__file__))


def runs_in(label):
    """Rounds for a row: runs in memory take a tenth of a second each, and
    vary by a fifth from run to run on this kind of machine."""
    return 3 * RUNS if "tmpfs" in label else RUNS


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
    """`count` sprite bitmaps of 32 x 32 to 64 x 64 pixels; their names, in order."""
    rng = random.Random(seed)
    palette = bytes(0 if i % 4 == 3 else (i * 7) & 0xFF for i in range(1024))
    names = []
    for i in range(count):
        w, h = rng.randint(32, 64), rng.randint(32, 64)
        names.append("s%05d.bmp" % i)
        with open(os.path.join(folder, names[-1]), "wb") as f:
            f.write(bitmap(w, h, palette, sprite_area(rng, w, h)))
    return names


def run(cmd, cwd=None, env=None):
    done = subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True)
    if done.returncode != 0:
        raise SystemExit("failed (%d): %s" % (done.returncode, " ".join(cmd[:4])))
    return done.stdout


def timed(cmd, cwd=None, env=None):
    start = time.perf_counter()
    run(cmd, cwd, env)
    return time.perf_counter() - start


def peak_memory(cmd, cwd=None):
    """Peak resident memory (KiB) of one command, as GNU time measures it after exec."""
    done = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, cwd=cwd, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True, check=True)
    return int(done.stderr.strip().splitlines()[-1])


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


class Rounds:
    """Times of commands run in rounds, each command once a round."""

    def __init__(self):
        self.times = {}

    def add(self, label, seconds):
        self.times.setdefault(label, []).append(seconds)

    def median(self, label):
        return median(self.times[label])

    def ratio(self, label, base):
        """The median of the round-by-round ratios: this machine's speed drifts
        by more than the differences measured, and a round's commands run
        within a second of each other."""
        return median([t / b for t, b in zip(self.times[label], self.times[base])])


def side_by_side(commands, before=None, runs=RUNS):
    """Runs the commands (label -> (cmd, cwd)) in turn, `runs` rounds, `before`
    ahead of each."""
    rounds = Rounds()
    for _ in range(runs):
        for label, (cmd, cwd) in commands.items():
            if before:
                before()
            rounds.add(label, timed(cmd, cwd))
    return rounds


def report(row, rounds, base="tar", goal=""):
    """One row: each command's median time and its ratio to `base`, and the goal."""
    parts = ["%s %.3fs" % (base, rounds.median(base))]
    for label in rounds.times:
        if label != base:
            parts.append("%s %.3fs %.2fx" % (label, rounds.median(label),
                                             rounds.ratio(label, base)))
    print("%-34s %s%s" % (row, "   ".join(parts), "   (goal %s)" % goal if goal else ""),
          flush=True)


def empty(folder, ending=""):
    for name in os.listdir(folder):
        if name.endswith(ending):
            os.unlink(os.path.join(folder, name))


def settled():
    """Everything written and removed so far is on the disk, so that no
    command pays for what came before it."""
    os.sync()


def floor_program(work):
    """bench/fs_floor.c, compiled for this run; None without a C compiler."""
    compiler = shutil.which("cc") or shutil.which("gcc")
    if not compiler:
        return None
    out = os.path.join(work, "fs_floor")
    subprocess.run([compiler, "-O2", "-o", out, os.path.join(HERE, "fs_floor.c")], check=True)
    return out


class Bench:
    def __init__(self, args):
        build = os.path.abspath(args.build)
        self.cli = os.path.join(build, "src", "sprite-cli")
        self.window = os.path.join(build, "bench", "window_decode")
        self.window_work = os.path.join(build, "bench", "window_work")
        self.before = (os.path.join(os.path.abspath(args.baseline), "src", "sprite-cli")
                       if args.baseline else None)
        for program in filter(None, (self.cli, self.before)):
            if not os.path.exists(program):
                raise SystemExit("build %s first (make build)" % program)

    def clis(self, args):
        """sprite-cli with `args`, and the baseline's when there is one."""
        found = {"sprite-cli": self.cli}
        if self.before:
            found["before"] = self.before
        return {label: [program] + args for label, program in found.items()}

    def setup(self, root, count):
        """In `root`: src/ with the bitmaps and their archive pack.spr, a tar of
        them, and a tar of files the size of the decoded bitmaps."""
        src = os.path.join(root, "src")
        os.makedirs(src)
        names = make_bitmaps(src, count)
        run([self.cli, "encode", "-q", "-o", "pack.spr"] + names, cwd=src)
        dec = os.path.join(root, "dec")
        os.mkdir(dec)
        shutil.copy(os.path.join(src, "pack.spr"), dec)
        run([self.cli, "decode", "-q", "pack.spr"], cwd=dec)
        decoded = sorted(n for n in os.listdir(dec) if n.endswith(".bmp"))
        with tarfile.open(os.path.join(root, "decoded.tar"), "w") as tar:
            for n in decoded:
                tar.add(os.path.join(dec, n), arcname=n)
        sizes = [os.path.getsize(os.path.join(dec, n)) for n in decoded]
        empty(dec, ".bmp")
        return src, names, dec, sum(sizes) // len(sizes)

    def encode(self, label, src, names):
        commands = {"tar": (["tar", "-cf", os.path.join(src, "..", "same.tar")] + names, src)}
        for who, cmd in self.clis(["encode", "-q", "-o", "pack.spr"] + names).items():
            commands[who] = (cmd, src)
        report("encode, " + label, side_by_side(commands, runs=runs_in(label)), goal="<= 1.1x")

    def decode_new(self, label, root, dec, floor, size, count):
        """Decode into a folder without the bitmaps, against tar -xf into another."""
        out = os.path.join(root, "out")
        os.makedirs(out, exist_ok=True)

        def clear():
            empty(dec, ".bmp")
            empty(out)
            settled()

        commands = {"tar": (["tar", "-xf", os.path.join(root, "decoded.tar")], out)}
        for who, cmd in self.clis(["decode", "-q", "pack.spr"]).items():
            commands[who] = (cmd, dec)
        if floor:
            commands["floor create"] = ([floor, "new", out, str(count), str(size)], None)
            commands["floor unnamed"] = ([floor, "new-unnamed", out, str(count), str(size)], None)
            commands["floor checked"] = ([floor, "new-checked", out, str(count), str(size)], None)
        report("decode into new files, " + label,
               side_by_side(commands, before=clear, runs=runs_in(label)),
               goal="<= 1.45x" if label.endswith("tmpfs") else "<= 1.0x")
        clear()

    def decode_replace(self, label, root, dec, floor, size, count):
        """Decode over the bitmaps of an earlier run, against tar -xf over its
        own; both start from old files that are on the disk."""
        out = os.path.join(root, "out")
        os.makedirs(out, exist_ok=True)
        tar = ["tar", "-xf", os.path.join(root, "decoded.tar")]
        run([self.cli, "decode", "-q", "pack.spr"], cwd=dec)
        run(tar, cwd=out)
        if floor:
            run([floor, "new", out, str(count), str(size)])
        commands = {"tar": (tar, out)}
        for who, cmd in self.clis(["decode", "-q", "pack.spr"]).items():
            commands[who] = (cmd, dec)
        if floor:
            for mode in ("replace", "replace-flush", "replace-batch"):
                commands["floor " + mode] = ([floor, mode, out, str(count), str(size)], None)
        report("decode over old files, " + label,
               side_by_side(commands, before=settled, runs=runs_in(label)), goal="<= 1.5x")

    def window_decode(self, label, dec):
        if not os.path.exists(self.window):
            print("window decode, %s: not built (%s)" % (label, self.window))
            return
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        rounds = Rounds()
        for _ in range(runs_in(label)):
            empty(dec, ".bmp")
            settled()
            rounds.add("sprite-cli", timed([self.cli, "decode", "-q", "pack.spr"], cwd=dec))
            empty(dec, ".bmp")
            settled()
            rounds.add("click",
                       float(run([self.window, "pack.spr"], cwd=dec, env=env).split()[-1]))
            if os.path.exists(self.window_work):
                # What the window adds to a run (its lines, bar steps and
                # yields), told without decoding or writing anything.
                rounds.add("its own work alone",
                           float(run([self.window_work, "pack.spr"], cwd=dec, env=env).split()[-1]))
        report("window's Decode click, " + label, rounds, base="sprite-cli", goal="<= 1.05x")

    def memory(self, label, src, names, dec):
        for who, cmd in self.clis(["encode", "-q", "-o", "pack.spr"] + names).items():
            enc = peak_memory(cmd, cwd=src)
            empty(dec, ".bmp")
            dec_cmd = self.clis(["decode", "-q", "pack.spr"])[who]
            decoded = peak_memory(dec_cmd, cwd=dec)
            print("%-34s %s: encode %d KiB, decode %d KiB   (goal <= 8192 KiB)" %
                  ("peak memory, " + label, who, enc, decoded), flush=True)

    def row_decoder(self):
        """The row decoder's time on a sprite over its parts', as make bench measures it."""
        codec = os.path.join(os.path.dirname(self.window), "codec_bench")
        if not os.path.exists(codec):
            print("row decoder: not built (%s)" % codec)
            return
        out = run([codec, "--benchmark_filter=^(memcpy|RLEDecompressRows|floor_.*)/sprite$",
                   "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true",
                   "--benchmark_format=json"])
        rates = {r["run_name"].split("/")[0]: r["bytes_per_second"]
                 for r in json.loads(out)["benchmarks"] if r.get("aggregate_name") == "median"}
        # The parts any row decoder has, each alone at its cheapest, one after another.
        parts = 1 / sum(1 / rate for name, rate in rates.items() if name.startswith("floor_"))
        decoder = rates["RLEDecompressRows"]
        print("%-34s memcpy %.2f GB/s   RLEDecompressRows %.2f GB/s   its parts alone %.2f GB/s"
              "   time over its parts' %.2fx   (goal <= 2.5x)" %
              ("row decoder, sprite, in cache", rates["memcpy"] / 1e9, decoder / 1e9,
               parts / 1e9, parts / decoder),
              flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default="build/default")
    parser.add_argument("--baseline", help="another build to time beside this one")
    parser.add_argument("--full", action="store_true", help="also 32767 sprites")
    args = parser.parse_args()
    bench = Bench(args)
    disk = os.environ.get("BENCH_DIR") or os.path.abspath(args.build)
    memory = os.environ.get("BENCH_TMPFS", "/dev/shm")
    if not os.path.isdir(memory):
        memory = None
    print("5000 sprite bitmaps of 32x32 to 64x64 pixels; %d rounds on the disk, %d in memory; "
          "median times, median round-by-round ratios" % (RUNS, 3 * RUNS))
    bench.row_decoder()
    places = [("tmpfs", memory)] if memory else []
    places.append(("disk", disk))
    roots = []
    try:
        work = tempfile.mkdtemp(prefix="sprite-bench-", dir=disk)
        roots.append(work)
        floor = floor_program(work)
        for label, where in places:
            root = tempfile.mkdtemp(prefix="sprite-bench-", dir=where)
            roots.append(root)
            src, names, dec, size = bench.setup(root, 5000)
            if label == "tmpfs":
                bench.encode(label, src, names)
            bench.decode_new(label, root, dec, floor, size, len(names))
            if label == "disk":
                bench.decode_replace(label, root, dec, floor, size, len(names))
            bench.window_decode(label, dec)
            if label == "tmpfs":
                bench.memory("5000", src, names, dec)
        if args.full and memory:
            root = tempfile.mkdtemp(prefix="sprite-bench-", dir=memory)
            roots.append(root)
            print("32767 sprite bitmaps, tmpfs")
            src, names, dec, size = bench.setup(root, 32767)
            bench.encode("32767, tmpfs", src, names)
            bench.decode_new("32767, tmpfs", root, dec, floor, size, len(names))
            bench.window_decode("32767, tmpfs", dec)
            bench.memory("32767", src, names, dec)
    finally:
        for root in roots:
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
