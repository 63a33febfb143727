#!/usr/bin/env python3
"""Generates the derived tables of the shipped catalogue under data/.

Hand-kept tables (SystemType, System, SystemSash, SystemProfileType,
SystemProfile, Glazing, Supplier, Finish) are read from data/; the parameter
tables under tools/params/ say how the rest follows from them:

  SystemGlass            system_glass.csv (which glazing kinds a system takes)
  SystemValues           frame_values.csv, sash_values.csv, finish_factors.csv
  ClimateZone, SolarExposureFactors, Ratios
                         climate.json
  Project, Design, DesignImage, DesignMerge, ProjectFloors, ProjectOptions
                         projects.json (standard design libraries, sample project)

Every value choice the calculation can be offered gets exactly one SystemValues
row, and every shipped design is checked against the catalogue it is drawn
from (cell types offered by its system, pane sizes, glass area, profile
strength) before anything is written.

Usage: gen_catalogue.py [--check]   (--check compares instead of writing)
Standard library only.
"""

import csv
import io
import json
import math
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "data")
PARAMS = os.path.join(ROOT, "tools", "params")

ROWS, COLS = 5, 10
ORIENTATIONS = ["N", "NE", "E", "SE", "S", "SW", "W", "NW"]
FACTOR_FIELDS = [o + "_Factor" for o in ORIENTATIONS]

# Stored cell word -> the sash-table word that offers it.
MENU_WORD = {
    "NONE": "None", "FIXED": "Fixed", "TOP": "Top", "BOTTOM": "Bottom",
    "SIDEL": "SideL", "SIDER": "SideR", "SLIDL": "SlidL", "SLIDR": "SlidR",
    "SLIDU": "SlidU", "SLIDD": "SlidD", "SLIDFL": "SlidFL", "SLIDFR": "SlidFR",
    "TILTTURNL": "TiltTurnL", "TILTTURNR": "TiltTurnR",
    "TILTSLIDL": "TiltSlidL", "TILTSLIDR": "TiltSlidR",
}
SASH_WORDS = {w.upper() for w in MENU_WORD.values()} - {"NONE", "FIXED"}
ALLOWED_SHAPES = {(1, 1), (2, 1), (3, 1), (1, 2), (1, 3), (2, 2)}  # (cols, rows)

# Field lists of the generated tables, in table order, and the widths of the
# text fields of every table this tool reads or writes.
DESIGN_FIELDS = (
    ["Project_Ref", "Design_No", "Design_Ref", "Design_Qty", "System_Type", "System_Name",
     "Finish", "Glass_Code", "Sash_Type", "Wind_Load", "Elevation", "Floor"]
    + ["DimH%d" % i for i in range(1, 6)] + ["DimV%d" % i for i in range(1, 6)]
    + ["Window_Area", "U_Factor", "SHGC"]
    + ["Profile%d" % i for i in range(1, 5)] + ["Die%d" % i for i in range(1, 5)]
    + ["Glass_Supplier", "Continuous"] + ["DimH%d" % i for i in range(6, 11)]
    + ["Profile_Length", "SpanL", "SpanR", "ActualIx", "ReqIx", "Profile5", "Die5"])
