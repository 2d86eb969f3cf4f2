#include "globe/geo_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QPainterPath>

#include "globe/geo_exception.h"

namespace zimbalo::globe {

// ---- GeoBitmap

GeoBitmap::GeoBitmap(int width, int height) {
    SetSize(width, height);
}

void GeoBitmap::SetSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        m_image = QImage();
        return;
    }
    if (m_image.width() == width && m_image.height() == height) {
        m_image.fill(Qt::black);
        return;
    }
    m_image = QImage(width, height, QImage::Format_RGB32);
    if (m_image.isNull()) {
        throw GeoException(std::string("Failed to allocate DIB Handle"));
    }
    m_image.fill(Qt::black);
}

void GeoBitmap::Assign(const QImage& image) {
    if (image.isNull()) {
        m_image = QImage();
        return;
    }
    m_image = image.format() == QImage::Format_RGB32 ? image
                                                     : image.convertToFormat(QImage::Format_RGB32);
    if (m_image.isNull()) {
        throw GeoException(std::string("Failed to allocate DIB Handle"));
    }
}

void GeoBitmap::SaveToFile(const QString&) const {
    throw GeoException(std::string("GeoBitmap.SaveToFile: Not implemented"));
}

void GeoBitmap::SaveToStream() const {
    throw GeoException(std::string("GeoBitmap.SaveToStream: Not implemented"));
}

void GeoBitmap::LoadFromStream() {
    throw GeoException(std::string("GeoBitmap.LoadFromStream: Not implemented"));
}

void GeoBitmap::LoadFromClipboardFormat() {
    throw GeoException(std::string("GeoBitmap.LoadFromClipboardFormat: Not implemented"));
}

void GeoBitmap::SaveToClipboardFormat() const {
    throw GeoException(std::string("GeoBitmap.SaveToClipboardFormat: Not implemented"));
}

// ---- GeoRenderer

GeoRenderer::GeoRenderer() {
    m_projected.reserve(MaxBufferPoints);
    m_clipped.reserve(1024);
    ResetDrawingState();
}

GeoRenderer::~GeoRenderer() {
    EndCanvas();
}

void GeoRenderer::SetView(const GeoSphericalPrj& model, double scale) {
    m_view = model;
    m_scale = scale;
}

void GeoRenderer::SetSize(int width, int height) {
    EndCanvas();
    m_width = std::max(0, width);
    m_height = std::max(0, height);
}

void GeoRenderer::SetPixelsPerInch(int renderer, int screen) {
    m_pixelsPerInch = renderer > 0 ? renderer : 96;
    m_screenPixelsPerInch = screen > 0 ? screen : 96;
    m_stateDirty = true;
}

void GeoRenderer::ResetDrawingState() {
    m_alpha = 255;
    m_brush.Assign(GeoBrush(clWhite, clWhite, GeoBrushStyle::gbsSolid));
    GeoFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(9.0);
    font.SetSizeUnit(GeoUnitTypes::guPixel);
    font.SetColor(clWhite);
    font.SetBkColor(clBlack);
    m_font.Assign(font);
    m_pen.Assign(GeoPen(clBlack, GeoPenStyle::gpsSolid, 1.0, GeoUnitTypes::guPixel));
    m_stateDirty = true;
}

void GeoRenderer::SetPen(const GeoPen& pen) {
    if (!m_pen.sameAs(pen)) {
        m_pen.Assign(pen);
    }
    m_stateDirty = true;
}

void GeoRenderer::SetBrush(const GeoBrush& brush) {
    if (!m_brush.sameAs(brush)) {
        m_brush.Assign(brush);
    }
    m_stateDirty = true;
}

void GeoRenderer::SetFont(const GeoFont& font) {
    if (!m_font.sameAs(font)) {
        m_font.Assign(font);
    }
    m_stateDirty = true;
}

void GeoRenderer::SetAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (alpha != m_alpha) {
        m_alpha = alpha;
        m_stateDirty = true;
    }
}

int GeoRenderer::PenWidthPixels() const {
    return LengthToPixels(m_pen.Width(), m_pen.WidthUnit(), m_scale, m_pixelsPerInch,
                          m_screenPixelsPerInch);
}

