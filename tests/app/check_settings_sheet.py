#!/usr/bin/env python3
"""Reads what tavrik_settings_sheet_test made through the settings sheet: the first
record profile, the one with the stand-in compressors and the one a failed save kept
with olefile, stream by stream, and each recording with ffprobe and ffmpeg (streams, codecs, a full decode). Usage: check_settings_sheet.py FOLDER (the test's tavrik-sheet folder)."""
import json
import os
import struct
import subprocess
import sys

import olefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "profiles"))
from profile_bytes import NULL_AUDIO, NULL_VIDEO, UNCOMPRESSED, block, string, u32  # noqa: E402

TRELVOX = "@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{D08CC138-30DF-4FCD-9B0E-D565343B6EF7}"
NO_CONTROL = 0

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)



# No preview while recording off, load thread on, no swap, priority "制御しない".
FIRST_USE = {
    "COMMON": string("TavrikProfile") + string("v1.20"),
    "Record": u32(1) + u32(96) + block(0, 1, 0, NO_CONTROL, size=96),
    "VideoCompressor": u32(1) + string(UNCOMPRESSED) + string(NULL_VIDEO) + string("VFWN") + string("PSN"),
    "AudioCompressor": u32(1) + string(UNCOMPRESSED) + string(NULL_AUDIO) + string("PSN"),
}
MUX_HEAD = u32(1) + string("Pelkor AVI Mux") + string(TRELVOX) + string("PSH")
MOTION_JPEG = "@device:sw:{33D9A760-90C8-11D0-BD43-00A0C911CE86}\\{D0753715-C2EF-4D00-8623-5088AF196DD4}"
G711 = "@device:sw:{33D9A761-90C8-11D0-BD43-00A0C911CE86}\\{54D05EDC-DA62-4993-BDBA-ACF061206563}"
# The Motion JPEG compressor's driver state: "SMJP", version 1, quality 75.
VIDEO_WITH_STATE = (u32(1) + string("Stand-in Motion JPEG Compressor") + string(MOTION_JPEG) + string("VFWH")
                    + u32(12) + b"SMJP" + u32(1) + u32(75) + string("PSN"))
AUDIO_HEAD = u32(1) + string("Stand-in G.711 Audio Compressor") + string(G711) + string("PSH")


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


def check_compressors(path):
    with olefile.OleFileIO(path) as ole:
        video = ole.openstream("VideoCompressor").read()
        if video != VIDEO_WITH_STATE:
            fail(f"{path}: VideoCompressor {video.hex()}")
        audio = ole.openstream("AudioCompressor").read()
        if not audio.startswith(AUDIO_HEAD) or len(audio) == len(AUDIO_HEAD):
            fail(f"{path}: AudioCompressor {audio.hex()} does not hold the G.711 compressor with its state")
        if not ole.exists("AudioFormatList"):
            fail(f"{path}: no AudioFormatList")
    print(f"{path}: VFWH with the Motion JPEG state, PSH with the G.711 state")


def check_kept(path):
    """The profile a failed save left alone: whole, its six audio pairs without outputs."""
    with olefile.OleFileIO(path) as ole:
        names = sorted(entry[0] for entry in ole.listdir())
        expected = sorted(["COMMON", "Record", "VideoCompressor", "AudioCompressor", "AudioFormatList", "Mux"])
        if names != expected:
            fail(f"{path}: streams {names}, expected {expected}")
            return
        formats = ole.openstream("AudioFormatList").read()
        pairs, at, outputs = struct.unpack_from("<I", formats, 4)[0], 8, []
        for _ in range(pairs):
            at += 4 + struct.unpack_from("<I", formats, at)[0]
            outputs.append(struct.unpack_from("<I", formats, at)[0])
            at += 4 + outputs[-1]
        if pairs != 6 or any(outputs) or at != len(formats):
            fail(f"{path}: AudioFormatList {formats.hex()}")
        if not ole.openstream("Mux").read().startswith(MUX_HEAD):
            fail(f"{path}: Mux does not hold Trelvox")
    print(f"{path}: whole, six audio pairs without outputs")


def check_recording(path, video_codec, audio_codec, channels, rate):
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
    audio = next(s for s in streams if s["codec_type"] == "audio")
    if (video.get("codec_name"), video.get("width"), video.get("height")) != (video_codec, 720, 480) \
            or int(video.get("nb_read_frames", 0)) < 30:
        fail(f"{path}: video {video.get('codec_name')} {video.get('width')}x{video.get('height')}, "
             f"{video.get('nb_read_frames')} frames")
    if (audio.get("codec_name"), audio.get("channels"), audio.get("sample_rate")) != (audio_codec, channels, rate):
        fail(f"{path}: audio {audio.get('codec_name')} {audio.get('channels')}ch {audio.get('sample_rate')} Hz, "
             f"expected {audio_codec} {channels}ch {rate} Hz")
    decode = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0", "-f", "null", "-"],
                            capture_output=True, text=True)
    if decode.returncode != 0 or decode.stderr.strip():
        fail(f"{path}: ffmpeg: {decode.stderr.strip()}")
    print(f"{path}: {video.get('codec_name')} {video.get('nb_read_frames')} frames, {audio.get('codec_name')} "
          f"{audio.get('channels')}ch {audio.get('sample_rate')} Hz, decoded")


def main(folder):
    profile = os.path.join(folder, "first-use-record.dat")
    if os.path.exists(profile):
        check_profile(profile)
    else:
        fail(f"{profile}: missing")
    compressors = os.path.join(folder, "compressors-record.dat")
    if os.path.exists(compressors):
        check_compressors(compressors)
    else:
        fail(f"{compressors}: missing")
    kept = os.path.join(folder, "kept-record.dat")
    if os.path.exists(kept):
        check_kept(kept)
    else:
        fail(f"{kept}: missing")
    notes = os.path.join(folder, "recordings.txt")
    recordings = open(notes).read().splitlines() if os.path.exists(notes) else []
    if len(recordings) < 3:
        fail(f"{len(recordings)} recordings noted, expected three")
    for line in recordings:
        relative, video_codec, audio_codec, channels, rate = line.split()
        check_recording(os.path.join(folder, relative), video_codec, audio_codec, int(channels), rate)
        os.remove(os.path.join(folder, relative))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