FIELDS = {
    "SystemGlass": ["System_Name", "Glass_No", "Glass_Code", "Bead", "Gasket1", "Gasket2",
                    "Glass_Desc", "Supplier"],
    "SystemValues": ["System_Name", "Finish", "Glass_Code", "Sash", "Profile", "Option_No",
                     "Option_Desc", "U_COG", "SHGC_COG", "UF0", "UF1", "UF2", "UE0", "UE1",
                     "UE2", "PFD0", "PFD1", "PFD2"],
    "ClimateZone": ["Zone_No", "Ratio", "Zone_Desc", "Conductance", "SHGC"] + FACTOR_FIELDS,
    "SolarExposureFactors": ["Zone", "Ratio"] + FACTOR_FIELDS,
    "Ratios": ["Ratio"],
    "Project": ["Project_Ref", "Project_Name", "Project_Date", "Def_Finish", "Def_WL",
                "Designed_By", "Detail1", "Detail2", "Detail3", "Detail4"],
    "Design": DESIGN_FIELDS,
    "DesignImage": ["Project_Ref", "Design_No", "Row", "Column", "ModeOfCell", "Glass_Code"],
    "DesignMerge": ["Project_Ref", "Design_No", "Row", "Column", "RowSpan", "ColSpan"],
    "ProjectFloors": ["Project_Ref", "Floor", "Total_Area", "Effective_Area", "Shading_Ratio"]
                     + FACTOR_FIELDS,
    "ProjectOptions": ["Project_Ref", "Climate_Zone", "Conductance", "Solar_Heat_Gain",
                       "Default_Frame", "Default_Glazing"] + FACTOR_FIELDS,
}
WIDTHS = {
    "SystemType": {"System_Type": 20, "Glazing_Type": 1},
    "System": {"System_Type": 20, "System_Name": 30, "System_Description": 80,
               "System_Image": 20, "Continuous": 1},
    "SystemSash": {"System_Name": 30, "Sash_Type": 15, "Description": 30},
    "SystemProfile": {"System_Name": 30, "Profile_Type": 15, "Profile_Code": 13,
                      "Profile_Desc": 30},
    "SystemProfileType": {"System_Name": 30, **{"Profile%d" % i: 15 for i in range(1, 6)}},
    "SystemGlass": {"System_Name": 30, "Glass_Code": 20, "Bead": 10, "Gasket1": 10,
                    "Gasket2": 10, "Glass_Desc": 50, "Supplier": 10},
    "SystemValues": {"System_Name": 30, "Finish": 15, "Glass_Code": 15, "Sash": 30,
                     "Profile": 15, "Option_Desc": 30},
    "Glazing": {"Glass_Code": 20, "Glass_Desc": 50, "Glass_Type": 10, "IGDB1": 6, "IGDB2": 6,
                "Gap_Fill": 10, "Spacer": 10, "Glass_Supplier": 20, "SAGDB": 20},
    "Finish": {"Finish": 15, "Finish_Desc": 30, "Finish_Type": 1},
    "Supplier": {"Glass_Supplier": 20, "Supplier_Name": 30},
    "ClimateZone": {"Zone_Desc": 30},
    "Project": {"Project_Ref": 15, "Project_Name": 30, "Def_Finish": 15, "Designed_By": 20,
                **{"Detail%d" % i: 70 for i in range(1, 5)}},
    "Design": {"Project_Ref": 15, "Design_Ref": 10, "System_Type": 20, "System_Name": 30,
               "Finish": 15, "Glass_Code": 20, "Sash_Type": 10, "Elevation": 2, "Floor": 2,
               "Glass_Supplier": 20, "Continuous": 10,
               **{"Profile%d" % i: 30 for i in range(1, 6)},
               **{"Die%d" % i: 13 for i in range(1, 6)}},
    "DesignImage": {"Project_Ref": 15, "ModeOfCell": 10, "Glass_Code": 20},
    "DesignMerge": {"Project_Ref": 15},
    "ProjectFloors": {"Project_Ref": 15, "Floor": 2},
    "ProjectOptions": {"Project_Ref": 15, "Default_Frame": 20, "Default_Glazing": 20},
}
KEYS = {
    "SystemType": ["System_Type"], "SystemSash": ["System_Name", "Sash_Type"],
    "SystemProfileType": ["System_Name"], "Glazing": ["Glass_Code"], "Finish": ["Finish"],
    "SolarExposureFactors": ["Zone", "Ratio"], "Ratios": ["Ratio"], "Project": ["Project_Ref"],
    "Design": ["Project_Ref", "Design_No"],
    "DesignImage": ["Project_Ref", "Design_No", "Row", "Column"],
    "DesignMerge": ["Project_Ref", "Design_No", "Row", "Column"],
    "ProjectFloors": ["Project_Ref", "Floor"], "ProjectOptions": ["Project_Ref"],
}


class CatalogueError(Exception):
    pass


# ---------------------------------------------------------------- CSV in/out

def read_table(path, comments=False):
    with open(path, newline="", encoding="utf-8") as f:
        text = f.read()
    if comments:
        text = "".join(l for l in text.splitlines(True) if not l.startswith("#"))
    rows = list(csv.DictReader(io.StringIO(text)))
    for i, row in enumerate(rows):
        if None in row or None in row.values():
            raise CatalogueError("%s, row %d: wrong number of values" % (path, i + 1))
    return rows


def read_data(name):
    return read_table(os.path.join(DATA, name + ".csv"))


