#!/usr/bin/env python3
"""Which memory mappings of a running process gain or lose anonymous memory, as it runs.

Every SECONDS, reads /proc/<pid>/smaps and prints one line for each mapping whose
"Anonymous:" figure moved by more than THRESHOLD kB since the last reading (address, size,
name, change), with the process's RssAnon. A block that appears and stays is growth; one
that appears and goes is churn. Under Wine every large allocation is its own mapping, so
frame-sized buffers show by their size (a 1080 YUY2 frame: a 4,096 kB mapping).
Usage: mapping_changes.py --pid PID [--seconds S] [--threshold KB]     (until the process ends)
"""
import argparse
import re
import time

from thread_cpu import anonymous_kb

HEADER = re.compile(r"^([0-9a-f]+)-([0-9a-f]+) \S+ \S+ \S+ \S+\s*(.*)$")


def read_mappings(pid):
    mappings, key = {}, None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            header = HEADER.match(line)
            if header:
                start, end, name = header.groups()
                key = (start, (int(end, 16) - int(start, 16)) // 1024, name)
            elif line.startswith("Anonymous:"):
                mappings[key] = int(line.split()[1])
    return mappings


def changes(before, after, threshold):
    moved = []
    for key in sorted(set(before) | set(after)):
        delta = after.get(key, 0) - before.get(key, 0)
        if abs(delta) > threshold:
            moved.append(f"{key[0]} {key[1]} kB {key[2]} {delta:+d} kB")
    return moved


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pid", type=int, required=True)
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--threshold", type=int, default=512)
    args = parser.parse_args()
    started = time.monotonic()
    try:
        before = read_mappings(args.pid)
        while True:
            time.sleep(args.seconds)
            after = read_mappings(args.pid)
            moved = changes(before, after, args.threshold)
            if moved:
                print(f"{time.monotonic() - started:6.0f} s, RssAnon {anonymous_kb(args.pid) / 1024:.1f} MB: "
                      + "; ".join(moved), flush=True)
            before = after
    except (FileNotFoundError, ProcessLookupError):
        pass  # the process ended


if __name__ == "__main__":
    main()
