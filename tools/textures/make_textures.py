#!/usr/bin/python3
"""Build the four globe textures in data/ from public-domain sources.

All four are equirectangular JPEG images: longitude -180..180 from left to right, latitude 90..-90
from top to bottom.

  BlueMarble_5.4x2.7k.jpg  NASA Blue Marble Next Generation (topography and bathymetry), 4096 x 2048,
                           copied byte for byte from npm three-globe 2.45.2 example/img/earth-blue-marble.jpg
  DEMIS_World_3.jpg        physical map, 5400 x 2700: the Natural Earth II tiles of npm @cesium/engine
                           24.0.0 (land cover, shaded relief, water), stitched and enlarged, with the
                           fine relief of Natural Earth's grey shaded relief (10800 x 5400, Debian
                           libgnudatalanguage0 1.0.1-4+b5, resource/maps/earth.jpg) laid over it
  World_4096.jpg           political map, 4096 x 2048: Natural Earth 4.1.0 admin-0 countries from npm
                           world-atlas 2.0.2 (countries-10m.json) in a few soft colours such that
                           neighbours differ, lakes (ne_10m_lakes.shp of libgnudatalanguage0), borders
  World_white.jpg          white land on a light ocean with dark coastlines, 4096 x 2048, from world-atlas
                           land-10m.json and the same lakes

Usage: tools/textures/make_textures.py [--offline] [name ...]
  name       any of bluemarble, physical, political, white (default: all four)
  --offline  reuse the archives already in scratch/ instead of fetching them again
Reruns give byte-identical files with the same Pillow and libjpeg (Debian 12's python3-pil).
"""

import argparse
import json
import math
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import time

# The fetch helpers are shared by every data tool: tools/pinned_inputs.py.
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))
import pinned_inputs  # noqa: E402
from pinned_inputs import log  # noqa: E402


def _install_debian_packages():
    """Pillow and NumPy come from Debian; install them when missing (as root), then restart."""
    if os.environ.get("ZIMBALO_TEXTURES_INSTALLED") or os.geteuid() != 0:
        raise SystemExit("needs Debian's python3-pil and python3-numpy: "
                         "apt-get install python3-pil python3-numpy")
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(["apt-get", "install", "-y", "-q", "python3-pil", "python3-numpy"],
                   check=True, env=env)
    os.environ["ZIMBALO_TEXTURES_INSTALLED"] = "1"
    os.execv("/usr/bin/python3", ["/usr/bin/python3", *sys.argv])


try:
    import numpy as np
    from PIL import Image, ImageDraw, ImageFilter
except ImportError:
    _install_debian_packages()

TOOL_DIR = pathlib.Path(__file__).resolve().parent
REPO = TOOL_DIR.parent.parent
SCRATCH = TOOL_DIR / "scratch"
DATA = REPO / "data"

NPM_INPUTS = {
    "three-globe": ("2.45.2", ["package/example/img/earth-blue-marble.jpg"]),
    "@cesium/engine": ("24.0.0", ["package/Source/Assets/Textures/NaturalEarthII/"]),
    "world-atlas": ("2.0.2", ["package/"]),
}
DEB_INPUTS = {"libgnudatalanguage0": "1.0.1-4+b5"}
GDL_MAPS = "usr/share/gnudatalanguage/resource/maps"

JPEG_QUALITY = 88
Image.MAX_IMAGE_PIXELS = None  # the grey relief has 58 million pixels

# Map colours (RGB).
OCEAN_POLITICAL = (170, 205, 230)
COAST_POLITICAL = (80, 115, 145)
BORDER_POLITICAL = (105, 100, 100)
ANTARCTICA_POLITICAL = (244, 244, 241)
# Soft colours for countries; a greedy colouring over shared borders needs five of them.
COUNTRY_COLOURS = [
    (240, 215, 160),  # sand
    (200, 224, 168),  # sage
    (242, 185, 168),  # salmon
    (216, 196, 228),  # lilac
    (244, 234, 156),  # pale yellow
    (232, 200, 216),  # rose, only if five do not suffice
    (214, 226, 190),  # pale olive
]
OCEAN_WHITE = (214, 230, 242)
LAND_WHITE = (255, 255, 255)
COAST_WHITE = (95, 115, 135)

