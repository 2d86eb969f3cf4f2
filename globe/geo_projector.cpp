#include "globe/geo_projector.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "globe/geo_exception.h"

namespace zimbalo::globe {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

/// Adds or subtracts 360 once to bring an angle into -180 .. below 180 degrees.
double normalizeRotation(double degrees) {
    if (degrees >= 180.0) {
        degrees -= 360.0;
    } else if (degrees < -180.0) {
        degrees += 360.0;
    }
    return degrees;
}

}  // namespace

// ---- GeoSphericalPrj

void GeoSphericalPrj::Update(double scale, double xRotation, double yRotation, double zRotation) {
    const double hz = zRotation * kDegToRad / 2.0;
    const double hy = yRotation * kDegToRad / 2.0;
    const double hx = (180.0 - xRotation) * kDegToRad / 2.0;
    const double chz = std::cos(hz), shz = std::sin(hz);
    const double chy = std::cos(hy), shy = std::sin(hy);
    const double chx = std::cos(hx), shx = std::sin(hx);
    const double q0 = chz * shx * chy - shz * chx * shy;
    const double q1 = shz * shx * chy + chz * chx * shy;
    const double q2 = shz * chx * chy - chz * shx * shy;
    const double q3 = chz * chx * chy + shz * shx * shy;
    const Matrix m{{
        {1.0 - 2.0 * (q1 * q1 + q2 * q2), 2.0 * (q0 * q1 + q2 * q3), 2.0 * (q0 * q2 - q1 * q3)},
        {2.0 * (q0 * q1 - q2 * q3), 1.0 - 2.0 * (q2 * q2 + q0 * q0), 2.0 * (q1 * q2 + q0 * q3)},
        {2.0 * (q0 * q2 + q1 * q3), 2.0 * (q1 * q2 - q0 * q3), 1.0 - 2.0 * (q1 * q1 + q0 * q0)},
    }};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            m_f[i][j] = m[i][j] * scale;
            m_b[i][j] = m[j][i] / scale;
        }
    }
    m_r = scale * gu::EarthRadius;
    m_r2 = m_r * m_r;
}

int GeoSphericalPrj::addOrigin(double s, int origin) {
    const std::int64_t v = roundToInt64(s) + origin;
    // Pixels far outside the picture are kept inside the int range; they are clipped later.
    constexpr std::int64_t kLimit = std::numeric_limits<int>::max() / 2;
    return static_cast<int>(std::clamp<std::int64_t>(v, -kLimit, kLimit));
}

bool GeoSphericalPrj::PointLLToXY(const GeoPoint& p, int& x, int& y) const {
    const GeoProjected q = Project(p);
    x = PixelX(q.sx);
    y = PixelY(q.sy);
    return IsVisible(q, p.Height);
}

std::optional<GeoPoint> GeoSphericalPrj::PointXYToLL(int x, int y) const {
    const double dx = static_cast<double>(x) - m_xOrigin;
    const double dy = static_cast<double>(y) - m_yOrigin;
    const double c = m_r2 - dx * dx - dy * dy;
    if (c < 0.0) {
        return std::nullopt;
    }
    const double dz = -std::sqrt(c);
    const double X = m_b[0][0] * dx + m_b[0][1] * dy + m_b[0][2] * dz;
    const double Y = m_b[1][0] * dx + m_b[1][1] * dy + m_b[1][2] * dz;
    const double Z = m_b[2][0] * dx + m_b[2][1] * dy + m_b[2][2] * dz;
    const double s = Y / gu::EarthRadius;
    constexpr double kHalfPi = std::numbers::pi / 2.0;
    const double lat = s >= 1.0 ? kHalfPi : (s <= -1.0 ? -kHalfPi : std::asin(s));
    return GeoPoint{NormalizeLongitude(roundToInt64(std::atan2(X, Z) * gu::PerRadian)),
                    roundToInt32(lat * gu::PerRadian), 0};
}