bool GeoRenderer::CosmeticPen() const {
    return PenWidthPixels() < MulDiv(2, m_pixelsPerInch, m_screenPixelsPerInch);
}

int GeoRenderer::FontHeightPixels(const GeoFont& font) const {
    int height = 0;
    if (font.SizeUnit() == GeoUnitTypes::guPixel) {
        height = MulDiv(roundToInt32(font.Size()), m_pixelsPerInch, m_screenPixelsPerInch);
    } else {
        const double perUnit = static_cast<double>(roundToInt64(GUPerUnit(font.SizeUnit())));
        height = roundToInt32(font.Size() * perUnit * m_scale);
    }
    if (m_maxTextHeight > 0 && height > m_maxTextHeight) {
        height = MulDiv(m_maxTextHeight, m_pixelsPerInch, m_screenPixelsPerInch);
    }
    return height;
}

QPainter& GeoRenderer::Canvas() {
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>();
    }
    if (!m_painter->isActive()) {
        m_painter->begin(&Surface());
        m_stateDirty = true;
    }
    if (m_stateDirty) {
        applyState();
    }
    return *m_painter;
}

void GeoRenderer::EndCanvas() {
    if (m_painter && m_painter->isActive()) {
        m_painter->end();
    }
}

void GeoRenderer::applyState() {
    QPainter& p = *m_painter;
    p.setPen(m_pen.realise(CosmeticPen() ? 1 : PenWidthPixels()));
    p.setBrush(m_brush.realise());
    if (m_brush.opaqueBackground()) {
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(toQColor(m_brush.BkColor()));
    } else {
        p.setBackgroundMode(Qt::TransparentMode);
    }
    p.setFont(m_font.realise(FontHeightPixels(m_font)));
    p.setOpacity(m_alpha / 255.0);
    p.setRenderHint(QPainter::Antialiasing, false);
    m_stateDirty = false;
}

void GeoRenderer::FillBackground(GeoColor color) {
    QImage& image = Surface();
    if (image.isNull()) {
        return;
    }
    // The first row pixel by pixel, the others copied from it: the copy moves whole vectors.
    const std::uint32_t pixel = PixelOf(color);
    auto* first = reinterpret_cast<std::uint32_t*>(image.scanLine(0));
    std::fill(first, first + image.width(), pixel);
    const auto rowBytes = static_cast<std::size_t>(image.width()) * 4;
    for (int y = 1; y < image.height(); ++y) {
        std::memcpy(image.scanLine(y), first, rowBytes);
    }
}

namespace {

/// The rectangle a shape with an inside-frame pen is drawn in: shrunk by half the pen width.
QRect insideFrame(int left, int top, int right, int bottom, const GeoPen& pen, int widthPx) {
    QRect r(left, top, right - left - 1, bottom - top - 1);
    if (pen.Style() == GeoPenStyle::gpsInsideFrame && widthPx >= 2) {
        const int half = widthPx / 2;
        r.adjust(half, half, -half, -half);
    }
    return r;
}

}  // namespace

void GeoRenderer::DrawEllipse(int left, int top, int right, int bottom) {
    if (right - left < 1 || bottom - top < 1) {
        return;
    }
    QPainter& p = Canvas();
    p.drawEllipse(insideFrame(left, top, right, bottom, m_pen, PenWidthPixels()));
}

void GeoRenderer::DrawRectangle(int left, int top, int right, int bottom) {
    if (right - left < 1 || bottom - top < 1) {
        return;
    }
    QPainter& p = Canvas();
    p.drawRect(insideFrame(left, top, right, bottom, m_pen, PenWidthPixels()));
}

void GeoRenderer::DrawPolygon(std::span<const QPoint> points) {
    if (points.size() < 2) {
        return;
    }
    Canvas().drawPolygon(points.data(), static_cast<int>(points.size()), Qt::OddEvenFill);
}

void GeoRenderer::DrawPolyline(std::span<const QPoint> points) {
    if (points.size() < 2) {
        return;
    }
    Canvas().drawPolyline(points.data(), static_cast<int>(points.size()));
}

void GeoRenderer::SetPixel(int x, int y, GeoColor color, int alpha) {
    QImage& image = Surface();
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) {
        return;
    }
    auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    const std::uint32_t pixel = PixelOf(color);
    row[x] = alpha >= 255 ? pixel : BlendPixel(row[x], pixel, std::max(alpha, 0));
}

