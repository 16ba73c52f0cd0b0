#!/usr/bin/env python3
"""Recording through Trelvox with and without a time-shift playback running beside it,
under Wine, each mode in turn.

Called by bench/run --playback inside the project's Wine environment. By default the source
is paced by the graph's clock, as a live capture source: the recording takes as long as its
media, and the playback ("~Video" and "~Audio" into Sample Grabbers and Null Renderers,
IMuxTimeShift::Play(100) right after Run) runs for all of it. Every file is checked with
ffprobe before it is deleted.
"""
import argparse
import glob
import os
import subprocess
import sys

from write_bench import (FRAME_BYTES, FRAME_DURATION, CaseFailed, Result, check_recording, clear_folder,
                         frames_for, machine_line, measure_server_start, media_seconds, remove, run_windows,
                         windows_path)

AUDIO_BYTES_PER_SECOND = 48000 * 4


def live_case(args, mode, playback, frames):
    base = os.path.join(args.dir, f"live{mode}")
    figures = run_windows(args.build, "trelvox-live", str(mode), f"{media_seconds(frames):.6f}",
                          windows_path(base), "1" if playback else "0", args.source)
    files = sorted(glob.glob(base + "[0-9][0-9][0-9].avi")) if mode == 0 else [base + ".avi"]
    files = [f for f in files if os.path.exists(f)]
    counted, dropped = int(figures["video"]), int(figures["dropped"])
    # Frames the source skipped are written as null frames, which the mux counts.
    if counted > frames or (dropped == 0 and counted != frames):
        raise CaseFailed(f"live mode {mode}: the mux counted {counted} frames, {dropped} dropped, of {frames}")
    if playback and figures["played"] == 0:
        raise CaseFailed(f"live mode {mode}: nothing was played back")
    size = sum(os.path.getsize(f) for f in files)
    probed = check_recording(files, counted, fewest=counted - dropped)
    remove(files)
    result = Result(f"Trelvox mode {mode}, " + ("playback at 100 %" if playback else "no playback"),
                    size, figures["wall"], figures["user"] + figures["sys"], frames, figures["server"])
    result.played = (int(figures["played"]), int(figures["playedaudio"]))
    result.dropped = dropped
    result.probed = probed
    return result


def source_line(args, frames):
    seconds = media_seconds(frames)
    if args.source == "unthrottled":
        return (f"{frames} frames 1920x1080 YUY2 + 48 kHz stereo PCM = {seconds:.2f} s of media per case, "
                "the source unthrottled (as fast as the writer takes), the graph's clock on; MB = 10^6 bytes")
    rate = (FRAME_BYTES * 1e7 / FRAME_DURATION + AUDIO_BYTES_PER_SECOND) / 1e6
    return (f"{frames} frames 1920x1080 YUY2 + 48 kHz stereo PCM = {seconds:.2f} s of media per case, "
            f"the source paced by the graph's clock, so MB/s is the source's own rate ({rate:.1f} MB/s of media) "
            f"unless the recording falls behind; a playback that keeps up delivers about {frames} frames; "
            "MB = 10^6 bytes")


def print_table(results, frames, args):
    print()
    print(source_line(args, frames))
    print()
    print("| case | MB/s [all] | CPU s per media minute best [all] | wineserver CPU s per media minute [all] "
          "| frames / audio buffers played back [all] | frames dropped (mux) [all] |")
    print("|" + "---|" * 6)
    for case in dict.fromkeys(r.case for r in results):
        runs = [r for r in results if r.case == case]
        speeds = ", ".join(f"{r.mb_per_s:.1f}" for r in runs)
        cpus = ", ".join(f"{r.cpu_per_minute:.1f}" for r in runs)
        servers = ", ".join(f"{r.server_per_minute:.1f}" for r in runs)
        played = ", ".join(f"{r.played[0]}/{r.played[1]}" for r in runs)
        dropped = ", ".join(str(r.dropped) for r in runs)
        print(f"| {case} | {speeds} | {min(r.cpu_per_minute for r in runs):.1f} [{cpus}] | {servers} "
              f"| {played} | {dropped} |")
    print()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True)
    parser.add_argument("--dir", help="folder to write in (default <build>/bench-out)")
    parser.add_argument("--seconds", type=float, default=60, help="seconds of media per case")
    parser.add_argument("--repeat", type=int, default=2, help="runs of each case")
    parser.add_argument("--source", choices=["paced", "unthrottled"], default="paced",
                        help="paced by the graph's clock as a live source, or as fast as the writer takes")
    args = parser.parse_args()
    args.dir = os.path.abspath(args.dir or os.path.join(args.build, "bench-out"))
    os.makedirs(args.dir, exist_ok=True)
    clear_folder(args.dir)
    print(machine_line(args.dir, args.build))
    try:
        measure_server_start(args)
        frames = frames_for(args.seconds)
        results = []
        for run in range(args.repeat):
            for mode in (0, 1):
                for playback in (False, True):
                    os.sync()  # no earlier writes still on their way to the disk
                    result = live_case(args, mode, playback, frames)
                    results.append(result)
                    print(f"run {run + 1}: {result.case}: {result.mb_per_s:.1f} MB/s, "
                          f"{result.cpu_per_minute:.1f} CPU s per media minute, played {result.played[0]}/"
                          f"{result.played[1]}, {result.dropped} dropped, ffprobe {result.probed} frames, "
                          f"load average {os.getloadavg()[0]:.1f}", flush=True)
        print_table(results, frames, args)
    except (CaseFailed, subprocess.TimeoutExpired) as failure:
        print(f"bench: {failure}", file=sys.stderr)
        return 1
    finally:
        clear_folder(args.dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
