// One line of the points-of-interest list from any UTF-8 (or broken) text: a point or nothing,
// coordinates within their ranges when valid, and 0 when flagged invalid.
#include <cmath>

#include <QString>

#include "fuzz_support.h"
#include "overlays/points_of_interest.h"

using namespace zimbalo;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto point = overlays::ParsePoILine(line);
    if (!point) {
        return 0;
    }
    Check(line.size() >= 30, "a point from a line of 30 characters or more");
    Check(std::isfinite(point->latitude) && std::isfinite(point->longitude), "finite");
    Check(point->latitudeValid ? std::fabs(point->latitude) <= 90.0 : point->latitude == 0.0,
          "latitude");
    Check(point->longitudeValid ? std::fabs(point->longitude) <= 180.0 : point->longitude == 0.0,
          "longitude");
    return 0;
}
