#!/usr/bin/env python3
"""Empties the files of a set that a recording has left, from Linux while it goes on.

File i (BASE000.avi, BASE001.avi, ...) is cut to 0 bytes once file i + 2 holds data: both
streams have left it. Truncating from Linux keeps the work out of the Wine processes: a
SetEndOfFile of a 2 GB file issued under Wine stopped every thread of Tavrik for about
0.4 s, which the simulated card counts as dropped frames.

    empty_finished.py BASE [--every SECONDS]     (runs until it is killed)
"""
import argparse
import os
import time


def numbered(base, index):
    return f"{base}{index:03d}.avi"


def size_of(path):
    try:
        return os.path.getsize(path)
    except OSError:
        return 0


def empty_finished(base, next_to_empty):
    while size_of(numbered(base, next_to_empty + 2)) > 0:
        path = numbered(base, next_to_empty)
        if os.path.exists(path):
            os.truncate(path, 0)
        next_to_empty += 1
    return next_to_empty


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("base")
    parser.add_argument("--every", type=float, default=2.0)
    args = parser.parse_args()
    next_to_empty = 0
    while True:
        next_to_empty = empty_finished(args.base, next_to_empty)
        time.sleep(args.every)


if __name__ == "__main__":
    main()
