#pragma once

#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "astro/catalogue.h"
#include "astro/path_limits.h"
#include "astro/visibility_curves.h"

/// Export of an occultation's path (central line and limits) for map programs.
namespace zimbalo::cli {

enum class PathFormat { Tsv, GeoJson, Kml };

/// The format named "tsv", "geojson" or "kml"; nothing for any other name.
std::optional<PathFormat> ParsePathFormat(std::string_view name);

/// What to export.
struct PathRequest {
    astro::BesselRecord record;
    int event = 0;              ///< catalogue number, shown in the output
    bool universalTime = true;  ///< apply the event's Delta T (UT); false: Delta T = 0 (TT)
    bool visibility = false;    ///< add the contours, horizon and twilight curves (not in TSV)
};

/// The chain cut where it crosses the 180th meridian: each part stays on one side, and the parts
/// meet at longitude 180 and -180 in the crossing point (latitude and instant interpolated).
std::vector<astro::PathChain> CutAtAntimeridian(const astro::PathChain& chain);

/// ISO 8601 text of a Julian date to the whole second, "2024-04-07T12:34:56", with "Z" when
/// `universal` (UT); negative years get a "-", years beyond 9999 five digits.
std::string IsoDateTime(double jd, bool universal);

/// Writes the path in the given format: TSV (header, then one line per point: curve, latitude,
/// longitude, time, chain number), GeoJSON (RFC 7946 FeatureCollection, one Feature per curve
/// that lies on the Earth) or KML 2.2 (one Placemark per curve, a style per kind of curve).
/// Numbers never follow the locale. With `visibility` GeoJSON and KML get one more Feature or
/// Placemark per visibility curve (contour segment, horizon or twilight curve), after the path.
void WritePath(const PathRequest& request, PathFormat format, std::ostream& out);

}  // namespace zimbalo::cli