// ---- chains

QRect GeoRenderer::PartClipRect() const {
    const int margin = std::max(2, 2 * PenWidthPixels());
    return QRect(QPoint(-margin, -margin), QPoint(m_width - 1 + margin, m_height - 1 + margin));
}

void GeoRenderer::BeginParts(bool filled) {
    if (!m_parts.empty()) {
        EndParts();
    }
    m_partsFilled = filled;
    m_partsOpen = true;
}

namespace {

struct DPoint {
    double x;
    double y;
};

void appendRounded(std::vector<QPoint>& out, DPoint p) {
    const QPoint q(roundToInt32(p.x), roundToInt32(p.y));
    if (out.empty() || out.back() != q) {
        out.push_back(q);
    }
}

/// Liang-Barsky: clips the segment a-b to the rectangle; t0, t1 are the kept parameter range.
bool clipSegment(DPoint a, DPoint b, const QRect& r, double& t0, double& t1) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    t0 = 0.0;
    t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - r.left(), r.right() - a.x, a.y - r.top(), r.bottom() - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) {
                return false;
            }
            t0 = std::max(t0, t);
        } else {
            if (t < t0) {
                return false;
            }
            t1 = std::min(t1, t);
        }
    }
    return true;
}

/// Sutherland-Hodgman against one edge of the rectangle; points outside around a corner end up
/// on the border, so the corner itself appears after the second edge.
template <typename Inside, typename Cross>
void clipPolygonEdge(const std::vector<DPoint>& in, std::vector<DPoint>& out, Inside inside,
                     Cross cross) {
    out.clear();
    if (in.empty()) {
        return;
    }
    DPoint prev = in.back();
    bool prevIn = inside(prev);
    for (const DPoint& cur : in) {
        const bool curIn = inside(cur);
        if (curIn) {
            if (!prevIn) {
                out.push_back(cross(prev, cur));
            }
            out.push_back(cur);
        } else if (prevIn) {
            out.push_back(cross(prev, cur));
        }
        prev = cur;
        prevIn = curIn;
    }
}

/// Clips a closed polygon to the rectangle, edge after edge (Sutherland-Hodgman); the result is
/// left in a.
void clipPolygonToRect(std::vector<DPoint>& a, const QRect& clip) {
    const double l = clip.left(), t = clip.top(), r = clip.right(), b = clip.bottom();
    std::vector<DPoint> c;
    auto atX = [](DPoint p, DPoint q, double x) {
        return DPoint{x, p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x)};
    };
    auto atY = [](DPoint p, DPoint q, double y) {
        return DPoint{p.x + (q.x - p.x) * (y - p.y) / (q.y - p.y), y};
    };
    clipPolygonEdge(
        a, c, [l](DPoint p) { return p.x >= l; }, [&](DPoint p, DPoint q) { return atX(p, q, l); });
    clipPolygonEdge(
        c, a, [r](DPoint p) { return p.x <= r; }, [&](DPoint p, DPoint q) { return atX(p, q, r); });
    clipPolygonEdge(
        a, c, [t](DPoint p) { return p.y >= t; }, [&](DPoint p, DPoint q) { return atY(p, q, t); });
    clipPolygonEdge(
        c, a, [b](DPoint p) { return p.y <= b; }, [&](DPoint p, DPoint q) { return atY(p, q, b); });
}

}  // namespace

void GeoRenderer::AddPart(std::span<const QPoint> pixels) {
    if (!m_partsOpen) {
        BeginParts(false);
    }
    if (pixels.size() < 2) {
        ++m_counters.PartsDropped;
        return;
    }
    if (m_partsFilled) {
        addClippedPolygon(pixels);
    } else {
        addClippedPolyline(pixels);
    }
}

void GeoRenderer::keepPart(std::vector<QPoint>& part) {
    if (part.size() >= 2) {
        m_parts.push_back(std::move(part));
    } else {
        ++m_counters.PartsDropped;
    }
    part = {};
}

