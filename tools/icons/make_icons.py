#!/usr/bin/env python3
"""Draws the program's two icons, a USB adapter with a serial and a parallel
connector, and writes them as .ico files:

  AppIcon.ico     (resource 128): 32x32 monochrome, 32x32 16-colour
  DialogIcon.ico  (resource 132): 32x32 16-colour, 16x16 16-colour

Usage: make_icons.py OUTPUT_DIR [--preview DIR]   (previews are PNG files)
"""
import os
import struct
import sys
import zlib

# The standard 16-colour palette, in its usual order (RGB).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, MAGENTA, AQUA, WHITE = range(8, 16)
CLEAR = None


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[CLEAR] * size for _ in range(size)]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills x0..x1, y0..y1 (inclusive)."""
        for y in range(max(0, y0), min(self.size - 1, y1) + 1):
            for x in range(max(0, x0), min(self.size - 1, x1) + 1):
                self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0, colour)
        self.rect(x0, y1, x1, y1, colour)
        self.rect(x0, y0, x0, y1, colour)
        self.rect(x1, y0, x1, y1, colour)

    def dot(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = colour

    def d_shell(self, x0, y0, x1, y1, fill, edge):
        """A D-sub connector seen from the side of its pins: a trapezoid that
        narrows towards the right (x0 side wide), outlined."""
        height = y1 - y0
        for x in range(x0, x1 + 1):
            inset = (x - x0) * 2 // max(1, (x1 - x0)) if height > 6 else 0
            self.rect(x, y0 + inset, x, y1 - inset, fill)
            self.dot(x, y0 + inset, edge)
            self.dot(x, y1 - inset, edge)
        self.rect(x0, y0, x0, y1, edge)
        self.rect(x1, y0 + 2 if height > 6 else y0, x1, y1 - 2 if height > 6 else y1, edge)


def draw_large():
    c = Canvas(32)
    # USB-A plug: metal shell with its contact tongue, then the plastic grip.
    c.rect(0, 12, 5, 19, SILVER)
    c.frame(0, 12, 5, 19, GREY)
    c.rect(1, 14, 4, 15, BLACK)
    c.rect(1, 16, 4, 17, WHITE)
    c.rect(6, 11, 10, 20, GREY)
    c.frame(6, 11, 10, 20, BLACK)
    c.rect(7, 12, 7, 19, SILVER)
    # Cable to the adapter.
    c.rect(11, 15, 13, 16, BLACK)
    # The adapter body.
    c.rect(14, 6, 21, 25, NAVY)
    c.frame(14, 6, 21, 25, BLACK)
    c.rect(15, 7, 15, 24, BLUE)
    c.dot(18, 15, LIME)  # power light
    c.dot(18, 16, GREEN)
    # Serial port: a 9-pin D connector, cyan shell.
    c.d_shell(22, 3, 29, 13, TEAL, BLACK)
    for y in (5, 7, 9, 11):
        c.dot(25, y, YELLOW)
    for y in (6, 8, 10):
        c.dot(27, y, YELLOW)
    # Parallel port: a 25-pin D connector, magenta shell.
    c.d_shell(22, 16, 30, 30, PURPLE, BLACK)
    for y in range(18, 29, 2):
        c.dot(25, y, YELLOW)
    for y in range(19, 28, 2):
        c.dot(27, y, YELLOW)
    c.rect(31, 20, 31, 26, GREY)
    return c


def draw_small():
    c = Canvas(16)
    c.rect(0, 6, 2, 9, SILVER)
    c.rect(1, 7, 2, 7, BLACK)
    c.rect(3, 5, 4, 10, GREY)
    c.rect(5, 7, 6, 8, BLACK)
    c.rect(7, 3, 10, 12, NAVY)
    c.frame(7, 3, 10, 12, BLACK)
    c.dot(8, 7, LIME)
    c.rect(11, 1, 14, 6, TEAL)
    c.frame(11, 1, 14, 6, BLACK)
    c.dot(12, 3, YELLOW)
    c.dot(13, 4, YELLOW)
    c.rect(11, 8, 15, 15, PURPLE)
    c.frame(11, 8, 15, 15, BLACK)
    for y in (10, 12):
        c.dot(12, y, YELLOW)
        c.dot(14, y + 1, YELLOW)
    return c


def luminance(rgb):
    r, g, b = rgb
    return (299 * r + 587 * g + 114 * b) // 1000


def pack_rows(rows, bits):
    """Rows of palette indices (top first) into bottom-up DIB rows padded to 32 bits."""
    out = bytearray()
    for row in reversed(rows):
        acc, nbits, line = 0, 0, bytearray()
        for value in row:
            acc = (acc << bits) | value
            nbits += bits
            if nbits == 8:
                line.append(acc)
                acc, nbits = 0, 0
        if nbits:
            line.append(acc << (8 - nbits))
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def icon_image(canvas, bits):
    """One icon image: BITMAPINFOHEADER (height doubled), palette, XOR bits, AND mask."""
    size = canvas.size
    if bits == 4:
        palette = PALETTE
        colour_rows = [[0 if p is CLEAR else p for p in row] for row in canvas.px]
    else:
        palette = [(0, 0, 0), (0xFF, 0xFF, 0xFF)]
        colour_rows = [[0 if p is CLEAR else (1 if luminance(PALETTE[p]) >= 0x60 else 0)
                        for p in row] for row in canvas.px]
    mask_rows = [[1 if p is CLEAR else 0 for p in row] for row in canvas.px]
    xor = pack_rows(colour_rows, bits)
    and_mask = pack_rows(mask_rows, 1)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(and_mask), 0, 0, len(palette), 0)
    quads = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in palette)
    return header + quads + xor + and_mask


def write_ico(path, images):
    """images: list of (canvas, bits)."""
    blobs = [icon_image(c, b) for c, b in images]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (canvas, bits), blob in zip(images, blobs):
        colours = 1 << bits
        out += struct.pack('<BBBBHHII', canvas.size, canvas.size, colours, 0, 1, bits,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, 'wb') as f:
        f.write(out)


def write_png(path, canvas, scale=8, mono=False):
    size = canvas.size * scale
    raw = bytearray()
    for y in range(size):
        raw.append(0)
        for x in range(size):
            p = canvas.px[y // scale][x // scale]
            if p is CLEAR:
                rgb = (0xE0, 0xE8, 0xF0) if ((x // 4 + y // 4) % 2) else (0xF8, 0xF8, 0xF8)
            elif mono:
                rgb = (0xFF,) * 3 if luminance(PALETTE[p]) >= 0x60 else (0,) * 3
            else:
                rgb = PALETTE[p]
            raw += bytes(rgb)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    out_dir = argv[1]
    large, small = draw_large(), draw_small()
    write_ico(os.path.join(out_dir, 'AppIcon.ico'), [(large, 1), (large, 4)])
    write_ico(os.path.join(out_dir, 'DialogIcon.ico'), [(large, 4), (small, 4)])
    if len(argv) >= 4 and argv[2] == '--preview':
        preview = argv[3]
        os.makedirs(preview, exist_ok=True)
        write_png(os.path.join(preview, 'large.png'), large)
        write_png(os.path.join(preview, 'large-mono.png'), large, mono=True)
        write_png(os.path.join(preview, 'small.png'), small, scale=16)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
