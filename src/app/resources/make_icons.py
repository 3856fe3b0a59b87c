#!/usr/bin/env python3
"""Draws the six 16 x 16 toolbar icons as PNG files (standard library only),
and each again at twice the size (NAME@2x.png) for screens of twice the
pixel density.

Run from this folder: python3 make_icons.py. The arrows are RGBA with a
transparent background; the other four are RGB on the toolbar's grey.
"""
import math
import struct
import zlib

SIZE = 16
SS = 4  # supersampling per axis
GREY = (239, 239, 239)


def write_png(path, pixels, alpha):
    """pixels: rows of (r, g, b, a) tuples, as many as there are columns."""
    colour_type = 6 if alpha else 2
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw.extend((r, g, b, a) if alpha else (r, g, b))
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", len(pixels), len(pixels), 8, colour_type, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def render(layers, background, scale=1):
    """layers: list of (inside(x, y) -> bool, (r, g, b)), painted in order,
    in 16 x 16 units. background: (r, g, b) or None for transparent. scale:
    output pixels per unit."""
    out = []
    for py in range(SIZE * scale):
        row = []
        for px in range(SIZE * scale):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    x = (px + (sx + 0.5) / SS) / scale
                    y = (py + (sy + 0.5) / SS) / scale
                    colour = None
                    for inside, c in layers:
                        if inside(x, y):
                            colour = c
                    if colour is None and background is not None:
                        colour = background
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = SS * SS
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                cover = acc[3]
                row.append((round(acc[0] / cover), round(acc[1] / cover), round(acc[2] / cover),
                            round(255 * cover / n)))
        out.append(row)
    return out


def triangle(a, b, c):
    def sign(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])
    def inside(x, y):
        p = (x, y)
        d1, d2, d3 = sign(p, a, b), sign(p, b, c), sign(p, c, a)
        neg = d1 < 0 or d2 < 0 or d3 < 0
        pos = d1 > 0 or d2 > 0 or d3 > 0
        return not (neg and pos)
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def union(*parts):
    return lambda x, y: any(p(x, y) for p in parts)


def arc(cx, cy, r_in, r_out, a0, a1):
    """Ring segment; angles in degrees, 0 = right, counter-clockwise, y up."""
    def inside(x, y):
        dx, dy = x - cx, cy - y
        d = math.hypot(dx, dy)
        if d < r_in or d > r_out:
            return False
        ang = math.degrees(math.atan2(dy, dx)) % 360
        lo, hi = a0 % 360, a1 % 360
        return lo <= ang <= hi if lo <= hi else ang >= lo or ang <= hi
    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def mirrored(shape):
    return lambda x, y: shape(SIZE - x, y)


BLUE = (30, 90, 200)
DARK_BLUE = (15, 45, 120)


def undo_shape():
    # A hook: the lower stroke runs right, bends up around the right side and
    # comes back along the top into a head that points left.
    top = rect(5.0, 3.4, 9.0, 5.8)
    bend = arc(9.0, 8.5, 2.7, 5.1, -90, 90)
    bottom = rect(5.0, 11.2, 9.0, 13.6)
    head = triangle((0.8, 4.6), (5.6, 0.6), (5.6, 8.6))
    return union(top, bend, bottom, head)


def undo_outline():
    top = rect(4.5, 2.6, 9.0, 6.6)
    bend = arc(9.0, 8.5, 1.9, 5.9, -90, 90)
    bottom = rect(4.2, 10.4, 9.0, 14.4)
    head = triangle((-0.6, 4.6), (6.3, -0.9), (6.3, 10.1))
    return union(top, bend, bottom, head)


def selector():
    layers = []
    black = (0, 0, 0)
    def dashed(x, y):
        on_edge = ((2 <= x < 14) and (2 <= y < 3 or 13 <= y < 14)) or \
                  ((2 <= y < 14) and (2 <= x < 3 or 13 <= x < 14))
        if not on_edge:
            return False
        pos = int(x) + int(y)
        return pos % 4 < 2
    layers.append((dashed, (60, 60, 60)))
    for cx, cy, sx, sy in ((0, 0, 1, 1), (15, 0, -1, 1), (0, 15, 1, -1), (15, 15, -1, -1)):
        hx0, hx1 = (cx, cx + 4) if sx > 0 else (cx - 3, cx + 1)
        vy0, vy1 = (cy, cy + 4) if sy > 0 else (cy - 3, cy + 1)
        layers.append((rect(hx0, cy, hx1, cy + 1), black))
        layers.append((rect(cx, vy0, cx + 1, vy1), black))
    return layers


def mover():
    c = 8.0
    shaft = union(rect(7.0, 3.0, 9.0, 13.0), rect(3.0, 7.0, 13.0, 9.0))
    heads = union(
        triangle((c, 0.5), (c - 3.6, 4.5), (c + 3.6, 4.5)),
        triangle((c, 15.5), (c - 3.6, 11.5), (c + 3.6, 11.5)),
        triangle((0.5, c), (4.5, c - 3.6), (4.5, c + 3.6)),
        triangle((15.5, c), (11.5, c - 3.6), (11.5, c + 3.6)),
    )
    return [(union(shaft, heads), (0, 0, 0))]


def histogram():
    axes = union(rect(1, 1, 2, 15), rect(1, 14, 15, 15))
    return [
        (axes, (0, 0, 0)),
        (rect(3, 8, 5, 14), (200, 30, 30)),
        (rect(6, 3, 8, 14), (30, 150, 40)),
        (rect(9, 6, 11, 14), (30, 70, 210)),
        (rect(12, 10, 14, 14), (200, 160, 20)),
    ]


def palette():
    board_edge = ellipse(8.0, 8.5, 7.6, 6.8)
    board = ellipse(8.0, 8.5, 6.8, 6.0)
    hole = ellipse(10.8, 11.2, 1.5, 1.3)
    notch = ellipse(14.2, 13.6, 2.4, 1.8)
    edge_colour = (110, 70, 30)
    wood = (214, 170, 110)
    return [
        (board_edge, edge_colour),
        (board, wood),
        (ellipse(4.7, 6.2, 1.5, 1.5), (210, 30, 30)),
        (ellipse(8.2, 4.2, 1.5, 1.5), (240, 200, 20)),
        (ellipse(11.7, 5.8, 1.5, 1.5), (30, 80, 210)),
        (ellipse(4.6, 10.4, 1.5, 1.5), (30, 160, 50)),
        (hole, edge_colour),
        (ellipse(10.8, 11.2, 0.9, 0.8), GREY),
        (notch, GREY),
    ]


def main():
    undo_layers = [(undo_outline(), DARK_BLUE), (undo_shape(), BLUE)]
    redo_layers = [(mirrored(undo_outline()), DARK_BLUE), (mirrored(undo_shape()), BLUE)]
    icons = (
        ("undo", undo_layers, None),
        ("redo", redo_layers, None),
        ("selector", selector(), GREY),
        ("mover", mover(), GREY),
        ("histogram", histogram(), GREY),
        ("palette", palette(), GREY),
    )
    for name, layers, background in icons:
        for scale, suffix in ((1, ""), (2, "@2x")):
            write_png(name + suffix + ".png", render(layers, background, scale), background is None)


if __name__ == "__main__":
    main()