def read_param(name):
    return read_table(os.path.join(PARAMS, name), comments=True)


def fmt(value):
    """Numbers as the loader reads them: '.' decimals, no exponent, no padding."""
    if value is None:
        return ""
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        if value == int(value) and abs(value) < 1e12:
            return str(int(value))
        return ("%.6f" % value).rstrip("0").rstrip(".")
    return str(value)


def render_csv(fields, rows):
    out = io.StringIO()
    out.write(",".join(fields) + "\n")
    for row in rows:
        cells = []
        for f in fields:
            s = fmt(row.get(f))
            if any(c in s for c in ',"\n\r') or s != s.strip():
                s = '"' + s.replace('"', '""') + '"'
            cells.append(s)
        out.write(",".join(cells) + "\n")
    return out.getvalue()


# ---------------------------------------------------------------- checks

def check_widths(table, rows):
    for i, row in enumerate(rows):
        for field, width in WIDTHS.get(table, {}).items():
            value = fmt(row.get(field))
            if len(value) > width:
                raise CatalogueError("%s row %d: %s '%s' is longer than %d"
                                     % (table, i + 1, field, value, width))


def check_keys(table, rows):
    key = KEYS.get(table)
    if not key:
        return
    seen = set()
    for row in rows:
        k = tuple(fmt(row.get(f)) for f in key)
        if k in seen:
            raise CatalogueError("%s: duplicate key %s" % (table, k))
        seen.add(k)


def num(text):
    return float(text) if text not in (None, "") else 0.0


# ---------------------------------------------------------------- catalogue

class Catalogue:
    def __init__(self):
        self.system_types = read_data("SystemType")
        self.systems = {r["System_Name"]: r for r in read_data("System")}
        self.sashes = read_data("SystemSash")
        self.profile_types = {r["System_Name"]: r for r in read_data("SystemProfileType")}
        self.profiles = read_data("SystemProfile")
        self.glazing = {r["Glass_Code"]: r for r in read_data("Glazing")}
        self.finishes = [r["Finish"] for r in read_data("Finish")]
        self.suppliers = [r["Glass_Supplier"] for r in read_data("Supplier")]
        for table in ("SystemType", "System", "SystemSash", "SystemProfileType",
                      "SystemProfile", "Glazing", "Finish", "Supplier"):
            rows = read_data(table)
            check_widths(table, rows)
            check_keys(table, rows)
        self._check_references()

    def _check_references(self):
        types = {r["System_Type"] for r in self.system_types}
        for name, s in self.systems.items():
            if s["System_Type"] not in types:
                raise CatalogueError("System %s: unknown type %s" % (name, s["System_Type"]))
            if name not in self.profile_types:
                raise CatalogueError("System %s has no SystemProfileType row" % name)
            if s["Continuous"] not in ("V", "H", "B"):
                raise CatalogueError("System %s: Continuous must be V, H or B" % name)
        for a in self.systems:
            for b in self.systems:
                # The standard-design query matches "_" + name + "%".
                if a != b and b.startswith(a):
                    raise CatalogueError("System name %s is a prefix of %s" % (a, b))
        codes = {}
        for p in self.profiles:
            if p["Profile_Code"] in codes:
                raise CatalogueError("Die %s used twice" % p["Profile_Code"])
            codes[p["Profile_Code"]] = p
        for name in self.systems:
            descs = [p["Profile_Desc"] for p in self.profiles if p["System_Name"] == name]
            if len(descs) != len(set(descs)):
                raise CatalogueError("System %s: profile descriptions repeat" % name)
        for code, g in self.glazing.items():
            if g["Glass_Supplier"] not in self.suppliers:
                raise CatalogueError("Glazing %s: unknown supplier" % code)

    def sash_system(self, system):
        return self.profile_types[system]["Profile5"] == "Sash"

    def slot_options(self, system, slot):
        """Profile choices of slot 1..5 as the design stores them (inactive with a space)."""
        ptype = self.profile_types[system]["Profile%d" % slot]
        out = []
        for p in self.profiles:
            if p["System_Name"] == system and p["Profile_Type"] == ptype:
                text = p["Profile_Desc"] if p["Active"] == "1" else " " + p["Profile_Desc"]
                out.append((text, p))
        return out

    def sash_row(self, system, menu_word):
        for s in self.sashes:
            if s["System_Name"] == system and s["Sash_Type"] == menu_word:
                return s
        return None