int GeoSphericalPrj::ProjectFilledChain(std::span<const GeoPoint> points,
                                        std::vector<QPoint>& out) const {
    int written = 0;
    bool havePrevious = false;
    QPoint previous;
    for (const GeoPoint& p : points) {
        GeoProjected q = Project(p);
        if (q.depth > 0.0) {
            // Behind the globe: pulled onto the limb along its direction from the centre.
            const double len = std::hypot(q.sx, q.sy);
            if (len > 0.0) {
                q.sx *= m_r / len;
                q.sy *= m_r / len;
            }
        }
        const QPoint pixel(PixelX(q.sx), PixelY(q.sy));
        if (havePrevious && pixel == previous) {
            continue;
        }
        out.push_back(pixel);
        previous = pixel;
        havePrevious = true;
        ++written;
    }
    return written;
}

// ---- GeoProjector

GeoProjector::GeoProjector() {
    rebuildModel();
}

void GeoProjector::rebuildModel() {
    m_model.Update(m_scale, m_xRotation, m_yRotation, m_zRotation);
    m_model.SetOrigin(m_xOrigin, m_yOrigin);
}

void GeoProjector::changed(GeoViewChange what) {
    if (m_onChange.Call) {
        m_onChange.Call(what);
    }
}

void GeoProjector::SetProjectionClass(const QString& name) {
    if (name.compare(m_model.ClassName(), Qt::CaseInsensitive) == 0) {
        return;
    }
    // The spherical model is the only projection model this component builds.
    throw GeoException(
        QStringLiteral("Class %1 does not inherit from GeoProjectionModel").arg(name));
}

void GeoProjector::SetScaleFactor(double s) {
    if (s < 0.0 || std::fabs(s - m_scale) < 1e-10) {
        return;
    }
    if (m_maxZoom > m_minZoom) {
        s = std::clamp(s, m_minZoom, m_maxZoom);
    }
    const GeoViewport& view = m_viewport;
    if (s == 0.0) {
        SetXOrigin(view.Width / 2);
        SetYOrigin(view.Height / 2);
        const double extent = 2.0 * m_model.ExtentHalfSize();
        s = std::min(view.Height / extent, view.Width / extent);
        if (s == 0.0) {
            s = 1.0;
        }
    }
    ZoomAbout(view.Width / 2, view.Height / 2, s / m_scale);
}

void GeoProjector::ZoomAbout(int px, int py, double factor) {
    const GeoViewport& view = m_viewport;
    double s = std::clamp(m_scale * factor, 5e-8, 1.0);
    const double biggest = std::max(view.Width, view.Height);
    if (biggest / s > 2147483647.0) {
        s = biggest / 2147483647.0;
    }
    if (factor == 0.0) {
        return;
    }
    SetXOrigin(roundToInt32((m_xOrigin - px) / m_scale * s + px));
    SetYOrigin(roundToInt32((m_yOrigin - py) / m_scale * s + py));
    m_viewDistance = roundToInt64(view.Width / s / std::tan(m_fieldOfView * kDegToRad));
    m_viewExtent = GeoRect{0, 0, roundToInt32(view.Width / s), roundToInt32(view.Height / s)};
    m_scale = s;
    rebuildModel();
    changed(GeoViewChange::Zoomed);
}

void GeoProjector::SetXOrigin(int x) {
    if (x == m_xOrigin) {
        return;
    }
    m_xOrigin = x;
    m_model.SetOrigin(m_xOrigin, m_yOrigin);
    changed(GeoViewChange::Panned);
}

void GeoProjector::SetYOrigin(int y) {
    if (y == m_yOrigin) {
        return;
    }
    m_yOrigin = y;
    m_model.SetOrigin(m_xOrigin, m_yOrigin);
    changed(GeoViewChange::Panned);
}

void GeoProjector::SetXRotation(double degrees) {
    // The spherical model keeps the central latitude within the poles.
    degrees = std::clamp(degrees, -90.0, 90.0);
    if (degrees == m_xRotation) {
        return;
    }
    m_xRotation = degrees;
    rebuildModel();
    changed(GeoViewChange::Rotated);
}

void GeoProjector::SetYRotation(double degrees) {
    degrees = normalizeRotation(degrees);
    if (degrees == m_yRotation) {
        return;
    }
    m_yRotation = degrees;
    rebuildModel();
    changed(GeoViewChange::Rotated);
}

void GeoProjector::SetZRotation(double degrees) {
    degrees = normalizeRotation(degrees);
    if (degrees == m_zRotation) {
        return;
    }
    m_zRotation = degrees;
    rebuildModel();
    changed(GeoViewChange::Rotated);
}

