#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "astro/catalogue.h"

/// The whole path of an occultation on the Earth: the central line and the northern and southern
/// limits of the penumbral and umbral shadow, each as chains of geographic points, for observers at
/// sea level on the Earth's ellipsoid.
namespace zimbalo::astro {

/// The curves of a path. North is on the left of the shadow's motion, which runs eastwards.
enum class PathCurve : std::size_t {
    Central = 0,    ///< track of the shadow axis
    PenumbraNorth,  ///< the planet is just touched (magnitude 0)
    PenumbraSouth,
    UmbraNorth,  ///< the occultation just becomes total (or annular)
    UmbraSouth
};
inline constexpr std::size_t kPathCurveCount = 5;

/// All curves in a fixed order: central, penumbra north, penumbra south, umbra north, umbra south.
inline constexpr std::array<PathCurve, kPathCurveCount> kPathCurves = {
    PathCurve::Central, PathCurve::PenumbraNorth, PathCurve::PenumbraSouth, PathCurve::UmbraNorth,
    PathCurve::UmbraSouth};

/// Name of a curve in exported files: "central", "penumbra-north", "penumbra-south",
/// "umbra-north", "umbra-south".
const char* PathCurveName(PathCurve curve);

/// One point of a curve.
struct PathPoint {
    double latitude = 0.0;   ///< geodetic, degrees, north positive
    double longitude = 0.0;  ///< degrees, east positive, [-180, 180)
    double t = 0.0;          ///< instant of greatest occultation there, hours of TT from T0
};

/// Points in order of time; consecutive points are close enough that the straight segment between
/// them (on the globe or in longitude and latitude) stays within 1 km of the true curve.
using PathChain = std::vector<PathPoint>;

/// The curves of one event. A curve has no chain when it never lies on the Earth, and one chain
/// from the limb to the limb (or more when it leaves the Earth and comes back) otherwise.
struct PathLimitSet {
    double deltaT = 0.0;  ///< seconds of Delta T the longitudes were computed with
    std::array<std::vector<PathChain>, kPathCurveCount> curves;

    const std::vector<PathChain>& Chains(PathCurve curve) const {
        return curves[static_cast<std::size_t>(curve)];
    }
};

/// Magnitude aimed at on a penumbral limit (and its excess over 1 on an umbral limit of a total
/// occultation): the middle of the accepted band [0, kPathLimitBand], so that every limit point
/// sees the occultation, just.
inline constexpr double kPathLimitDepth = 5e-5;
inline constexpr double kPathLimitBand = 1e-4;

/// Central line and limits of the event for Delta T in seconds (the event's Delta T places them
/// on the real Earth, 0 gives them as the globe shows them in TT). Every limit point is checked
/// with the local circumstances of the place: on a penumbral limit the magnitude there lies in
/// [0, kPathLimitBand]; on an umbral limit the occultation is total (or annular) and the magnitude
/// exceeds 1 by at most kPathLimitBand.
PathLimitSet PathLimits(const BesselRecord& record, double deltaT);

/// The point of `curve` whose greatest occultation falls at t hours from T0 (TT), on the side of
/// the Earth that sees the planet above the mathematical horizon; nothing when there is none.
/// The central point is the axis point at t. Near the limb a limit can have two points at one
/// instant; `near`, when given, picks the one of the part of the curve that passes near it.
std::optional<PathPoint> PathPointAt(const BesselRecord& record, double deltaT, PathCurve curve,
                                     double t, const PathPoint* near = nullptr);

}  // namespace zimbalo::astro