# ---------------------------------------------------------------- SystemGlass

def glass_kind(g):
    if g["Glass_Type"] == "Double":
        return "dgu%d" % round(num(g["Total_Thick"]))
    if g["Glass_Type"] == "Laminated":
        return "lam"
    return "thin" if num(g["Nominal1"]) < 5 else "single6"


def make_system_glass(cat):
    rows = []
    for rule in read_param("system_glass.csv"):
        system = rule["System_Name"]
        if system not in cat.systems:
            raise CatalogueError("system_glass.csv: unknown system %s" % system)
        kinds = set(rule["Kinds"].split())
        prefix = rule["Die_Prefix"]
        number = 0
        # Listed supplier by supplier, in the order of the supplier list.
        for supplier in cat.suppliers:
            for code in sorted(cat.glazing):
                g = cat.glazing[code]
                if g["Glass_Supplier"] != supplier or glass_kind(g) not in kinds:
                    continue
                number += 1
                thick = round(num(g["Total_Thick"]))
                rows.append({
                    "System_Name": system, "Glass_No": number, "Glass_Code": code,
                    "Bead": "%s-B%02d" % (prefix, thick),
                    "Gasket1": "%s-W%s" % (prefix, "1" if thick < 10 else "2"),
                    "Gasket2": "%s-G%s" % (prefix, "1" if thick < 10 else "2"),
                    "Glass_Desc": g["Glass_Desc"], "Supplier": supplier,
                })
    covered = {r["System_Name"] for r in rows}
    for name in cat.systems:
        if name not in covered:
            raise CatalogueError("System %s takes no glazing" % name)
    return rows


# ---------------------------------------------------------------- SystemValues

# Edge-of-glass U with an aluminium spacer against the centre-of-glass U of a
# sealed unit (W/m2K), interpolated linearly and extended with the end slopes.
EDGE_POINTS = [(1.42, 2.60), (1.68, 2.70), (2.69, 3.30)]


def edge_u(g):
    u = num(g["U_COG"])
    if g["Glass_Type"] != "Double":
        return u  # single glazing: no spacer, the edge behaves like the centre
    pts = EDGE_POINTS
    if u <= pts[0][0]:
        (x0, y0), (x1, y1) = pts[0], pts[1]
    elif u >= pts[-1][0]:
        (x0, y0), (x1, y1) = pts[-2], pts[-1]
    else:
        i = max(i for i in range(len(pts) - 1) if pts[i][0] <= u)
        (x0, y0), (x1, y1) = pts[i], pts[i + 1]
    return round(y0 + (u - x0) * (y1 - y0) / (x1 - x0), 2)


MEMBER_OF_SLOT = {1: "Head", 2: "Sill", 3: "Jamb", 4: "Vert", 5: "Horiz"}


def frame_slots(cat, system, option, sash, frames, sashes):
    """[(UF, PFD)] for slots 0..2 of one profile option (and sash option)."""
    if cat.sash_system(system):
        s = sashes[(system, sash)]
        ufs, add = num(s["UF_Sash"]), num(s["PFD_Add"])
        if option is None:  # horizontal members: the system's standard transom
            uf0, pfd0 = num(s["Transom_UF"]), num(s["Transom_PFD"])
        else:
            f = frames[(system, option)]
            uf0, pfd0 = num(f["UF0"]), num(f["PFD0"])
        out = [(uf0, pfd0)]
        for n in (1, 2):
            pfd = pfd0 + n * add
            out.append(((uf0 * pfd0 + n * ufs * add) / pfd, pfd))
        return out
    f = frames[(system, option)]
    out = [(num(f["UF0"]), num(f["PFD0"])), (num(f["UF1"]), num(f["PFD1"]))]
    out.append((num(f["UF2"]), num(f["PFD2"])) if f["UF2"] else (0.0, 0.0))
    return out


