#!/usr/bin/env python3
"""How often a build's scores order the eye panel's pairs as they were judged: both sides of every
pair converted with the given vorbix-cli --json, and for each score it reports ("delta_e", and
"likeness" once the build gives it; lower is closer) the pairs whose preferred side scores lower,
per half. A tie orders nothing and counts against."""

import argparse
import concurrent.futures
import os

import panel

MEASURES = ("delta_e", "likeness")


def score_pairs(cli, photos, pairs, jobs):
    def sides(pair):
        photo = os.path.join(photos, pair["photo"])
        return [panel.convert(cli, photo, pair["mode"], pair[side]) for side in ("a", "b")]

    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        return list(pool.map(sides, pairs))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--cli", required=True, help="the vorbix-cli to use")
    parser.add_argument("--photos", required=True, help="folder of the photos (photos.sh fills one)")
    parser.add_argument("--jobs", type=int, default=2, help="conversions at once (default 2)")
    parser.add_argument("--list", action="store_true", help="also every pair's scores and whether each measure agrees")
    args = parser.parse_args()
    pairs = panel.read_pairs()
    scored = score_pairs(args.cli, args.photos, pairs, args.jobs)
    measures = [m for m in MEASURES if all(m in side for both in scored for side in both)]

    agrees = {}
    for pair, (a, b) in zip(pairs, scored):
        preferred, other = (a, b) if pair["preferred"] == "A" else (b, a)
        agrees[pair["id"]] = {m: preferred[m] < other[m] for m in measures}
        if args.list:
            cells = "  ".join(f"{m} A {a[m]:6.2f} B {b[m]:6.2f} {'agrees' if agrees[pair['id']][m] else 'DISAGREES'}"
                              for m in measures)
            print(f"{pair['id']}  {pair['half']:8}  mode {pair['mode']:>2}  eye {pair['preferred']}  {cells}")

    for half in ("tune", "held-out"):
        ids = [p["id"] for p in pairs if p["half"] == half]
        for m in measures:
            hits = sum(agrees[i][m] for i in ids)
            print(f"{half:8}  {m:8}  {hits}/{len(ids)} pairs ordered as judged ({100.0 * hits / len(ids):.0f} %)")


if __name__ == "__main__":
    main()
