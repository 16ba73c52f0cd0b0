#!/usr/bin/env python3
"""Write throughput of the Trelvox multiplexer under Wine, against a plain sequential
write of the same bytes and a peer AVI multiplexer, in one folder.

Called by bench/run inside the project's Wine environment. Every file a case writes is
checked with ffprobe (video frame count, stream formats) before it is deleted; a case whose
file does not check out stops the run.
"""
import argparse
import datetime
import glob
import json
import math
import os
import platform
import resource
import subprocess
import sys
import time

WIDTH, HEIGHT = 1920, 1080
FRAME_BYTES = WIDTH * HEIGHT * 2          # YUY2
FRAME_DURATION = 333667                   # 100 ns units, 29.97 fps
RUN_TIMEOUT = 60 * 60
# Wine runs in the project's Wine 10 root, through the CTest emulator script.
WINE_EXEC = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "wine-exec")


class CaseFailed(Exception):
    pass


def media_seconds(frames):
    return frames * FRAME_DURATION / 1e7


def frames_for(seconds):
    return round(seconds * 1e7 / FRAME_DURATION)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wineserver_pid():
    """The server of our prefix: its working folder is named after the prefix's device and inode."""
    prefix = os.stat(os.environ["WINEPREFIX"])
    folder = f"/server-{prefix.st_dev:x}-{prefix.st_ino:x}"
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/comm") as comm:
                if comm.read().startswith("wineserver") and os.readlink(f"/proc/{pid}/cwd").endswith(folder):
                    return pid
        except OSError:
            continue
    return None


def process_cpu(pid):
    """User plus system seconds of a running process."""
    if pid is None:
        return 0.0
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def run_windows(build, *args):
    """Runs mux_bench.exe; returns its figures as a dict of numbers, with the CPU
    seconds the prefix's wineserver spent meanwhile as "server"."""
    exe = os.path.join(build, "bin", "mux_bench.exe")
    server = wineserver_pid()
    server_before = process_cpu(server)
    done = subprocess.run([WINE_EXEC, build, exe, *args], capture_output=True, text=True, timeout=RUN_TIMEOUT)
    server_cpu = process_cpu(server) - server_before
    lines = [l.strip() for l in done.stdout.splitlines() if l.startswith(("wall=", "error="))]
    if not lines:
        raise CaseFailed(f"mux_bench {' '.join(args)}: exit {done.returncode}, no figures\n{done.stderr[-2000:]}")
    fields = dict(part.split("=", 1) for part in lines[-1].split())
    if "error" in fields:
        said = [l.strip() for l in done.stderr.splitlines() if l.strip() and "X connection" not in l]
        raise CaseFailed(f"mux_bench {args[0]}: {fields['error']}" + (f" ({said[-1]})" if said else ""))
    figures = {key: float(value) for key, value in fields.items()}
    figures["server"] = max(0.0, server_cpu - SERVER_START_CPU[0])
    return figures


# What the wineserver spends on starting and ending a program that does nothing much:
# measured once and taken off every case.
SERVER_START_CPU = [0.0]


def measure_server_start(args):
    path = os.path.join(args.dir, "empty.bin")
    runs = [run_windows(args.build, "plain", "buffered", "0", windows_path(path))["server"] for _ in range(3)]
    os.remove(path)
    SERVER_START_CPU[0] = min(runs)


def probe(path):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-count_frames", "-show_entries",
         "stream=codec_type,codec_name,width,height,sample_rate,channels,nb_read_frames",
         "-of", "json", path], capture_output=True, text=True)
    if out.returncode != 0 or out.stderr.strip():
        raise CaseFailed(f"{path}: ffprobe: {out.stderr.strip()[:500]}")
    return json.loads(out.stdout)["streams"]


def check_recording(files, frames, fewest=None):
    """The files hold the frames in order: 1080 YUY2 video and 48 kHz stereo PCM in each;
    between `fewest` and `frames` video frames when `fewest` is given."""
    if not files:
        raise CaseFailed("no file was written")
    total = 0
    for path in files:
        streams = probe(path)
        video = [s for s in streams if s["codec_type"] == "video"]
        audio = [s for s in streams if s["codec_type"] == "audio"]
        if len(video) != 1 or (video[0]["width"], video[0]["height"]) != (WIDTH, HEIGHT):
            raise CaseFailed(f"{path}: video stream {video}")
        if len(audio) != 1 or audio[0]["codec_name"] != "pcm_s16le" or \
                (audio[0]["sample_rate"], audio[0]["channels"]) != ("48000", 2):
            raise CaseFailed(f"{path}: audio stream {audio}")
        total += int(video[0]["nb_read_frames"])
    if not (frames if fewest is None else fewest) <= total <= frames:
        raise CaseFailed(f"{files}: ffprobe counts {total} video frames, {frames} were written")
    return total


