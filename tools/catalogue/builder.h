#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "astro/catalogue.h"
#include "tools/catalogue/elements.h"
#include "tools/catalogue/ephemeris.h"

/// The search for lunar occultations of planets and the fit of their Besselian elements.
namespace zimbalo::catalogue {

/// A conjunction at which the penumbral cone of the Moon meets the Earth.
struct FoundEvent {
    int planet = 0;           ///< 1 Mercury .. 7 Neptune
    double jdGreatest = 0.0;  ///< TT, instant of least (rho1-scaled) axis distance
    double gamma = 0.0;       ///< that least distance, Earth radii, with the sign of y
    int occType = 0;          ///< 1..6 as in the catalogue record
    InstantElements atGreatest;
};

/// Kind of occultation 1..6 from the elements at greatest occultation, or 0 when the penumbral
/// cone misses the Earth or the Moon is not between the Earth and the planet.
int ClassifyOccultation(const InstantElements& atGreatest);

/// Every conjunction of the Moon with a planet between the two Julian dates (TT) whose penumbral
/// cone meets the Earth, in chronological order of greatest occultation.
std::vector<FoundEvent> FindEvents(const Ephemeris& ephemeris, double jdFrom, double jdTo);

/// Half-width of the fitted interval and of the interval the fit must reproduce, hours.
inline constexpr double kFitHalfWidth = 4.0;
inline constexpr double kCheckHalfWidth = 3.5;
/// Sampling of the fit and of its verification, minutes.
inline constexpr int kFitStepMinutes = 5;
inline constexpr int kCheckStepMinutes = 1;
/// Largest deviations of the polynomials from the directly computed elements.
inline constexpr double kMaxErrorXY = 2e-5;        ///< Earth radii
inline constexpr double kMaxErrorAngleDeg = 1e-4;  ///< degrees, for d and mu

/// Largest absolute deviation of each fitted element (x, y, d, M, L1, L2, tan f1, tan f2 in the
/// record's units) from the direct computation over the checked interval.
using Residuals = std::array<double, astro::kElementCount>;

struct BuiltRecord {
    astro::BesselRecord record;
    Residuals residuals{};
};

/// Record of an event: T0 is the whole TT hour nearest greatest occultation; the cubic
/// polynomials are least-squares fits over +-4 h; residuals are measured every minute within
/// +-3.5 h.
BuiltRecord BuildRecord(const Ephemeris& ephemeris, const FoundEvent& event);

/// Elements of the record's event computed directly at t hours (TT) from T0, in the record's
/// units, with M unwrapped to lie within 180 degrees of `referenceM`.
std::array<double, astro::kElementCount> DirectElementValues(const Ephemeris& ephemeris,
                                                             const astro::BesselRecord& record,
                                                             double t, double referenceM);

/// Value of element `element` of the record's polynomials at t hours from T0, record's units.
double PolynomialValue(const astro::BesselRecord& record, std::size_t element, double t);

/// Whether the residuals are within the limits for x, y, d and M.
bool WithinLimits(const Residuals& residuals);

/// The bytes of a catalogue file: the records in order, zero-filled to 1780 records.
std::vector<std::uint8_t> EncodeCatalogue(const std::vector<astro::BesselRecord>& records);

}  // namespace zimbalo::catalogue
