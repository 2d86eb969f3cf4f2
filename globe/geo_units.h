#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include <QString>

namespace zimbalo::globe {

/// A colour as the 32-bit value $00BBGGRR (red in the low byte); clNone switches a colour off.
using GeoColor = std::uint32_t;
inline constexpr GeoColor clNone = 0x1FFFFFFF;
inline constexpr GeoColor clBlack = 0x000000;
inline constexpr GeoColor clWhite = 0xFFFFFF;
inline constexpr GeoColor clRed = 0x0000FF;
inline constexpr GeoColor clYellow = 0x00FFFF;
inline constexpr GeoColor clAqua = 0xFFFF00;
inline constexpr GeoColor clGray = 0x808080;
inline constexpr GeoColor clSilver = 0xC0C0C0;

/// Globe units: every geographic coordinate of the component is a signed 32-bit count of these.
namespace gu {
inline constexpr std::int32_t Degree = 5400000;
inline constexpr std::int32_t Minute = 90000;
inline constexpr std::int32_t Second = 1500;
/// Longitudes lie in MinLongitude .. MaxLongitude (above -180 degrees, up to +180 degrees).
inline constexpr std::int32_t MaxLongitude = 972000000;
inline constexpr std::int32_t MinLongitude = -971999999;
inline constexpr std::int32_t FullCircle = 1944000000;
inline constexpr std::int32_t MaxLatitude = 486000000;
/// A quarter turn (90 degrees of longitude).
inline constexpr std::int32_t QuarterCircle = 486000000;
/// GU per radian, 972000000 / pi.
inline constexpr double PerRadian = 309397209.37064453276;
/// Radius of the drawn sphere in GU (6378136 m).
inline constexpr double EarthRadius = 309754584.54206382096;
/// Half the extent of the spherical view in GU: the sphere's radius rounded up to whole GU.
inline constexpr double SphereHalfExtent = 309754585.0;
}  // namespace gu

/// A geographic point in GU: longitude east positive, latitude north positive, height.
struct GeoPoint {
    std::int32_t Longitude = 0;
    std::int32_t Latitude = 0;
    std::int32_t Height = 0;

    friend bool operator==(const GeoPoint&, const GeoPoint&) = default;
};

/// A geographic rectangle in GU: left longitude, bottom latitude, width, height; 0 size = empty.
struct GeoRect {
    std::int32_t Left = 0;
    std::int32_t Bottom = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    bool isEmpty() const { return Width == 0 || Height == 0; }

    friend bool operator==(const GeoRect&, const GeoRect&) = default;
};

/// Distance units; the ordinal is stored in objects and indexes the unit table.
enum class GeoUnitTypes {
    guDegree,
    guMinute,
    guNauticalMile,
    guKilometer,
    guMile,
    guSecond,
    guThird,
    guHundreth,
    guThousanth,
    guMeter,
    guCentimeter,
    guFathom,
    guYard,
    guFeet,
    guInch,
    guGlobeUnit,
    guPixel,
};

/// GU per unit from the unit table; guPixel has no fixed size and gives 0.
double GUPerUnit(GeoUnitTypes unit);

/// The unit's name as in the table ("guKilometer").
QString UnitName(GeoUnitTypes unit);

/// Unit from its name, case-insensitive; throws GeoException "StrToUnits: Unknown Unit %s".
GeoUnitTypes StrToUnits(const QString& name);

/// Round to the nearest integer, halves to even (the default rounding of the floating-point unit),
/// saturating at the int64 range so that no conversion overflows.
inline std::int64_t roundToInt64(double v) {
    if (!(v == v)) {
        return 0;  // NaN: nothing sensible to round
    }
    if (v >= 9.2e18) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (v <= -9.2e18) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return std::llrint(v);
}

/// Round to the nearest integer (halves to even), saturating at the int32 range.
inline std::int32_t roundToInt32(double v) {
    const std::int64_t r = roundToInt64(v);
    if (r > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (r < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(r);
}

/// A length in a unit converted to pixels at `scale` pixels per GU; a length in pixels is scaled
/// from the screen's resolution to the picture's (pen widths, point sizes, offsets).
int LengthToPixels(double value, GeoUnitTypes unit, double scale, int pixelsPerInch,
                   int screenPixelsPerInch);

/// a x b / c rounded to nearest, halves away from zero; -1 when c is 0 or the result overflows.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

/// Normalised longitude in GU: -971999999 .. 972000000 (-180 degrees becomes +180).
std::int32_t NormalizeLongitude(std::int64_t lon);

/// Degrees to GU, rounded.
inline std::int32_t DegToGU(double degrees) {
    return roundToInt32(degrees * gu::Degree);
}

/// GU to degrees.
inline double GUToDeg(std::int64_t value) {
    return static_cast<double>(value) / gu::Degree;
}

/// GU to radians.
inline double GUToRad(std::int64_t value) {
    return static_cast<double>(value) * std::numbers::pi / gu::MaxLongitude;
}

}  // namespace zimbalo::globe
