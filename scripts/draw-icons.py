#!/usr/bin/env python3
"""Draws the toolbar and program icons into data/Icons/ as .ico files with
16, 24 and 32 pixel images (32-bit colour with alpha). Each icon is a list of
shapes in a unit square, filled with 4x4 supersampling for smooth edges.
Run it again after changing a shape; the .ico files are committed."""
import math
import struct
import sys
from pathlib import Path

SIZES = (16, 24, 32)
SAMPLES = 4


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width, lower_only=False):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        return abs(d - r) <= width / 2 and (not lower_only or y >= cy)
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                hit = not hit
        return hit
    return inside


def rounded_square(margin, radius):
    lo, hi = margin, 1 - margin
    def inside(x, y):
        cx = min(max(x, lo + radius), hi - radius)
        cy = min(max(y, lo + radius), hi - radius)
        return lo <= x <= hi and lo <= y <= hi and math.hypot(x - cx, y - cy) <= radius
    return inside


def arrow(pointing_left):
    pts = [(0.2, 0.5), (0.5, 0.22), (0.5, 0.39), (0.8, 0.39), (0.8, 0.61), (0.5, 0.61), (0.5, 0.78)]
    if not pointing_left:
        pts = [(1 - x, y) for x, y in pts]
    return polygon(pts)


BLUE, WHITE, NAVY, TEAL = (0x2E, 0x6F, 0xD0), (0xFF, 0xFF, 0xFF), (0x1F, 0x2D, 0x4A), (0x12, 0x7C, 0x74)
AMBER = (0xE0, 0x9A, 0x1B)

ICONS = {
    "Back": [(disc(0.5, 0.5, 0.47), BLUE), (arrow(True), WHITE)],
    "Forward": [(disc(0.5, 0.5, 0.47), BLUE), (arrow(False), WHITE)],
    "Anker": [
        (ring(0.5, 0.17, 0.09, 0.07), NAVY),
        (rect(0.455, 0.25, 0.545, 0.88), NAVY),
        (rect(0.28, 0.33, 0.72, 0.41), NAVY),
        (ring(0.5, 0.52, 0.34, 0.09, lower_only=True), NAVY),
        (polygon([(0.08, 0.62), (0.26, 0.52), (0.22, 0.70)]), NAVY),
        (polygon([(0.92, 0.62), (0.74, 0.52), (0.78, 0.70)]), NAVY),
    ],
    # A list of positions, the newest marked.
    "Recent": [
        (rounded_square(0.05, 0.15), BLUE),
        (disc(0.27, 0.3, 0.08), WHITE),
        (rect(0.42, 0.25, 0.82, 0.35), WHITE),
        (disc(0.27, 0.5, 0.08), WHITE),
        (rect(0.42, 0.45, 0.82, 0.55), WHITE),
        (disc(0.27, 0.7, 0.08), AMBER),
        (rect(0.42, 0.65, 0.82, 0.75), WHITE),
    ],
    "Tolvane": [
        (rounded_square(0.03, 0.18), TEAL),
        (rect(0.22, 0.2, 0.78, 0.33), WHITE),
        (rect(0.435, 0.2, 0.565, 0.82), WHITE),
        (disc(0.76, 0.76, 0.13), AMBER),
    ],
}


def render(shapes, size):
    """Rows of BGRA bytes, top row first."""
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for inside, c in shapes:
                        if inside(x, y):
                            colour = c
                    if colour:
                        for i in range(3):
                            acc[i] += colour[i]
                        acc[3] += 1
            n = acc[3]
            if n:
                r, g, b = (round(acc[i] / n) for i in range(3))
                row += bytes((b, g, r, round(255 * n / SAMPLES ** 2)))
            else:
                row += bytes(4)
        rows.append(row)
    return rows


def ico_bytes(shapes):
    images = []
    for size in SIZES:
        rows = render(shapes, size)
        mask_stride = ((size + 31) // 32) * 4
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = b"".join(reversed(rows))  # bottom-up, as DIBs are stored
        images.append(header + pixels + bytes(mask_stride * size))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent / "data" / "Icons")
    folder.mkdir(parents=True, exist_ok=True)
    for name, shapes in ICONS.items():
        (folder / f"{name}.ico").write_bytes(ico_bytes(shapes))


if __name__ == "__main__":
    main()