void GeoRenderer::addClippedPolygon(std::span<const QPoint> pixels) {
    const QRect clip = PartClipRect();
    std::vector<DPoint> a;
    a.reserve(pixels.size() + 8);
    bool inside = true;
    for (const QPoint& p : pixels) {
        a.push_back({static_cast<double>(p.x()), static_cast<double>(p.y())});
        inside = inside && clip.contains(p);
    }
    if (!inside) {
        clipPolygonToRect(a, clip);
    }
    std::vector<QPoint> part;
    part.reserve(a.size());
    for (const DPoint& p : a) {
        appendRounded(part, p);
    }
    while (part.size() > 1 && part.front() == part.back()) {
        part.pop_back();
    }
    keepPart(part);
}

void GeoRenderer::addClippedPolyline(std::span<const QPoint> pixels) {
    // Segments leaving the rectangle end the current piece (Liang-Barsky), re-entering starts
    // another.
    const QRect clip = PartClipRect();
    std::vector<QPoint> part;
    part.reserve(pixels.size());
    for (std::size_t i = 1; i < pixels.size(); ++i) {
        const DPoint a{static_cast<double>(pixels[i - 1].x()),
                       static_cast<double>(pixels[i - 1].y())};
        const DPoint b{static_cast<double>(pixels[i].x()), static_cast<double>(pixels[i].y())};
        double t0 = 0.0;
        double t1 = 1.0;
        if (!clipSegment(a, b, clip, t0, t1)) {
            keepPart(part);
            continue;
        }
        if (t0 > 0.0) {
            keepPart(part);
        }
        appendRounded(part, {a.x + (b.x - a.x) * t0, a.y + (b.y - a.y) * t0});
        appendRounded(part, {a.x + (b.x - a.x) * t1, a.y + (b.y - a.y) * t1});
        if (t1 < 1.0) {
            keepPart(part);
        }
    }
    keepPart(part);
}

namespace {

void addToPath(QPainterPath& path, const std::vector<QPoint>& part) {
    path.moveTo(part.front());
    for (std::size_t i = 1; i < part.size(); ++i) {
        path.lineTo(part[i]);
    }
}

}  // namespace

void GeoRenderer::EndParts() {
    m_partsOpen = false;
    if (m_parts.empty()) {
        return;
    }
    QPainter& p = Canvas();
    if (m_partsFilled) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const auto& part : m_parts) {
            addToPath(path, part);
            path.closeSubpath();
        }
        p.drawPath(path);
        ++m_counters.PolyPolygonCalls;
    } else {
        drawLines(p, m_parts);
    }
    m_counters.PartsDrawn += static_cast<int>(m_parts.size());
    m_parts.clear();
}

void GeoRenderer::addProjectedRun(std::span<const QPoint> pixels) {
    // Runs longer than the point buffer go in pieces that share their end points.
    std::size_t start = 0;
    const auto limit = static_cast<std::size_t>(MaxBufferPoints);
    while (pixels.size() - start > limit) {
        AddPart(pixels.subspan(start, limit));
        start += limit - 1;
    }
    AddPart(pixels.subspan(start));
}

std::vector<std::vector<QPoint>> GeoRenderer::TakeParts() {
    m_partsOpen = false;
    std::vector<std::vector<QPoint>> parts = std::move(m_parts);
    m_parts.clear();
    return parts;
}

void GeoRenderer::DrawOpenParts(std::span<const std::vector<QPoint>> parts) {
    if (!m_parts.empty()) {
        EndParts();
    }
    if (parts.empty()) {
        return;
    }
    drawLines(Canvas(), parts);
    m_counters.PartsDrawn += static_cast<int>(parts.size());
}

void GeoRenderer::drawLines(QPainter& p, std::span<const std::vector<QPoint>> parts) {
    // Smoothed lines: an odd width is centred on the pixel centres (half a pixel on from the
    // points), an even width on the pixel corners, where plain lines lie too.
    const int width = CosmeticPen() ? 1 : PenWidthPixels();
    const double shift = m_smoothLines && width % 2 == 1 ? 0.5 : 0.0;
    if (m_smoothLines) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.translate(shift, shift);
    }
    drawLineParts(p, parts);
    if (m_smoothLines) {
        p.translate(-shift, -shift);
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    ++m_counters.PolyPolylineCalls;
}

