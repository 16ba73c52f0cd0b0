#!/usr/bin/env python3
"""Judges the engine's recordings with ffprobe and ffmpeg, against the figures
of their reports. Usage: check_engine_recordings.py RECORDINGS_DIR SMALL_DISK_DIR"""
import json
import os
import re
import subprocess
import sys

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def streams_of(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-of", "json", path],
                         capture_output=True, text=True)
    if out.returncode != 0 or out.stderr.strip():
        fail(f"{path}: ffprobe: {out.stderr.strip()}")
    return json.loads(out.stdout or "{}").get("streams", [])


def decodes(path):
    out = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "null", "-"],
                         capture_output=True, text=True)
    if out.returncode != 0 or out.stderr.strip():
        fail(f"{path}: ffmpeg decode: {out.returncode} {out.stderr.strip()}")


def report_figure(text, label):
    found = re.search(r"^" + re.escape(label) + r" +(-?\d+)", text, re.M)
    return int(found.group(1)) if found else None


def check_report(path):
    data = open(path, "rb").read()
    text = data.decode("utf-8")  # fails the check on anything but UTF-8
    if data.count(b"\n") != data.count(b"\r\n"):
        fail(f"{path}: a line does not end in CR LF")
    return text


def check_recording(avi, log, width, height):
    if not os.path.exists(avi):
        fail(f"{avi}: missing")
        return
    streams = streams_of(avi)
    video = [s for s in streams if s.get("codec_type") == "video"]
    sound = [s for s in streams if s.get("codec_type") == "audio"]
    if len(video) != 1 or len(sound) != 1:
        fail(f"{avi}: {len(video)} video and {len(sound)} audio streams")
        return
    for key, value in {"codec_tag_string": "YUY2", "width": width, "height": height}.items():
        if video[0].get(key) != value:
            fail(f"{avi}: video {key} {video[0].get(key)!r}, expected {value!r}")
    for key, value in {"codec_name": "pcm_s16le", "sample_rate": "48000", "channels": 2}.items():
        if sound[0].get(key) != value:
            fail(f"{avi}: audio {key} {sound[0].get(key)!r}, expected {value!r}")
    decodes(avi)
    frames = int(video[0].get("nb_read_frames", 0))
    text = check_report(log)
    total, dropped = report_figure(text, "Total frame:"), report_figure(text, "Drop frame:")
    if total is None or dropped is None:
        fail(f"{log}: no frame figures")
    # The multiplexer fills the frames the card left out, so the file holds both.
    elif abs(frames - (total + dropped)) > 2:
        fail(f"{avi}: {frames} frames, the report counted {total} and {dropped} dropped")
    print(f"{os.path.basename(avi)}: {frames} frames, report {total} + {dropped} dropped")


def main(folder, small_disk):
    check_recording(os.path.join(folder, "engine_rec000.avi"), os.path.join(folder, "engine_rec.log"), 720, 480)
    full = os.path.join(small_disk, "engine_full000.avi")
    if os.path.ismount(small_disk) and os.path.exists(full):
        streams_of(full)
        decodes(full)
        check_report(os.path.join(folder, "engine_full.log"))
        print("engine_full000.avi: decoded")
    else:
        print("engine_full: no small volume, not checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
