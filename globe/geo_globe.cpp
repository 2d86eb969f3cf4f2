#include "globe/geo_globe.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>

#include <QFileInfo>
#include <QPainter>

#include "globe/geo_exception.h"

namespace zimbalo::globe {

GeoGlobe::GeoGlobe(int width, int height)
    : m_renderer(std::make_unique<GeoDefaultRenderer>(width, height)),
      m_width(m_renderer->Width()),
      m_height(m_renderer->Height()),
      m_pool(std::make_unique<GeoRenderPool>()) {
    m_projector.SetViewport(logicalViewport());
    m_projector.SetOnChange([this](GeoViewChange what) { viewChanged(what); });
    syncDeviceView();
    m_projector.SetScaleFactor(0.0);
    m_graticule.OnChange = [this]() {
        if (!m_loading) {
            RequestRedraw();
        }
    };
    m_stale = true;
}

GeoGlobe::~GeoGlobe() {
    m_layerPass.reset();
    m_renderer->EndCanvas();
}

GeoViewport GeoGlobe::logicalViewport() const {
    return GeoViewport{m_width, m_height, m_pixelsPerInch, m_pixelsPerInch};
}

GeoViewport GeoGlobe::deviceViewport() const {
    return GeoViewport{m_renderer->Width(), m_renderer->Height(), m_renderer->PixelsPerInch(),
                       m_renderer->ScreenPixelsPerInch()};
}

void GeoGlobe::sizeRenderer() {
    const double r = m_devicePixelRatio;
    m_renderer->SetSize(roundToInt32(m_width * r), roundToInt32(m_height * r));
    // Sizes in screen pixels (pens, symbols, fonts) grow with the ratio: the renderer's
    // resolution is the screen's times the ratio.
    m_renderer->SetPixelsPerInch(roundToInt32(m_pixelsPerInch * r), m_pixelsPerInch);
}

void GeoGlobe::syncDeviceView() {
    m_deviceProjector = m_projector.ForDevice(m_devicePixelRatio, deviceViewport());
    m_renderer->SetView(m_deviceProjector.Model(), m_deviceProjector.ScaleFactor());
}

void GeoGlobe::SetDevicePixelRatio(double ratio) {
    ratio = std::clamp(ratio, 0.25, 16.0);
    if (ratio == m_devicePixelRatio) {
        return;
    }
    m_devicePixelRatio = ratio;
    sizeRenderer();
    syncDeviceView();
    m_stale = false;  // the back buffer lost its content: always ask for a paint
    RequestRedraw();
}

QPoint GeoGlobe::DevicePixel(QPoint logical) const {
    const double r = m_devicePixelRatio;
    return QPoint(static_cast<int>(std::floor((logical.x() + 0.5) * r)),
                  static_cast<int>(std::floor((logical.y() + 0.5) * r)));
}

void GeoGlobe::SetSmoothLines(bool on) {
    if (on != m_renderer->SmoothLines()) {
        m_renderer->SetSmoothLines(on);
        RequestRedraw();
    }
}

void GeoGlobe::viewChanged(GeoViewChange what) {
    syncDeviceView();
    switch (what) {
        case GeoViewChange::Zoomed:
            if (m_periodicUpdateTime > 0) {
                m_abortRestart = true;  // a render in progress starts again at the new scale
            }
            RequestRedraw();
            FireZoomed();
            break;
        case GeoViewChange::Panned:
            FirePanned();
            RequestRedraw();
            break;
        case GeoViewChange::Rotated:
            FireRotated();
            RequestRedraw();
            break;
    }
}

void GeoGlobe::RequestRedraw() {
    if (m_stale) {
        return;
    }
    m_stale = true;
    if (OnInvalidate) {
        OnInvalidate();
    }
}

void GeoGlobe::EndUpdate() {
    if (m_updateCount <= 0) {
        assert(false && "Assertion failure");
        m_updateCount = 0;
        return;
    }
    if (--m_updateCount == 0) {
        if (m_layerPass) {
            m_layerPass->SynchronizeLayers(*this);
        }
        RequestRedraw();
    }
}

void GeoGlobe::SetColor(GeoColor c) {
    m_color = c;
    RequestRedraw();
}

void GeoGlobe::SetSurfaceColor(GeoColor c) {
    m_surfaceColor = c;
    RequestRedraw();
}

void GeoGlobe::SetMinObjectColor(GeoColor c) {
    if (c != m_minObjectColor) {
        m_minObjectColor = c;
        RequestRedraw();
    }
}

void GeoGlobe::SetCullObjectPixels(double v) {
    if (v != m_cullObjectPixels) {
        m_cullObjectPixels = v;
        RequestRedraw();
    }
}

void GeoGlobe::SetMinObjectPixels(double v) {
    if (v != m_minObjectPixels) {
        m_minObjectPixels = v;
        RequestRedraw();
    }
}

void GeoGlobe::SetBackgroundImage(const QImage& image) {
    m_backgroundImage = image.isNull() ? QImage() : image.copy();
    RequestRedraw();
}

void GeoGlobe::SetGlobeOptions(unsigned options) {
    if (((options ^ m_options) & goTransparentBackground) != 0
        && (m_options & goTransparentBackground) != 0) {
        m_backgroundImage = QImage();
    }
    m_options = options;
    RequestRedraw();
}

void GeoGlobe::SetTextureFilter(GeoTextureFilter filter) {
    if (filter != m_textureFilter) {
        m_textureFilter = filter;
        RequestRedraw();
    }
}

void GeoGlobe::SetRenderThreads(int threads) {
    m_pool = std::make_unique<GeoRenderPool>(threads);
}

void GeoGlobe::SetSurfaceTextureName(const QString& name) {
    const QString previous = m_surfaceTextureName;
    // The levels of the old texture go first, so that they and the new texture are never held
    // together.
    m_texture.ClearLevels();
    m_surfaceTextureName = name.trimmed();
    if (m_surfaceTextureName.isEmpty()) {
        m_texture.Clear();
    } else if (QFileInfo::exists(m_surfaceTextureName)) {
        try {
            m_texture.LoadFromFile(m_surfaceTextureName);
        } catch (...) {
            // A file that cannot be decoded changes nothing: the texture shown keeps its name.
            m_surfaceTextureName = previous;
            throw;
        }
    }
    if (m_texture.IsEmpty()) {
        m_surfaceTextureName.clear();
    }
    RequestRedraw();
}

bool GeoGlobe::Resize(int width, int height, int pixelsPerInch) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const int oldWidth = m_width;
    const int oldHeight = m_height;
    if (width == oldWidth && height == oldHeight) {
        return false;
    }
    m_width = width;
    m_height = height;
    m_pixelsPerInch = pixelsPerInch > 0 ? pixelsPerInch : 96;
    sizeRenderer();
    m_projector.SetViewport(logicalViewport());
    syncDeviceView();
    if (oldWidth == 0 || oldHeight == 0) {
        m_projector.SetXOrigin(width / 2);
        m_projector.SetYOrigin(height / 2);
    } else {
        const double k =
            std::hypot(static_cast<double>(height), static_cast<double>(width))
            / std::hypot(static_cast<double>(oldHeight), static_cast<double>(oldWidth));
        const int oldX = m_projector.XOrigin();
        const int oldY = m_projector.YOrigin();
        m_projector.SetScaleFactor(m_projector.ScaleFactor() * k);
        m_projector.SetXOrigin(roundToInt32(oldX * k));
        m_projector.SetYOrigin(roundToInt32(oldY * k));
    }
    m_stale = false;  // the back buffer lost its content: always ask for a paint
    RequestRedraw();
    return true;
}

