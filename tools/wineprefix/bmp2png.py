#!/usr/bin/env python3
"""bmp2png.py IN.bmp OUT.png: the 32-bit screen captures of uidriver (--shots) as
PNG files, with a palette when the picture has at most 256 colours (a dialog
has a handful), so that they stay small enough to check in."""

import struct
import sys
import zlib


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(path + ": not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 32:
        raise ValueError(path + ": only 32-bit BMP files are read")
    top_down = height < 0
    height = abs(height)
    rows = []
    for y in range(height):
        start = offset + y * width * 4
        row = data[start:start + width * 4]
        pixels = [(row[i + 2], row[i + 1], row[i]) for i in range(0, len(row), 4)]  # BGRX
        rows.append(pixels)
    if not top_down:
        rows.reverse()
    return width, height, rows


def chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))


def write_png(path, width, height, rows):
    colours = sorted({p for row in rows for p in row})
    if len(colours) <= 256:
        index = {c: i for i, c in enumerate(colours)}
        raw = b"".join(b"\0" + bytes(index[p] for p in row) for row in rows)
        header = struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0)
        extra = chunk(b"PLTE", b"".join(bytes(c) for c in colours))
    else:
        raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
        header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
        extra = b""
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    width, height, rows = read_bmp(argv[0])
    write_png(argv[1], width, height, rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
