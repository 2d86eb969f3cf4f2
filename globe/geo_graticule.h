#pragma once

#include <array>
#include <functional>
#include <vector>

#include <QPoint>

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
    /// The lines' points are sampled once per choice of steps and projected once per view: a
    /// picture whose view did not change draws the pixels kept from the last one.
    int Draw(GeoRenderer& renderer, const GeoProjector& projector) const;

    /// Projects the lines for the view unless they are kept for it already, without drawing:
    /// touches the renderer's pen and its parts, not its picture, so it may run while another
    /// thread fills the picture. Returns how many lines are visible.
    int Prepare(GeoRenderer& renderer, const GeoProjector& projector) const;

    /// Times the lines were projected (a new view, new steps or a new pen width), for checks.
    int Projections() const { return m_projections; }

private:
    void notify() const;

    /// A line's sampled points and their Earth-fixed vectors.
    struct SampledLine {
        std::vector<GeoPoint> points;
        std::vector<std::array<double, 3>> earth;
    };

    /// What the projected lines depend on.
    struct ViewKey {
        std::array<std::array<double, 3>, 3> forward{};
        double radius = 0.0;
        int xOrigin = 0;
        int yOrigin = 0;
        int width = 0;
        int height = 0;
        int penWidth = 0;

        bool operator==(const ViewKey&) const = default;
    };

    mutable std::vector<SampledLine> m_lines;
    mutable bool m_linesValid = false;
    mutable std::vector<std::vector<QPoint>> m_parts;
    mutable int m_visibleLines = 0;
    mutable ViewKey m_viewKey;
    mutable bool m_partsValid = false;
    mutable int m_projections = 0;

    GeoGraticuleDraw m_drawMode = GeoGraticuleDraw::gdBehind;
    GeoPen m_pen{clSilver, GeoPenStyle::gpsSolid, 1.0, GeoUnitTypes::guPixel};
    int m_latitudeStep = 10;
    int m_longitudeStep = 10;
};

}  // namespace zimbalo::globe