# Lakes smaller than this (square degrees, about 12 pixels of the 4096-wide maps) are left out.
MIN_LAKE_AREA = 0.1
# Line widths in pixels of the supersampled canvas: averaging down makes coasts soft hairlines and
# borders one full pixel.
LINE_WIDTH = 1
BORDER_WIDTH = 2

# Rendering is done at twice the size and averaged down, which smooths edges and lines.
SUPERSAMPLE = 2


# --------------------------------------------------------------------------------------------------
# Inputs


def save_jpeg(image, path, subsampling="4:2:0"):
    """Baseline JPEG without metadata; the same Pillow and libjpeg give the same bytes."""
    image.save(path, "JPEG", quality=JPEG_QUALITY, optimize=True, progressive=False,
               subsampling=subsampling)


def save_preview(image, name):
    """A small PNG beside the scratch inputs, for looking at the result."""
    preview = image.resize((1024, 512), Image.LANCZOS)
    preview.save(SCRATCH / f"preview_{name}.png")


# --------------------------------------------------------------------------------------------------
# Blue Marble


def make_bluemarble(folders):
    source = folders["three-globe"] / "example/img/earth-blue-marble.jpg"
    out = DATA / "BlueMarble_5.4x2.7k.jpg"
    with Image.open(source) as im:
        if im.size != (4096, 2048) or im.format != "JPEG":
            raise SystemExit(f"unexpected Blue Marble image: {im.format} {im.size}")
        save_preview(im.convert("RGB"), "bluemarble")
    # The original is already a good JPEG; re-encoding would only lose detail.
    shutil.copyfile(source, out)
    return out


# --------------------------------------------------------------------------------------------------
# Physical map


def stitch_natural_earth_ii(folders, level=2):
    """Natural Earth II as one equirectangular image from the TMS tiles. The tile sets are in the
    geodetic profile with the origin at (-180, -90): column x runs east, row y runs north."""
    base = folders["@cesium/engine"] / "Source/Assets/Textures/NaturalEarthII" / str(level)
    columns, rows = 2 << level, 1 << level
    image = Image.new("RGB", (256 * columns, 256 * rows))
    for x in range(columns):
        for y in range(rows):
            with Image.open(base / str(x) / f"{y}.jpg") as tile:
                if tile.size != (256, 256):
                    raise SystemExit(f"unexpected tile size {tile.size} at {x}/{y}")
                image.paste(tile.convert("RGB"), (256 * x, 256 * (rows - 1 - y)))
    return image


def blur_wrapped(image, radius):
    """Gaussian blur that treats the map as what it is, closed across the antimeridian."""
    pad = 6 * radius
    width, height = image.size
    padded = Image.new(image.mode, (width + 2 * pad, height))
    padded.paste(image.crop((width - pad, 0, width, height)), (0, 0))
    padded.paste(image, (pad, 0))
    padded.paste(image.crop((0, 0, pad, height)), (pad + width, 0))
    return padded.filter(ImageFilter.GaussianBlur(radius)).crop((pad, 0, pad + width, height))


def make_physical(folders):
    width, height = 5400, 2700
    colour = stitch_natural_earth_ii(folders).resize((width, height), Image.BICUBIC)
    with Image.open(folders["libgnudatalanguage0"] / GDL_MAPS / "earth.jpg") as grey_full:
        if grey_full.size != (2 * width, 2 * height):
            raise SystemExit(f"unexpected grey relief size {grey_full.size}")
        grey = grey_full.convert("L").reduce(2)
    # Only the fine detail of the grey relief is wanted (hill shading, sharp coasts), not its
    # land-sea brightness: subtract a blurred copy, then lay the rest over the colours with a soft
    # light blend (mid grey leaves a colour unchanged).
    blurred = blur_wrapped(grey, 6)
    detail = (np.asarray(grey, np.float32) - np.asarray(blurred, np.float32)) / 255.0
    blend = np.clip(0.5 + 2.0 * detail, 0.0, 1.0)[..., None]
    base = np.asarray(colour, np.float32) / 255.0
    mixed = (1.0 - 2.0 * blend) * base * base + 2.0 * blend * base
    image = Image.fromarray(np.clip(mixed * 255.0 + 0.5, 0, 255).astype(np.uint8), "RGB")
    out = DATA / "DEMIS_World_3.jpg"
    save_jpeg(image, out)
    save_preview(image, "physical")
    return out