def make_system_values(cat, system_glass):
    frames = {(r["System_Name"], r["Option_Desc"]): r for r in read_param("frame_values.csv")}
    sashes = {(r["System_Name"], r["Sash_Desc"]): r for r in read_param("sash_values.csv")}
    factors = {r["Finish"]: num(r["UF_Factor"]) for r in read_param("finish_factors.csv")}
    for finish in cat.finishes:
        if finish not in factors:
            raise CatalogueError("finish_factors.csv lacks %s" % finish)
    for (system, option) in frames:
        if not any(p["System_Name"] == system and p["Profile_Desc"] == option
                   for p in cat.profiles):
            raise CatalogueError("frame_values.csv: %s / %s is no profile" % (system, option))

    rows = []
    for system in sorted(cat.systems):
        glasses = [r["Glass_Code"] for r in system_glass if r["System_Name"] == system]
        sash_system = cat.sash_system(system)
        sash_options = [t for t, _ in cat.slot_options(system, 5)] if sash_system else [None]
        for finish in cat.finishes:
            for code in glasses:
                g = cat.glazing[code]
                ue = edge_u(g)
                for sash in sash_options:
                    sash_key = sash.strip() if sash else None
                    for slot in range(1, 6):
                        if sash_system and slot == 5:
                            # The sash choice is the horizontal members' option too.
                            options = [(sash, None)]
                        else:
                            options = [(t, p["Profile_Desc"])
                                       for t, p in cat.slot_options(system, slot)]
                        member = MEMBER_OF_SLOT[slot]
                        for number, (text, desc) in enumerate(options, 1):
                            if desc is not None and (system, desc) not in frames:
                                raise CatalogueError("frame_values.csv lacks %s / %s"
                                                     % (system, desc))
                            values = frame_slots(cat, system, desc, sash_key, frames, sashes)
                            used = 3 if member in ("Vert", "Horiz") else 2
                            row = {"System_Name": system, "Finish": finish, "Glass_Code": code,
                                   "Sash": sash, "Profile": member, "Option_No": number,
                                   "Option_Desc": text, "U_COG": num(g["U_COG"]),
                                   "SHGC_COG": num(g["SHGC_COG"])}
                            for i in range(3):
                                uf, pfd = values[i] if i < used else (0.0, 0.0)
                                row["UF%d" % i] = round(uf * factors[finish], 3)
                                row["UE%d" % i] = ue if i < used else 0.0
                                row["PFD%d" % i] = round(pfd, 1)
                            rows.append(row)
    return rows


# ---------------------------------------------------------------- climate

def make_climate():
    c = json.load(open(os.path.join(PARAMS, "climate.json"), encoding="utf-8"))
    ratios = c["ratios"]
    if len(ratios) != 25 or ratios != sorted(ratios):
        raise CatalogueError("climate.json: 25 ascending ratios expected")
    zones, factors = [], []
    for z in c["zones"]:
        row = {"Zone_No": z["zone"], "Ratio": 0.0, "Zone_Desc": z["desc"],
               "Conductance": z["conductance"], "SHGC": z["shgc"]}
        for o, base in zip(ORIENTATIONS, z["base"]):
            row[o + "_Factor"] = base
        zones.append(row)
        for r in ratios:
            f = {"Zone": z["zone"], "Ratio": r}
            for o, base in zip(ORIENTATIONS, z["base"]):
                floor, reach = c["shade_floor"][o], c["shade_reach"][o]
                f[o + "_Factor"] = round(base * (floor + (1 - floor) * math.exp(-r / reach)), 3)
            factors.append(f)
    return zones, factors, [{"Ratio": r} for r in ratios]


def factor_row(factors, zone, ratio):
    for f in factors:
        if f["Zone"] == zone and abs(f["Ratio"] - ratio) < 1e-9:
            return f
    raise CatalogueError("no solar exposure factors for zone %s, ratio %s" % (zone, ratio))


# ---------------------------------------------------------------- designs

