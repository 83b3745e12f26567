#!/usr/bin/env python3
"""Splits the eye panel into a half to tune on and a held-out half to report on: at random with a
fixed seed, within each mode, so both halves hold each mode's pairs about equally. It was run once,
before any measure was tuned; run again, it gives the same halves (--check says whether the table
still holds them)."""

import argparse
import random

import panel

SEED = 20261211


def halves(pairs):
    half = {}
    for mode in sorted({p["mode"] for p in pairs}, key=int):
        ids = sorted(p["id"] for p in pairs if p["mode"] == mode)
        random.Random(f"{SEED}-{mode}").shuffle(ids)
        for i, pair_id in enumerate(ids):
            half[pair_id] = "tune" if i < (len(ids) + 1) // 2 else "held-out"
    return half


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--check", action="store_true", help="only say whether the table holds these halves")
    args = parser.parse_args()
    pairs = panel.read_pairs()
    half = halves(pairs)
    if args.check:
        differ = [p["id"] for p in pairs if p["half"] != half[p["id"]]]
        print("halves as drawn" if not differ else "halves differ from the draw: " + " ".join(differ))
        raise SystemExit(1 if differ else 0)
    for p in pairs:
        p["half"] = half[p["id"]]
    panel.write_pairs(pairs)


if __name__ == "__main__":
    main()