std::optional<double> GeoProjector::CenterLatitude() const {
    const auto p = ScreenToGeo(m_viewport.Width / 2, m_viewport.Height / 2);
    if (!p) {
        return std::nullopt;
    }
    return GUToDeg(p->Latitude);
}

void GeoProjector::SetCenterLatitude(double v) {
    SetYOrigin(m_viewport.Height / 2);
    // The origin is the centre of the sphere, which always lies on the globe.
    const GeoPoint p = ScreenToGeo(m_xOrigin, m_yOrigin).value_or(GeoPoint{});
    SetXRotation(m_xRotation - (GUToDeg(p.Latitude) - v));
}

std::optional<double> GeoProjector::CenterLongitude() const {
    const auto p = ScreenToGeo(m_viewport.Width / 2, m_viewport.Height / 2);
    if (!p) {
        return std::nullopt;
    }
    return GUToDeg(p->Longitude);
}

void GeoProjector::SetCenterLongitude(double v) {
    SetXOrigin(m_viewport.Width / 2);
    SetYRotation(v);
}

void GeoProjector::SetMinLatitude(double v) {
    m_minLatitude = std::max(v, -90.0);
}

void GeoProjector::SetMaxLatitude(double v) {
    m_maxLatitude = std::min(v, 90.0);
}

void GeoProjector::SetMinLongitude(double v) {
    m_minLongitude = std::max(v, -180.0);
}

void GeoProjector::SetMaxLongitude(double v) {
    m_maxLongitude = std::min(v, 180.0);
}

void GeoProjector::SetMinZoom(double v) {
    m_minZoom = std::max(v, 5e-8);
}

void GeoProjector::SetMaxZoom(double v) {
    m_maxZoom = std::min(v, 1.0);
}

GeoProjector GeoProjector::ForDevice(double ratio, const GeoViewport& deviceViewport) const {
    GeoProjector device = *this;
    device.m_viewport = deviceViewport;
    if (ratio != 1.0) {
        device.m_scale = m_scale * ratio;
        device.m_xOrigin = roundToInt32(m_xOrigin * ratio);
        device.m_yOrigin = roundToInt32(m_yOrigin * ratio);
        device.rebuildModel();
    }
    return device;
}

std::optional<GeoPoint> GeoProjector::ScreenToGeo(int x, int y) const {
    return m_model.PointXYToLL(x, y);
}

bool GeoProjector::GeoToScreen(std::int32_t longitude, std::int32_t latitude, int& x,
                               int& y) const {
    return m_model.PointLLToXY(GeoPoint{longitude, latitude, 0}, x, y);
}

bool GeoProjector::GeoToScreen(const GeoPoint& p, QPoint& pixel) const {
    int x = 0;
    int y = 0;
    const bool visible = m_model.PointLLToXY(p, x, y);
    pixel = QPoint(x, y);
    return visible;
}

/// The bounds of the geographic points seen by the sampling of VisibleExtent.
struct GeoProjector::ExtentSamples {
    std::int64_t count = 0;
    std::int32_t minLon = std::numeric_limits<std::int32_t>::max();
    std::int32_t maxLon = std::numeric_limits<std::int32_t>::min();
    std::int32_t minLat = std::numeric_limits<std::int32_t>::max();
    std::int32_t maxLat = std::numeric_limits<std::int32_t>::min();

    void keep(const std::optional<GeoPoint>& p) {
        if (!p) {
            return;
        }
        ++count;
        minLon = std::min(minLon, p->Longitude);
        maxLon = std::max(maxLon, p->Longitude);
        minLat = std::min(minLat, p->Latitude);
        maxLat = std::max(maxLat, p->Latitude);
    }
};

