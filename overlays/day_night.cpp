#include "overlays/day_night.h"

#include <cmath>

#include <QPainter>

#include "astro/constants.h"
#include "astro/time_scales.h"
#include "globe/geo_projector.h"

namespace zimbalo::overlays {

namespace {

// One shade pixel per this many picture pixels: the twilight bands are hundreds of kilometres
// wide, and the scaled drawing smooths the steps.
constexpr int kShadeStep = 3;

int ShadeOf(double sinAltitude) {
    static const double kLimits[] = {std::sin(0.0), std::sin(-6.0 * astro::kDegToRad),
                                     std::sin(-12.0 * astro::kDegToRad),
                                     std::sin(-18.0 * astro::kDegToRad)};
    int phase = 0;
    while (phase < 4 && sinAltitude < kLimits[phase]) {
        ++phase;
    }
    return kSkyPhaseShade[static_cast<std::size_t>(phase)];
}

}  // namespace

SkyPhase SkyPhaseOf(double h) {
    if (h >= 0.0) {
        return SkyPhase::Day;
    }
    if (h >= -6.0) {
        return SkyPhase::Civil;
    }
    if (h >= -12.0) {
        return SkyPhase::Nautical;
    }
    return h >= -18.0 ? SkyPhase::Astronomical : SkyPhase::Night;
}

std::array<double, 3> SunDirection(double jdUT) {
    const double dec = astro::SunDeclination(jdUT);
    // East longitude of the sub-solar point: the Sun's hour angle at Greenwich is GST - RA.
    const double lon = astro::SunRightAscension(jdUT) - astro::SiderealTime(jdUT);
    return {std::cos(dec) * std::sin(lon), std::sin(dec), std::cos(dec) * std::cos(lon)};
}

double SunAltitudeAt(double jdUT, double latitude, double longitude) {
    const std::array<double, 3> s = SunDirection(jdUT);
    const double phi = latitude * astro::kDegToRad;
    const double lambda = longitude * astro::kDegToRad;
    const double dot = std::cos(phi) * std::sin(lambda) * s[0] + std::sin(phi) * s[1]
                       + std::cos(phi) * std::cos(lambda) * s[2];
    return std::asin(std::fmax(-1.0, std::fmin(1.0, dot))) * astro::kRadToDeg;
}

QString DayNightCaption(Language language) {
    switch (language) {
        case Language::English:
            return QStringLiteral("Day/night");
        case Language::French:
            return QStringLiteral("Jour/nuit");
        case Language::German:
            break;
    }
    return QStringLiteral("Tag/Nacht");
}

// The projector maps Earth-fixed vectors to screen offsets and depth by one matrix (rotation
// times scale); its transpose is the inverse. The Sun's direction taken to the screen frame
// gives the Sun's altitude at a visible pixel (sx, sy) of the globe as the cosine between the
// Sun and the point (sx, sy, -sqrt(r^2 - sx^2 - sy^2)): three products per pixel, no
// trigonometry.
QImage DayNightShade(const globe::GeoProjector& projector, int width, int height, double jdUT,
                     int step) {
    step = std::max(1, step);
    const int w = std::max(1, (width + step - 1) / step);
    const int h = std::max(1, (height + step - 1) / step);
    QImage shade(w, h, QImage::Format_ARGB32_Premultiplied);
    shade.fill(Qt::transparent);
    const globe::GeoSphericalPrj& model = projector.Model();
    const double r = model.Radius();
    if (!(r > 0.0)) {
        return shade;
    }
    const std::array<double, 3> s = SunDirection(jdUT);
    const auto& f = model.Forward();
    double sx = f[0][0] * s[0] + f[0][1] * s[1] + f[0][2] * s[2];
    double sy = f[1][0] * s[0] + f[1][1] * s[1] + f[1][2] * s[2];
    double sz = f[2][0] * s[0] + f[2][1] * s[1] + f[2][2] * s[2];
    const double norm = std::sqrt(sx * sx + sy * sy + sz * sz);
    if (!(norm > 0.0)) {
        return shade;
    }
    sx /= norm * r;
    sy /= norm * r;
    sz /= norm * r;
    const double r2 = r * r;
    const double x0 = projector.XOrigin();
    const double y0 = projector.YOrigin();
    for (int row = 0; row < h; ++row) {
        auto* line = reinterpret_cast<QRgb*>(shade.scanLine(row));
        const double py = (row + 0.5) * step - y0;
        const double py2 = py * py;
        if (py2 > r2) {
            continue;
        }
        for (int col = 0; col < w; ++col) {
            const double px = (col + 0.5) * step - x0;
            const double d2 = px * px + py2;
            if (d2 > r2) {
                continue;
            }
            const double depth = -std::sqrt(r2 - d2);
            const int alpha = ShadeOf(px * sx + py * sy + depth * sz);
            line[col] = qRgba(0, 0, 0, alpha);
        }
    }
    return shade;
}

void DrawDayNight(QPainter& painter, const globe::GeoProjector& projector, int width, int height,
                  double jdUT) {
    const QImage shade = DayNightShade(projector, width, height, jdUT, kShadeStep);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(0.0, 0.0, static_cast<double>(shade.width() * kShadeStep),
                             static_cast<double>(shade.height() * kShadeStep)),
                      shade);
    painter.restore();
}

}  // namespace zimbalo::overlays