def remove(files):
    for path in files:
        os.remove(path)


# Every file a case writes, so a failed or interrupted run leaves none behind.
OUR_FILES = ["trelvox0[0-9][0-9][0-9].avi", "trelvox1.avi", "live0[0-9][0-9][0-9].avi", "live1.avi",
             "plain-*.bin", "avidest.avi", "ffmpeg.avi", "large.avi", "frame.yuv", "empty.bin"]


def clear_folder(folder):
    remove(path for pattern in OUR_FILES for path in glob.glob(os.path.join(folder, pattern)))


class Result:
    def __init__(self, case, bytes_written, wall, cpu, frames, server_cpu=0.0):
        self.case = case
        self.bytes = bytes_written
        self.wall = wall
        self.cpu = cpu
        self.server_cpu = server_cpu  # the wineserver's, over the whole run of the program
        self.frames = frames

    @property
    def mb_per_s(self):
        return self.bytes / 1e6 / self.wall

    @property
    def cpu_per_minute(self):
        return self.cpu / (media_seconds(self.frames) / 60)

    @property
    def server_per_minute(self):
        return self.server_cpu / (media_seconds(self.frames) / 60)


def trelvox_case(args, mode, frames):
    base = os.path.join(args.dir, f"trelvox{mode}")
    figures = run_windows(args.build, "trelvox", str(mode), f"{media_seconds(frames):.6f}", windows_path(base))
    files = sorted(glob.glob(base + "[0-9][0-9][0-9].avi")) if mode == 0 else [base + ".avi"]
    files = [f for f in files if os.path.exists(f)]
    if figures["video"] != frames or figures["dropped"] != 0:
        raise CaseFailed(f"mode {mode}: the mux counted {figures['video']:.0f} frames, "
                         f"{figures['dropped']:.0f} dropped, of {frames}")
    size = sum(os.path.getsize(f) for f in files)
    check_recording(files, frames)
    remove(files)
    return Result(f"Trelvox mode {mode}" + (" (AVI 1.0 set)" if mode == 0 else " (OpenDML)"),
                  size, figures["wall"], figures["user"] + figures["sys"], frames, figures["server"])


def plain_case(args, style, size, frames):
    path = os.path.join(args.dir, f"plain-{style}.bin")
    figures = run_windows(args.build, "plain", style, str(size), windows_path(path))
    written = os.path.getsize(path)
    if written < size:
        raise CaseFailed(f"{path}: {written} bytes of {size}")
    remove([path])
    label = "plain write, Trelvox's flags" if style == "unbuffered" else "plain write, cached + flush"
    return Result(label, written, figures["wall"], figures["user"] + figures["sys"], frames, figures["server"])


def avidest_case(args, frames):
    path = os.path.join(args.dir, "avidest.avi")
    figures = run_windows(args.build, "avidest", f"{media_seconds(frames):.6f}", windows_path(path))
    if not os.path.exists(path):
        raise CaseFailed("AVI Mux + File Writer wrote no file")
    size = os.path.getsize(path)
    check_recording([path], frames)
    remove([path])
    return Result("Wine AVI Mux + File Writer", size, figures["wall"], figures["user"] + figures["sys"], frames,
                  figures["server"])


