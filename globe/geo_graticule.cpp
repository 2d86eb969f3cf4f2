#include "globe/geo_graticule.h"

#include <algorithm>

#include "globe/geo_projector.h"
#include "globe/geo_renderer.h"

namespace zimbalo::globe {

namespace {

// Meridians end one degree short of the poles, where they would all meet.
constexpr std::int64_t kMeridianEnd = 89 * std::int64_t{gu::Degree};
// Parallels are drawn up to 85 degrees north and south.
constexpr std::int64_t kParallelLimit = 85 * std::int64_t{gu::Degree};
// A parallel runs in two halves, from just short of the date line in the east to 0 and from 0
// to just past it in the west, so that no half spans more than half the circle.
constexpr std::int32_t kEastOfDateLine = -gu::MinLongitude;

}  // namespace

std::vector<GeoGraticuleLine> GraticuleLines(int latitudeStep, int longitudeStep) {
    std::vector<GeoGraticuleLine> lines;
    if (longitudeStep > 0) {
        const std::int64_t step = static_cast<std::int64_t>(longitudeStep) * gu::Degree;
        for (std::int64_t lon = gu::MinLongitude; lon < gu::MaxLongitude; lon += step) {
            const auto l = static_cast<std::int32_t>(lon);
            lines.push_back({{l, -static_cast<std::int32_t>(kMeridianEnd), 0},
                             {l, static_cast<std::int32_t>(kMeridianEnd), 0},
                             180});
        }
    }
    if (latitudeStep > 0) {
        const std::int64_t step = static_cast<std::int64_t>(latitudeStep) * gu::Degree;
        for (std::int64_t a = 0; a < kParallelLimit; a += step) {
            for (const std::int64_t b : {a, -a}) {
                const auto lat = static_cast<std::int32_t>(b);
                lines.push_back({{kEastOfDateLine, lat, 0}, {0, lat, 0}, 85});
                lines.push_back({{0, lat, 0}, {gu::MinLongitude, lat, 0}, 85});
            }
        }
    }
    return lines;
}

std::vector<GeoPoint> SampleGeoLine(const GeoPoint& p, const GeoPoint& q, int segments) {
    const int n = std::max(segments, 1);
    const std::int64_t dlat64 = static_cast<std::int64_t>(q.Latitude) - p.Latitude;
    std::int64_t dlon64 = static_cast<std::int64_t>(q.Longitude) - p.Longitude;
    // The shorter way round: a difference of half the circle or more goes the other way.
    if (dlon64 >= gu::MaxLongitude) {
        dlon64 -= gu::FullCircle;
    } else if (dlon64 < gu::MinLongitude) {
        dlon64 += gu::FullCircle;
    }
    const auto dlat = static_cast<std::int32_t>(dlat64);
    const auto dlon = static_cast<std::int32_t>(dlon64);
    const bool heights = p.Height != 0 || q.Height != 0;
    const std::int64_t dh = static_cast<std::int64_t>(q.Height) - p.Height;
    std::vector<GeoPoint> points;
    points.reserve(static_cast<std::size_t>(n) + 1);
    for (int k = 0; k <= n; ++k) {
        GeoPoint g;
        g.Longitude =
            NormalizeLongitude(static_cast<std::int64_t>(p.Longitude) + MulDiv(dlon, k, n));
        g.Latitude =
            static_cast<std::int32_t>(p.Latitude + static_cast<std::int64_t>(MulDiv(dlat, k, n)));
        g.Height = heights ? static_cast<std::int32_t>(p.Height + dh * k / n) : 0;
        points.push_back(g);
    }
    return points;
}

GeoGraticule::GeoGraticule() {
    m_pen.OnChange = [this]() { notify(); };
}

void GeoGraticule::notify() const {
    m_linesValid = false;
    m_partsValid = false;
    if (OnChange) {
        OnChange();
    }
}

void GeoGraticule::SetDrawMode(GeoGraticuleDraw mode) {
    if (mode != m_drawMode) {
        m_drawMode = mode;
        notify();
    }
}

void GeoGraticule::SetLatitudeStep(int degrees) {
    if (degrees != m_latitudeStep) {
        m_latitudeStep = degrees;
        notify();
    }
}

void GeoGraticule::SetLongitudeStep(int degrees) {
    if (degrees != m_longitudeStep) {
        m_longitudeStep = degrees;
        notify();
    }
}

void GeoGraticule::SetGraticulePen(const GeoPen& pen) {
    m_pen.Assign(pen);
}

int GeoGraticule::Draw(GeoRenderer& renderer, const GeoProjector& projector) const {
    if (m_drawMode == GeoGraticuleDraw::gdNone) {
        return 0;
    }
    const int visible = Prepare(renderer, projector);
    renderer.DrawOpenParts(m_parts);
    return visible;
}

int GeoGraticule::Prepare(GeoRenderer& renderer, const GeoProjector& projector) const {
    if (m_drawMode == GeoGraticuleDraw::gdNone) {
        return 0;
    }
    renderer.SetPen(m_pen);
    if (!m_linesValid) {
        // The geography of the lines depends on the steps alone.
        m_lines.clear();
        for (const GeoGraticuleLine& line : GraticuleLines(m_latitudeStep, m_longitudeStep)) {
            SampledLine sampled;
            sampled.points = SampleGeoLine(line.From, line.To, line.Segments);
            sampled.earth.reserve(sampled.points.size());
            for (const GeoPoint& p : sampled.points) {
                sampled.earth.push_back(GeoSphericalPrj::EarthFixed(p));
            }
            m_lines.push_back(std::move(sampled));
        }
        m_linesValid = true;
        m_partsValid = false;
    }
    const GeoSphericalPrj& model = projector.Model();
    const ViewKey key{model.Forward(),          model.Radius(),   model.XOrigin(),
                      model.YOrigin(),          renderer.Width(), renderer.Height(),
                      renderer.PenWidthPixels()};
    if (!m_partsValid || !(key == m_viewKey)) {
        // A new view: project the lines, cut at the horizon and clipped, and keep them. Their
        // points are projected from the Earth-fixed vectors, which costs less than sampling
        // each line's bounds first; a line that leaves no part is not seen.
        m_parts.clear();
        m_visibleLines = 0;
        for (const SampledLine& line : m_lines) {
            renderer.BeginParts(false);
            renderer.AddOpenChain(line.points, line.earth);
            std::vector<std::vector<QPoint>> parts = renderer.TakeParts();
            if (parts.empty()) {
                continue;
            }
            for (std::vector<QPoint>& part : parts) {
                m_parts.push_back(std::move(part));
            }
            ++m_visibleLines;
        }
        m_viewKey = key;
        m_partsValid = true;
        ++m_projections;
    }
    return m_visibleLines;
}

}  // namespace zimbalo::globe
