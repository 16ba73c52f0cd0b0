#!/usr/bin/env python3
"""Judges Tavrik's still images with ImageMagick, as tavrik_still_test noted them.
Usage: check_tavrik_stills.py TEST_DIR
Each line of TEST_DIR/tavrik-stills/expect.txt: a file relative to TEST_DIR, its width,
height, ImageMagick format and JPEG quality (0 for the lossless formats), and "wine" or
"windows": the GDI+ that wrote it. Wine's GDI+ hands its encoders no encoder parameters, so
under Wine a JPEG has the WIC encoder's default quality; that is shown, not failed."""
import os
import subprocess
import sys


def main(test_dir):
    notes = os.path.join(test_dir, "tavrik-stills", "expect.txt")
    if not os.path.exists(notes):
        print("FAIL: no stills were noted")
        return 1
    failures = 0
    checked = 0
    for line in open(notes, encoding="utf-8"):
        relative, width, height, kind, quality, writer = line.split()
        path = os.path.join(test_dir, relative.replace("\\", "/"))
        out = subprocess.run(["identify", "-format", "%w %h %m %Q %[type]", path], capture_output=True, text=True)
        if out.returncode != 0:
            print(f"FAIL: {relative}: identify: {out.stderr.strip()}")
            failures += 1
            continue
        w, h, m, q, image_type = out.stdout.split()[:5]
        # ImageMagick calls a Windows 3 bitmap BMP3.
        if m == "BMP3":
            m = "BMP"
        quality_differs = quality != "0" and q != quality
        if quality_differs and writer == "wine":
            print(f"{relative}: quality {q}, not {quality}: Wine's GDI+ does not pass EncoderQuality on")
            quality_differs = False
        if (w, h, m) != (width, height, kind) or quality_differs:
            print(f"FAIL: {relative}: {w}x{h} {m} quality {q}, expected {width}x{height} {kind}"
                  + (f" quality {quality}" if quality != "0" else ""))
            failures += 1
        else:
            print(f"{relative}: {w}x{h} {m}" + (f" quality {q}" if quality != "0" else "") + f" {image_type}")
        checked += 1
    print(f"{checked} stills judged, {failures} failures")
    return 1 if failures or not checked else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
