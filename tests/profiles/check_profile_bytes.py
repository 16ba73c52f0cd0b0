#!/usr/bin/env python3
"""Reads the profiles written by profile_samples with olefile and compares every
stream with the bytes the format prescribes. Usage: check_profile_bytes.py FOLDER"""
import struct
import sys
from pathlib import Path

import olefile

from profile_bytes import NULL_AUDIO, NULL_VIDEO, UNCOMPRESSED, block, string, u32

CATEGORY = "{6C1E2B10-5A4D-4C1B-9E3F-7A1D2C3B4ECA}"
PLAIN = "@device:sw:" + CATEGORY + "\\{6C1E2B10-5A4D-4C1B-9E3F-7A1D2C3B4E01}"
PERSIST = "@device:sw:" + CATEGORY + "\\{6C1E2B10-5A4D-4C1B-9E3F-7A1D2C3B4E02}"
VFW = "@device:sw:" + CATEGORY + "\\{6C1E2B10-5A4D-4C1B-9E3F-7A1D2C3B4E03}"



def test_state(blob):
    return b"TFS1" + u32(len(blob)) + blob


def wave_format(tag, channels, rate, bits, extra=b""):
    align = channels * bits // 8
    return struct.pack("<HHIIHHH", tag, channels, rate, rate * align, align, bits, len(extra)) + extra


COMMON = string("TavrikProfile") + string("v1.20")
PCM_STEREO = wave_format(1, 2, 48000, 16)
MP3_LIKE = wave_format(0x55, 2, 48000, 0, bytes([0xAB]) * 12)
PCM_MONO = wave_format(1, 1, 44100, 16)

EXPECTED = {
    "record.dat": {
        "COMMON": COMMON,
        "Record": u32(1) + u32(96) + block(1, 0, 1, 128, size=96),
        "VideoCompressor": u32(1) + string("Test VfW Codec") + string(VFW)
        + string("VFWH") + u32(15) + b"DRIVER-STATE\0\1\2" + string("PSN"),
        "AudioCompressor": u32(1) + string("") + string(PERSIST) + string("PSH") + test_state(b"AUDIO-STATE"),
        "AudioFormatList": u32(1) + u32(2) + u32(18) + PCM_STEREO + u32(30) + MP3_LIKE + u32(18) + PCM_MONO + u32(0),
        "Mux": u32(1) + string("Mux Filter") + string(PERSIST) + string("PSH") + test_state(b"MUX"),
    },
    "record-null.dat": {
        "COMMON": COMMON,
        "Record": u32(1) + u32(96) + block(0, 0, 0, 32, size=96),
        "VideoCompressor": u32(1) + string(UNCOMPRESSED) + string(NULL_VIDEO) + string("VFWN") + string("PSN"),
        "AudioCompressor": u32(1) + string(UNCOMPRESSED) + string(NULL_AUDIO) + string("PSN"),
        "Mux": u32(1) + string("Plain Mux") + string(PLAIN) + string("PSN"),
    },
    "record-getstate.dat": {
        "COMMON": COMMON,
        "VideoCompressor": u32(1) + string("Broken Codec") + string(VFW) + string("VFWH") + u32(0) + string("PSN"),
    },
    "preview.dat": {
        "COMMON": COMMON,
        "PARAMS": u32(92) + block(1, 1, 0, 256, size=92),
        "PreviewFilters": u32(1) + u32(1) + string("Deinterlace") + string(PERSIST) + string("PSH") + test_state(b"BOB"),
    },
    "preview-null.dat": {
        "COMMON": COMMON,
        "PARAMS": u32(92) + block(0, 0, 0, 32, size=92),
        "PreviewFilters": u32(1) + u32(1) + string(UNCOMPRESSED) + string(NULL_VIDEO) + string("PSN"),
    },
}


def first_difference(actual, expected):
    for i, (a, b) in enumerate(zip(actual, expected)):
        if a != b:
            return i
    return min(len(actual), len(expected))


def check(folder):
    failures = []
    for name, streams in EXPECTED.items():
        path = folder / name
        if not olefile.isOleFile(str(path)):
            failures.append(f"{name}: not a compound file")
            continue
        with olefile.OleFileIO(str(path)) as ole:
            entries = ole.listdir(streams=True, storages=True)
            if any(len(entry) != 1 for entry in entries) or ole.listdir(streams=False, storages=True):
                failures.append(f"{name}: the root must hold streams only, found {entries}")
            found = sorted(entry[0] for entry in entries)
            if found != sorted(streams):
                failures.append(f"{name}: streams {found}, expected {sorted(streams)}")
            for stream, expected in streams.items():
                if not ole.exists(stream):
                    continue
                actual = ole.openstream(stream).read()
                if actual != expected:
                    at = first_difference(actual, expected)
                    failures.append(
                        f"{name}/{stream}: {len(actual)} bytes, expected {len(expected)}; first difference at {at}:\n"
                        f"    actual   {actual[at:at + 24].hex(' ')}\n    expected {expected[at:at + 24].hex(' ')}")
                else:
                    print(f"ok  {name}/{stream} ({len(actual)} bytes)")
    return failures


def main():
    failures = check(Path(sys.argv[1]))
    for failure in failures:
        print("MISMATCH " + failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
