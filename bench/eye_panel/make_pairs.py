#!/usr/bin/env python3
"""Makes both pictures of every eye-panel pair, and the photo beside them, into a folder:
ID-a.bmp, ID-b.bmp and ID.png (photo | A | B, each 512 x 480, as the pair was judged).
ImageMagick's convert joins them."""

import argparse
import os
import subprocess

import panel


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--cli", required=True, help="the vorbix-cli to use")
    parser.add_argument("--photos", required=True, help="folder of the photos (photos.sh fills one)")
    parser.add_argument("--out", required=True, help="folder for the pictures, created if missing")
    parser.add_argument("--only", nargs="*", help="just these pair ids")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for pair in panel.read_pairs():
        if args.only and pair["id"] not in args.only:
            continue
        photo = os.path.join(args.photos, pair["photo"])
        sides = []
        for side in ("a", "b"):
            picture = os.path.join(args.out, f"{pair['id']}-{side}.bmp")
            figures = panel.convert(args.cli, photo, pair["mode"], pair[side], picture)
            sides.append((picture, figures))
        subprocess.run(["convert", photo, "-resize", "512x480!", sides[0][0], sides[1][0], "+append",
                        os.path.join(args.out, pair["id"] + ".png")], check=True)
        scores = "  ".join(f"{'AB'[i]}: {f.get('delta_e')}" for i, (_, f) in enumerate(sides))
        print(f"{pair['id']}\t{scores}\tpreferred {pair['preferred']}")


if __name__ == "__main__":
    main()
