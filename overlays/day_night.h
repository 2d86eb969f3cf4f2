#pragma once

#include <array>

#include <QImage>
#include <QString>

#include "astro/language.h"

class QPainter;

namespace zimbalo::globe {
class GeoProjector;
}

/// Day and night on the globe at an instant: the Sun's altitude at every visible point of the
/// globe, shown as shades of darkness over the picture (day untouched).
namespace zimbalo::overlays {

/// The sky by the Sun's altitude h: day (h >= 0), civil (-6 <= h < 0), nautical (-12 <= h < -6)
/// and astronomical twilight (-18 <= h < -12), night (h < -18).
enum class SkyPhase { Day, Civil, Nautical, Astronomical, Night };

/// The phase of a Sun altitude in degrees.
SkyPhase SkyPhaseOf(double sunAltitudeDegrees);

/// Opacity (0..255) of the black laid over the globe in each phase, day first.
inline constexpr std::array<int, 5> kSkyPhaseShade = {0, 80, 120, 155, 185};

/// The Sun's direction at a Julian date (UT) as an Earth-fixed unit vector in the globe's frame:
/// x towards 90 degrees east, y towards the north pole, z towards longitude 0.
std::array<double, 3> SunDirection(double jdUT);

/// Altitude of the Sun (degrees) at a place on the sphere (latitude, east longitude in degrees)
/// at a Julian date (UT); no refraction.
double SunAltitudeAt(double jdUT, double latitude, double longitude);

/// Caption of the check box that switches the shading on.
QString DayNightCaption(Language language);

/// The shade of the instant for a picture of `width` x `height` pixels drawn by `projector`:
/// transparent where it is day and off the globe, darker by phase elsewhere. One shade pixel
/// covers `step` x `step` picture pixels (the image is `step` times smaller, rounded up).
QImage DayNightShade(const globe::GeoProjector& projector, int width, int height, double jdUT,
                     int step);

/// Draws the shade of the instant over the globe picture on `painter` (picture pixels; the
/// projector's origin is the globe's centre there). Leaves the painter's state as it found it.
void DrawDayNight(QPainter& painter, const globe::GeoProjector& projector, int width, int height,
                  double jdUT);

}  // namespace zimbalo::overlays
