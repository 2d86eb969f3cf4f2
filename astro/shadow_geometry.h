#pragma once

#include <optional>

#include "astro/catalogue.h"
#include "astro/constants.h"

/// Geometry of the shadow at one instant on the fundamental plane (origin at the Earth's centre,
/// x east, y north, Earth equatorial radii, t in hours of TT from T0).
namespace zimbalo::astro {

/// What the main window keeps of the current instant. Latitude and west longitude keep the last
/// values at which the axis met the Earth.
struct AxisSnapshot {
    bool axisOnEarth = false;
    double zeta = 0.0;           ///< Earth radii; 0 when the axis misses
    double latitude = 0.0;       ///< geodetic, radians, north positive
    double longitudeWest = 0.0;  ///< radians, west positive
    double motionAngle = 0.0;    ///< radians
};

struct AxisHit {
    bool onEarth = false;
    double zeta = 0.0;  ///< distance of the axis point from the fundamental plane, Earth radii
};

/// Whether the shadow axis meets the Earth ellipsoid, and zeta of the point where it does.
AxisHit AxisOnEarth(const ElementSet& e);

struct GeoRadians {
    double latitude = 0.0;   ///< geodetic, radians
    double longitude = 0.0;  ///< east positive, radians in [-pi, pi)
};

/// Geodetic position of the axis point for the given zeta and Delta T (seconds).
GeoRadians AxisPoint(const ElementSet& e, double zeta, double deltaT);

/// Circumstances on the central line at one instant.
struct CentralResult {
    double latitude = 0.0;         ///< geodetic, radians
    double longitude = 0.0;        ///< east positive, radians in [-pi, pi)
    double L2prime = 0.0;          ///< umbral radius at the axis point, Earth radii (< 0 umbral)
    double durationSeconds = 0.0;  ///< duration of the central phase
    double planetAltitude = 0.0;   ///< radians
    double planetAzimuth = 0.0;    ///< radians from the south, positive westwards, (-pi, pi]
    double sunAltitude = 0.0;      ///< radians
};

/// Central circumstances at t hours from T0 with Delta T (seconds) and the UT Julian date of the
/// same instant; nothing when the axis misses the Earth.
std::optional<CentralResult> CentralCircumstances(const BesselRecord& record, double t,
                                                  double deltaT, double jdUT);

/// Direction of the shadow's motion on the fundamental plane, radians from x towards y.
double MotionAngle(const ElementSet& e);

struct GeoDegrees {
    double latitude = 0.0;   ///< degrees
    double longitude = 0.0;  ///< degrees, east positive
};

/// Point with the planet in the zenith (on the axis through the Earth's centre), degrees.
GeoDegrees SubPlanetaryPoint(const ElementSet& e, double deltaT);

struct AxisContacts {
    double first = 0.0;  ///< hours from T0 (TT)
    double last = 0.0;
};

/// Instants at which the shadow axis first and last touches the Earth; nothing when the axis line
/// passes outside the Earth.
std::optional<AxisContacts> AxisContactTimes(const BesselRecord& record);

struct PlanePoint {
    double xi = 0.0;   ///< Earth radii
    double eta = 0.0;  ///< Earth radii
};

/// Fundamental-plane coordinates of a place at sea level (geodetic latitude, east longitude, rad).
PlanePoint PlaceToFundamental(double latitude, double longitude, const ElementSet& e,
                              double deltaT);

}  // namespace zimbalo::astro
