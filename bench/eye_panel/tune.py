#!/usr/bin/env python3
"""Tries the likeness's weights on the eye panel without rebuilding: both sides of every pair are
converted once, vorbix_likeness_terms writes what the measure is made of (the eye-blurred CIELAB
of the source view and of the picture, and each pixel's S-CIELAB ΔE00), and the measure of
core/likeness is then recomputed here for every setting in the grid. Settings are ranked by the
pairs of the tune half they order as judged (then by how clearly); the held-out half's figure is
printed beside them but never used to choose. Needs numpy and scipy (python3-numpy, python3-scipy)."""

import argparse
import itertools
import os
import subprocess

import numpy as np
from scipy.ndimage import uniform_filter

import panel

W, H = 512, 480
BLOCK = 8  # the blocks core/likeness takes at the TVC's viewing distance


def terms(args, pair, side):
    name = f"{pair['id']}-{side}"
    path = os.path.join(args.work, name + ".f32")
    if not os.path.exists(path):
        picture = os.path.join(args.work, name + ".bmp")
        photo = os.path.join(args.photos, pair["photo"])
        panel.convert(args.cli, photo, pair["mode"], pair[side], picture)
        subprocess.run([args.terms, photo, picture, path], check=True, capture_output=True)
    return np.fromfile(path, dtype=np.float32).reshape(7, H, W).astype(np.float64)


def window_mean(x, size):
    return uniform_filter(x, size, mode="constant") / uniform_filter(np.ones_like(x), size, mode="constant")


def prepared(planes, window):
    """Per block: the window's lightness and chroma differences, and the lightness spread lost."""
    blocks = [p.reshape(H // BLOCK, BLOCK, W // BLOCK, BLOCK).mean(axis=(1, 3)) for p in planes[:6]]
    means = [window_mean(b, window) for b in blocks]
    spread = [np.sqrt(np.maximum(window_mean(blocks[i] ** 2, window) - window_mean(blocks[i], window) ** 2, 0))
              for i in (0, 3)]
    return means[3] - means[0], np.hypot(means[4] - means[1], means[5] - means[2]), spread[0] - spread[1], planes[6]


def score(prep, lightness, contrast, fine, pooling):
    dl, dc, lost, delta_e = prep
    near = np.sqrt((lightness * dl) ** 2 + dc ** 2) + contrast * np.maximum(lost, 0)
    error = np.kron(near, np.ones((BLOCK, BLOCK))) + fine * delta_e
    return np.mean(error ** pooling) ** (1 / pooling)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--cli", required=True, help="the vorbix-cli to use")
    parser.add_argument("--terms", required=True, help="the vorbix_likeness_terms to use")
    parser.add_argument("--photos", required=True, help="folder of the photos (photos.sh fills one)")
    parser.add_argument("--work", required=True, help="folder for the pictures and their terms, kept between runs")
    parser.add_argument("--top", type=int, default=15, help="settings to print")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    pairs = panel.read_pairs()
    grid = {"window": (3, 5, 7, 9), "lightness": (1, 1.5, 2), "contrast": (0, 1, 2, 3, 4), "fine": (0, 0.25, 1),
            "pooling": (1, 2, 4)}
    planes = {(p["id"], s): terms(args, p, s) for p in pairs for s in "ab"}
    results = []
    for window in grid["window"]:
        prep = {key: prepared(value, window) for key, value in planes.items()}
        for lightness, contrast, fine, pooling in itertools.product(grid["lightness"], grid["contrast"], grid["fine"],
                                                                     grid["pooling"]):
            hits = {"tune": 0, "held-out": 0}
            margin = 0.0
            for p in pairs:
                a, b = (score(prep[(p["id"], s)], lightness, contrast, fine, pooling) for s in "ab")
                preferred, other = (a, b) if p["preferred"] == "A" else (b, a)
                hits[p["half"]] += preferred < other
                if p["half"] == "tune":
                    margin += np.log(other / preferred)
            results.append((hits["tune"], margin, hits["held-out"], window, lightness, contrast, fine, pooling))
    results.sort(key=lambda r: r[:2], reverse=True)
    tune = sum(p["half"] == "tune" for p in pairs)
    print(f"tune/{tune}  margin  held-out/{len(pairs) - tune}  window  lightness  contrast  fine  pooling")
    for r in results[:args.top]:
        print(f"{r[0]:7}  {r[1]:6.2f}  {r[2]:11}  {r[3]:6}  {r[4]:9}  {r[5]:8}  {r[6]:4}  {r[7]:7}")


if __name__ == "__main__":
    main()
