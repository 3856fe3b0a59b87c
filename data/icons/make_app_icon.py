#!/usr/bin/env python3
"""Draws the application icon: a rounded tile holding a 3 x 3 palette of
flat colour squares, the lower right one split in two by a diagonal (a
colour reduced to fewer). The shapes are described once and written both as
tarnel.svg and as PNG files of the hicolor sizes.

Run from this folder: python3 make_app_icon.py (needs python3-pil).
"""
from PIL import Image, ImageDraw

VIEW = 256            # the SVG's coordinate space
SIZES = (16, 24, 32, 48, 64, 128, 256)
SS = 4                # supersampling per axis for the PNG files

TILE = (16, 16, 224, 224, 40)      # x, y, w, h, corner radius
TILE_FILL = (0x2B, 0x36, 0x4A)
CELL = 56
GAP = 12
ORIGIN = 16 + (224 - 3 * CELL - 2 * GAP) // 2
COLOURS = [
    (0xE8, 0x4A, 0x3C), (0xF2, 0x9E, 0x38), (0xF5, 0xD5, 0x47),
    (0x5C, 0xB8, 0x5C), (0x3D, 0xA5, 0xD9), (0x6A, 0x5A, 0xCD),
    (0xD9, 0x5C, 0xA8), (0xEC, 0xEC, 0xEC), None,
]
SPLIT = ((0xEC, 0xEC, 0xEC), (0x14, 0x14, 0x14))  # the last cell's halves
CELL_RADIUS = 8


def cells():
    for i, colour in enumerate(COLOURS):
        x = ORIGIN + (i % 3) * (CELL + GAP)
        y = ORIGIN + (i // 3) * (CELL + GAP)
        yield x, y, colour


def hexcolour(c):
    return "#%02x%02x%02x" % c


def write_svg(path):
    x, y, w, h, r = TILE
    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
        % (VIEW, VIEW, VIEW, VIEW),
        '  <rect x="%d" y="%d" width="%d" height="%d" rx="%d" fill="%s"/>' % (x, y, w, h, r, hexcolour(TILE_FILL)),
    ]
    for cx, cy, colour in cells():
        if colour is not None:
            parts.append('  <rect x="%d" y="%d" width="%d" height="%d" rx="%d" fill="%s"/>'
                         % (cx, cy, CELL, CELL, CELL_RADIUS, hexcolour(colour)))
            continue
        parts.append('  <clipPath id="cell"><rect x="%d" y="%d" width="%d" height="%d" rx="%d"/></clipPath>'
                     % (cx, cy, CELL, CELL, CELL_RADIUS))
        parts.append('  <g clip-path="url(#cell)">')
        parts.append('    <polygon points="%d,%d %d,%d %d,%d" fill="%s"/>'
                     % (cx, cy, cx + CELL, cy, cx, cy + CELL, hexcolour(SPLIT[0])))
        parts.append('    <polygon points="%d,%d %d,%d %d,%d" fill="%s"/>'
                     % (cx + CELL, cy, cx + CELL, cy + CELL, cx, cy + CELL, hexcolour(SPLIT[1])))
        parts.append('  </g>')
    parts.append('</svg>')
    with open(path, "w") as f:
        f.write("\n".join(parts) + "\n")


def draw_png(size):
    scale = size * SS / VIEW
    big = Image.new("RGBA", (size * SS, size * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)

    def box(x, y, w, h):
        return [x * scale, y * scale, (x + w) * scale - 1, (y + h) * scale - 1]

    x, y, w, h, r = TILE
    d.rounded_rectangle(box(x, y, w, h), radius=r * scale, fill=TILE_FILL)
    for cx, cy, colour in cells():
        if colour is not None:
            d.rounded_rectangle(box(cx, cy, CELL, CELL), radius=CELL_RADIUS * scale, fill=colour)
            continue
        mask = Image.new("L", big.size, 0)
        ImageDraw.Draw(mask).rounded_rectangle(box(cx, cy, CELL, CELL), radius=CELL_RADIUS * scale, fill=255)
        halves = Image.new("RGBA", big.size, (0, 0, 0, 0))
        hd = ImageDraw.Draw(halves)
        p = lambda px, py: (px * scale, py * scale)
        hd.polygon([p(cx, cy), p(cx + CELL, cy), p(cx, cy + CELL)], fill=SPLIT[0])
        hd.polygon([p(cx + CELL, cy), p(cx + CELL, cy + CELL), p(cx, cy + CELL)], fill=SPLIT[1])
        big.paste(halves, (0, 0), mask)
    return big.resize((size, size), Image.LANCZOS)


if __name__ == "__main__":
    write_svg("tarnel.svg")
    for size in SIZES:
        draw_png(size).save("tarnel-%d.png" % size, optimize=True)