void GeoRenderer::drawLineParts(QPainter& p, std::span<const std::vector<QPoint>> parts) {
    if (m_alpha >= 255) {
        // Opaque lines: a polyline per part gives the same pixels as one path, faster.
        for (const auto& part : parts) {
            p.drawPolyline(part.data(), static_cast<int>(part.size()));
        }
    } else {
        // Translucent lines go through one path so that overlapping parts blend once.
        QPainterPath path;
        for (const auto& part : parts) {
            addToPath(path, part);
        }
        const QBrush saved = p.brush();
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setBrush(saved);
    }
}

void GeoRenderer::AddOpenChain(std::span<const GeoPoint> points,
                               std::span<const std::array<double, 3>> earth) {
    if (points.size() < 2) {
        return;
    }
    const GeoSphericalPrj& model = m_view;
    constexpr std::int64_t kCentralMeridian = 0;
    auto relative = [](const GeoPoint& p) {
        return static_cast<std::int64_t>(NormalizeLongitude(p.Longitude - kCentralMeridian));
    };

    m_projected.clear();
    auto flushRun = [this]() {
        if (m_projected.size() >= 2) {
            addProjectedRun(m_projected);
        }
        m_projected.clear();
    };
    const bool haveEarth = earth.size() == points.size();
    auto project = [&](const GeoPoint& p, const std::array<double, 3>* e) {
        const GeoProjected q = e != nullptr ? model.ProjectEarthFixed(*e) : model.Project(p);
        if (model.IsVisible(q, p.Height)) {
            m_projected.emplace_back(model.PixelX(q.sx), model.PixelY(q.sy));
        } else {
            // The line stops at the horizon: an invisible point ends the run.
            flushRun();
        }
    };

    project(points[0], haveEarth ? &earth[0] : nullptr);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const GeoPoint& a = points[i - 1];
        const GeoPoint& b = points[i];
        const std::int64_t ra = relative(a);
        const std::int64_t rb = relative(b);
        const std::int64_t qa = ra / gu::QuarterCircle;
        const std::int64_t qb = rb / gu::QuarterCircle;
        if ((qa < 0 && qb > 0) || (qa > 0 && qb < 0)) {
            // Crossing the antimeridian: end this piece 2 GU before it, start the next 2 GU after.
            const std::int64_t toLine = ra > 0 ? gu::MaxLongitude - ra : ra + gu::MaxLongitude;
            const std::int64_t fromLine = rb > 0 ? gu::MaxLongitude - rb : rb + gu::MaxLongitude;
            const double f = static_cast<double>(toLine) / static_cast<double>(toLine + fromLine);
            const auto latitude = static_cast<std::int32_t>(
                a.Latitude + roundToInt64(static_cast<double>(b.Latitude - a.Latitude) * f));
            const auto height = static_cast<std::int32_t>(
                a.Height + roundToInt64(static_cast<double>(b.Height - a.Height) * f));
            const std::int64_t nearSide = ra > 0 ? gu::MaxLongitude - 2 : -gu::MaxLongitude + 2;
            project(GeoPoint{NormalizeLongitude(nearSide + kCentralMeridian), latitude, height},
                    nullptr);
            flushRun();
            project(GeoPoint{NormalizeLongitude(-nearSide + kCentralMeridian), latitude, height},
                    nullptr);
        }
        project(b, haveEarth ? &earth[i] : nullptr);
    }
    flushRun();
}

void GeoRenderer::AddFilledChain(std::span<const GeoPoint> points) {
    if (points.size() > static_cast<std::size_t>(MaxBufferPoints)) {
        points = points.first(static_cast<std::size_t>(MaxBufferPoints));
    }
    m_projected.clear();
    m_view.ProjectFilledChain(points, m_projected);
    AddPart(m_projected);
    m_projected.clear();
}

void GeoRenderer::DrawOpenChains(std::span<const std::span<const GeoPoint>> chains) {
    BeginParts(false);
    for (const auto& chain : chains) {
        AddOpenChain(chain);
    }
    EndParts();
}

// ---- GeoDefaultRenderer

GeoDefaultRenderer::GeoDefaultRenderer(int width, int height) {
    GeoDefaultRenderer::SetSize(width, height);
}

void GeoDefaultRenderer::SetSize(int width, int height) {
    GeoRenderer::SetSize(width, height);
    m_backBuffer.SetSize(Width(), Height());
}

}  // namespace zimbalo::globe
