#pragma once

#include <optional>
#include <vector>

#include "astro/catalogue.h"

/// The circumstances of one event at one place in full: the contacts of the list calculation,
/// the instants at which the planet's centre disappears and reappears, the planet's and the
/// Sun's positions at each, the Moon's phase and its limb at the contacts, and the least distance
/// of the centres when there is no occultation.
namespace zimbalo::astro {

/// The instants, in time order.
enum class HereInstant { First, CentreIn, Second, Maximum, Third, CentreOut, Fourth };

/// One instant at the place.
struct HereContact {
    HereInstant kind = HereInstant::Maximum;
    double t = 0.0;            ///< hours from T0 (TT)
    double jdUT = 0.0;         ///< Julian date, UT
    double jdTT = 0.0;         ///< Julian date, TT
    double p = 0.0;            ///< position angle from the planet's north point, radians [0, 2 pi)
    double v = 0.0;            ///< position angle from the planet's uppermost point, radians
    double altitude = 0.0;     ///< planet, radians, geometric (no refraction)
    double azimuth = 0.0;      ///< planet, radians from north through east, [0, 2 pi)
    double sunAltitude = 0.0;  ///< radians, geometric
};

/// Where the planet meets the Moon's limb.
enum class Limb { Bright, Dark };

struct HereCircumstances {
    bool occulted = false;  ///< the place sees the planet behind the Moon (magnitude >= 0)
    char typ = ' ';         ///< 'p' partial, 't' total, 'a' annular (when occulted)
    double magnitude = 0.0;
    std::vector<HereContact> contacts;  ///< the instants that exist, in time order (occulted)
    HereContact closest;         ///< the least distance of the centres (the maximum when occulted)
    double leastDistance = 0.0;  ///< centre to centre at `closest`, in radii of the Moon
    std::optional<double> duration;     ///< hours from 2nd to 3rd contact (total, annular)
    double illuminatedFraction = 0.0;   ///< of the Moon's disc at `closest`, 0..1
    double brightLimbAngle = 0.0;       ///< position angle of the Moon's bright limb, radians
    std::optional<Limb> disappearance;  ///< limb at which the planet's centre (or disc) goes in
    std::optional<Limb> reappearance;
};

/// The circumstances of `record` at geodetic latitude and east longitude in degrees and height
/// in metres, with Delta T in seconds (UT = TT - Delta T). The contacts, angles, magnitude and
/// type are those of `ComputeLocalCircumstances`.
HereCircumstances ComputeHereCircumstances(const BesselRecord& record, double latitudeDeg,
                                           double longitudeDeg, double heightMetres, double deltaT);

/// Azimuth (radians from north through east, [0, 2 pi)) of a body at local hour angle
/// `hourAngle` and declination `dec`, seen from geodetic latitude `lat` (radians).
double Azimuth(double hourAngle, double dec, double lat);

}  // namespace zimbalo::astro
