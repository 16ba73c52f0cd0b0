#!/usr/bin/env python3
"""The multiplexer's core writing natively with O_DIRECT, against `dd oflag=direct` of the
same size and block size in the same folder, as a ratio: the figure against the disk's limit.

Usage: direct_bench.py --exe build/bench-native/bin/direct_write_bench [--seconds S] [--dir D]
Each recording is checked with ffprobe before it is deleted.
"""
import argparse
import glob
import json
import os
import subprocess
import sys
import time

BLOCK = 4 * 1024 * 1024  # dd's block: about one 1080 YUY2 frame, as the writer's batches


def run_direct(exe, mode, seconds, folder):
    out = subprocess.run([exe, str(mode), str(seconds), folder], capture_output=True, text=True)
    fields = dict(part.split("=", 1) for part in out.stdout.split())
    if out.returncode != 0 or "error" in fields:
        sys.exit(f"direct_write_bench mode {mode}: {out.stdout.strip()} {out.stderr.strip()[-500:]}")
    files = sorted(glob.glob(os.path.join(folder, "direct*.avi")))
    frames = 0
    for path in files:
        probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v", "-count_packets", "-show_entries",
                                "stream=nb_read_packets", "-of", "json", path], capture_output=True, text=True)
        if probe.returncode != 0 or probe.stderr.strip():
            sys.exit(f"{path}: ffprobe: {probe.stderr.strip()[:300]}")
        frames += int(json.loads(probe.stdout)["streams"][0]["nb_read_packets"])
        os.remove(path)
    if frames != int(fields["video"]):
        sys.exit(f"mode {mode}: ffprobe counted {frames} frames, the recorder wrote {fields['video']}")
    return {key: float(value) for key, value in fields.items()}


def run_dd(folder, size):
    path = os.path.join(folder, "dd.bin")
    count = -(-size // BLOCK)
    start = time.monotonic()
    out = subprocess.run(["dd", "if=/dev/zero", f"of={path}", f"bs={BLOCK}", f"count={count}", "oflag=direct"],
                         capture_output=True, text=True)
    wall = time.monotonic() - start
    os.remove(path)
    if out.returncode != 0:
        sys.exit(f"dd: {out.stderr.strip()}")
    return count * BLOCK / wall


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--seconds", type=float, default=20)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--repeat", type=int, default=2)
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    print(f"| case | MB | MB/s | dd oflag=direct MB/s | ratio | CPU s per media minute |")
    print(f"|---|---|---|---|---|---|")
    for mode in (0, 1):
        for run in range(args.repeat):
            print(f"direct: mode {mode}, run {run + 1} of {args.repeat}", file=sys.stderr, flush=True)
            figures = run_direct(args.exe, mode, args.seconds, args.dir)
            speed = figures["bytes"] / figures["wall"]
            dd = run_dd(args.dir, int(figures["bytes"]))
            cpu = (figures["user"] + figures["sys"]) * 60 / args.seconds
            print(f"| Trelvox core mode {mode}, O_DIRECT | {figures['bytes'] / 1e6:.0f} | {speed / 1e6:.0f} "
                  f"| {dd / 1e6:.0f} | {speed / dd:.0%} | {cpu:.1f} |", flush=True)


if __name__ == "__main__":
    main()
