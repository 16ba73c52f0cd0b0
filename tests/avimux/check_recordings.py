#!/usr/bin/env python3
"""Judges the multiplexer's recordings with ffprobe and ffmpeg.
Usage: check_recordings.py RECORDINGS_DIR SMALL_DISK_DIR
       check_recordings.py --notes FOLDER
With --notes, each FILE.note in FOLDER ("WIDTH HEIGHT PICTURES", written by a Windows
test) asks for FILE to hold exactly that many pictures; both are deleted once judged."""
import glob
import json
import os
import subprocess
import sys

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def probe(path):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-of", "json", path],
        capture_output=True, text=True)
    if out.returncode != 0 or out.stderr.strip():
        fail(f"{path}: ffprobe: {out.stderr.strip()}")
    return json.loads(out.stdout or "{}").get("streams", [])


def decode_errors(path):
    out = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "null", "-"],
                         capture_output=True, text=True)
    return out.returncode, out.stderr.strip()


def check_video(path, stream, width, height):
    expect = {"codec_name": "rawvideo", "codec_tag_string": "YUY2", "width": width, "height": height,
              "r_frame_rate": "10000000/333667"}
    for key, value in expect.items():
        if stream.get(key) != value:
            fail(f"{path}: video {key} {stream.get(key)!r}, expected {value!r}")
    return int(stream.get("nb_read_frames", 0))


def check_audio(path, stream):
    expect = {"codec_name": "pcm_s16le", "sample_rate": "48000", "channels": 2}
    for key, value in expect.items():
        if stream.get(key) != value:
            fail(f"{path}: audio {key} {stream.get(key)!r}, expected {value!r}")


def check_set(folder, prefix, width, height, frames, audio=True):
    files = sorted(glob.glob(os.path.join(folder, prefix + "[0-9][0-9][0-9].avi")))
    if not files:
        fail(f"no files {prefix}NNN.avi")
        return
    total = 0
    for path in files:
        streams = probe(path)
        video = [s for s in streams if s.get("codec_type") == "video"]
        sound = [s for s in streams if s.get("codec_type") == "audio"]
        if width:
            if len(video) != 1:
                fail(f"{path}: {len(video)} video streams")
            else:
                total += check_video(path, video[0], width, height)
        elif video:
            fail(f"{path}: unexpected video stream")
        if audio and len(sound) != 1:
            fail(f"{path}: {len(sound)} audio streams")
        elif audio:
            check_audio(path, sound[0])
        code, errors = decode_errors(path)
        if code != 0 or errors:
            fail(f"{path}: ffmpeg decode: {code} {errors}")
    if width and total != frames:
        fail(f"{prefix}: {total} video frames over {len(files)} files, expected {frames}")
    print(f"{prefix}: {len(files)} files, {total} frames")


def decode_counting(path):
    """Decodes every stream; returns the exit code, the errors and the video frames
    decoded, none added or dropped."""
    out = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0",
                          "-fps_mode", "passthrough", "-f", "null", "-progress", "pipe:1", "-"],
                         capture_output=True, text=True)
    frames = [int(line[6:]) for line in out.stdout.splitlines() if line.startswith("frame=")]
    return out.returncode, out.stderr.strip(), frames[-1] if frames else 0


def single_streams(path):
    """The file's one video and one audio stream, or None once the failure is told."""
    streams = probe(path)
    video = [s for s in streams if s.get("codec_type") == "video"]
    sound = [s for s in streams if s.get("codec_type") == "audio"]
    if len(video) != 1 or len(sound) != 1:
        fail(f"{path}: {len(video)} video and {len(sound)} audio streams")
        return None
    return video[0], sound[0]


def check_decode(path, read, frames):
    """ffmpeg decodes every frame ffprobe read, and those are all the frames recorded."""
    code, errors, decoded = decode_counting(path)
    if code != 0 or errors or read != frames or decoded != frames:
        fail(f"{path}: ffprobe read {read}, ffmpeg decoded {decoded} of {frames}: {code} {errors}")
    return decoded


def check_open_dml(folder, frames):
    """The OpenDML recording beyond 2 GiB; deleted once judged."""
    path = os.path.join(folder, "odml_.avi")
    if not os.path.exists(path):
        fail(f"{path}: missing")
        return
    try:
        if os.path.getsize(path) <= 2 << 30:
            fail(f"{path}: only {os.path.getsize(path)} bytes")
        streams = single_streams(path)
        if not streams:
            return
        video, sound = streams
        read = check_video(path, video, 1920, 1080)
        check_audio(path, sound)
        expect = {(0, "nb_frames"): str(frames), (1, "nb_frames"): str(frames * 1600)}
        for (index, key), value in expect.items():
            got = streams[index].get(key)
            if got != value:
                fail(f"{path}: stream {index} {key} {got!r}, expected {value!r}")
        duration = float(video.get("duration", 0))
        if abs(duration - frames * 333667e-7) > 1e-3:
            fail(f"{path}: video duration {duration}")
        decoded = check_decode(path, read, frames)
        print(f"odml_: {os.path.getsize(path)} bytes, {read} frames read, {decoded} decoded")
    finally:
        os.remove(path)


def check_killed(folder):
    path = os.path.join(folder, "killed_000.avi")
    streams = probe(path)
    video = [s for s in streams if s.get("codec_type") == "video"]
    if len(video) != 1:
        fail(f"{path}: no video stream")
        return
    frames = check_video(path, video[0], 720, 480)
    code, errors = decode_errors(path)
    if code != 0:
        fail(f"{path}: ffmpeg decode failed: {errors}")
    if frames < 5:
        fail(f"{path}: only {frames} frames decoded")
    print(f"killed_: {frames} frames decoded" + (f" (ffmpeg: {errors})" if errors else ""))