# --------------------------------------------------------------------------------------------------
# Vector maps: TopoJSON and shapefile geometry


class Topology:
    """A quantised TopoJSON topology with its arcs decoded to (lon, lat) degrees."""

    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            topo = json.load(f)
        (sx, sy), (tx, ty) = topo["transform"]["scale"], topo["transform"]["translate"]
        self.arcs = []
        for arc in topo["arcs"]:
            q = np.cumsum(np.asarray(arc, dtype=np.int64), axis=0)
            self.arcs.append(np.column_stack((q[:, 0] * sx + tx, q[:, 1] * sy + ty)))
        self.objects = topo["objects"]

    def ring(self, arc_indices):
        """Join a ring's arcs (index ~i is arc i reversed), dropping each joint's repeated point."""
        parts = []
        for k, index in enumerate(arc_indices):
            points = self.arcs[index] if index >= 0 else self.arcs[~index][::-1]
            parts.append(points if k == 0 else points[1:])
        return np.concatenate(parts)

    def polygons(self, geometry):
        """The polygons of a geometry, each a list of rings (outer ring first, then holes)."""
        if geometry["type"] == "Polygon":
            return [[self.ring(r) for r in geometry["arcs"]]]
        if geometry["type"] == "MultiPolygon":
            return [[self.ring(r) for r in polygon] for polygon in geometry["arcs"]]
        return []

    @staticmethod
    def arc_ids(geometry):
        ids = []
        polygons = [geometry["arcs"]] if geometry["type"] == "Polygon" else geometry.get("arcs", [])
        for polygon in polygons:
            for ring in polygon:
                ids.extend(i if i >= 0 else ~i for i in ring)
        return ids


def read_shapefile_polygons(path):
    """The polygon records of an ESRI shapefile, each a list of rings in (lon, lat) degrees."""
    data = path.read_bytes()
    records = []
    pos = 100
    while pos < len(data):
        _, words = struct.unpack(">ii", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + 2 * words]
        pos += 8 + 2 * words
        if struct.unpack("<i", body[:4])[0] != 5:  # only polygons; null shapes are skipped
            continue
        num_parts, num_points = struct.unpack("<ii", body[36:44])
        starts = list(struct.unpack(f"<{num_parts}i", body[44:44 + 4 * num_parts])) + [num_points]
        offset = 44 + 4 * num_parts
        points = np.frombuffer(body, "<f8", 2 * num_points, offset).reshape(-1, 2)
        records.append([points[starts[i]:starts[i + 1]] for i in range(num_parts)])
    return records


def unwrap(points):
    """Make longitudes continuous along a line: steps of more than 180 degrees go the short way
    round, so a ring crossing the antimeridian runs on past +-180 instead of jumping back."""
    lon = points[:, 0].copy()
    steps = np.diff(lon)
    lon[1:] -= 360.0 * np.cumsum(np.round(steps / 360.0))
    return np.column_stack((lon, points[:, 1]))


def spherical_ring(points):
    """A ring as a plane polygon in unwrapped longitudes. A ring that goes once round a pole (its
    longitudes gain a net 360 degrees) is closed over that pole."""
    ring = unwrap(points)
    turn = ring[-1, 0] - ring[0, 0]
    if abs(turn) > 180.0:
        pole = -90.0 if ring[:, 1].mean() < 0 else 90.0
        ring = np.vstack((ring, [[ring[-1, 0], pole], [ring[0, 0], pole]]))
    return ring


