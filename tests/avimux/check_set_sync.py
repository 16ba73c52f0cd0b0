#!/usr/bin/env python3
"""Judges AVI 1.0 sets split by size with ffprobe and ffmpeg, each file alone.
Usage: check_set_sync.py FOLDER
Each NAME.json in FOLDER describes the set NAME000.avi, NAME001.avi, ...:
  files             how many files the recorder left (at least 5 are asked for)
  videoFrames       video chunks the recorder counted (null frames included)
  audioBytes        audio bytes it counted
  audioBufferBytes  the size of the audio buffers it was given
  maxFileBytes      the size limit of a file
Every file must decode and stay below the limit; at the start of every file the audio
and the video in the files before it must play for the same time within one audio
buffer; the whole set must hold every video chunk and every audio byte."""
import glob
import json
import os
import subprocess
import sys
from fractions import Fraction

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def streams_and_packets(path):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-show_streams", "-show_packets", "-of", "json", path],
        capture_output=True, text=True)
    if out.returncode != 0 or out.stderr.strip():
        fail(f"{path}: ffprobe: {out.stderr.strip()}")
    result = json.loads(out.stdout or "{}")
    return result.get("streams", []), result.get("packets", [])


def decode_errors(path):
    out = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "null", "-"],
                         capture_output=True, text=True)
    return "" if out.returncode == 0 and not out.stderr.strip() else out.stderr.strip() or "exit status"


def stream_end(stream, packets):
    """Seconds from the file's start to the end of the stream's last packet, as a
    player of this file alone reckons it (the stream's start included)."""
    mine = [p for p in packets if p["stream_index"] == stream["index"]]
    if not mine:
        return Fraction(0), 0, 0
    base = Fraction(stream["time_base"])
    last = max(mine, key=lambda p: int(p["pts"]))
    end = (int(last["pts"]) + int(last.get("duration", 1))) * base
    # ffprobe lists no packet for the empty chunks of null frames at a file's end; the
    # header's length counts them, and a player holds the last picture through them.
    if stream.get("codec_type") == "video" and str(stream.get("duration_ts", "")).isdigit():
        end = max(end, int(stream["duration_ts"]) * base)
    return end, len(mine), sum(int(p["size"]) for p in mine)


def check_set(folder, description):
    name = description["base"]
    files = sorted(glob.glob(os.path.join(folder, name + "[0-9][0-9][0-9].avi")))
    if len(files) != description["files"] or len(files) < 5:
        fail(f"{name}: {len(files)} files, the recorder left {description['files']}, at least 5 asked for")
    video_before = audio_before = Fraction(0)
    video_frames = audio_bytes = 0
    buffer_time = None
    for index, path in enumerate(files):
        if os.path.getsize(path) >= description["maxFileBytes"]:
            fail(f"{path}: {os.path.getsize(path)} bytes, past the limit {description['maxFileBytes']}")
        errors = decode_errors(path)
        if errors:
            fail(f"{path}: ffmpeg: {errors}")
        streams, packets = streams_and_packets(path)
        video = [s for s in streams if s.get("codec_type") == "video"]
        audio = [s for s in streams if s.get("codec_type") == "audio"]
        if len(video) != 1 or len(audio) != 1:
            fail(f"{path}: {len(video)} video and {len(audio)} audio streams")
            return
        rate = int(audio[0]["sample_rate"]) * int(audio[0]["channels"]) * int(audio[0]["bits_per_sample"]) // 8
        buffer_time = Fraction(description["audioBufferBytes"], rate)
        if index > 0:
            gap = audio_before - video_before
            print(f"{name}{index:03d}.avi starts with audio - video = {float(gap) * 1000:+.1f} ms")
            if abs(gap) > buffer_time:
                fail(f"{path}: audio written before it is {float(gap):+.3f} s from the video, "
                     f"more than one audio buffer ({float(buffer_time):.3f} s)")
        video_end, _, _ = stream_end(video[0], packets)
        audio_end, _, audio_size = stream_end(audio[0], packets)
        video_before += video_end
        audio_before += audio_end
        video_frames += round(video_end / Fraction(video[0]["time_base"]))
        audio_bytes += audio_size
    if video_frames != description["videoFrames"]:
        fail(f"{name}: {video_frames} video frames in the set, {description['videoFrames']} recorded")
    if audio_bytes != description["audioBytes"]:
        fail(f"{name}: {audio_bytes} audio bytes in the set, {description['audioBytes']} recorded")


def main():
    folder = sys.argv[1]
    descriptions = sorted(glob.glob(os.path.join(folder, "*.json")))
    if not descriptions:
        fail(f"no set described in {folder}")
    for path in descriptions:
        with open(path) as f:
            check_set(folder, json.load(f))
    print(f"{len(descriptions)} sets judged, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