class Grid:
    """Cell words and spans of one design, with the rules the program applies."""

    def __init__(self, layout):
        grid = layout["grid"]
        if not 1 <= len(grid) <= ROWS or any(len(r) != len(grid[0]) for r in grid) \
                or len(grid[0]) > COLS:
            raise CatalogueError("%s: grid must be a rectangle of at most 5 x 10" % layout["ref"])
        self.words = [["NONE"] * COLS for _ in range(ROWS)]
        self.spans = [[(1, 1)] * COLS for _ in range(ROWS)]  # (ColSpan, RowSpan)
        seen = set()
        for r, line in enumerate(grid):
            for c, ch in enumerate(line):
                if ch == "." or ch in seen:
                    continue
                seen.add(ch)
                cells = [(rr, cc) for rr, l in enumerate(grid) for cc, x in enumerate(l) if x == ch]
                rows = sorted({rr for rr, _ in cells})
                cols = sorted({cc for _, cc in cells})
                if len(cells) != len(rows) * len(cols) \
                        or rows != list(range(rows[0], rows[-1] + 1)) \
                        or cols != list(range(cols[0], cols[-1] + 1)):
                    raise CatalogueError("%s: pane %s is not a rectangle" % (layout["ref"], ch))
                shape = (len(cols), len(rows))
                if shape not in ALLOWED_SHAPES:
                    raise CatalogueError("%s: pane %s has a shape the grid cannot merge"
                                         % (layout["ref"], ch))
                word = layout["types"][ch]
                if word not in MENU_WORD or word == "NONE":
                    raise CatalogueError("%s: unknown cell type %s" % (layout["ref"], word))
                r0, c0 = rows[0], cols[0]
                for rr, cc in cells:
                    self.words[rr][cc] = word
                    self.spans[rr][cc] = (c0 - cc, r0 - rr)
                self.spans[r0][c0] = shape
        self.widths = list(layout["widths"]) + [0] * (COLS - len(layout["widths"]))
        self.heights = list(layout["heights"]) + [0] * (ROWS - len(layout["heights"]))
        if len(layout["widths"]) != len(grid[0]) or len(layout["heights"]) != len(grid):
            raise CatalogueError("%s: one width per column and one height per row" % layout["ref"])

    def base_cells(self):
        for r in range(ROWS):
            for c in range(COLS):
                cs, rs = self.spans[r][c]
                if cs > 0 and rs > 0 and self.words[r][c] != "NONE":
                    yield r, c

    def dimension(self, r, c):
        cs, rs = self.spans[r][c]
        w = sum(self.widths[c:c + cs])
        h = sum(self.heights[r:r + rs])
        return w, h

    def window_area(self):
        return sum(self.heights[r] * self.widths[c] for r in range(ROWS) for c in range(COLS)
                   if self.words[r][c] != "NONE") / 1e6

    def longest_profile(self, direction):
        """Member length and the spans either side, as the structural check finds them."""
        if direction == "Vertical":
            best = best_span = 0.0
            best_col = 0
            for c in range(COLS):
                length = sum(self.dimension(r, c)[1] for r, cc in self.base_cells() if cc == c)
                left, right = (0, self.widths[0]) if c == 0 else (self.widths[c - 1], self.widths[c])
                if length >= best:
                    best = length
                    if left + right >= best_span:
                        best_span, best_col = left + right, c
            c = best_col
            left, right = (0, self.widths[0]) if c == 0 else (self.widths[c - 1], self.widths[c])
            return best, left, right
        best, best_row = 0.0, 0
        for r in range(ROWS):
            length = sum(self.dimension(rr, c)[0] for rr, c in self.base_cells() if rr == r)
            if length >= best:
                best, best_row = length, r
        if best_row == 0:
            return best, 0, 0
        return best, self.heights[best_row - 1], self.heights[best_row]


def span_required_ix(wind_load, span, length_mm):
    length = length_mm / 10.0
    a = span / 10.0 / 2.0
    w = wind_load / 10.0
    d = length / 240.0 + 0.6 if length > 411.5 else length / 175.0
    e = 700000.0
    if length > 2 * a:
        if length == 0 or a == 0:
            return 0.0
        load = (length * a - a * a) / 10000.0 * w
        return load * length ** 4 / ((length - a) * 1920.0 * e * d) * (
            25 - 40 * a * a / length ** 2 + 16 * a ** 4 / length ** 4)
    if d == 0:
        return 0.0
    load = a * 0.5 * length / 10000.0 * w
    return load * length ** 3 / (e * 60.0 * d)


