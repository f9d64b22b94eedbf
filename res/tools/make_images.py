#!/usr/bin/env python3
"""Draws the Tamblix icon (res/tamblix.ico) and logo (res/logo.bmp) from code.

The icon holds four 32-bit images of 96, 32, 48 and 72 px, in that order, each a BMP entry
with an alpha channel: a rounded blue tile with a white barcode and a keyboard key cap.
The logo is a 209 x 51 24-bit bitmap: "TAMBLIX" in block letters beside a barcode.
Run from the repository root: python3 res/tools/make_images.py
"""
import struct
import sys
from pathlib import Path

OUT = Path(__file__).resolve().parent.parent


def icon_pixel(x, y, n):
    """RGBA of pixel (x, y) of the n x n icon, drawn in unit coordinates."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    r = 0.18  # corner radius of the tile
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    # barcode in the upper part: bars of varying width
    if 0.16 < v < 0.58 and 0.14 < u < 0.86:
        pattern = [1, 0, 1, 1, 0, 1, 0, 0, 1, 1, 1, 0, 1, 0, 1, 1, 0, 1]
        i = int((u - 0.14) / 0.72 * len(pattern))
        if pattern[min(i, len(pattern) - 1)]:
            return (255, 255, 255, 255)
    # key cap at the bottom
    if 0.66 < v < 0.86 and 0.22 < u < 0.78:
        if 0.70 < v < 0.82 and 0.26 < u < 0.74:
            return (240, 200, 40, 255)
        return (255, 255, 255, 255)
    shade = int(60 + 80 * (1 - v))
    return (20, shade, 200, 255)


def icon_entry(n):
    """BITMAPINFOHEADER + bottom-up BGRA pixels + AND mask for an n x n icon image."""
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in range(n - 1, -1, -1):
        row = bytearray()
        for x in range(n):
            r, g, b, a = icon_pixel(x, y, n)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in range(n - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(n):
            if icon_pixel(x, y, n)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + b''.join(rows) + bytes(mask)


def write_icon(path, sizes):
    images = [icon_entry(n) for n in sizes]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, img in zip(sizes, images):
        data += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    path.write_bytes(data + b''.join(images))


# 5 x 7 block glyphs of the letters used in the logo
GLYPHS = {
    'T': ['11111', '00100', '00100', '00100', '00100', '00100', '00100'],
    'A': ['01110', '10001', '10001', '11111', '10001', '10001', '10001'],
    'M': ['10001', '11011', '10101', '10101', '10001', '10001', '10001'],
    'B': ['11110', '10001', '10001', '11110', '10001', '10001', '11110'],
    'L': ['10000', '10000', '10000', '10000', '10000', '10000', '11111'],
    'I': ['11111', '00100', '00100', '00100', '00100', '00100', '11111'],
    'X': ['10001', '10001', '01010', '00100', '01010', '10001', '10001'],
}


def logo_pixel(x, y, w, h):
    """RGB of the logo: white field, blue frame, barcode at the left, letters at the right."""
    if x < 2 or y < 2 or x >= w - 2 or y >= h - 2:
        return (20, 70, 200)
    if 8 <= x < 48 and 8 <= y < h - 8:
        pattern = [1, 1, 0, 1, 0, 0, 1, 1, 1, 0, 1, 0, 1, 1, 0, 0, 1, 0, 1, 1]
        if pattern[(x - 8) // 2]:
            return (0, 0, 0)
    scale = 4
    left, top = 56, (h - 7 * scale) // 2
    for i, ch in enumerate('TAMBLIX'):
        gx = left + i * 6 * scale // 1 - i * 3
        lx, ly = (x - gx) // scale, (y - top) // scale
        if 0 <= lx < 5 and 0 <= ly < 7 and x >= gx and y >= top:
            if GLYPHS[ch][ly][lx] == '1':
                return (20, 70, 200)
    return (255, 255, 255)


def write_logo(path, w, h):
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = logo_pixel(x, y, w, h)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        pixels += row
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    path.write_bytes(head + info + pixels)


def main():
    write_icon(OUT / 'tamblix.ico', [96, 32, 48, 72])
    write_logo(OUT / 'logo.bmp', 209, 51)
    return 0


if __name__ == '__main__':
    sys.exit(main())
