#!/usr/bin/env python3
"""Writes zelmorvika.ico: one 64x64 image, 32 bits per pixel (three stacked
browser windows in green on a transparent ground)."""
import struct
import sys

SIZE = 64


def pixel(x, y):
    """BGRA of the pixel at (x, y), y counted from the top."""
    for i, (left, top) in enumerate(((6, 6), (16, 16), (26, 26))):
        right, bottom = left + 32, top + 32
        if left <= x < right and top <= y < bottom:
            inner = left + 2 <= x < right - 2 and top + 8 <= y < bottom - 2
            if not inner:
                return (40, 140 + 30 * i, 30, 255)  # frame and title bar
            if i == 2:
                return (250, 250, 250, 255)  # the front window's page
    return (0, 0, 0, 0)


def main(path):
    rows = []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        rows.append(b"".join(bytes(pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    and_mask = bytes(SIZE * SIZE // 8)  # all opaque; alpha decides
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "zelmorvika.ico")
