#!/usr/bin/env python3
"""Plan, shards and merge at scale, and against one run of the same tree.

    bench/engine/shard_bench.py BUILD/vignettor [--scale 10000,100000] [--photos 120]

Scale: a tree of hard links of one small picture (100 folders), planned,
made by 4 shards side by side (one worker each) and merged, with pages and
a log; the time and peak memory of the plan and the merge at each size, and
their growth from the first size to the last (linear growth: the ratio of
the sizes).

Speed: a tree of photos made by one `/j 2` run, and by a plan, 2 shards side
by side with `/j 1` each and a merge; the whole and the merge's share.

Everything happens in a scratch folder with a settings folder of its own;
no picture is kept.
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time


def write_bmp(path, width, height, seed=0, grain=False):
    """A 24-bit BMP of gradients; with grain, noise of a few levels on
    every sample, so that its JPEG costs what a photo costs to decode."""
    row = bytearray()
    for x in range(width):
        row += bytes(((x * 7 + seed) & 255, (x * 3) & 255, (x + seed * 5) & 255))
    row += b"\0" * ((4 - len(row) % 4) % 4)
    shades = [bytes(((b + y) & 255) for b in row) for y in range(256)]
    data = bytearray()
    for y in range(height):
        line = shades[y & 255]
        if grain:
            noise = os.urandom(len(line))
            line = bytes((b ^ (n & 15)) for b, n in zip(line, noise))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


class Runner:
    def __init__(self, program, scratch):
        self.program = program
        self.env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(scratch, "config"))
        settings = os.path.join(scratch, "config", "Ostrel Software")
        os.makedirs(settings, exist_ok=True)
        with open(os.path.join(settings, "vignettor.conf"), "w") as f:
            f.write("[vignettor]\nOutputRecurseSrc=1\nHTMLLog=1\nHTMLMakeIndex=1\n"
                    "LogMakeLog=1\nLogOutName=1\nLogPath=%s\n" % os.path.join(scratch, "run.log"))

    def start(self, args):
        return subprocess.Popen([self.program, "/h", "/d"] + args, env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def wait(self, procs):
        """Waits for all; the peak resident memory (KB) of the largest and
        the processor time (user + system) of all."""
        peak = 0
        self.cpu = 0.0
        for p in procs:
            _, status, usage = os.wait4(p.pid, 0)
            p.returncode = os.waitstatus_to_exitcode(status)
            err = p.stderr.read().decode(errors="replace")
            if p.returncode not in (0, 1):
                sys.exit("step failed (%d): %s" % (p.returncode, err[:400]))
            peak = max(peak, usage.ru_maxrss)
            self.cpu += usage.ru_utime + usage.ru_stime
        return peak

    def timed(self, argsets):
        start = time.monotonic()
        peak = self.wait([self.start(a) for a in argsets])
        return time.monotonic() - start, peak


def scale(runner, scratch, sizes):
    results = []
    for n in sizes:
        src = os.path.join(scratch, "links")
        out = os.path.join(scratch, "out")
        shutil.rmtree(src, ignore_errors=True)
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        # A file system takes some tens of thousands of links to one file:
        # a copy of the picture for every 50,000.
        seeds = [os.path.join(scratch, "seed%d.bmp" % k) for k in range((n + 49999) // 50000)]
        for seed in seeds:
            write_bmp(seed, 64, 48)
        for k in range(100):
            os.makedirs(os.path.join(src, "f%02d" % k))
        for i in range(n):
            os.link(seeds[i // 50000], os.path.join(src, "f%02d" % (i % 100), "p%06d.bmp" % i))
        common = [src, out, "/o", "3", "/s", "32", "32"]
        plan_time, plan_peak = runner.timed([common + ["/plan"]])
        plan_cpu = runner.cpu
        shard_time, _ = runner.timed([common + ["/j", "1", "/shard", "%d/4" % k] for k in range(1, 5)])
        merge_time, merge_peak = runner.timed([common + ["/merge"]])
        merge_cpu = runner.cpu
        print("%7d files: plan %6.2f s (cpu %6.2f s) %7d KB | 4 shards %7.2f s | "
              "merge %6.2f s (cpu %6.2f s) %7d KB"
              % (n, plan_time, plan_cpu, plan_peak, shard_time, merge_time, merge_cpu, merge_peak))
        results.append((n, plan_cpu, plan_peak, merge_cpu, merge_peak))
        shutil.rmtree(src)
        shutil.rmtree(out)
    if len(results) > 1:
        a, b = results[0], results[-1]
        print("growth %dx files: plan cpu time %.1fx, memory %.1fx; merge cpu time %.1fx, memory %.1fx"
              % (b[0] // a[0], b[1] / a[1], b[2] / a[2], b[3] / a[3], b[4] / a[4]))


def speed(runner, scratch, photos):
    src = os.path.join(scratch, "photos")
    os.makedirs(src)
    seed = os.path.join(scratch, "photo.bmp")
    for i in range(4):
        write_bmp(seed, 1600, 1200, seed=i, grain=True)
        subprocess.run([runner.program, "/h", "/f", seed, os.path.join(src, "photo%04d.jpg" % i),
                        "/o", "3", "/r", "6"], env=runner.env, check=True,
                       stdout=subprocess.DEVNULL)
    for i in range(4, photos):
        shutil.copyfile(os.path.join(src, "photo%04d.jpg" % (i % 4)),
                        os.path.join(src, "photo%04d.jpg" % i))
    best_one, best_split, best_merge = None, None, None
    for _ in range(3):
        for name in ("one", "split"):
            shutil.rmtree(os.path.join(scratch, name), ignore_errors=True)
            os.makedirs(os.path.join(scratch, name))
        one, _ = runner.timed([[src, os.path.join(scratch, "one"), "/j", "2"]])
        out = os.path.join(scratch, "split")
        plan, _ = runner.timed([[src, out, "/plan"]])
        shards, _ = runner.timed([[src, out, "/j", "1", "/shard", "%d/2" % k] for k in (1, 2)])
        merge, _ = runner.timed([[src, out, "/merge"]])
        split = plan + shards + merge
        if best_one is None or one + split < best_one + best_split:
            best_one, best_split, best_merge = one, split, merge
    print("%d photos: one /j 2 run %.2f s; plan + 2 shards (/j 1) + merge %.2f s = %.3fx; "
          "merge %.1f%% of it" % (photos, best_one, best_split, best_split / best_one,
                                  100.0 * best_merge / best_split))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("--scale", default="10000,100000")
    parser.add_argument("--photos", type=int, default=120)
    args = parser.parse_args()
    scratch = tempfile.mkdtemp(prefix="vig-shard-bench-")
    try:
        runner = Runner(os.path.abspath(args.program), scratch)
        if args.photos > 0:
            speed(runner, scratch, args.photos)
        if args.scale:
            scale(runner, scratch, [int(n) for n in args.scale.split(",")])
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