class Canvas:
    """A label raster of the map at SUPERSAMPLE times the output size."""

    def __init__(self, width, height):
        self.width, self.height = width * SUPERSAMPLE, height * SUPERSAMPLE
        self.labels = Image.new("L", (self.width, self.height), 0)
        self.draw = ImageDraw.Draw(self.labels)

    def to_pixels(self, lonlat, shift=0.0):
        x = (lonlat[:, 0] + shift + 180.0) * (self.width / 360.0)
        y = (90.0 - lonlat[:, 1]) * (self.height / 180.0)
        return np.column_stack((x, y))

    def copies(self, lon_min, lon_max):
        """The whole-turn shifts under which a longitude range overlaps the map."""
        return [s for s in (-360.0, 0.0, 360.0) if lon_max + s > -180.0 and lon_min + s < 180.0]

    def fill_polygon(self, rings, label):
        """Fill a polygon (outer ring, then holes) with a label; the holes keep what lies below."""
        outer = spherical_ring(rings[0])
        holes = []
        for hole in rings[1:]:
            h = spherical_ring(hole)
            h[:, 0] += 360.0 * round((outer[:, 0].mean() - h[:, 0].mean()) / 360.0)
            holes.append(h)
        for shift in self.copies(outer[:, 0].min(), outer[:, 0].max()):
            px = self.to_pixels(outer, shift)
            if not holes:
                self.draw.polygon([tuple(p) for p in px], fill=label)
                continue
            # Even-odd mask over the polygon's bounding box, so holes stay untouched.
            x0 = max(int(math.floor(px[:, 0].min())) - 1, 0)
            y0 = max(int(math.floor(px[:, 1].min())) - 1, 0)
            x1 = min(int(math.ceil(px[:, 0].max())) + 2, self.width)
            y1 = min(int(math.ceil(px[:, 1].max())) + 2, self.height)
            if x1 <= x0 or y1 <= y0:
                continue
            mask = Image.new("1", (x1 - x0, y1 - y0), 0)
            ImageDraw.Draw(mask).polygon([(p[0] - x0, p[1] - y0) for p in px], fill=1)
            for h in holes:
                hole_mask = Image.new("1", mask.size, 0)
                hp = self.to_pixels(h, shift)
                ImageDraw.Draw(hole_mask).polygon([(p[0] - x0, p[1] - y0) for p in hp], fill=1)
                mask = Image.fromarray(np.asarray(mask) & ~np.asarray(hole_mask))
            region = self.labels.crop((x0, y0, x1, y1))
            region.paste(label, mask=mask)
            self.labels.paste(region, (x0, y0))

    def colourise(self, palette):
        lut = np.zeros((256, 3), np.uint8)
        for label, rgb in palette.items():
            lut[label] = rgb
        return Image.fromarray(lut[np.asarray(self.labels)], "RGB")


def draw_line(draw, canvas, points, colour, width):
    """Draw a polyline given in degrees, unwrapped across the antimeridian and repeated a turn
    either side. Segments running along the +-180 meridian are cuts of the data, not coasts."""
    line = unwrap(points)
    on_cut = np.isclose(np.abs(points[:, 0]), 180.0)
    for shift in canvas.copies(line[:, 0].min(), line[:, 0].max()):
        px = canvas.to_pixels(line, shift)
        run = [tuple(px[0])]
        for i in range(1, len(px)):
            if on_cut[i] and on_cut[i - 1]:
                if len(run) > 1:
                    draw.line(run, fill=colour, width=width)
                run = [tuple(px[i])]
            else:
                run.append(tuple(px[i]))
        if len(run) > 1:
            draw.line(run, fill=colour, width=width)


def finish(image, out_name, preview_name):
    image = image.reduce(SUPERSAMPLE)
    out = DATA / out_name
    save_jpeg(image, out)
    save_preview(image, preview_name)
    return out


def greedy_colours(neighbours, order):
    colours = {}
    for g in order:
        used = {colours[n] for n in neighbours[g] if n in colours}
        colours[g] = next(c for c in range(len(COUNTRY_COLOURS)) if c not in used)
    return colours


def ring_area(ring):
    """Plane area of a ring in square degrees (shoelace formula), without sign."""
    x, y = ring[:, 0], ring[:, 1]
    return abs(float(np.dot(x, np.roll(y, -1)) - np.dot(y, np.roll(x, -1)))) / 2.0


def lakes(folders):
    """The lakes big enough to show as more than a speck at 4096 x 2048 (one pixel is 0.088 degrees),
    largest first."""
    polygons = read_shapefile_polygons(folders["libgnudatalanguage0"] / GDL_MAPS
                                       / "high/ne_10m_lakes.shp")
    sized = [(ring_area(p[0]), k, p) for k, p in enumerate(polygons)]
    return [p for area, _, p in sorted(sized, key=lambda s: (-s[0], s[1])) if area >= MIN_LAKE_AREA]


