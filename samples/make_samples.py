#!/usr/bin/env python3
"""Draws the bundled sample pictures: a colour chart with smooth gradients and a made-up
landscape. Writes BMPs; JPEG copies are made from them with ImageMagick's convert."""
import math
import struct
import subprocess
import sys


def write_bmp(path, width, height, pixel):
    row_bytes = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(row_bytes - len(row))
        data += row
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def clamp(v):
    return max(0, min(255, int(round(v))))


def chart(x, y, w=320, h=240):
    """Hues across; from white through the pure hue to black down the top half; grey and
    primary ramps in the bottom half."""
    half = h // 2
    if y < half:
        hue = x / w * 6.0
        sector, frac = int(hue) % 6, hue - int(hue)
        rgb = [(1, frac, 0), (1 - frac, 1, 0), (0, 1, frac), (0, 1 - frac, 1), (frac, 0, 1), (1, 0, 1 - frac)][sector]
        t = y / (half - 1) * 2
        if t <= 1:
            return tuple(clamp(255 * (1 - t + t * c)) for c in rgb)
        return tuple(clamp(255 * c * (2 - t)) for c in rgb)
    band = (y - half) * 4 // half
    v = x / (w - 1)
    ramps = [(v, v, v), (v, 0, 0), (0, v, 0), (0, 0, v)]
    return tuple(clamp(255 * c) for c in ramps[band])


def landscape(x, y, w=400, h=300):
    horizon = h * 0.55 + 18 * math.sin(x / 37.0)
    sun = math.hypot(x - w * 0.72, y - h * 0.22)
    if sun < 28:
        return (255, 236, 170)
    if y < horizon:
        t = y / horizon
        glow = max(0.0, 1 - sun / 160)
        return (clamp(70 + 120 * t + 80 * glow), clamp(120 + 80 * t + 50 * glow), clamp(220 - 40 * t))
    hill = h * 0.7 + 25 * math.sin(x / 23.0 + 1.3) + 10 * math.sin(x / 7.0)
    if y < hill:
        shade = 0.6 + 0.4 * math.sin(x / 11.0) * math.cos(y / 9.0)
        return (clamp(40 * shade), clamp(110 + 60 * shade), clamp(40 * shade))
    t = (y - hill) / max(1.0, h - hill)
    ripple = 0.5 + 0.5 * math.sin(x / 5.0 + y / 3.0)
    return (clamp(30 + 40 * ripple), clamp(60 + 50 * ripple * (1 - t)), clamp(140 + 80 * ripple))


if __name__ == '__main__':
    folder = sys.argv[1] if len(sys.argv) > 1 else '.'
    write_bmp(f'{folder}/colour-chart.bmp', 320, 240, chart)
    write_bmp(f'{folder}/landscape.bmp', 400, 300, landscape)
    subprocess.run(['convert', f'{folder}/landscape.bmp', '-quality', '90', f'{folder}/landscape.jpg'], check=True)
    subprocess.run(['convert', f'{folder}/colour-chart.bmp', '-quality', '92', f'{folder}/colour-chart.jpg'], check=True)
    import os
    os.remove(f'{folder}/landscape.bmp')
