#!/usr/bin/env python3
"""Judges Tavrik's recordings with ffprobe and ffmpeg, as the Tavrik tests noted them.
Usage: check_tavrik_recordings.py TEST_DIR [FOLDER]
Each line of TEST_DIR/FOLDER/expect.txt (FOLDER: tavrik-recordings unless given): a file
relative to TEST_DIR, the frames the report counted ("-" when the file holds fewer), the null
frames the file must hold, the channel (L or R) that carries the simulated card's sample
counter and, when given, the picture size (WIDTHxHEIGHT).
Every file is deleted once judged."""
import array
import json
import os
import subprocess
import sys

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def video_stream(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-count_packets", "-select_streams", "v",
                          "-show_streams", "-of", "json", path], capture_output=True, text=True)
    if out.returncode != 0 or out.stderr.strip():
        fail(f"{path}: ffprobe: {out.stderr.strip()}")
    streams = json.loads(out.stdout or "{}").get("streams", [])
    return streams[0] if len(streams) == 1 else None


def decode_errors(path):
    out = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0", "-f", "null", "-"],
                         capture_output=True, text=True)
    return out.stderr.strip() if out.returncode == 0 else f"exit {out.returncode}: {out.stderr.strip()}"


def counting_channel(path):
    """The channel whose samples, decoded by ffmpeg, count up by one from one frame to the next."""
    out = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0:a", "-f", "s16le", "-"],
                         capture_output=True)
    samples = array.array("h", out.stdout)
    for channel, name in ((0, "L"), (1, "R")):
        values = samples[channel::2]
        steps = sum(1 for a, b in zip(values, values[1:]) if (b - a) % 65536 == 1)
        if values and steps > 0.99 * (len(values) - 1):
            return name
    return "none"


def judge(test_dir, relative, frames, nulls, counter, size=None):
    path = os.path.join(test_dir, relative)
    if not os.path.exists(path):
        fail(f"{relative}: missing")
        return
    try:
        video = video_stream(path)
        if not video:
            fail(f"{relative}: no single video stream")
            return
        found = f"{video.get('width')}x{video.get('height')}"
        if size and found != size:
            fail(f"{relative}: the picture is {found}, expected {size}")
        read = int(video.get("nb_read_frames", 0))
        indexed = int(video.get("nb_frames", 0))
        if frames != "-" and abs(read - int(frames)) > 1:
            fail(f"{relative}: ffprobe read {read} frames, the report counted {frames}")
        if read < 1 or indexed - read != nulls:
            fail(f"{relative}: {indexed} frames in the header, {read} read, expected {nulls} null frames")
        errors = decode_errors(path)
        if errors:
            fail(f"{relative}: ffmpeg: {errors}")
        found = counting_channel(path)
        if found != counter:
            fail(f"{relative}: the sample counter is on channel {found}, expected {counter}")
        print(f"{relative}: {read} frames read, {indexed - read} null frames, report {frames}")
    finally:
        os.remove(path)


def main(test_dir, folder):
    notes = os.path.join(test_dir, folder, "expect.txt")
    if not os.path.exists(notes):
        fail("no recordings were noted")
        return 1
    with open(notes) as lines:
        for line in lines:
            relative, frames, nulls, counter, *size = line.split()
            judge(test_dir, relative, frames, int(nulls), counter, *size)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "tavrik-recordings"))
