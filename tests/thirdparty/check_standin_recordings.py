#!/usr/bin/env python3
"""Judges the recordings made through the stand-in compressors with ffprobe and ffmpeg.
Usage: check_standin_recordings.py RECORDINGS_DIR
Each FILE.note ("VIDEO_CODEC WIDTH HEIGHT AUDIO_CODEC CHANNELS RATE", written by the Windows
test) says what FILE must hold; every frame of both streams must decode without an error."""
import glob
import json
import os
import subprocess
import sys

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def check(avi, note):
    video_codec, width, height, audio_codec, channels, rate = open(note).read().split()
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-of", "json", avi],
                         capture_output=True, text=True)
    if out.returncode != 0 or out.stderr.strip():
        fail(f"{avi}: ffprobe: {out.stderr.strip()}")
    streams = json.loads(out.stdout or "{}").get("streams", [])
    video = [s for s in streams if s.get("codec_type") == "video"]
    audio = [s for s in streams if s.get("codec_type") == "audio"]
    if len(video) != 1 or len(audio) != 1:
        fail(f"{avi}: {len(video)} video and {len(audio)} audio streams")
        return
    v, a = video[0], audio[0]
    for stream, key, value in [(v, "codec_name", video_codec), (v, "width", int(width)), (v, "height", int(height)),
                               (a, "codec_name", audio_codec), (a, "channels", int(channels)),
                               (a, "sample_rate", rate)]:
        if stream.get(key) != value:
            fail(f"{avi}: {stream.get('codec_type')} {key} {stream.get(key)!r}, expected {value!r}")
    frames = int(v.get("nb_read_frames", 0))
    if frames < 30 or str(frames) != v.get("nb_frames"):
        fail(f"{avi}: {frames} frames decoded of {v.get('nb_frames')} in the header")
    decoded = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", avi, "-f", "null", "-"],
                             capture_output=True, text=True)
    if decoded.returncode != 0 or decoded.stderr.strip():
        fail(f"{avi}: ffmpeg decode: {decoded.returncode} {decoded.stderr.strip()}")
    print(f"{os.path.basename(avi)}: {v.get('codec_name')} {v.get('width')}x{v.get('height')} {frames} frames, "
          f"{a.get('codec_name')} {a.get('channels')} ch {a.get('sample_rate')} Hz, "
          f"{a.get('nb_read_frames')} audio frames")


def main(folder):
    notes = sorted(glob.glob(os.path.join(folder, "*.note")))
    if len(notes) < 2:
        fail(f"{folder}: {len(notes)} recordings noted, expected 2")
    for note in notes:
        check(note[:-len(".note")], note)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
