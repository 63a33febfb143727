#!/usr/bin/env python3
"""Sets the shipped catalogue's centre-of-glass figures beside those computed
from the units' layers by `glazecalc-cli glazing compute`, as a Markdown table.

Usage: glazing_table.py [CLI] > docs/glazing-catalogue.md
"""
import csv
import os
import subprocess
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CLI = sys.argv[1] if len(sys.argv) > 1 else os.path.join(TOP, "build", "glazecalc-cli")


def pane(desc, thickness):
    if "Laminated" in desc:
        return "lam%g" % thickness
    for tint in ("Grey", "Bronze", "Green"):
        if tint in desc:
            return tint.lower() + "%g" % thickness
    return "clear%g" % thickness


def coating(desc):
    if "Hard-Coat" in desc:
        return "lowe-hard6"
    if "Solar" in desc:
        return "lowe-solar6"
    return "lowe-soft6"


def layers(g):
    desc = g["Glass_Desc"]
    t1, t2 = float(g["Nominal1"]), float(g["Nominal2"] or 0)
    if g["Glass_Type"] != "Double":
        return [pane(desc, t1)], []
    outer, inner = pane(desc, t1), pane(desc, t2)
    surface = int(g["Lowe_Surface"] or 0)
    if surface == 2:
        outer = coating(desc) + ":flip"
    elif surface == 3:
        inner = coating(desc)
    # The catalogue's argon units are 90 % argon, the rest air.
    gas = "argon90" if g["Gap_Fill"] == "Argon" else g["Gap_Fill"].lower()
    return [outer, inner], ["%g:%s" % (float(g["Gap_Size"]), gas)]


def compute(panes, gaps):
    args = [CLI, "glazing", "compute", "--pane", panes[0]]
    for gap, p in zip(gaps, panes[1:]):
        args += ["--gap", gap, "--pane", p]
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    u, shgc, vt = out.splitlines()[1].split("\t")
    return float(u), float(shgc), vt


def main():
    rows = list(csv.DictReader(open(os.path.join(TOP, "data", "Glazing.csv"), encoding="utf-8")))
    print("| Glass_Code | Layers (outdoors first) | U_COG stored | computed | diff | "
          "SHGC_COG stored | computed | diff | VT |")
    print("|---|---|---|---|---|---|---|---|---|")
    for g in rows:
        panes, gaps = layers(g)
        u, shgc, vt = compute(panes, gaps)
        text = panes[0] + "".join(" · %s · %s" % (gap, p) for gap, p in zip(gaps, panes[1:]))
        su, ss = float(g["U_COG"]), float(g["SHGC_COG"])
        print("| %s | %s | %.2f | %.3f | %+.3f | %.2f | %.3f | %+.3f | %s |"
              % (g["Glass_Code"], text, su, u, u - su, ss, shgc, shgc - ss, vt))


if __name__ == "__main__":
    main()
