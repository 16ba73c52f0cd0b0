#!/usr/bin/env python3
"""CPU of each thread of a running process, as Linux counts it, over a span of time.

Reads /proc/<pid>/task/*/stat (user + system ticks) and comm at the start and the end,
groups the threads (Wine's renderer: llvmpipe*, wined3d*; the simulated card's streaming
threads: cardsim*; the rest) and prints per cent of one core per group and for the busiest
threads, with the load average and the process's anonymous memory at both ends.
Usage: thread_cpu.py [--seconds S] [--top N] (--pid PID | --name PATTERN)
       thread_cpu.py --since STATE (--pid PID | --name PATTERN)
The second form prints one line for the span since the last call with the same STATE file
(since the process started, the first time) and stores the counts for the next call."""
import argparse
import json
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


def process_seconds(pid):
    """Seconds since the process started, from /proc/<pid>/stat and the system's uptime."""
    with open(f"/proc/{pid}/stat") as f:
        stat = f.read()
    started_ticks = int(stat[stat.rindex(")") + 2:].split()[19])
    with open("/proc/uptime") as f:
        uptime = float(f.read().split()[0])
    return uptime - started_ticks / TICKS


def summarize_since(pid, state_file):
    now, threads, anon = process_seconds(pid), read_threads(pid), anonymous_kb(pid)
    try:
        with open(state_file) as f:
            before = json.load(f)
        if before["pid"] != pid:
            raise ValueError("another process")
    except (OSError, ValueError, KeyError):
        before = {"pid": pid, "seconds": 0.0, "ticks": {}, "anon": None}
    elapsed = max(now - before["seconds"], 1e-6)
    totals = {name: 0.0 for name, _ in GROUPS}
    totals[OTHERS] = 0.0
    for tid, (comm, ticks) in threads.items():
        spent = ticks - before["ticks"].get(tid, 0)
        totals[group_of(comm)] += 100.0 * spent / TICKS / elapsed
    groups = ", ".join(f"{name} {percent:.0f} %" for name, percent in totals.items())
    change = "" if before["anon"] is None else f" ({anon - before['anon']:+d} kB)"
    print(f"CPU over {elapsed:.0f} s: all {sum(totals.values()):.0f} % of a core; {groups}; "
          f"anonymous memory {anon / 1024:.1f} MB{change}; load average {load_average()}")
    with open(state_file, "w") as f:
        json.dump({"pid": pid, "seconds": now, "ticks": {t: v[1] for t, v in threads.items()}, "anon": anon}, f)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--top", type=int, default=8)
    parser.add_argument("--since", metavar="STATE", help="one line since the last call with this file")
    which = parser.add_mutually_exclusive_group(required=True)
    which.add_argument("--pid", type=int)
    which.add_argument("--name", help="pgrep -f pattern of the process")
    args = parser.parse_args()
    pid = args.pid or find_pid(args.name)
    if args.since:
        summarize_since(pid, args.since)
    else:
        measure(pid, args.seconds, args.top)


if __name__ == "__main__":
    main()