void GeoGlobe::FireZoomed() {
    if (!m_loading && OnZoomed) {
        OnZoomed();
    }
}

void GeoGlobe::FireRotated() {
    if (!m_loading && OnRotated) {
        OnRotated();
    } else {
        FirePanned();
    }
}

void GeoGlobe::FirePanned() {
    if (!m_loading && OnPanned) {
        OnPanned();
    }
}

void GeoGlobe::drawBackground() {
    if (m_backgroundImage.isNull()) {
        m_renderer->FillBackground(m_color);
        return;
    }
    QPainter& p = m_renderer->Canvas();
    for (int y = 0; y < m_renderer->Height(); y += m_backgroundImage.height()) {
        for (int x = 0; x < m_renderer->Width(); x += m_backgroundImage.width()) {
            p.drawImage(x, y, m_backgroundImage);
        }
    }
}

bool GeoGlobe::discCoversPicture() const {
    if (m_surfaceColor == clNone) {
        return false;
    }
    // The disc is a 180-gon in radius r - 1 whose corners are rounded to pixels: it holds every
    // point nearer its centre than (r - 1) cos 1 degree less a pixel. The picture is covered when
    // all four of its corners are (two pixels spare for the rasteriser's edge rules).
    const GeoSphericalPrj& model = m_deviceProjector.Model();
    const double inner = (model.Radius() - 1.0) * std::cos(std::numbers::pi / 180.0) - 3.0;
    if (!(inner > 0.0)) {
        return false;
    }
    const double cx = model.PixelX(0.0);
    const double cy = model.PixelY(0.0);
    const double w = m_renderer->Width();
    const double h = m_renderer->Height();
    for (const double x : {-1.0, w + 1.0}) {
        for (const double y : {-1.0, h + 1.0}) {
            if (std::hypot(x - cx, y - cy) >= inner) {
                return false;
            }
        }
    }
    return true;
}

