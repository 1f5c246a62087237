#!/usr/bin/env python3
"""make_bitmaps.py - draws the two check boxes of the component list.

The options dialog paints a tick box ("OWNCOMBOBMP", owncombo.bmp) or an
empty box ("BLANKBMP", blank.bmp) in front of every entry, copied as they
are over the entry's background. Both boxes therefore fill their whole
bitmap, so no corner pixel shows against the highlight colour, and share
one size, since the text starts two tick widths to the right of the box.

Run from any folder; it rewrites both files beside this script. The output
is a plain 24-bit Windows bitmap, byte for byte the same on every run.
"""

import os
import struct

# One character a pixel, top row first.
TICK = [
    "#############",
    "#...........#",
    "#...........#",
    "#........x..#",
    "#.......xx..#",
    "#..x...xxx..#",
    "#..xx.xxx...#",
    "#..xxxxx....#",
    "#...xxx.....#",
    "#....x......#",
    "#...........#",
    "#...........#",
    "#############",
]

BLANK = [row.replace("x", ".") for row in TICK]

# Colours as (red, green, blue): the frame in the 3-D shadow grey, the inside
# white like an empty edit field, the tick black.
COLOURS = {
    "#": (128, 128, 128),
    ".": (255, 255, 255),
    "x": (0, 0, 0),
}


def bitmap_bytes(pattern):
    """Returns the .bmp file for a pattern of equally long rows."""
    width = len(pattern[0])
    height = len(pattern)
    if any(len(row) != width for row in pattern):
        raise ValueError("rows of different length")
    row_size = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(pattern):  # a bitmap is stored bottom row first
        line = bytearray()
        for cell in row:
            red, green, blue = COLOURS[cell]
            line += bytes((blue, green, red))
        line += bytes(row_size - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0,
                       len(pixels), 3780, 3780, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, pattern in (("owncombo.bmp", TICK), ("blank.bmp", BLANK)):
        with open(os.path.join(here, name), "wb") as out:
            out.write(bitmap_bytes(pattern))


if __name__ == "__main__":
    main()
