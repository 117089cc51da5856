#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Line and branch coverage of each folder of code from a run's gcc counts, with every line
never run, and the check that each folder reaches its minimum.

Usage: scripts/coverage_report.py ROOT BUILD-DIR [--gate]
Branches are counted without the edges the compiler adds for exceptions and those it knows
cannot be taken, nor a new-expression's edge for a constructor that throws. A line listed in
scripts/coverage-exclusions.txt, with the reason no test can run it, counts neither way.
Exit status: with --gate, 1 when a folder is below its minimum; 0 otherwise.
"""

import json
import subprocess
import sys
import tempfile
from pathlib import Path

# Folder: (least line coverage, least branch coverage), in per cent, as a run as root with
# every test package installed reaches them (CI's). editor/'s branches stop at 89: whether a
# load outlasts the progress dialog's delay depends on the machine, which moves up to three of
# its branches from run to run.
MINIMUM = {
    "map": (98, 90),
    "cli": (98, 90),
    "interop": (98, 90),
    "render": (98, 90),
    "editor": (95, 89),
}


def exclusions(root):
    """{file: {line text or "*"}} from the list; a record whose text is not in its file fails."""
    listed = {}
    path = root / "scripts" / "coverage-exclusions.txt"
    for number, text in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if not text.strip() or text.startswith("#"):
            continue
        fields = [field.strip() for field in text.split(" | ")]
        if len(fields) != 3 or not all(fields):
            sys.exit(f"{path}:{number}: want 'FILE | LINE TEXT or * | why'")
        file, line, _ = fields
        source = [code.strip() for code in (root / file).read_text(encoding="utf-8").splitlines()]
        if line != "*" and line not in source:
            sys.exit(f"{path}:{number}: {file} no longer holds: {line}")
        listed.setdefault(file, set()).add(line)
    return listed


def gcov_lines(root, build):
    """{file: [line records]} of the code folders, from gcovr's JSON report."""
    with tempfile.TemporaryDirectory() as scratch:
        report = Path(scratch) / "coverage.json"
        subprocess.run(
            ["gcovr", "--root", str(root), "--object-directory", str(build),
             "--exclude-throw-branches", "--exclude-unreachable-branches",
             # A new-expression's only branch is for a constructor that throws.
             "--exclude-branches-by-pattern", r".*\bnew [A-Za-z_:<>]+\(.*",
             *[arg for folder in MINIMUM for arg in ("--filter", f"{root}/{folder}/")],
             "--json", str(report), str(build)],
            check=True, stdout=subprocess.DEVNULL)
        data = json.loads(report.read_text(encoding="utf-8"))
    return {entry["file"]: entry["lines"] for entry in data["files"]}


def main():
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["--gate"]):
        sys.exit(__doc__)
    root, build = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    listed = exclusions(root)
    # Lines run, lines, branches taken, branches.
    totals = {folder: [0, 0, 0, 0] for folder in MINIMUM}
    never = []
    for file, lines in sorted(gcov_lines(root, build).items()):
        folder = file.split("/")[0]
        if folder not in totals:
            continue
        source = (root / file).read_text(encoding="utf-8").splitlines()
        skipped = listed.get(file, set())
        for line in lines:
            text = source[line["line_number"] - 1].strip()
            if line.get("gcovr/noncode") or "*" in skipped or text in skipped:
                continue
            total = totals[folder]
            total[0] += line["count"] > 0
            total[1] += 1
            total[2] += sum(branch["count"] > 0 for branch in line["branches"])
            total[3] += len(line["branches"])
            missed = sum(branch["count"] == 0 for branch in line["branches"])
            if line["count"] == 0:
                never.append(f"{file}:{line['line_number']}: never run")
            elif missed:
                never.append(f"{file}:{line['line_number']}: {missed} of "
                             f"{len(line['branches'])} branches never taken")
    print("\n".join(never))
    failed = False
    print(f"{'folder':10} {'lines':>16} {'branches':>16}")
    for folder, (run, lines, taken, branches) in totals.items():
        line_share = 100 * run / lines if lines else 100
        branch_share = 100 * taken / branches if branches else 100
        least = MINIMUM[folder]
        low = line_share < least[0] or branch_share < least[1]
        failed |= low
        below = f"  below {least[0]} % / {least[1]} %" if low else ""
        print(f"{folder:10} {run:5}/{lines:<5} {line_share:5.1f}% {taken:5}/{branches:<5} "
              f"{branch_share:5.1f}%{below}")
    return 1 if failed and sys.argv[3:] == ["--gate"] else 0


if __name__ == "__main__":
    sys.exit(main())