void GeoGlobe::drawDisc() {
    if (m_surfaceColor == clNone) {
        return;
    }
    m_renderer->SetPen(GeoPen(clBlack, GeoPenStyle::gpsClear, 1.0, GeoUnitTypes::guPixel));
    m_renderer->SetBrush(GeoBrush(m_surfaceColor, m_surfaceColor, GeoBrushStyle::gbsSolid));
    const GeoSphericalPrj& model = m_deviceProjector.Model();
    const double r = model.Radius();
    constexpr double kStep = 2.0 * std::numbers::pi / 180.0;
    const double c = std::cos(kStep);
    const double s = std::sin(kStep);
    std::vector<QPoint> polygon;
    polygon.reserve(180);
    double u = r - 1.0;
    double v = 0.0;
    polygon.emplace_back(model.PixelX(u), model.PixelY(v));
    for (int k = 1; k < 180; ++k) {
        const double nu = u * c - v * s;
        const double nv = u * s + v * c;
        u = nu;
        v = nv;
        polygon.emplace_back(model.PixelX(u), model.PixelY(v));
    }
    m_renderer->BeginParts(true);
    m_renderer->AddPart(polygon);
    m_renderer->EndParts();
}

void GeoGlobe::DrawTexture(const GeoTexture& texture, int alpha, GeoColor transparent,
                           const GeoTextureSideWork& side) {
    m_textureMapper.Draw(m_renderer->Surface(), m_deviceProjector.Model(),
                         m_deviceProjector.ScaleFactor(), texture, alpha, transparent,
                         m_textureFilter, m_pool.get(), side);
}

void GeoGlobe::drawGraticule() {
    if (OnPaintGraticule) {
        OnPaintGraticule();
        return;
    }
    m_graticule.Draw(*m_renderer, m_deviceProjector);
}

void GeoGlobe::Render() {
    GeoRenderer& r = *m_renderer;
    if (r.Width() == 0 || r.Height() == 0) {
        return;  // a control without area has no picture to draw
    }
    syncDeviceView();
    r.ResetDrawingState();
    // The extent is the layers' query rectangle; nothing else reads it.
    m_lastExtent = m_layerPass ? m_projector.VisibleExtent()
                               : GeoRect{gu::MinLongitude - 1, -gu::MaxLatitude, gu::FullCircle,
                                         2 * gu::MaxLatitude};
    // Neither the background nor the disc's edge is seen when the disc covers the picture: one
    // fill gives the same pixels, done band by band by the texture pass when there is one.
    const bool covered = discCoversPicture();
    if (covered && m_texture.IsEmpty()) {
        r.FillBackground(m_surfaceColor);
    } else if (!covered) {
        drawBackground();
        drawDisc();
    }
    if (!m_texture.IsEmpty()) {
        GeoTextureSideWork side;
        side.background = covered ? m_surfaceColor : clNone;
        // The graticule's lines are projected by one render thread while the others fill the
        // texture; drawing them waits for the picture.
        if (m_graticule.DrawMode() != GeoGraticuleDraw::gdNone && !OnPaintGraticule) {
            r.EndParts();  // nothing is left for the other thread to paint
            side.alongside = [this]() { m_graticule.Prepare(*m_renderer, m_deviceProjector); };
        }
        DrawTexture(m_texture, m_texture.AlphaBlend(), m_texture.TransparentColor(), side);
    }
    if (m_graticule.DrawMode() == GeoGraticuleDraw::gdBehind) {
        drawGraticule();
    }
    m_labels.Clear();
    if (m_layerPass) {
        m_layerPass->RenderLayers(*this, m_lastExtent);
    }
    if (!m_abortRestart && OnRender) {
        OnRender();
        r.ResetDrawingState();
    }
    if (m_graticule.DrawMode() == GeoGraticuleDraw::gdInFront) {
        drawGraticule();
    }
    if (!m_abortRestart) {
        r.ResetDrawingState();
        m_labels.Draw(r, [this]() { return m_abortRestart; });
    }
    r.EndCanvas();
}

}  // namespace zimbalo::globe
