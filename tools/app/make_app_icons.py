#!/usr/bin/env python3
"""Draws tarvik.ico (the app, on) and tarvik-off.ico (off): three toolbar buttons
on a dark rounded plate, coloured or grey, at 16, 24, 32 and 48 px, 4x supersampled.
Only the standard library: run it again after changing the drawing."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 24, 32, 48)
SAMPLES = 4


def inside_rounded(x, y, box, radius):
    left, top, right, bottom = box
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def colour_at(x, y, colours):
    """x, y in 0..1."""
    if not inside_rounded(x, y, (0.04, 0.18, 0.96, 0.82), 0.12):
        return None
    for i, colour in enumerate(colours):
        left = 0.10 + i * 0.28
        if inside_rounded(x, y, (left, 0.30, left + 0.24, 0.70), 0.06):
            return colour
    return (48, 56, 72)


def draw(size, colours):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total, r, g, b = 0, 0, 0, 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px + (sx + 0.5) / SAMPLES) / size,
                                  (py + (sy + 0.5) / SAMPLES) / size, colours)
                    if c:
                        total += 1
                        r, g, b = r + c[0], g + c[1], b + c[2]
            if total == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((r // total, g // total, b // total, 255 * total // SAMPLES ** 2))
        rows.append(row)
    return rows


def icon_image(rows):
    """One BMP image of an .ico: header, BGRA bottom-up, AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def write_icon(name, colours):
    images = [icon_image(draw(size, colours)) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(out + b"".join(images))


write_icon("tarvik.ico", [(230, 80, 60), (250, 190, 40), (60, 170, 90)])
write_icon("tarvik-off.ico", [(150, 150, 150), (175, 175, 175), (130, 130, 130)])
