#pragma once

#include <functional>
#include <vector>

#include "globe/geo_attributes.h"
#include "globe/geo_units.h"

namespace zimbalo::globe {

class GeoProjector;
class GeoRenderer;

enum class GeoGraticuleDraw { gdNone, gdBehind, gdInFront };

/// One geographic line of the graticule: from, to, number of segments.
struct GeoGraticuleLine {
    GeoPoint From;
    GeoPoint To;
    int Segments = 1;
};

/// The lines of a graticule with the given steps (degrees; 0 or less switches a family off):
/// meridians from one GU east of -180 degrees, from -89 to +89 degrees in 180 segments; parallels
/// at 0, +-step, ... below 85 degrees (each +A then -A), each as two half lines of 85 segments.
std::vector<GeoGraticuleLine> GraticuleLines(int latitudeStep, int longitudeStep);

/// The n + 1 points of a geographic line from p to q in n segments (n below 1 counts as 1); the
/// longitude difference is taken the short way round and every longitude normalised.
std::vector<GeoPoint> SampleGeoLine(const GeoPoint& p, const GeoPoint& q, int segments);

/// Bounding rectangle of points (0 x 0 at the origin for none).
GeoRect BoundsOf(const std::vector<GeoPoint>& points);

/// Meridians and parallels drawn over the globe, behind or in front of the layers.
class GeoGraticule {
public:
    GeoGraticule();

    GeoGraticule(const GeoGraticule&) = delete;
    GeoGraticule& operator=(const GeoGraticule&) = delete;

    GeoGraticuleDraw DrawMode() const { return m_drawMode; }

    int LatitudeStep() const { return m_latitudeStep; }

    int LongitudeStep() const { return m_longitudeStep; }

    const GeoPen& GraticulePen() const { return m_pen; }

    void SetDrawMode(GeoGraticuleDraw mode);
    void SetLatitudeStep(int degrees);
    void SetLongitudeStep(int degrees);

    /// Copies the pen's properties (notifies when anything changed).
    void SetGraticulePen(const GeoPen& pen);

    /// Called after every change of a property or of the pen.
    std::function<void()> OnChange;

    /// Draws the lines with the graticule pen; returns how many lines were visible and drawn.
    int Draw(GeoRenderer& renderer, const GeoProjector& projector) const;

private:
    void notify() const;

    GeoGraticuleDraw m_drawMode = GeoGraticuleDraw::gdBehind;
    GeoPen m_pen{clSilver, GeoPenStyle::gpsSolid, 1.0, GeoUnitTypes::guPixel};
    int m_latitudeStep = 10;
    int m_longitudeStep = 10;
};

}  // namespace zimbalo::globe