def make_projects(cat, system_glass, factors, zones):
    layout = json.load(open(os.path.join(PARAMS, "projects.json"), encoding="utf-8"))
    projects, designs, images, merges, floors, options = [], [], [], [], [], []
    offered = {(r["System_Name"], r["Supplier"], r["Glass_Code"]) for r in system_glass}
    zone_rows = {z["Zone_No"]: z for z in zones}
    for p in layout["projects"]:
        ref = p["ref"]
        projects.append({
            "Project_Ref": ref, "Project_Name": p["name"], "Project_Date": p["date"],
            "Def_Finish": p["finish"], "Def_WL": float(p["wind_load"]),
            "Designed_By": p["designed_by"],
            **{"Detail%d" % (i + 1): t for i, t in enumerate(p["details"])}})
        if p["finish"] not in cat.finishes:
            raise CatalogueError("%s: unknown finish" % ref)
        for number, d in enumerate(p["designs"], 1):
            system = d["system"]
            if system not in cat.systems:
                raise CatalogueError("%s: unknown system %s" % (d["ref"], system))
            if ref.startswith("_") and ref[1:] != system:
                raise CatalogueError("%s: a standard project holds its own system only" % ref)
            if (system, d["supplier"], d["glass"]) not in offered:
                raise CatalogueError("%s: %s does not offer %s %s"
                                     % (d["ref"], system, d["supplier"], d["glass"]))
            grid = Grid(d)
            design = design_row(cat, p, number, d, grid)
            designs.append(design)
            for r in range(ROWS):
                for c in range(COLS):
                    images.append({"Project_Ref": ref, "Design_No": number, "Row": r,
                                   "Column": c, "ModeOfCell": grid.words[r][c]})
                    cs, rs = grid.spans[r][c]
                    merges.append({"Project_Ref": ref, "Design_No": number, "Row": r,
                                   "Column": c, "RowSpan": rs, "ColSpan": cs})
        if "options" in p:
            z = zone_rows[p["options"]["zone"]]
            options.append({"Project_Ref": ref, "Climate_Zone": z["Zone_No"],
                            "Conductance": z["Conductance"], "Solar_Heat_Gain": z["SHGC"],
                            "Default_Frame": p["options"]["default_frame"],
                            "Default_Glazing": p["options"]["default_glazing"],
                            **{f: z[f] for f in FACTOR_FIELDS}})
            for fl in p.get("floors", []):
                f = factor_row(factors, z["Zone_No"], fl["ratio"])
                floors.append({"Project_Ref": ref, "Floor": fl["floor"],
                               "Total_Area": float(fl["total_area"]),
                               "Effective_Area": float(fl["net_area"]),
                               "Shading_Ratio": fl["ratio"], **{k: f[k] for k in FACTOR_FIELDS}})
    refs = [d["Design_Ref"] for d in designs if d["Project_Ref"].startswith("_")]
    if len(refs) != len(set(refs)):
        raise CatalogueError("standard design references repeat (pictures are named by them)")
    return projects, designs, images, merges, floors, options