def make_political(folders):
    topo = Topology(folders["world-atlas"] / "countries-10m.json")
    geometries = [g for g in topo.objects["countries"]["geometries"] if g.get("arcs")]

    # Countries that share an arc are neighbours; an arc used once is a coastline.
    users = {}
    for gi, g in enumerate(geometries):
        for a in set(Topology.arc_ids(g)):
            users.setdefault(a, set()).add(gi)
    neighbours = {gi: set() for gi in range(len(geometries))}
    for owners in users.values():
        for gi in owners:
            neighbours[gi] |= owners - {gi}
    # Most-connected countries first; ties by name, so the colouring is the same on every run.
    order = sorted(range(len(geometries)), key=lambda gi: (-len(neighbours[gi]),
                   geometries[gi]["properties"]["name"], geometries[gi].get("id", "")))
    colours = greedy_colours(neighbours, order)
    log(f"  {len(geometries)} countries in {len(set(colours.values()))} colours")

    canvas = Canvas(4096, 2048)
    ocean, antarctica = 1, 2
    palette = {0: OCEAN_POLITICAL, ocean: OCEAN_POLITICAL, antarctica: ANTARCTICA_POLITICAL}
    palette.update({10 + c: rgb for c, rgb in enumerate(COUNTRY_COLOURS)})
    for gi, g in enumerate(geometries):
        label = antarctica if g["properties"]["name"] == "Antarctica" else 10 + colours[gi]
        for polygon in topo.polygons(g):
            canvas.fill_polygon(polygon, label)
    lake_polygons = lakes(folders)
    for polygon in lake_polygons:
        canvas.fill_polygon(polygon, ocean)
    image = canvas.colourise(palette)

    draw = ImageDraw.Draw(image)
    for polygon in lake_polygons:
        for ring in polygon:
            draw_line(draw, canvas, ring, COAST_POLITICAL, LINE_WIDTH)
    for a, owners in sorted(users.items()):
        if len(owners) > 1:
            draw_line(draw, canvas, topo.arcs[a], BORDER_POLITICAL, BORDER_WIDTH)
    for a, owners in sorted(users.items()):
        if len(owners) == 1:
            draw_line(draw, canvas, topo.arcs[a], COAST_POLITICAL, LINE_WIDTH)
    return finish(image, "World_4096.jpg", "political")


def make_white(folders):
    topo = Topology(folders["world-atlas"] / "land-10m.json")
    canvas = Canvas(4096, 2048)
    land, water = 1, 2
    for g in topo.objects["land"]["geometries"]:
        for polygon in topo.polygons(g):
            canvas.fill_polygon(polygon, land)
    lake_polygons = lakes(folders)
    for polygon in lake_polygons:
        canvas.fill_polygon(polygon, water)
    image = canvas.colourise({0: OCEAN_WHITE, land: LAND_WHITE, water: OCEAN_WHITE})
    draw = ImageDraw.Draw(image)
    for arc in topo.arcs:
        draw_line(draw, canvas, arc, COAST_WHITE, LINE_WIDTH)
    for polygon in lake_polygons:
        for ring in polygon:
            draw_line(draw, canvas, ring, COAST_WHITE, LINE_WIDTH)
    return finish(image, "World_white.jpg", "white")


MAKERS = {
    "bluemarble": make_bluemarble,
    "physical": make_physical,
    "political": make_political,
    "white": make_white,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--offline", action="store_true",
                        help="reuse the archives in scratch/ instead of fetching them")
    parser.add_argument("names", nargs="*", help=f"textures to make: {', '.join(MAKERS)} (default: all)")
    args = parser.parse_args()
    names = args.names or list(MAKERS)
    unknown = [n for n in names if n not in MAKERS]
    if unknown:
        parser.error(f"unknown texture {', '.join(unknown)}; choose from {', '.join(MAKERS)}")

    start = time.monotonic()
    log("fetching inputs")
    folders = pinned_inputs.fetch(SCRATCH, args.offline, NPM_INPUTS, DEB_INPUTS)
    log(f"inputs ready in {time.monotonic() - start:.1f} s")
    DATA.mkdir(exist_ok=True)
    for name in names:
        t0 = time.monotonic()
        out = MAKERS[name](folders)
        with Image.open(out) as im:
            size = im.size
        log(f"{out.name}: {size[0]} x {size[1]}, {out.stat().st_size} bytes, "
            f"{time.monotonic() - t0:.1f} s")
    log(f"done in {time.monotonic() - start:.1f} s; previews in {SCRATCH}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
