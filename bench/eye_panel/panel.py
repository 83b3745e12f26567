"""The eye panel's table and the one way both sides of a pair are made with vorbix-cli."""

import csv
import json
import os
import shlex
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "pairs.tsv")
COLUMNS = ["id", "half", "photo", "mode", "a", "b", "preferred", "reason"]


def read_pairs(path=TABLE):
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f, delimiter="\t"))
    for row in rows:
        if list(row.keys()) != COLUMNS:
            raise SystemExit(f"{path}: columns must be {COLUMNS}")
        if row["preferred"] not in ("A", "B"):
            raise SystemExit(f"{path}: pair {row['id']} prefers {row['preferred']!r}, not A or B")
    return rows


def write_pairs(rows, path=TABLE):
    with open(path, "w", newline="", encoding="utf-8") as f:
        writer = csv.DictWriter(f, fieldnames=COLUMNS, delimiter="\t", lineterminator="\n")
        writer.writeheader()
        writer.writerows(rows)


def convert(cli, photo, mode, settings, picture_out=None):
    """Runs vorbix-cli on one side of a pair; returns its --json object. With picture_out, the
    picture as the TVC shows it (512 x 480) is kept there as a BMP."""
    with tempfile.TemporaryDirectory() as out_dir:
        command = [cli, photo, "--mode", str(mode), *shlex.split(settings), "--json", "--out-dir", out_dir]
        run = subprocess.run(command, capture_output=True, text=True)
        lines = [line for line in run.stdout.splitlines() if line.startswith("{")]
        if run.returncode != 0 or not lines:
            raise SystemExit(f"{shlex.join(command)} failed ({run.returncode}): {run.stderr.strip()}")
        figures = json.loads(lines[0])
        if picture_out:
            os.replace(os.path.join(out_dir, "out24.bmp"), picture_out)
        return figures
