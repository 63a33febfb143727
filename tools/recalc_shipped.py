#!/usr/bin/env python3
"""Recalculates the shipped designs (standard projects and the sample project)
with glazecalc-cli and stores their results in data/Design.csv (the eight
result fields) and data/DesignCosting.csv.

Usage: recalc_shipped.py [--cli PATH] [--check]

--cli    the glazecalc-cli to run (default: build/glazecalc-cli)
--check  compare the stored results with fresh ones instead of writing

Every message of the calculation is printed; a design without results
("No Results Available for Selected Options") or a failing run stops the
tool before anything is written. The figures are also checked for
plausibility against the kind of glazing: single glazing U 5-7, insulating
units U 1.5-4.5, SHGC 0.15-0.9.
"""

import csv
import io
import os
import sqlite3
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "data")
RESULT_FIELDS = ["Window_Area", "U_Factor", "SHGC", "Profile_Length", "SpanL", "SpanR", "ActualIx", "ReqIx"]


def fmt(value):
    """Numbers as the loader reads them: '.' decimals, no exponent, shortest exact form."""
    if value is None:
        return ""
    if isinstance(value, float):
        if value == int(value) and abs(value) < 1e12:
            return str(int(value))
        text = repr(value)
        if "e" in text or "E" in text:
            text = ("%.20f" % value).rstrip("0").rstrip(".")
        return text
    return str(value)


def quote(text):
    if any(c in text for c in ',"\n\r') or text != text.strip():
        return '"' + text.replace('"', '""') + '"'
    return text


def render(header, rows):
    out = io.StringIO()
    out.write(",".join(header) + "\n")
    for row in rows:
        out.write(",".join(quote(c) for c in row) + "\n")
    return out.getvalue()


def read_csv(path):
    with open(path, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f))
    return rows[0], rows[1:]


def run(cli, workdir, args):
    env = dict(os.environ, QUORVEX_DATA_DIR=DATA)
    return subprocess.run([cli, "--workdir", workdir] + args, env=env, capture_output=True, text=True)


def plausible(design, glazing):
    kind = glazing.get(design["Glass_Code"], "")
    u, shgc = float(design["U_Factor"]), float(design["SHGC"])
    low, high = (5.0, 7.0) if kind in ("Single", "Laminated", "Toughened") else (1.5, 4.5)
    problems = []
    if not low <= u <= high:
        problems.append("U %.5g outside %g-%g for %s glazing" % (u, low, high, kind or "unknown"))
    if not 0.15 <= shgc <= 0.9:
        problems.append("SHGC %.5g outside 0.15-0.9" % shgc)
    return problems


def main(argv):
    check = "--check" in argv
    cli = os.path.join(ROOT, "build", "glazecalc-cli")
    if "--cli" in argv:
        cli = os.path.abspath(argv[argv.index("--cli") + 1])
    design_path = os.path.join(DATA, "Design.csv")
    costing_path = os.path.join(DATA, "DesignCosting.csv")
    header, designs = read_csv(design_path)
    original = open(design_path, encoding="utf-8").read()
    if render(header, designs) != original:
        print("data/Design.csv is not in the form this tool writes; nothing done", file=sys.stderr)
        return 1
    _, projects = read_csv(os.path.join(DATA, "Project.csv"))
    gheader, glass_rows = read_csv(os.path.join(DATA, "Glazing.csv"))
    glazing = {r[0]: r[gheader.index("Glass_Type")] for r in glass_rows}

    with tempfile.TemporaryDirectory() as work:
        r = run(cli, work, ["init"])
        if r.returncode != 0:
            print(r.stderr, file=sys.stderr)
            return 1
        failed = False
        for p in projects:
            r = run(cli, work, ["calc", p[0]])
            for line in r.stderr.splitlines():
                print("%s: %s" % (p[0], line))
                if line == "No Results Available for Selected Options":
                    failed = True
            if r.returncode != 0:
                failed = True
        if failed:
            print("some designs have no results; nothing written", file=sys.stderr)
            return 1
        db = sqlite3.connect(os.path.join(work, "Data", "Quorvex.db"))
        results = {}
        for row in db.execute("SELECT Project_Ref, Design_No, %s FROM Design" % ", ".join(RESULT_FIELDS)):
            results[(row[0], int(row[1]))] = [fmt(v) for v in row[2:]]
        cols = [c[1] for c in db.execute("PRAGMA table_info(DesignCosting)")]
        costing = [[fmt(v) for v in row] for row in db.execute(
            "SELECT * FROM DesignCosting ORDER BY Project_Ref, Design_No")]
        db.close()

    index = {f: header.index(f) for f in RESULT_FIELDS + ["Project_Ref", "Design_No"]}
    problems = 0
    for row in designs:
        key = (row[index["Project_Ref"]], int(row[index["Design_No"]]))
        for f, v in zip(RESULT_FIELDS, results[key]):
            row[index[f]] = v
        d = dict(zip(header, row))
        for p in plausible(d, glazing):
            print("%s %s %s: %s" % (key[0], key[1], d["Design_Ref"], p))
            problems += 1
    new_design = render(header, designs)
    new_costing = render(cols, costing)
    if check:
        stale = [n for n, path, text in (("Design", design_path, new_design),
                                         ("DesignCosting", costing_path, new_costing))
                 if not os.path.exists(path) or open(path, encoding="utf-8").read() != text]
        if stale:
            print("results out of date: " + ", ".join(stale), file=sys.stderr)
            return 1
        return 0
    for path, text in ((design_path, new_design), (costing_path, new_costing)):
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
        print("wrote %s" % os.path.relpath(path, ROOT))
    print("%d designs, %d implausible figures" % (len(designs), problems))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
