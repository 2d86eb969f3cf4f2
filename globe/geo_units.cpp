#include "globe/geo_units.h"

#include <array>

#include "globe/geo_exception.h"

namespace zimbalo::globe {

namespace {

struct UnitRow {
    const char* name;
    double guPerUnit;
};

constexpr std::array<UnitRow, 17> kUnits{{
    {"guDegree", 5400000.0},
    {"guMinute", 90000.0},
    {"guNauticalMile", 90000.0},
    {"guKilometer", 48565.06423539163},
    {"guMile", 78157.89483968144},
    {"guSecond", 1500.0},
    {"guThird", 250.0},
    {"guHundreth", 15.0},
    {"guThousanth", 1.0},
    {"guMeter", 48.56506423539163},
    {"guCentimeter", 0.4856506423539163},
    {"guFathom", 88.8157895905471},
    {"guYard", 44.40789479527355},
    {"guFeet", 14.802631598424515},
    {"guInch", 1.233552633202043},
    {"guGlobeUnit", 1.0},
    {"guPixel", 0.0},
}};

std::size_t indexOf(GeoUnitTypes unit) {
    const auto i = static_cast<std::size_t>(unit);
    return i < kUnits.size() ? i : kUnits.size() - 1;
}

}  // namespace

double GUPerUnit(GeoUnitTypes unit) {
    return kUnits[indexOf(unit)].guPerUnit;
}

QString UnitName(GeoUnitTypes unit) {
    return QString::fromLatin1(kUnits[indexOf(unit)].name);
}

GeoUnitTypes StrToUnits(const QString& name) {
    for (std::size_t i = 0; i < kUnits.size(); ++i) {
        if (name.compare(QLatin1String(kUnits[i].name), Qt::CaseInsensitive) == 0) {
            return static_cast<GeoUnitTypes>(i);
        }
    }
    throw GeoException(QStringLiteral("StrToUnits: Unknown Unit %1").arg(name));
}

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = c / 2;
    // Round the quotient to nearest by adding or subtracting half the divisor in the direction
    // of the product's sign, then truncating.
    const std::int64_t r = ((a < 0) == (b < 0)) ? (product + half) / c : (product - half) / c;
    if (r > 2147483647 || r < -2147483647) {
        return -1;
    }
    return static_cast<std::int32_t>(r);
}

std::int32_t NormalizeLongitude(std::int64_t lon) {
    if (lon > gu::MaxLongitude) {
        lon -= gu::FullCircle;
    } else if (lon < gu::MinLongitude) {
        lon += gu::FullCircle;
    }
    // Values more than one turn away are brought in by whole turns.
    if (lon > gu::MaxLongitude || lon < gu::MinLongitude) {
        lon %= gu::FullCircle;
        if (lon > gu::MaxLongitude) {
            lon -= gu::FullCircle;
        } else if (lon < gu::MinLongitude) {
            lon += gu::FullCircle;
        }
    }
    return static_cast<std::int32_t>(lon);
}

int LengthToPixels(double value, GeoUnitTypes unit, double scale, int pixelsPerInch,
                   int screenPixelsPerInch) {
    if (unit == GeoUnitTypes::guPixel) {
        return MulDiv(roundToInt32(value), pixelsPerInch, screenPixelsPerInch);
    }
    const double gus = static_cast<double>(roundToInt64(value * GUPerUnit(unit)));
    return roundToInt32(gus * scale);
}

}  // namespace zimbalo::globe
