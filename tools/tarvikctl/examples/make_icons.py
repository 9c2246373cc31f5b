#!/usr/bin/env python3
"""Draws the example icon set of tarvikctl: icons/NN.ico and icons/hot-NN.ico
(16, 24 and 32 px each) and the same set as two BMP strips in strip/.
Only the standard library: run it again after changing the drawing."""
import os
import struct

SLOTS = 12
SIZES = (16, 24, 32)
STRIP_SIZE = 16
HERE = os.path.dirname(os.path.abspath(__file__))

# 3x5 digits, one string per row.
DIGITS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"], "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["###", "..#", "###", "#..", "###"], "3": ["###", "..#", ".##", "..#", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"], "5": ["###", "#..", "###", "..#", "###"],
    "6": ["###", "#..", "###", "#.#", "###"], "7": ["###", "..#", ".#.", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"], "9": ["###", "#.#", "###", "..#", "###"],
}


def hue_colour(slot, light):
    """A colour around the hue circle, lighter for the hot icons."""
    h = slot / SLOTS * 6.0
    i, f = int(h), h - int(h)
    r, g, b = [(1, f, 0), (1 - f, 1, 0), (0, 1, f), (0, 1 - f, 1), (f, 0, 1), (1, 0, 1 - f)][i % 6]
    low, high = (90, 230) if light else (40, 190)
    return tuple(int(low + (high - low) * c) for c in (r, g, b))


def draw(slot, size, hot):
    """RGBA rows, top first: a rounded tile, the slot number in white, a ring when hot."""
    colour = hue_colour(slot, hot)
    text = "%d" % slot
    scale = max(1, size // 12)
    text_w = (len(text) * 4 - 1) * scale
    text_h = 5 * scale
    ox, oy = (size - text_w) // 2, (size - text_h) // 2
    radius = size / 5.0
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            # Coverage of the rounded square, 4x4 samples a pixel.
            inside = 0
            for sy in range(4):
                for sx in range(4):
                    px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
                    cx = min(max(px, radius), size - radius)
                    cy = min(max(py, radius), size - radius)
                    if (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius:
                        inside += 1
            alpha = inside * 255 // 16
            r, g, b = colour
            tx, ty = x - ox, y - oy
            if 0 <= tx < text_w and 0 <= ty < text_h:
                digit = text[(tx // scale) // 4]
                column = (tx // scale) % 4
                if column < 3 and DIGITS[digit][ty // scale][column] == "#":
                    r, g, b = 255, 255, 255
            if hot and (x in (0, size - 1) or y in (0, size - 1)) and alpha:
                r, g, b = 255, 240, 120
            row.append((r, g, b, alpha))
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


def write_icon(path, slot, hot):
    images = [icon_image(draw(slot, size, hot)) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def write_strip(path, hot):
    """A 32-bit BMP, top-down rows, all slots side by side."""
    tiles = [draw(slot, STRIP_SIZE, hot) for slot in range(SLOTS)]
    width = STRIP_SIZE * SLOTS
    pixels = b"".join(bytes((b, g, r, a)) for y in range(STRIP_SIZE) for tile in tiles
                      for (r, g, b, a) in tile[y])
    info = struct.pack("<IiiHHIIiiII", 40, width, -STRIP_SIZE, 1, 32, 0, len(pixels), 2835,
                       2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + pixels)


def main():
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    os.makedirs(os.path.join(HERE, "strip"), exist_ok=True)
    for slot in range(SLOTS):
        write_icon(os.path.join(HERE, "icons", "%02d.ico" % slot), slot, False)
        write_icon(os.path.join(HERE, "icons", "hot-%02d.ico" % slot), slot, True)
    write_strip(os.path.join(HERE, "strip", "toolbar.bmp"), False)
    write_strip(os.path.join(HERE, "strip", "toolbar-hot.bmp"), True)


if __name__ == "__main__":
    main()