def ffmpeg_case(args, frames):
    """ffmpeg's AVI muxer (native Linux), stream copy of the same raw input, cached writes."""
    frame = os.path.join(args.dir, "frame.yuv")
    if not os.path.exists(frame):
        with open(frame, "wb") as f:
            f.write(bytes([90, 128]) * (FRAME_BYTES // 2))
    path = os.path.join(args.dir, "ffmpeg.avi")
    cmd = ["ffmpeg", "-v", "error", "-y", "-nostdin",
           "-f", "rawvideo", "-pix_fmt", "yuyv422", "-s", f"{WIDTH}x{HEIGHT}", "-framerate", "30000/1001",
           "-stream_loop", "-1", "-i", frame,
           "-f", "s16le", "-ar", "48000", "-ac", "2", "-i", "/dev/zero",
           "-map", "0:v", "-map", "1:a", "-c", "copy", "-frames:v", str(frames),
           "-t", f"{media_seconds(frames):.6f}", "-f", "avi", path]
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run(cmd, capture_output=True, text=True, timeout=RUN_TIMEOUT)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        raise CaseFailed(f"ffmpeg: {done.stderr.strip()[:500]}")
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    size = os.path.getsize(path)
    check_recording([path], frames)
    remove([path])
    return Result("ffmpeg AVI muxer (-c copy, Linux)", size, wall, cpu, frames)


def run_peer(args, frames, state):
    if state.get("peer") is None:
        state["peer"] = "ffmpeg" if args.peer == "ffmpeg" else "avidest"
    if state["peer"] == "avidest":
        try:
            return avidest_case(args, frames)
        except (CaseFailed, subprocess.TimeoutExpired) as failure:
            if args.peer == "avidest":
                raise
            state["peer"] = "ffmpeg"
            state["note"] = (f"Wine's AVI Mux + File Writer could not record: {str(failure).splitlines()[0]}; "
                             "the peer is ffmpeg's AVI muxer.")
    return ffmpeg_case(args, frames)


def best(results, case):
    runs = [r for r in results if r.case == case]
    return max(runs, key=lambda r: r.mb_per_s), runs


def print_table(results, frames, state):
    cases = list(dict.fromkeys(r.case for r in results))
    plain, _ = best(results, "plain write, Trelvox's flags")
    cached, _ = best(results, "plain write, cached + flush")
    peer_case = next((c for c in cases if not c.startswith(("Trelvox", "plain"))), None)
    peer = min((r for r in results if r.case == peer_case), key=lambda r: r.cpu_per_minute) if peer_case else None
    print()
    print(f"{frames} frames 1920x1080 YUY2 + 48 kHz stereo PCM = {media_seconds(frames):.2f} s of media per case; "
          f"MB = 10^6 bytes; best of {max(len(best(results, c)[1]) for c in cases)} runs (all runs in brackets)")
    if state.get("note"):
        print(state["note"])
    print()
    header = ("| case | MB written | MB/s best [all] | CPU s per media minute best [all] | wineserver CPU s "
              "per media minute | vs plain (Trelvox's flags) | vs plain cached + flush | CPU vs peer |")
    print(header)
    print("|" + "---|" * 8)
    for case in cases:
        top, runs = best(results, case)
        cpu_best = min(r.cpu_per_minute for r in runs)
        speeds = ", ".join(f"{r.mb_per_s:.0f}" for r in runs)
        cpus = ", ".join(f"{r.cpu_per_minute:.1f}" for r in runs)
        server = "" if case.startswith("ffmpeg") else f"{min(r.server_per_minute for r in runs):.1f}"
        versus_peer = ""
        if peer and case.startswith("Trelvox"):
            with_server = min(r.cpu_per_minute + r.server_per_minute for r in runs)
            versus_peer = (f"{cpu_best / peer.cpu_per_minute:.2f}x "
                           f"({with_server / peer.cpu_per_minute:.2f}x with wineserver)")
        print(f"| {case} | {top.bytes / 1e6:.0f} | {top.mb_per_s:.0f} [{speeds}] | {cpu_best:.1f} [{cpus}] | {server} "
              f"| {top.mb_per_s / plain.mb_per_s:.0%} | {top.mb_per_s / cached.mb_per_s:.0%} | {versus_peer} |")
    print()


def machine_line(folder, build):
    disk = subprocess.run(["findmnt", "-no", "SOURCE,FSTYPE", "-T", folder], capture_output=True, text=True)
    wine = subprocess.run([WINE_EXEC, build, "--version"], capture_output=True, text=True)
    load = os.getloadavg()
    return (f"{datetime.datetime.utcnow():%Y-%m-%d %H:%M} UTC, {os.cpu_count()} cores, {wine.stdout.strip()}, "
            f"folder {folder} on {disk.stdout.strip()}, load average {load[0]:.1f} at start, {platform.node()}")


def large_case(args):
    """One OpenDML recording beyond 4 GiB, read back in full by ffprobe and ffmpeg."""
    frames = math.ceil(args.large_gb * 1e9 / FRAME_BYTES)
    base = os.path.join(args.dir, "large")
    path = base + ".avi"
    print(f"Large recording: {frames} frames ({media_seconds(frames):.2f} s of media) in mode 1 to {path}")
    start = time.perf_counter()
    figures = run_windows(args.build, "trelvox", "1", f"{media_seconds(frames):.6f}", windows_path(base))
    recorded = time.perf_counter() - start
    size = os.path.getsize(path)
    print(f"  recorded {size} bytes ({size / 2**30:.2f} GiB) in {figures['wall']:.1f} s "
          f"({size / 1e6 / figures['wall']:.0f} MB/s, CPU {figures['user'] + figures['sys']:.1f} s, "
          f"{recorded:.1f} s with Wine start); the mux counted {figures['video']:.0f} frames, "
          f"{figures['dropped']:.0f} dropped")
    if size <= 4 * 2**30:
        raise CaseFailed(f"{path} is not beyond 4 GiB")
    start = time.perf_counter()
    check_recording([path], frames)
    print(f"  ffprobe -count_frames: {frames} video frames, as written ({time.perf_counter() - start:.1f} s)")
    for label, extra, expected in (("last 2 s", ["-sseof", "-2"], range(55, 65)),
                                   ("whole file", [], range(frames, frames + 1))):
        start = time.perf_counter()
        done = subprocess.run(["ffmpeg", "-v", "error", "-nostdin", "-nostats", "-progress", "pipe:1", *extra,
                               "-i", path, "-map", "0", "-f", "null", "-"], capture_output=True, text=True)
        decoded = [int(l.split("=")[1]) for l in done.stdout.splitlines() if l.startswith("frame=")]
        if done.returncode != 0 or done.stderr.strip() or not decoded or decoded[-1] not in expected:
            raise CaseFailed(f"ffmpeg decode of the {label}: {decoded[-1:]} frames; {done.stderr.strip()[:500]}")
        print(f"  ffmpeg decodes the {label}: {decoded[-1]} video frames, no error "
              f"({time.perf_counter() - start:.1f} s)")
    start = time.perf_counter()
    check_last_frame(path, frames)
    print(f"  the last frame holds its own picture ({time.perf_counter() - start:.1f} s)")


def check_last_frame(path, frames):
    """The source marks frame n's first line with luma 16 + 7n mod 220."""
    last = frames - 1
    done = subprocess.run(["ffmpeg", "-v", "error", "-nostdin", "-i", path, "-map", "0:v",
                           "-vf", f"select=eq(n\\,{last})", "-vsync", "0", "-f", "rawvideo", "-"],
                          capture_output=True)
    line = WIDTH * 2
    picture = done.stdout
    if done.returncode != 0 or len(picture) != FRAME_BYTES:
        raise CaseFailed(f"frame {last} could not be read back: {done.stderr.decode(errors='replace')[:500]}")
    expected = bytes([16 + (last * 7) % 220, 128]) * WIDTH
    # Either end: the picture may be stored bottom-up.
    if expected not in (picture[:line], picture[-line:]):
        raise CaseFailed(f"frame {last} does not hold its own picture")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True)
    parser.add_argument("--dir", help="folder to write in (default <build>/bench-out)")
    parser.add_argument("--seconds", type=float, default=20, help="seconds of media per case")
    parser.add_argument("--repeat", type=int, default=2, help="runs of each case")
    parser.add_argument("--peer", choices=["auto", "avidest", "ffmpeg"], default="auto")
    parser.add_argument("--large", action="store_true", help="only the recording beyond 4 GiB")
    parser.add_argument("--large-gb", type=float, default=5.0)
    args = parser.parse_args()
    args.dir = os.path.abspath(args.dir or os.path.join(args.build, "bench-out"))
    os.makedirs(args.dir, exist_ok=True)
    clear_folder(args.dir)
    print(machine_line(args.dir, args.build))
    try:
        if args.large:
            large_case(args)
            return 0
        measure_server_start(args)
        frames = frames_for(args.seconds)
        state = {}
        results = []

        def measure(run, case, *case_args):
            os.sync()  # no earlier writes still on their way to the disk
            result = case(args, *case_args)
            results.append(result)
            print(f"run {run + 1}: {result.case}: {result.mb_per_s:.0f} MB/s, "
                  f"{result.cpu_per_minute:.1f} CPU s per media minute", flush=True)
            return result

        for run in range(args.repeat):
            measure(run, trelvox_case, 0, frames)
            opendml = measure(run, trelvox_case, 1, frames)
            measure(run, plain_case, "unbuffered", opendml.bytes, frames)
            measure(run, plain_case, "buffered", opendml.bytes, frames)
            measure(run, run_peer, frames, state)
        print_table(results, frames, state)
    except (CaseFailed, subprocess.TimeoutExpired) as failure:
        print(f"bench: {failure}", file=sys.stderr)
        return 1
    finally:
        clear_folder(args.dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
