#!/usr/bin/env python3
"""Draws Tavrik's toolbar bitmap and icon. Run it again after changing a glyph;
the .bmp and .ico files it writes are committed beside it."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
GREY = (192, 192, 192)  # the toolbar's transparent colour


def canvas(width, height, colour):
    return [[colour] * width for _ in range(height)]


def fill(pixels, test, colour, x0=0):
    for y, row in enumerate(pixels):
        for x in range(len(row)):
            if test(x - x0, y):
                row[x] = colour


def bmp_rows(pixels):
    """Bottom-up 24-bit rows, each padded to four bytes."""
    width = len(pixels[0])
    pad = (4 - width * 3 % 4) % 4
    data = b""
    for row in reversed(pixels):
        data += b"".join(bytes((b, g, r)) for r, g, b in row) + b"\0" * pad
    return data


def write_bmp(path, pixels):
    data = bmp_rows(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, len(pixels[0]), len(pixels), 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)) + header + data)


def icon_image(size):
    s = size / 32.0
    pixels = canvas(size, size, (0, 0, 0))
    fill(pixels, lambda x, y: 2 * s <= x < 30 * s and 5 * s <= y < 27 * s, (40, 48, 64))
    fill(pixels, lambda x, y: (x - 16 * s + 0.5) ** 2 + (y - 16 * s + 0.5) ** 2 <= (7 * s) ** 2, (220, 30, 30))
    mask = [[0 if 2 * s <= x < 30 * s and 5 * s <= y < 27 * s else 1 for x in range(size)] for y in range(size)]
    return pixels, mask


def write_ico(path, sizes):
    images = []
    for size in sizes:
        pixels, mask = icon_image(size)
        xor = bmp_rows(pixels)
        mask_stride = (size + 31) // 32 * 4
        and_bits = b""
        for row in reversed(mask):
            bits = 0
            for x, bit in enumerate(row):
                bits |= bit << (mask_stride * 8 - 1 - x)
            and_bits += bits.to_bytes(mask_stride, "big")
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, len(xor) + len(and_bits), 0, 0, 0, 0)
        images.append(header + xor + and_bits)
    offset = 6 + 16 * len(images)
    directory = b""
    for size, image in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + directory + b"".join(images))


def toolbar():
    w, h = 16, 15
    pixels = canvas(5 * w, h, GREY)
    # 1 preview: a green triangle
    fill(pixels, lambda x, y: 4 <= x <= 12 and abs(y - 7) <= (12 - x) * 6 / 8, (0, 150, 0), 0)
    # 2 record: a red disc
    fill(pixels, lambda x, y: (x - 7.5) ** 2 + (y - 7) ** 2 <= 25, (210, 0, 0), w)
    # 3 stop: a dark square
    fill(pixels, lambda x, y: 3 <= x <= 12 and 2 <= y <= 11, (40, 40, 40), 2 * w)
    # 4 still image: a camera body with its lens
    fill(pixels, lambda x, y: 1 <= x <= 14 and 4 <= y <= 12 and not ((x - 7.5) ** 2 + (y - 8) ** 2 <= 6), (30, 60, 140), 3 * w)
    fill(pixels, lambda x, y: 5 <= x <= 9 and 2 <= y <= 3, (30, 60, 140), 3 * w)
    # 5 settings: a wheel with spokes
    def gear(x, y):
        dx, dy = x - 7.5, y - 7
        r2 = dx * dx + dy * dy
        return (9 <= r2 <= 25) or (r2 <= 42 and (abs(dx) <= 1 or abs(dy) <= 1))
    fill(pixels, lambda x, y: 0 <= x < w and gear(x, y), (90, 90, 90), 4 * w)
    return pixels


if __name__ == "__main__":
    write_bmp(os.path.join(HERE, "toolbar.bmp"), toolbar())
    write_ico(os.path.join(HERE, "tavrik.ico"), [32, 16])
