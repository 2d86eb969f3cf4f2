#pragma once

#include <vector>

#include "astro/catalogue.h"

/// Where an occultation can be seen: the lines of equal first-contact (D) and fourth-contact (R)
/// time, the curves on which the planet stands on the horizon at D or at R, and the curves on
/// which the Sun stands at 0 or -6 degrees at D or at R. Every point is a place at sea level on
/// the Earth's ellipsoid; D and R are the first and fourth contacts of the local circumstances
/// there, the altitudes those that calculation gives at the contact.
namespace zimbalo::astro {

enum class VisibilityCurveKind {
    Contour,  ///< equal time of the contact
    Horizon,  ///< planet altitude 0 at the contact
    Twilight  ///< Sun altitude 0 or -6 degrees at the contact
};

enum class ContactKind {
    D,  ///< first contact: the planet disappears
    R   ///< fourth contact: the planet reappears
};

/// How a contour segment is seen: the planet is above the horizon, the Sun at most -6 degrees
/// (dark) or higher (bright). Parts with the planet below the horizon are not given.
enum class SkySeen { Dark, Bright };

/// Sun altitude (degrees) at which the sky counts as dark, and the twilight curves' altitudes.
inline constexpr double kDarkSunAltitude = -6.0;
inline constexpr double kTwilightAltitudes[] = {0.0, kDarkSunAltitude};

struct CurvePoint {
    double latitude = 0.0;   ///< geodetic, degrees, north positive
    double longitude = 0.0;  ///< degrees, east positive, [-180, 180)
};

/// One line of points in order; consecutive points may lie on either side of the 180th meridian.
struct VisibilityCurve {
    VisibilityCurveKind kind = VisibilityCurveKind::Contour;
    ContactKind contact = ContactKind::D;
    double t = 0.0;  ///< contour: the contact instant, hours of TT from T0 (whole UT minutes)
    double sunAltitude = 0.0;      ///< twilight: the Sun's altitude, degrees
    SkySeen seen = SkySeen::Dark;  ///< contour: the sky at the contact
    std::vector<CurvePoint> points;
};

struct VisibilityCurveSet {
    double deltaT = 0.0;               ///< seconds of Delta T the curves were computed with
    double contourStepMinutes = 10.0;  ///< 10, or 5 for an event that lasts less than two hours
    std::vector<VisibilityCurve> curves;
};

/// "contour", "horizon" or "twilight".
const char* VisibilityCurveKindName(VisibilityCurveKind kind);

/// "D" or "R".
const char* ContactKindName(ContactKind contact);

/// The curves of the event for Delta T in seconds. Contours come every contourStepMinutes of UT
/// and end at the penumbral limits (a few metres inside) and where the planet sets; horizon
/// curves end at the penumbral limits, twilight curves there or at the horizon curve (they are
/// given only where the planet is up). A contour point's contact falls at its label to
/// well under a second; a horizon point's planet altitude and a twilight point's Sun altitude
/// match their value to well under 0.01 degree.
VisibilityCurveSet VisibilityCurves(const BesselRecord& record, double deltaT);

}  // namespace zimbalo::astro
