#pragma once

#include <stdexcept>
#include <string>

/// Apparent positions of the Moon and the planets from the Swiss Ephemeris files.
namespace zimbalo::catalogue {

/// Default folder of Debian's Swiss Ephemeris data files.
inline constexpr const char* kDefaultEphemerisFolder = "/usr/share/libswe/ephe";

/// Equatorial Earth radius in kilometres used for all distances of the catalogue.
inline constexpr double kEarthRadiusKm = 6378.137;
/// Astronomical unit in kilometres.
inline constexpr double kAstronomicalUnitKm = 149597870.7;

/// A failure of the ephemeris (missing files, a body outside the files' time span).
class EphemerisError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Apparent place of a body: true equator and equinox of date.
struct ApparentPlace {
    double ra = 0.0;        ///< right ascension, radians in [0, 2 pi)
    double dec = 0.0;       ///< declination, radians
    double distance = 0.0;  ///< Earth equatorial radii
};

/// Planet codes of the catalogue: 1 Mercury .. 7 Neptune.
inline constexpr int kPlanetCount = 7;

/// English name of a planet code 1..7.
const char* PlanetName(int planet);

/// Equatorial radius of a planet code 1..7, Earth equatorial radii.
double PlanetRadius(int planet);

/// Access to the Swiss Ephemeris. The library keeps global state, so only one instance should
/// exist at a time; it insists on the compressed ephemeris files and never falls back to the
/// less precise analytical theory.
class Ephemeris {
public:
    /// Opens the ephemeris files in `folder`; throws `EphemerisError` when they are unusable.
    explicit Ephemeris(const std::string& folder = kDefaultEphemerisFolder);
    ~Ephemeris();
    Ephemeris(const Ephemeris&) = delete;
    Ephemeris& operator=(const Ephemeris&) = delete;

    /// Apparent geocentric place of the Moon at a Julian date (TT).
    ApparentPlace Moon(double jdTT) const;

    /// Apparent geocentric place of planet 1..7 at a Julian date (TT).
    ApparentPlace Planet(int planet, double jdTT) const;

    /// Greenwich apparent sidereal time, radians in [0, 2 pi), of a Julian date taken as UT.
    double ApparentSiderealTime(double jd) const;

    /// Apparent topocentric place of the Moon (planet 0) or planet 1..7 at a Julian date (TT)
    /// for an observer at geodetic east longitude and latitude (degrees) and height (metres),
    /// with the Earth's rotation taken from the given Delta T (seconds).
    ApparentPlace Topocentric(int planet, double jdTT, double lonDeg, double latDeg,
                              double heightMetres, double deltaTSeconds) const;

    /// Version text of the Swiss Ephemeris library.
    std::string Version() const;
};

}  // namespace zimbalo::catalogue