void GeoProjector::sampleLimb(int fromX, bool fromOn, int toX, int y,
                              ExtentSamples& samples) const {
    // The limb lies between the two samples: bisect down to one pixel.
    int lo = fromX;
    int hi = toX;
    while ((hi - lo) / 2 >= 1) {
        const int mid = lo + (hi - lo) / 2;
        const auto q = ScreenToGeo(mid, y);
        samples.keep(q);
        if (q.has_value() == fromOn) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
}

GeoRect GeoProjector::VisibleExtent() const {
    const GeoRect world{gu::MinLongitude - 1, -gu::MaxLatitude, gu::FullCircle,
                        2 * gu::MaxLatitude};
    constexpr int kCells = 64;
    ExtentSamples samples;
    for (int row = 0; row <= kCells; ++row) {
        const int y = row * m_viewport.Height / kCells;
        bool previousOn = false;
        int previousX = 0;
        for (int col = 0; col <= kCells; ++col) {
            const int x = col * m_viewport.Width / kCells;
            const auto p = ScreenToGeo(x, y);
            samples.keep(p);
            const bool on = p.has_value();
            if (col > 0 && on != previousOn) {
                sampleLimb(previousX, previousOn, x, y, samples);
            }
            previousOn = on;
            previousX = x;
        }
    }
    if (samples.count <= 10) {
        return world;
    }
    const std::int64_t w = static_cast<std::int64_t>(samples.maxLon) - samples.minLon;
    // Samples spread over more than 330 degrees of longitude: the view spans the world.
    if (w > 330 * std::int64_t{gu::Degree}) {
        return world;
    }
    return GeoRect{samples.minLon, samples.minLat, static_cast<std::int32_t>(w),
                   samples.maxLat - samples.minLat};
}

bool GeoProjector::pieceVisible(std::int64_t left, std::int64_t right, std::int64_t bottom,
                                std::int64_t top, GeoRectVisibility& result) const {
    constexpr std::int64_t kStep = 5 * std::int64_t{gu::Degree};
    int visibleSamples = 0;
    std::int64_t minX = std::numeric_limits<std::int64_t>::max();
    std::int64_t maxX = std::numeric_limits<std::int64_t>::min();
    std::int64_t minY = minX;
    std::int64_t maxY = maxX;
    auto sample = [&](std::int64_t lon, std::int64_t lat) {
        int x = 0;
        int y = 0;
        const bool visible = m_model.PointLLToXY(
            GeoPoint{NormalizeLongitude(lon), static_cast<std::int32_t>(lat), 0}, x, y);
        if (visible) {
            ++visibleSamples;
            result.SomeVisible = true;
        } else {
            result.PartlyHidden = true;
        }
        minX = std::min<std::int64_t>(minX, x);
        maxX = std::max<std::int64_t>(maxX, x);
        minY = std::min<std::int64_t>(minY, y);
        maxY = std::max<std::int64_t>(maxY, y);
    };
    // Corners, then points every 5 degrees along the bottom and top edges and the two sides.
    sample(left, bottom);
    sample(right, bottom);
    sample(left, top);
    sample(right, top);
    for (std::int64_t lon = left + kStep; lon < right; lon += kStep) {
        sample(lon, bottom);
        sample(lon, top);
    }
    for (std::int64_t lat = bottom + kStep; lat < top; lat += kStep) {
        sample(left, lat);
        sample(right, lat);
    }
    if (visibleSamples == 0) {
        return false;
    }
    return !BoxOutside(minX, minY, maxX, maxY, m_viewport.Width, m_viewport.Height);
}

GeoRectVisibility GeoProjector::RectVisible(const GeoRect& r) const {
    GeoRectVisibility result;
    if (r.Width >= gu::FullCircle) {
        result.Visible = true;
        result.SomeVisible = true;
        return result;
    }
    const std::int64_t left = r.Left;
    const std::int64_t right = left + r.Width;
    const std::int64_t bottom = r.Bottom;
    const std::int64_t top = bottom + r.Height;
    if (r.Width > gu::MaxLongitude || right > gu::MaxLongitude) {
        result.Visible = pieceVisible(left, gu::MaxLongitude, bottom, top, result);
        if (!result.Visible) {
            result.Visible =
                pieceVisible(-gu::MaxLongitude, right - gu::FullCircle, bottom, top, result);
        }
    } else {
        result.Visible = pieceVisible(left, right, bottom, top, result);
    }
    return result;
}

std::int32_t GeoProjector::UnitsToGU(double value, GeoUnitTypes unit) const {
    if (unit == GeoUnitTypes::guPixel) {
        return roundToInt32(value / m_scale);
    }
    return roundToInt32(value * GUPerUnit(unit));
}

int GeoProjector::UnitsToPixels(double value, GeoUnitTypes unit) const {
    return LengthToPixels(value, unit, m_scale, m_viewport.PixelsPerInch,
                          m_viewport.ScreenPixelsPerInch);
}

}  // namespace zimbalo::globe
