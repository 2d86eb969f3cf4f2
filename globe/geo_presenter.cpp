#include "globe/geo_presenter.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QFile>
#include <QFontMetrics>
#include <QPainter>

#include "globe/geo_exception.h"
#include "globe/geo_projector.h"
#include "globe/geo_renderer.h"

namespace zimbalo::globe {

namespace {

// Squared distance (in GU, longitudes unwrapped against p) from p to the segment a-b.
double segmentDistance2(const GeoPoint& p, const GeoPoint& a, const GeoPoint& b) {
    const auto unwrap = [&](std::int32_t lon) {
        double d = static_cast<double>(lon) - p.Longitude;
        if (d > gu::MaxLongitude) {
            d -= gu::FullCircle;
        } else if (d < -gu::MaxLongitude) {
            d += gu::FullCircle;
        }
        return d;
    };
    const double ax = unwrap(a.Longitude);
    const double ay = static_cast<double>(a.Latitude) - p.Latitude;
    const double bx = unwrap(b.Longitude);
    const double by = static_cast<double>(b.Latitude) - p.Latitude;
    const double dx = bx - ax;
    const double dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? -(ax * dx + ay * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double cx = ax + t * dx;
    const double cy = ay + t * dy;
    return cx * cx + cy * cy;
}

// Whether p lies within `tolerance` GU of any chain of the poly (closing the ring when `closed`).
bool nearChains(const GeoMapPoint& object, const GeoPoint& p, std::int32_t tolerance, bool closed) {
    if (object.Kind() != GeoObjectKind::Poly) {
        return false;
    }
    const auto& chains = static_cast<const GeoMapPoly&>(object).Chains();
    const double tol2 = static_cast<double>(tolerance) * tolerance;
    for (int c = 0; c < chains.Count(); ++c) {
        const GeoPointStore& chain = chains.Chain(c);
        if (chain.Hidden() || chain.Count() == 0) {
            continue;
        }
        const auto pts = chain.Points();
        if (pts.size() == 1 && segmentDistance2(p, pts[0], pts[0]) <= tol2) {
            return true;
        }
        for (std::size_t i = 1; i < pts.size(); ++i) {
            if (segmentDistance2(p, pts[i - 1], pts[i]) <= tol2) {
                return true;
            }
        }
        if (closed && pts.size() > 2 && segmentDistance2(p, pts.back(), pts.front()) <= tol2) {
            return true;
        }
    }
    return false;
}

// Even-odd test of p inside the closed chains of a poly (planar in GU).
bool insideChains(const GeoMapPoint& object, const GeoPoint& p) {
    if (object.Kind() != GeoObjectKind::Poly) {
        return false;
    }
    const auto& chains = static_cast<const GeoMapPoly&>(object).Chains();
    bool inside = false;
    for (int c = 0; c < chains.Count(); ++c) {
        const GeoPointStore& chain = chains.Chain(c);
        if (chain.Hidden() || chain.Count() < 3) {
            continue;
        }
        const auto pts = chain.Points();
        for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const double yi = pts[i].Latitude;
            const double yj = pts[j].Latitude;
            if ((yi > p.Latitude) != (yj > p.Latitude)) {
                const double x =
                    pts[j].Longitude
                    + (p.Latitude - yj) / (yi - yj) * (pts[i].Longitude - pts[j].Longitude);
                if (p.Longitude < x) {
                    inside = !inside;
                }
            }
        }
    }
    return inside;
}

void drawPolyChains(GeoRenderer& r, const GeoMapPoint& object, bool filled) {
    if (object.Kind() != GeoObjectKind::Poly) {
        return;
    }
    const auto& chains = static_cast<const GeoMapPoly&>(object).Chains();
    r.BeginParts(filled);
    for (int c = 0; c < chains.Count(); ++c) {
        const GeoPointStore& chain = chains.Chain(c);
        if (chain.Hidden()) {
            continue;
        }
        if (filled) {
            if (chain.Count() >= 3) {
                r.AddFilledChain(chain.Points());
            }
        } else if (chain.Count() >= 2) {
            r.AddOpenChain(chain.Points());
        }
    }
    r.EndParts();
}

}  // namespace

bool ObjectItselfHit(const GeoMapPoint& object, const GeoPoint& p, std::int32_t tolerance) {
    return GeoRectContains(GeoRectGrown(object.Bounds(), tolerance), p);
}

int CombineAlpha(int a, int b) {
    return MulDiv(a, b, 255);
}

// ---- GeoPresenter ----------------------------------------------------------------------------

GeoPresenter::GeoPresenter() {
    hook(m_titleFont);
}

GeoPresenter::GeoPresenter(const GeoPresenter& other)
    : m_name(other.m_name),
      m_presenterID(other.m_presenterID),
      m_nextPresenterID(other.m_nextPresenterID),
      m_hidden(other.m_hidden),
      m_alphaBlend(other.m_alphaBlend),
      m_titleColumn(other.m_titleColumn),
      m_titleFont(other.m_titleFont),
      m_titleAlignment(other.m_titleAlignment),
      m_titleOffset(other.m_titleOffset),
      m_titleOffsetUnits(other.m_titleOffsetUnits),
      m_titleZoomMin(other.m_titleZoomMin),
      m_titleZoomMax(other.m_titleZoomMax),
      m_titleZoomUnits(other.m_titleZoomUnits) {
    hook(m_titleFont);
}

void GeoPresenter::hook(GeoAttribute& attribute) {
    attribute.OnChange = [this]() { changed(); };
}

void GeoPresenter::changed() {
    // The store's owner asks for a redraw.
    if (m_store != nullptr && m_store->OnChange) {
        m_store->OnChange();
    }
}

void GeoPresenter::SetName(const QString& name) {
    set(m_name, name);
}

void GeoPresenter::SetPresenterID(int id) {
    set(m_presenterID, id);
}

void GeoPresenter::SetNextPresenterID(int id) {
    set(m_nextPresenterID, id);
}

void GeoPresenter::SetHidden(bool hidden) {
    set(m_hidden, hidden);
}

void GeoPresenter::SetAlphaBlend(int alpha) {
    set(m_alphaBlend, std::clamp(alpha, 0, 255));
}

void GeoPresenter::SetTitleColumn(int column) {
    set(m_titleColumn, column);
}

void GeoPresenter::SetTitleAlignment(GeoTitleAlignment alignment) {
    set(m_titleAlignment, alignment);
}

void GeoPresenter::SetTitleOffset(int offset) {
    set(m_titleOffset, offset);
}

void GeoPresenter::SetTitleOffsetUnits(GeoUnitTypes units) {
    set(m_titleOffsetUnits, units);
}

void GeoPresenter::SetTitleZoomMin(unsigned v) {
    set(m_titleZoomMin, v);
}

void GeoPresenter::SetTitleZoomMax(unsigned v) {
    set(m_titleZoomMax, v);
}

void GeoPresenter::SetTitleZoomUnits(GeoUnitTypes units) {
    set(m_titleZoomUnits, units);
}

void GeoPresenter::BeginPass(const GeoRenderContext& ctx) {
    m_effectiveAlpha = CombineAlpha(ctx.LayerAlpha, m_alphaBlend);
    bool shown = !m_hidden && m_titleAlignment != GeoTitleAlignment::taNone;
    if (shown && m_titleZoomMin != m_titleZoomMax) {
        const std::int64_t lo = ctx.Projector.UnitsToGU(m_titleZoomMin, m_titleZoomUnits);
        const std::int64_t hi = ctx.Projector.UnitsToGU(m_titleZoomMax, m_titleZoomUnits);
        const std::int64_t distance = ctx.Projector.ViewDistance();
        shown = distance > lo && distance < hi;
    }
    m_titlesShown = shown;
}

void GeoPresenter::AddTitle(const GeoRenderContext& ctx, GeoMapPoint& object) {
    if (!m_titlesShown || m_titleAlignment == GeoTitleAlignment::taNone) {
        return;
    }
    const QString text = object.ObjectData(m_titleColumn);
    if (text.isEmpty()) {
        return;
    }
    GeoRenderer& r = ctx.Renderer;
    const int minHeight =
        std::max(2, MulDiv(r.MinTextHeight(), r.PixelsPerInch(), r.ScreenPixelsPerInch()));
    const int height = r.FontHeightPixels(m_titleFont);
    if (height < minHeight) {
        return;
    }
    QPoint anchor;
    if (!ctx.Projector.GeoToScreen(object.Location(), anchor)) {
        return;
    }
    // A title whose anchor lies so far outside the picture that even a generous estimate of its
    // size (no glyph is wider than the font is high) cannot reach into it would never be seen;
    // measuring it is the costly part.
    const int offset = ctx.Projector.UnitsToPixels(m_titleOffset, m_titleOffsetUnits);
    const qsizetype lines = text.count(QStringLiteral("\\n")) + 1;
    const qsizetype reach = std::abs(offset) + height * (text.size() + 2 * lines) + 8;
    if (anchor.x() + reach < 0 || anchor.x() - reach >= r.Width() || anchor.y() + reach < 0
        || anchor.y() - reach >= r.Height()) {
        return;
    }
    ctx.Labels.Add(r, text, m_titleFont, anchor, m_titleAlignment, offset, &ctx.Layer,
                   object.Handle(), object.Location(), object.Selected());
}

bool GeoPresenter::Hit(const GeoProjector&, const GeoMapPoint& object, const GeoPoint& p,
                       std::int32_t tolerance) const {
    return ObjectItselfHit(object, p, tolerance);
}

// ---- GeoPointPresenter -----------------------------------------------------------------------

GeoPointPresenter::GeoPointPresenter() {
    SetName(QStringLiteral("Point Presenter"));
    m_pointFont.SetName(QStringLiteral("WingDings"));
    hook(m_pointPen);
    hook(m_pointBrush);
    hook(m_pointFont);
}

GeoPointPresenter::GeoPointPresenter(const GeoPointPresenter& other)
    : GeoPresenter(other),
      m_pointType(other.m_pointType),
      m_pointUnit(other.m_pointUnit),
      m_pointSize(other.m_pointSize),
      m_maxPointSize(other.m_maxPointSize),
      m_pointPen(other.m_pointPen),
      m_pointBrush(other.m_pointBrush),
      m_pointFont(other.m_pointFont),
      m_symbolIndex(other.m_symbolIndex),
      m_overrideColumn(other.m_overrideColumn),
      m_imageName(other.m_imageName),
      m_image(other.m_image),
      m_imageTried(other.m_imageTried) {
    hook(m_pointPen);
    hook(m_pointBrush);
    hook(m_pointFont);
}

std::unique_ptr<GeoPresenter> GeoPointPresenter::Clone() const {
    return std::unique_ptr<GeoPresenter>(new GeoPointPresenter(*this));
}

void GeoPointPresenter::SetPointType(GeoPointType type) {
    set(m_pointType, type);
}

void GeoPointPresenter::SetPointUnit(GeoUnitTypes unit) {
    set(m_pointUnit, unit);
}

void GeoPointPresenter::SetPointSize(int size) {
    set(m_pointSize, size);
}

void GeoPointPresenter::SetMaxPointSize(int size) {
    set(m_maxPointSize, size);
}

void GeoPointPresenter::SetSymbolIndex(int index) {
    set(m_symbolIndex, index);
}

void GeoPointPresenter::SetOverrideColumn(int column) {
    set(m_overrideColumn, column);
}

void GeoPointPresenter::SetImageName(const QString& name) {
    if (name != m_imageName) {
        m_imageName = name;
        m_image = QImage();
        m_imageTried = false;
        m_symbol = QImage();
        m_symbolSize = -1;
        changed();
    }
}

int GeoPointPresenter::SymbolPixels(const GeoProjector& projector) const {
    int size = projector.UnitsToPixels(m_pointSize, m_pointUnit);
    if (m_maxPointSize != 0) {
        size = std::min(size, m_maxPointSize);
    }
    return size;
}

std::int32_t GeoPointPresenter::HitRadius(const GeoProjector& projector) const {
    std::int32_t radius = projector.UnitsToGU(m_pointSize + 1, m_pointUnit) / 2;
    if (m_maxPointSize != 0) {
        radius = std::min(radius, roundToInt32(m_maxPointSize / projector.ScaleFactor()));
    }
    return radius;
}

void GeoPointPresenter::BeginPass(const GeoRenderContext& ctx) {
    GeoPresenter::BeginPass(ctx);
}

bool GeoPointPresenter::Hit(const GeoProjector& projector, const GeoMapPoint& object,
                            const GeoPoint& p, std::int32_t) const {
    const std::int64_t radius = HitRadius(projector);
    const auto near = [&](const GeoPoint& q) {
        std::int64_t dLon = std::llabs(std::int64_t{q.Longitude} - p.Longitude);
        if (dLon > gu::MaxLongitude) {
            dLon = gu::FullCircle - dLon;
        }
        return dLon <= radius && std::llabs(std::int64_t{q.Latitude} - p.Latitude) <= radius;
    };
    if (object.Kind() == GeoObjectKind::Poly) {
        const auto& chains = static_cast<const GeoMapPoly&>(object).Chains();
        for (int c = 0; c < chains.Count(); ++c) {
            if (chains.Chain(c).Hidden()) {
                continue;
            }
            for (const GeoPoint& q : chains.Chain(c).Points()) {
                if (near(q)) {
                    return true;
                }
            }
        }
    }
    return near(object.Location());
}

void GeoPointPresenter::Render(const GeoRenderContext& ctx, GeoMapPoint& object, unsigned flags) {
    GeoRenderer& r = ctx.Renderer;
    const int size = SymbolPixels(ctx.Projector);
    const int c = size / 2;
    if (c == 0 || m_pointType == GeoPointType::ppNone) {
        return;
    }
    const bool selected = (flags & render_flags::Selected) != 0;
    if (m_pointType != GeoPointType::ppFontSymbol && m_pointType != GeoPointType::ppImage) {
        if (selected) {
            r.SetPen(r.SelectedPen());
            r.SetBrush(r.SelectedBrush());
            r.SetAlpha(255);
        } else {
            r.SetPen(m_pointPen);
            r.SetBrush(m_pointBrush);
            r.SetAlpha(EffectiveAlpha());
        }
    }
    // The symbol is drawn at its own size, not limited like a title.
    const int savedMaxText = r.MaxTextHeight();
    r.SetMaxTextHeight(0);
    bool drawn = false;
    if (object.Kind() == GeoObjectKind::Poly) {
        const auto& chains = static_cast<const GeoMapPoly&>(object).Chains();
        for (int ch = 0; ch < chains.Count(); ++ch) {
            if (chains.Chain(ch).Hidden()) {
                continue;
            }
            for (const GeoPoint& p : chains.Chain(ch).Points()) {
                QPoint px;
                if (ctx.Projector.GeoToScreen(p, px)) {
                    drawSymbol(ctx, object, px.x(), px.y(), c);
                    drawn = true;
                }
            }
        }
    }
    if (!drawn) {
        QPoint px;
        if (ctx.Projector.GeoToScreen(object.Location(), px)) {
            drawSymbol(ctx, object, px.x(), px.y(), c);
        }
    }
    r.SetMaxTextHeight(savedMaxText);
}

void GeoPointPresenter::drawSymbol(const GeoRenderContext& ctx, const GeoMapPoint& object, int x,
                                   int y, int c) {
    GeoRenderer& r = ctx.Renderer;
    // Symbols wholly outside the picture cost nothing to leave out.
    const int reach = c + r.PenWidthPixels() + 1;
    if (x + reach < 0 || x - reach >= r.Width() || y + reach < 0 || y - reach >= r.Height()) {
        return;
    }
    const auto poly = [&](std::initializer_list<QPoint> pts) {
        const std::vector<QPoint> v(pts);
        r.DrawPolygon(v);
    };
    switch (m_pointType) {
        case GeoPointType::ppNone:
            break;
        case GeoPointType::ppFontSymbol:
            drawFontSymbol(r, object, x, y, c);
            break;
        case GeoPointType::ppImage:
            drawImageSymbol(r, x, y, c);
            break;
        case GeoPointType::ppDot:
            r.SetPixel(x, y, r.Pen().Color(), EffectiveAlpha());
            break;
        case GeoPointType::ppCircle:
            r.DrawEllipse(x - c, y - c, x + c, y + c);
            break;
        case GeoPointType::ppSquare:
            poly({{x - c, y - c}, {x - c, y + c}, {x + c, y + c}, {x + c, y - c}});
            break;
        case GeoPointType::ppDiamond:
            poly({{x, y - c}, {x + c, y}, {x, y + c}, {x - c, y}});
            break;
        case GeoPointType::ppTriangleUp:
            poly({{x + c, y + c}, {x, y - c}, {x - c, y + c}});
            break;
        case GeoPointType::ppTriangleDown:
            poly({{x - c, y - c}, {x, y + c}, {x + c, y - c}});
            break;
        case GeoPointType::ppTriangleLeft:
            poly({{x + c, y + c}, {x - c, y}, {x + c, y - c}});
            break;
        case GeoPointType::ppTriangleRight:
            poly({{x - c, y - c}, {x + c, y}, {x - c, y + c}});
            break;
    }
}

void GeoPointPresenter::drawFontSymbol(GeoRenderer& r, const GeoMapPoint& object, int x, int y,
                                       int c) const {
    int code = m_symbolIndex;
    if (m_overrideColumn >= 0) {
        bool ok = false;
        const int v = object.ObjectData(m_overrideColumn).toInt(&ok);
        if (ok) {
            code = v;
        }
    }
    QPainter& painter = r.Canvas();
    painter.save();
    painter.setFont(m_pointFont.realise(2 * c));
    painter.setPen(toQColor(m_pointFont.Color()));
    painter.setOpacity(EffectiveAlpha() / 255.0);
    painter.drawText(QRect(x - c, y - c, 2 * c, 2 * c), Qt::AlignCenter | Qt::TextDontClip,
                     QString(QChar(code)));
    painter.restore();
}

const QImage& GeoPointPresenter::symbolImage(int size) {
    if (!m_imageTried) {
        m_imageTried = true;
        if (!m_imageName.isEmpty() && QFile::exists(m_imageName)) {
            m_image.load(m_imageName);
        }
    }
    if (m_image.isNull() || size == m_symbolSize) {
        return m_image.isNull() ? m_image : m_symbol;
    }
    // Rescaled and colour-keyed once per size, not for every object on every frame.
    m_symbol = m_image.scaled(size, size).convertToFormat(QImage::Format_ARGB32);
    m_symbolSize = size;
    // The bottom-left pixel's colour is transparent.
    const QRgb key = m_symbol.pixel(0, m_symbol.height() - 1);
    for (int yy = 0; yy < m_symbol.height(); ++yy) {
        auto* line = reinterpret_cast<QRgb*>(m_symbol.scanLine(yy));
        for (int xx = 0; xx < m_symbol.width(); ++xx) {
            if (line[xx] == key) {
                line[xx] = 0;
            }
        }
    }
    return m_symbol;
}

void GeoPointPresenter::drawImageSymbol(GeoRenderer& r, int x, int y, int c) {
    const QImage& symbol = symbolImage(2 * c);
    if (symbol.isNull()) {
        return;  // no image: nothing is drawn
    }
    QPainter& painter = r.Canvas();
    painter.save();
    painter.setOpacity(EffectiveAlpha() / 255.0);
    painter.drawImage(QPoint(x - c, y - c), symbol);
    painter.restore();
}

// ---- GeoPolyPresenter ------------------------------------------------------------------------

GeoPolyPresenter::GeoPolyPresenter() {
    SetName(QStringLiteral("Poly Presenter"));
    m_polyBrush.SetColor(clWhite);
    m_polyBrush.SetBkColor(clWhite);
    hook(m_polyPen);
    hook(m_polyBrush);
}

GeoPolyPresenter::GeoPolyPresenter(const GeoPolyPresenter& other)
    : GeoPresenter(other),
      m_polyPen(other.m_polyPen),
      m_polyBrush(other.m_polyBrush),
      m_renderMode(other.m_renderMode) {
    hook(m_polyPen);
    hook(m_polyBrush);
}

std::unique_ptr<GeoPresenter> GeoPolyPresenter::Clone() const {
    return std::unique_ptr<GeoPresenter>(new GeoPolyPresenter(*this));
}

void GeoPolyPresenter::SetPolyRenderMode(GeoPolyRenderMode mode) {
    set(m_renderMode, mode);
}

bool GeoPolyPresenter::filledFor(const GeoMapPoint& object) const {
    if (m_renderMode == GeoPolyRenderMode::prmClosed) {
        return true;
    }
    if (m_renderMode == GeoPolyRenderMode::prmOpen) {
        return false;
    }
    return object.Kind() == GeoObjectKind::Poly && static_cast<const GeoMapPoly&>(object).Closed();
}

void GeoPolyPresenter::Render(const GeoRenderContext& ctx, GeoMapPoint& object, unsigned flags) {
    GeoRenderer& r = ctx.Renderer;
    const bool filled = filledFor(object);
    if ((flags & render_flags::Selected) != 0) {
        r.SetPen(r.SelectedPen());
        r.SetBrush(r.SelectedBrush());
        r.SetAlpha(255);
    } else {
        r.SetPen(m_polyPen);
        if (filled) {
            r.SetBrush(m_polyBrush);
        }
        r.SetAlpha(EffectiveAlpha());
    }
    drawPolyChains(r, object, filled);
}

bool GeoPolyPresenter::Hit(const GeoProjector&, const GeoMapPoint& object, const GeoPoint& p,
                           std::int32_t tolerance) const {
    if (object.Kind() != GeoObjectKind::Poly) {
        return ObjectItselfHit(object, p, tolerance);
    }
    const bool filled = filledFor(object);
    return nearChains(object, p, tolerance, filled) || (filled && insideChains(object, p));
}

GeoPolygonPresenter::GeoPolygonPresenter() {
    SetName(QStringLiteral("Polygon Presenter"));
    SetPolyRenderMode(GeoPolyRenderMode::prmClosed);
}

std::unique_ptr<GeoPresenter> GeoPolygonPresenter::Clone() const {
    return std::unique_ptr<GeoPresenter>(new GeoPolygonPresenter(*this));
}

GeoPolylinePresenter::GeoPolylinePresenter() {
    SetName(QStringLiteral("Polyline Presenter"));
    SetPolyRenderMode(GeoPolyRenderMode::prmOpen);
}

std::unique_ptr<GeoPresenter> GeoPolylinePresenter::Clone() const {
    return std::unique_ptr<GeoPresenter>(new GeoPolylinePresenter(*this));
}

// ---- GeoRoadPresenter ------------------------------------------------------------------------

GeoRoadPresenter::GeoRoadPresenter()
    : m_roadPen(clWhite, GeoPenStyle::gpsSolid, 8.0, GeoUnitTypes::guMeter) {
    SetName(QStringLiteral("GeoRoadPresenter"));  // its class name: it sets no name of its own
    hook(m_roadPen);
}

GeoRoadPresenter::GeoRoadPresenter(const GeoRoadPresenter& other)
    : GeoPresenter(other),
      m_roadPen(other.m_roadPen),
      m_edgePixels(other.m_edgePixels),
      m_edgeColor(other.m_edgeColor) {
    hook(m_roadPen);
}

std::unique_ptr<GeoPresenter> GeoRoadPresenter::Clone() const {
    return std::unique_ptr<GeoPresenter>(new GeoRoadPresenter(*this));
}

void GeoRoadPresenter::SetEdgePixels(int pixels) {
    set(m_edgePixels, pixels);
}

void GeoRoadPresenter::SetEdgeColor(GeoColor color) {
    set(m_edgeColor, color);
}

void GeoRoadPresenter::BeginPass(const GeoRenderContext& ctx) {
    GeoPresenter::BeginPass(ctx);
    m_pass = ctx.Pass;
    m_roadPixels = ctx.Projector.UnitsToPixels(m_roadPen.Width(), m_roadPen.WidthUnit());
}

bool GeoRoadPresenter::WantsAnotherPass(const GeoRenderContext& ctx) const {
    // Without a casing the first pass already drew the road; drawing it again would only
    // darken a translucent road.
    return ctx.Pass == 0 && m_roadPixels > 0 && m_edgePixels != 0;
}

void GeoRoadPresenter::Render(const GeoRenderContext& ctx, GeoMapPoint& object, unsigned flags) {
    GeoRenderer& r = ctx.Renderer;
    if (m_pass == 0 && m_edgePixels != 0) {
        const bool selected = (flags & render_flags::Selected) != 0;
        const int width = m_edgePixels * 2 + (m_roadPixels > 0 ? m_roadPixels : 1);
        m_edgePen.SetColor(selected ? r.SelectedPen().Color() : m_edgeColor);
        m_edgePen.SetWidth(width);
        m_edgePen.SetWidthUnit(GeoUnitTypes::guPixel);
        r.SetPen(m_edgePen);
    } else {
        r.SetPen(m_roadPen);
    }
    r.SetAlpha(EffectiveAlpha());
    drawPolyChains(r, object, false);
}

bool GeoRoadPresenter::Hit(const GeoProjector& projector, const GeoMapPoint& object,
                           const GeoPoint& p, std::int32_t tolerance) const {
    const std::int32_t halfWidth =
        projector.UnitsToGU(m_roadPen.Width(), m_roadPen.WidthUnit()) / 2;
    return nearChains(object, p, std::max(tolerance, halfWidth), false);
}

// ---- GeoPresenterStore -----------------------------------------------------------------------

GeoPresenterStore::~GeoPresenterStore() {
    for (auto& p : m_presenters) {
        p->m_store = nullptr;
    }
}

int GeoPresenterStore::Add(std::unique_ptr<GeoPresenter> presenter) {
    if (!presenter) {
        throw GeoException(QStringLiteral("GeoPresenterStore.Add passed nil presenter"));
    }
    int id = presenter->PresenterID();
    if (id != 0) {
        std::erase_if(m_presenters, [id](const std::unique_ptr<GeoPresenter>& p) {
            return p->PresenterID() == id;
        });
    } else {
        int largest = 0;
        for (const auto& p : m_presenters) {
            largest = std::max(largest, p->PresenterID());
        }
        id = largest + 1;
        presenter->SetPresenterID(id);
    }
    presenter->m_store = this;
    m_presenters.push_back(std::move(presenter));
    changed();
    return id;
}

GeoPresenter* GeoPresenterStore::ByID(int id) const {
    if (id == 0) {
        return nullptr;
    }
    for (const auto& p : m_presenters) {
        if (p->PresenterID() == id) {
            return p.get();
        }
    }
    return nullptr;
}

void GeoPresenterStore::Clear() {
    m_presenters.clear();
    changed();
}

void GeoPresenterStore::changed() {
    if (OnChange) {
        OnChange();
    }
}

}  // namespace zimbalo::globe