def check_disk_full(folder):
    path = os.path.join(folder, "full_000.avi")
    if not os.path.ismount(folder) or not os.path.exists(path):
        print("full_: no small volume, not checked")
        return
    streams = probe(path)
    video = [s for s in streams if s.get("codec_type") == "video"]
    frames = check_video(path, video[0], 720, 480) if video else 0
    code, errors = decode_errors(path)
    if code != 0 or frames < 1:
        fail(f"{path}: {frames} frames, ffmpeg: {errors}")
    print(f"full_: {frames} frames decoded" + (f" (ffmpeg: {errors})" if errors else ""))


def check_noted(note):
    path = note[:-len(".note")]
    try:
        width, height, pictures = (int(word) for word in open(note).read().split())
        streams = single_streams(path)
        if not streams:
            return
        read = check_video(path, streams[0], width, height)
        check_audio(path, streams[1])
        decoded = check_decode(path, read, pictures)
        print(f"{os.path.basename(path)}: {read} frames read by ffprobe, {decoded} decoded by ffmpeg, "
              f"{pictures} expected")
    finally:
        for done in (path, note):
            if os.path.exists(done):
                os.remove(done)


def check_notes(folder):
    notes = sorted(glob.glob(os.path.join(folder, "*.note")))
    if not notes:
        fail(f"no notes in {folder}")
    for note in notes:
        check_noted(note)
    return 1 if failures else 0


def check_time_shift(folder):
    """The recordings made while the time-shift pins played them back: complete as usual."""
    for prefix in ("tsplay0_", "tsplay1_"):
        count_file = os.path.join(folder, prefix + "frames.txt")
        if not os.path.exists(count_file):
            fail(f"{count_file}: missing")
            continue
        with open(count_file) as f:
            frames = int(f.read())
        if prefix == "tsplay0_":
            check_set(folder, prefix, 720, 480, frames)
            continue
        # The OpenDML file of two RIFFs; deleted once judged.
        path = os.path.join(folder, prefix + ".avi")
        if not os.path.exists(path):
            fail(f"{path}: missing")
            continue
        try:
            streams = single_streams(path)
            if not streams:
                continue
            read = check_video(path, streams[0], 1920, 1080)
            check_audio(path, streams[1])
            decoded = check_decode(path, read, frames)
            print(f"{prefix}: {os.path.getsize(path)} bytes, {read} frames read, {decoded} decoded")
        finally:
            os.remove(path)


def check_name_outside_code_page(folder):
    """Recorded into a folder named outside code page 932: the names are exactly the ones
    given, byte for byte in UTF-8, and ffprobe reads the files under them."""
    inner = os.path.join(os.fsencode(folder), "録画 ✓ Ärger 😀".encode("utf-8"))
    if not os.path.isdir(inner):
        fail(f"{os.fsdecode(inner)}: missing")
        return
    names = sorted(os.listdir(inner))
    if names != [b"take.avi", b"take_000.avi"]:
        fail(f"{os.fsdecode(inner)}: holds {names!r}")
    for name in names:
        path = os.fsdecode(os.path.join(inner, name))
        video = [s for s in probe(path) if s.get("codec_type") == "video"]
        frames = check_video(path, video[0], 320, 240) if len(video) == 1 else 0
        if frames != 30:
            fail(f"{path}: {frames} frames read by ffprobe, expected 30")
        print(f"{path}: {frames} frames read by ffprobe")


def check_untimed(folder):
    """Recorded from video types of AvgTimePerFrame 0: the rate taken from the
    compressor's input or from the start times is the real one, every frame is there."""
    rate = "10000000/333667"
    for prefix, codec, tag in (("untimed_mjpg_", "mjpeg", "MJPG"), ("untimed_stamped_", "rawvideo", "YUY2")):
        path = os.path.join(folder, prefix + "000.avi")
        if not os.path.exists(path):
            fail(f"{path}: missing")
            continue
        streams = single_streams(path)
        if not streams:
            continue
        video, sound = streams
        expect = {"codec_name": codec, "codec_tag_string": tag, "width": 320, "height": 240,
                  "r_frame_rate": rate, "avg_frame_rate": rate, "nb_frames": "90"}
        for key, value in expect.items():
            if video.get(key) != value:
                fail(f"{path}: video {key} {video.get(key)!r}, expected {value!r}")
        check_audio(path, sound)
        decoded = check_decode(path, int(video.get("nb_read_frames", 0)), 90)
        print(f"{prefix}: {video.get('r_frame_rate')} ({video.get('avg_frame_rate')}), {decoded} frames decoded")


def main(folder, small_disk):
    check_set(folder, "sd480_", 720, 480, 90)
    check_set(folder, "hd1080_", 1920, 1080, 20)
    check_set(folder, "audio_", 0, 0, 0)
    check_untimed(folder)
    check_name_outside_code_page(folder)
    check_open_dml(folder, 520)
    check_killed(folder)
    check_time_shift(folder)
    check_disk_full(small_disk)
    return 1 if failures else 0


if __name__ == "__main__":
    if sys.argv[1] == "--notes":
        sys.exit(check_notes(sys.argv[2]))
    sys.exit(main(sys.argv[1], sys.argv[2]))
