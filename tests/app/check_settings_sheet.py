#!/usr/bin/env python3
"""Reads what tavrik_settings_sheet_test made through the settings sheet: the first
record profile with olefile, stream by stream, and each recording with ffprobe and
ffmpeg. Usage: check_settings_sheet.py FOLDER (the test's tavrik-sheet folder)."""
import json
import os
import struct
import subprocess
import sys

import olefile

NULL_GUIDS = "{00000000-0000-0000-0000-000000000000}{00000000-0000-0000-0000-000000000000}"
NULL_VIDEO = "@nullvideo:" + NULL_GUIDS
NULL_AUDIO = "@nullaudio:" + NULL_GUIDS
TRELVOX = "@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{D08CC138-30DF-4FCD-9B0E-D565343B6EF7}"
UNCOMPRESSED = " \u7121\u5727\u7e2e"
NO_CONTROL = 0

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def u32(value):
    return struct.pack("<I", value)


def string(text):
    units = text.encode("utf-16-le")
    return u32(len(units) // 2 + 1) + units + b"\0\0"


def block(*fields, size):
    data = b"".join(u32(f) for f in (size,) + fields)
    return data + bytes(size - len(data))


# No preview while recording off, load thread on, no swap, priority "制御しない".
FIRST_USE = {
    "COMMON": string("TavrikProfile") + string("v1.20"),
    "Record": u32(1) + u32(96) + block(0, 1, 0, NO_CONTROL, size=96),
    "VideoCompressor": u32(1) + string(UNCOMPRESSED) + string(NULL_VIDEO) + string("VFWN") + string("PSN"),
    "AudioCompressor": u32(1) + string(UNCOMPRESSED) + string(NULL_AUDIO) + string("PSN"),
}
MUX_HEAD = u32(1) + string("Pelkor AVI Mux") + string(TRELVOX) + string("PSH")


def check_profile(path):
    if not olefile.isOleFile(path):
        fail(f"{path}: not a compound file")
        return
    with olefile.OleFileIO(path) as ole:
        names = sorted("/".join(entry) for entry in ole.listdir(streams=True, storages=True))
        expected = sorted(list(FIRST_USE) + ["Mux"])
        if names != expected:
            fail(f"{path}: streams {names}, expected {expected}")
        for name, data in FIRST_USE.items():
            if ole.exists(name) and ole.openstream(name).read() != data:
                fail(f"{path}: stream {name} differs: {ole.openstream(name).read().hex()}")
        mux = ole.openstream("Mux").read() if ole.exists("Mux") else b""
        if not mux.startswith(MUX_HEAD) or len(mux) == len(MUX_HEAD):
            fail(f"{path}: Mux stream {mux[:160].hex()} does not hold Trelvox with its state")
    print(f"{path}: streams {names} as expected")


def check_recording(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-of", "json", path],
                         capture_output=True, text=True)
    if out.returncode != 0 or out.stderr.strip():
        fail(f"{path}: ffprobe: {out.stderr.strip()}")
        return
    streams = json.loads(out.stdout or "{}").get("streams", [])
    kinds = sorted(s.get("codec_type") for s in streams)
    if kinds != ["audio", "video"]:
        fail(f"{path}: streams {kinds}")
        return
    video = next(s for s in streams if s["codec_type"] == "video")
    if (video.get("width"), video.get("height")) != (720, 480) or int(video.get("nb_read_frames", 0)) < 30:
        fail(f"{path}: video {video.get('width')}x{video.get('height')}, {video.get('nb_read_frames')} frames")
    decode = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0", "-f", "null", "-"],
                            capture_output=True, text=True)
    if decode.returncode != 0 or decode.stderr.strip():
        fail(f"{path}: ffmpeg: {decode.stderr.strip()}")
    print(f"{path}: {video.get('nb_read_frames')} video frames, audio present, decoded")


def main(folder):
    profile = os.path.join(folder, "first-use-record.dat")
    if os.path.exists(profile):
        check_profile(profile)
    else:
        fail(f"{profile}: missing")
    notes = os.path.join(folder, "recordings.txt")
    recordings = open(notes).read().split() if os.path.exists(notes) else []
    if len(recordings) < 2:
        fail(f"{len(recordings)} recordings noted, expected two")
    for relative in recordings:
        check_recording(os.path.join(folder, relative))
        os.remove(os.path.join(folder, relative))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
