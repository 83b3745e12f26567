#!/usr/bin/env python3
"""Prints a Markdown table of two benchmark runs' medians side by side.

Usage: bench/before-after.py BEFORE.json AFTER.json
Both files as bench.sh writes them (--benchmark_out with repetitions, aggregates included).
Cases present in only one run show a dash on the other side.
"""
import json
import sys


def medians(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    found = {}
    for run in runs:
        if run.get("aggregate_name") != "median":
            continue
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run["time_unit"]]
        found[run["run_name"]] = (run["real_time"] * scale, run.get("label", ""))
    return found


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    before, after = medians(sys.argv[1]), medians(sys.argv[2])
    names = list(before) + [n for n in after if n not in before]
    print("| case | label | before (ms) | after (ms) | after / before |")
    print("|---|---|---|---|---|")
    for name in names:
        b, a = before.get(name), after.get(name)
        label = (a or b)[1]
        ratio = f"{a[0] / b[0]:.2f}" if a and b else "—"
        cell = lambda m: f"{m[0]:.3f}" if m else "—"
        print(f"| {name} | {label} | {cell(b)} | {cell(a)} | {ratio} |")


if __name__ == "__main__":
    main()