def design_row(cat, project, number, d, grid):
    system = d["system"]
    sysrow = cat.systems[system]
    glass = cat.glazing[d["glass"]]
    wind_load = float(d.get("wind_load", project["wind_load"]))
    code = sysrow["Continuous"]
    continuous = {"V": "Vertical", "H": "Horizontal"}.get(code, d.get("continuous", "Vertical"))
    if code in ("V", "H") and d.get("continuous", continuous) != continuous:
        raise CatalogueError("%s: %s offers only %s members" % (d["ref"], system, continuous))

    for r, c in grid.base_cells():
        word = grid.words[r][c]
        sash = cat.sash_row(system, MENU_WORD[word])
        if sash is None:
            raise CatalogueError("%s: %s does not offer %s" % (d["ref"], system, word))
        w, h = grid.dimension(r, c)
        if num(sash["Max_Width"]) and w > num(sash["Max_Width"]) \
                or num(sash["Max_Height"]) and h > num(sash["Max_Height"]):
            raise CatalogueError("%s: a %s of %d x %d exceeds its limits" % (d["ref"], word, w, h))
        if num(glass["Max_Area"]) and w * h / 1e6 > num(glass["Max_Area"]):
            raise CatalogueError("%s: pane %d x %d is too big for %s" % (d["ref"], w, h, d["glass"]))
    if grid.window_area() <= 0:
        raise CatalogueError("%s: no window area" % d["ref"])

    length, left, right = grid.longest_profile(continuous)
    req_ix = 0.0 if left == 0 or right == 0 else (
        span_required_ix(wind_load, left, length) + span_required_ix(wind_load, right, length))
    checked_slot = 5 if continuous == "Horizontal" else 4
    chosen = {}
    for slot in range(1, 6):
        opts = [(t, p) for t, p in cat.slot_options(system, slot) if p["Active"] == "1"]
        wanted = d.get("profiles", {}).get(str(slot))
        if wanted is not None:
            match = [(t, p) for t, p in cat.slot_options(system, slot) if t.strip() == wanted]
            if not match:
                raise CatalogueError("%s: no profile %s in slot %d" % (d["ref"], wanted, slot))
            chosen[slot] = match[0]
        elif slot == checked_slot:
            strong = [(t, p) for t, p in opts if num(p["Profile_Ix"]) >= req_ix]
            if not strong:
                raise CatalogueError("%s: no profile strong enough (Ix %.1f)" % (d["ref"], req_ix))
            chosen[slot] = strong[0]
        else:
            chosen[slot] = opts[0]
    if num(chosen[checked_slot][1]["Profile_Ix"]) < req_ix:
        raise CatalogueError("%s: the chosen profile is too weak (Ix %.1f)" % (d["ref"], req_ix))

    row = {f: None for f in DESIGN_FIELDS}
    row.update({
        "Project_Ref": project["ref"], "Design_No": number, "Design_Ref": d["ref"],
        "Design_Qty": d.get("qty", 1), "System_Type": sysrow["System_Type"],
        "System_Name": system, "Finish": d.get("finish", project["finish"]),
        "Glass_Code": d["glass"], "Wind_Load": wind_load,
        "Elevation": d.get("elevation", "N"), "Floor": d.get("floor", "G"),
        "Glass_Supplier": d["supplier"], "Continuous": continuous,
    })
    if row["Elevation"] not in ORIENTATIONS:
        raise CatalogueError("%s: unknown elevation" % d["ref"])
    for i in range(COLS):
        row["DimH%d" % (i + 1)] = float(grid.widths[i])
    for i in range(ROWS):
        row["DimV%d" % (i + 1)] = float(grid.heights[i])
    # Results belong to the calculation (tools/recalc_shipped.py stores them):
    # the figures already shipped for this design are kept.
    stored = STORED_RESULTS.get((project["ref"], str(number)), {})
    for f in RESULT_FIELDS:
        value = stored.get(f, "")
        row[f] = value if value not in ("", None) else 0.0  # kept as written
    for slot in range(1, 6):
        text, p = chosen[slot]
        row["Profile%d" % slot] = text
        row["Die%d" % slot] = p["Profile_Code"]
    return row


# ---------------------------------------------------------------- main

RESULT_FIELDS = ("Window_Area", "U_Factor", "SHGC", "Profile_Length", "SpanL", "SpanR", "ActualIx", "ReqIx")
STORED_RESULTS = {}


def load_stored_results():
    path = os.path.join(DATA, "Design.csv")
    if not os.path.exists(path):
        return
    with open(path, newline="", encoding="utf-8") as f:
        for r in csv.DictReader(f):
            STORED_RESULTS[(r["Project_Ref"], r["Design_No"])] = {k: r.get(k, "") for k in RESULT_FIELDS}


def main(argv):
    check_only = "--check" in argv
    load_stored_results()
    cat = Catalogue()
    system_glass = make_system_glass(cat)
    values = make_system_values(cat, system_glass)
    zones, factors, ratios = make_climate()
    projects, designs, images, merges, floors, options = make_projects(
        cat, system_glass, factors, zones)
    tables = {
        "SystemGlass": system_glass, "SystemValues": values, "ClimateZone": zones,
        "SolarExposureFactors": factors, "Ratios": ratios, "Project": projects,
        "Design": designs, "DesignImage": images, "DesignMerge": merges,
        "ProjectFloors": floors, "ProjectOptions": options,
    }
    stale = []
    for name, rows in tables.items():
        check_widths(name, rows)
        check_keys(name, rows)
        text = render_csv(FIELDS[name], rows)
        path = os.path.join(DATA, name + ".csv")
        old = open(path, encoding="utf-8").read() if os.path.exists(path) else None
        if old == text:
            continue
        if check_only:
            stale.append(name)
        else:
            with open(path, "w", encoding="utf-8", newline="\n") as f:
                f.write(text)
            print("wrote %s (%d rows)" % (os.path.relpath(path, ROOT), len(rows)))
    if stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except CatalogueError as e:
        print("catalogue error: %s" % e, file=sys.stderr)
        sys.exit(2)
