#!/usr/bin/env python3
"""CPU of each thread of a running process, as Linux counts it, over a span of time.

Reads /proc/<pid>/task/*/stat (user + system ticks) and comm at the start and the end,
groups the threads (Wine's renderer: llvmpipe*, wined3d*; the simulated card's streaming
threads: cardsim*; the rest) and prints per cent of one core per group and for the busiest
threads, with the load average and the process's anonymous memory at both ends.
Usage: thread_cpu.py [--seconds S] [--top N] (--pid PID | --name PATTERN)"""
import argparse
import os
import re
import subprocess
import sys
import time

TICKS = os.sysconf("SC_CLK_TCK")
GROUPS = [
    ("Wine renderer (llvmpipe*, wined3d*)", re.compile(r"^(llvmpipe|wined3d)")),
    ("card streaming (cardsim*)", re.compile(r"^cardsim")),
]
OTHERS = "other threads"


def read_threads(pid):
    threads = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                stat = f.read()
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                comm = f.read().strip()
        except OSError:
            continue  # the thread ended meanwhile
        fields = stat[stat.rindex(")") + 2:].split()
        threads[tid] = (comm, int(fields[11]) + int(fields[12]))
    return threads


def anonymous_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("RssAnon:"):
                return int(line.split()[1])
    return 0


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def group_of(comm):
    for name, pattern in GROUPS:
        if pattern.search(comm):
            return name
    return OTHERS


def find_pid(pattern):
    found = subprocess.run(["pgrep", "-f", pattern], capture_output=True, text=True).stdout.split()
    if not found:
        sys.exit(f"thread_cpu: no process matches {pattern!r}")
    return int(found[0])


def measure(pid, seconds, top):
    load_before, anon_before = load_average(), anonymous_kb(pid)
    before = read_threads(pid)
    started = time.monotonic()
    time.sleep(seconds)
    after = read_threads(pid)
    elapsed = time.monotonic() - started
    load_after, anon_after = load_average(), anonymous_kb(pid)

    used = []
    for tid, (comm, ticks) in after.items():
        spent = ticks - before.get(tid, (comm, 0))[1]
        used.append((100.0 * spent / TICKS / elapsed, comm, tid))
    used.sort(reverse=True)
    totals = {name: 0.0 for name, _ in GROUPS}
    totals[OTHERS] = 0.0
    for percent, comm, _ in used:
        totals[group_of(comm)] += percent

    print(f"process {pid}, {elapsed:.1f} s; load average {load_before} at start, {load_after} at end")
    print(f"  all threads: {sum(totals.values()):.1f} % of a core")
    for name, percent in totals.items():
        print(f"  {name}: {percent:.1f} %")
    print(f"  anonymous memory: {anon_before} kB -> {anon_after} kB ({anon_after - anon_before:+d} kB)")
    print(f"  busiest threads:")
    for percent, comm, tid in used[:top]:
        print(f"    {percent:5.1f} %  {comm} ({tid})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--top", type=int, default=8)
    which = parser.add_mutually_exclusive_group(required=True)
    which.add_argument("--pid", type=int)
    which.add_argument("--name", help="pgrep -f pattern of the process")
    args = parser.parse_args()
    measure(args.pid or find_pid(args.name), args.seconds, args.top)


if __name__ == "__main__":
    main()
