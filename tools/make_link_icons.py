#!/usr/bin/env python3
"""Draws the five 16x16 link icons and writes them as byte arrays.

Each icon is drawn here as a character grid, encoded as a PNG of the colour
type the pages expect, and padded with a tEXt chunk to its fixed file size.
The output, pages/link_images.cpp, is committed; run this script again only
when an icon changes:

    python3 tools/make_link_icons.py > pages/link_images.cpp

With a directory argument it also writes the five files there, to look at.
"""

import struct
import sys
import zlib

# Colour type numbers of the PNG format.
RGB, PALETTE, RGBA = 2, 3, 6

# name, file size, colour type, colours by grid character, grid.
ICONS = [
    ("yahoo", 686, RGBA,
     {".": (0, 0, 0, 0), "r": (0xFF, 0x00, 0x33, 0xFF), ":": (0xFF, 0x00, 0x33, 0x70)},
     ["................",
      "................",
      "rrr:....:rrr.rr.",
      ":rrr....rrr:.rr.",
      ".rrr:..:rrr..rr.",
      ".:rrr..rrr:..rr.",
      "..rrr::rrr...rr.",
      "..:rrrrrr:...rr.",
      "...rrrrrr....rr.",
      "....rrrr.....rr.",
      "....rrrr.....::.",
      "....rrrr........",
      "....rrrr........",
      "....rrrr.....rr.",
      "....rrrr.....rr.",
      "................"]),
    ("gmo", 699, RGBA,
     {".": (0, 0, 0, 0), "b": (0x00, 0x5B, 0xAC, 0xFF), ":": (0x00, 0x5B, 0xAC, 0x80),
      "w": (0xFF, 0xFF, 0xFF, 0xFF)},
     [":bbbbbbbbbbbbbb:",
      "bbbbbbbbbbbbbbbb",
      "bbbbbwwwwwwbbbbb",
      "bbbbwwwwwwwwwbbb",
      "bbbwwwbbbbbwwbbb",
      "bbbwwbbbbbbbbbbb",
      "bbwwwbbbbbbbbbbb",
      "bbwwwbbbbwwwwwbb",
      "bbwwwbbbbwwwwwbb",
      "bbwwwbbbbbbwwwbb",
      "bbbwwbbbbbbwwwbb",
      "bbbwwwbbbbwwwwbb",
      "bbbbwwwwwwwwwbbb",
      "bbbbbwwwwwwbbbbb",
      "bbbbbbbbbbbbbbbb",
      ":bbbbbbbbbbbbbb:"]),
    ("kcom", 662, RGBA,
     {".": (0, 0, 0, 0), "o": (0xF0, 0x7D, 0x00, 0xFF), ":": (0xF0, 0x7D, 0x00, 0x80),
      "w": (0xFF, 0xFF, 0xFF, 0xFF)},
     ["....:oooooo:....",
      "..:oooooooooo:..",
      ".:oooooooooooo:.",
      ".ooowwoooowwooo.",
      ":ooowwooowwoooo:",
      "oooowwoowwoooooo",
      "oooowwowwooooooo",
      "oooowwwwoooooooo",
      "oooowwwwwooooooo",
      "oooowwoowwoooooo",
      "oooowwooowwooooo",
      ":ooowwoooowwooo:",
      ".ooowwooooowwoo.",
      ".:oooooooooooo:.",
      "..:oooooooooo:..",
      "....:oooooo:...."]),
    ("sbi", 502, PALETTE,
     {"n": (0x00, 0x2D, 0x7A), "w": (0xFF, 0xFF, 0xFF), "l": (0x80, 0x96, 0xBC)},
     ["nnnnnnnnnnnnnnnn",
      "nnnnnnnnnnnnnnnn",
      "nnnnnlwwwwwlnnnn",
      "nnnnwwwwwwwwwnnn",
      "nnnwwwlnnnlwwnnn",
      "nnnwwwnnnnnnnnnn",
      "nnnlwwwwlnnnnnnn",
      "nnnnlwwwwwwlnnnn",
      "nnnnnnnlwwwwwnnn",
      "nnnnnnnnnnlwwwnn",
      "nnnnnnnnnnnwwwnn",
      "nnnwwlnnnnlwwwnn",
      "nnnwwwwwwwwwwnnn",
      "nnnnlwwwwwwlnnnn",
      "nnnnnnnnnnnnnnnn",
      "nnnnnnnnnnnnnnnn"]),
    ("ifis", 595, RGB,
     {"g": (0x1E, 0x8C, 0x3C), "w": (0xFF, 0xFF, 0xFF)},
     ["gggggggggggggggg",
      "gggggggggggggggg",
      "ggggwwgggggwwwgg",
      "ggggwwggggwwgggg",
      "ggggggggggwwgggg",
      "gggwwwgggwwwwwgg",
      "ggggwwggggwwgggg",
      "ggggwwggggwwgggg",
      "ggggwwggggwwgggg",
      "ggggwwggggwwgggg",
      "ggggwwggggwwgggg",
      "ggggwwggggwwgggg",
      "gggwwwwgggwwgggg",
      "gggggggggggggggg",
      "gggggggggggggggg",
      "gggggggggggggggg"]),
]

SIZE = 16
TEXT_KEYWORD = b"Comment"


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def scanlines(colour_type, colours, grid, palette):
    """The filtered image data: filter byte 0, then the row's samples."""
    rows = bytearray()
    for line in grid:
        rows.append(0)
        for ch in line:
            if colour_type == PALETTE:
                rows.append(palette.index(ch))
            else:
                rows.extend(colours[ch])
    return bytes(rows)


def encode(name, size, colour_type, colours, grid):
    assert len(grid) == SIZE and all(len(line) == SIZE for line in grid), name
    palette = sorted(colours) if colour_type == PALETTE else None
    head = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, colour_type, 0, 0, 0))
    if palette:
        head += chunk(b"PLTE", b"".join(bytes(colours[ch]) for ch in palette))
    tail = chunk(b"IDAT", zlib.compress(scanlines(colour_type, colours, grid, palette), 9))
    tail += chunk(b"IEND", b"")
    # A tEXt chunk fills the file to its fixed size.
    note = ("Velkora link icon %s." % name).encode("ascii")
    pad = size - len(head) - len(tail) - 12 - len(TEXT_KEYWORD) - 1 - len(note)
    assert pad >= 0, (name, pad)
    text = chunk(b"tEXt", TEXT_KEYWORD + b"\0" + note + b" " * pad)
    png = head + text + tail
    assert len(png) == size, name
    return png


def cpp_array(name, png):
    lines = ["const unsigned char k%sPng[%d] = {" % (name.capitalize(), len(png))]
    for at in range(0, len(png), 16):
        lines.append("    " + ", ".join("0x%02X" % b for b in png[at:at + 16]) + ",")
    lines.append("};")
    return "\n".join(lines)


def main():
    out = sys.stdout
    directory = sys.argv[1] if len(sys.argv) > 1 else None
    out.write("// The five link icons as PNG files. Generated by tools/make_link_icons.py;\n")
    out.write("// change the drawings there and run it again rather than editing this file.\n")
    out.write('#include "pages/link_images.h"\n')
    for name, size, colour_type, colours, grid in ICONS:
        png = encode(name, size, colour_type, colours, grid)
        out.write("\n" + cpp_array(name, png) + "\n")
        if directory:
            with open("%s/%s.png" % (directory, name), "wb") as file:
                file.write(png)


if __name__ == "__main__":
    main()
