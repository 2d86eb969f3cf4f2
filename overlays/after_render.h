#pragma once

#include <array>

#include <QSize>
#include <QString>

#include "astro/catalogue.h"
#include "astro/shadow_geometry.h"

class QPainter;

namespace zimbalo::overlays {

/// Everything the overlay of one instant is drawn from. Lengths are in Earth radii on the
/// fundamental plane; the globe is turned to look along the shadow axis, so the plane is the
/// screen: x to the right, y upwards, the Earth's centre at (cx, cy).
struct OverlayInputs {
    double x = 0.0, y = 0.0;          ///< shadow axis on the plane
    double L1 = 0.0, L2 = 0.0;        ///< penumbral and umbral radii on the plane
    double tanf1 = 0.0, tanf2 = 0.0;  ///< tangents of the shadow cones' half angles
    double zeta = 0.0;                ///< height of the axis point above the plane, 0 off the Earth
    double motionAngle = 0.0;         ///< direction of motion, radians from x towards y
    std::array<double, 4> xCoef{};    ///< polynomial of x in hours from T0
    std::array<double, 4> yCoef{};    ///< polynomial of y in hours from T0
    int cx = 0, cy = 0;               ///< pixel of the globe's centre in the control
    double pixelsPerRadius = 0.0;     ///< pixels per Earth radius
    bool subPlanetaryMark = false;    ///< draw the cross at the sub-planetary point
    QString trackLabel1, trackLabel2;  ///< two-line label of the axis track
    QString markLabel1, markLabel2;    ///< two-line label of the sub-planetary cross
};

/// The inputs of an instant from its evaluated elements, the axis snapshot and the event record
/// (labels, centre, scale and the cross are left for the caller).
OverlayInputs OverlayInputsOf(const astro::ElementSet& e, const astro::AxisSnapshot& axis,
                              const astro::BesselRecord& record);

/// Penumbral radius on the plane through the axis point, r1 = L1 - zeta tan f1 (single precision
/// as the program has always drawn it).
double PenumbraRadius(const OverlayInputs& in);

/// Umbral radius on the plane through the axis point, r2 = L2 - zeta tan f2; negative for an
/// umbral, positive for an annular phase.
double UmbraRadius(const OverlayInputs& in);

/// Diameter of the umbra in km (|r2| x 12756), as shown in grid row 11.
double UmbraDiameterKm(const OverlayInputs& in);

/// The umbral diameter as grid row 11 shows it: fixed notation with one decimal, "." separator.
QString UmbraDiameterText(const OverlayInputs& in);

/// What one drawing of the overlay did.
struct OverlayResult {
    bool trackLabelDrawn = false;  ///< false when the label's anchor was beyond any canvas
};

/// Draws the overlay of the instant on a painter of a control of the given size: the penumbra
/// circle (red), the umbral disc (dark red), the penumbra's diameter across the motion, the track
/// of the shadow axis over T0 -10 h .. +10 h with its label, and, when asked for, the cross at the
/// sub-planetary point. Leaves the painter's state as it found it. Never throws.
OverlayResult GlobeAfterRender(QPainter& painter, const OverlayInputs& in, QSize controlSize);

}  // namespace zimbalo::overlays
