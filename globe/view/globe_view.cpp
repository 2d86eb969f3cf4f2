#include "globe/view/globe_view.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <QWheelEvent>
#include <QtGlobal>

#include "globe/geo_exception.h"
#include "globe/geo_layer.h"
#include "globe/geo_map_objects.h"

namespace zimbalo::globe {

GlobeView::GlobeView(QWidget* parent)
    : QWidget(parent),
      m_globe(std::make_unique<GeoGlobe>(150, 150)),
      m_layers(&InstallLayers(*m_globe)) {
    // The control paints every pixel itself: no background erase, so no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(150, 150);
    m_globe->OnInvalidate = [this]() { update(); };
    m_stillTimer = new QTimer(this);
    m_stillTimer->setSingleShot(true);
    m_stillTimer->setTimerType(Qt::PreciseTimer);
    connect(m_stillTimer, &QTimer::timeout, this, [this]() {
        // The motion stopped: the picture on the screen is the quick one; filter it now (also
        // when the timer fired a little early).
        if (m_pictureInMotion && !m_inMotion) {
            m_sinceRender.invalidate();
            m_globe->RequestRedraw();
        }
    });
}

void GlobeView::SetStillRedrawDelay(int ms) {
    m_stillDelay = std::max(ms, 0);
    if (m_stillDelay == 0) {
        m_stillTimer->stop();
        if (m_pictureInMotion && !m_inMotion) {
            m_globe->RequestRedraw();
        }
    }
}

void GlobeView::SetInMotion(bool on) {
    if (on == m_inMotion) {
        return;
    }
    m_inMotion = on;
    if (!on && m_pictureInMotion) {
        m_stillTimer->stop();
        m_sinceRender.invalidate();  // the next picture is a still one
        m_globe->RequestRedraw();
    }
}

GlobeView::~GlobeView() {
    m_globe->OnInvalidate = nullptr;
}

GeoLayer& GlobeView::GlobeLayer() {
    return m_layers->GlobeLayer();
}

GeoSpatialDatabase* GlobeView::SpatialDatabase() const {
    return m_layers->SpatialDatabase();
}

void GlobeView::SetSpatialDatabase(GeoSpatialDatabase* database) {
    m_layers->SetSpatialDatabase(database);
}

void GlobeView::renderPicture() {
    GeoGlobe& globe = *m_globe;
    const bool quick =
        m_inMotion
        || (m_stillDelay > 0 && m_sinceRender.isValid() && m_sinceRender.elapsed() < m_stillDelay);
    // A stale picture asks for no further paint when the filter changes.
    if (globe.IsStale()) {
        globe.SetTextureFilter(quick ? GeoTextureFilter::NearestLevel : GeoTextureFilter::Bilinear);
        globe.SetSmoothLines(!quick);
    }
    globe.Render();
    ++m_renderCount;
    m_pictureInMotion = quick;
    m_sinceRender.restart();
    if (quick && !m_inMotion) {
        m_stillTimer->start(m_stillDelay);
    }
}

void GlobeView::showPicture(QPainter& painter) {
    const QImage& picture = m_globe->Picture();
    if (m_globe->DevicePixelRatio() == 1.0) {
        painter.drawImage(0, 0, picture);
    } else {
        // The picture has the widget's device pixels: drawn over its logical rectangle, each of
        // its pixels lands on one pixel of the screen.
        painter.drawImage(QRectF(0.0, 0.0, m_globe->Width(), m_globe->Height()), picture,
                          QRectF(picture.rect()));
    }
    if (m_rubberBandActive) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = RubberBand();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
    if (OnPaint) {
        painter.save();
        OnPaint(painter);
        painter.restore();
    }
}

void GlobeView::syncDevicePixelRatio() {
    try {
        m_globe->SetDevicePixelRatio(devicePixelRatioF());
    } catch (const std::exception& e) {
        // Nothing may leave an event handler; without a back buffer the control stays blank.
        qWarning("GlobeView: resizing failed: %s", e.what());
    }
}

void GlobeView::paintEvent(QPaintEvent*) {
    if (m_painting) {
        return;
    }
    // The window may have moved to a screen of another ratio.
    syncDevicePixelRatio();
    GeoGlobe& globe = *m_globe;
    globe.Renderer().ResetDrawingState();
    if (globe.OnBeforeRender) {
        globe.OnBeforeRender();
    }
    m_painting = true;
    QPainter painter(this);
    m_canvas = &painter;
    try {
        do {
            globe.SetAbortRestart(false);
            if ((globe.UpdateCount() == 0 && globe.IsStale()) || !globe.Renderer().DoubleBuffer()) {
                renderPicture();
            }
            if (globe.AbortRestart()) {
                continue;
            }
            showPicture(painter);
            globe.ClearStale();
        } while (globe.AbortRestart());
    } catch (const std::exception& e) {
        // Nothing may leave a paint event; the picture stays stale and is tried again next time.
        qWarning("GlobeView: painting failed: %s", e.what());
    }
    m_painting = false;
    if (OnAfterRender) {
        try {
            painter.save();
            OnAfterRender(painter);
            painter.restore();
        } catch (const std::exception& e) {
            qWarning("GlobeView: after-render drawing failed: %s", e.what());
        }
    }
    m_canvas = nullptr;
}

void GlobeView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncDevicePixelRatio();
    const int ppi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    try {
        m_globe->Resize(event->size().width(), event->size().height(), ppi);
    } catch (const std::exception& e) {
        // Nothing may leave an event handler; without a back buffer the control stays blank.
        qWarning("GlobeView: resizing failed: %s", e.what());
    }
}

bool GlobeView::isButton(Qt::MouseButton button, GeoMouseButton which) const {
    switch (which) {
        case GeoMouseButton::mzbLeft:
            return button == Qt::LeftButton;
        case GeoMouseButton::mzbRight:
            return button == Qt::RightButton;
        case GeoMouseButton::mzbMiddle:
            return button == Qt::MiddleButton;
        case GeoMouseButton::mzbNone:
            break;
    }
    return false;
}

void GlobeView::endRubberBand() {
    m_rubberBandActive = false;
    update();
}

void GlobeView::pressed(QMouseEvent* event, bool doubleClick) {
    setFocus(Qt::MouseFocusReason);
    if (m_rubberBandActive) {
        endRubberBand();
        return;
    }
    // Only the left button clicks; the press of a double click starts no click of its own.
    m_clickArmed = event->button() == Qt::LeftButton && !doubleClick;
    if (OnMouseDown) {
        OnMouseDown(*event);
    }
    if (doubleClick
        || (event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier))) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (isButton(event->button(), m_zoomButton)) {
        m_rubberBandActive = true;
        m_bandStart = pos;
        m_bandEnd = pos;
        return;
    }
    if (isButton(event->button(), m_rotateButton)) {
        if (const auto g = Projector().ScreenToGeo(pos.x(), pos.y())) {
            m_grabbed = *g;
            m_rotating = true;
        }
    }
}

void GlobeView::mousePressEvent(QMouseEvent* event) {
    pressed(event, false);
}

void GlobeView::mouseDoubleClickEvent(QMouseEvent* event) {
    pressed(event, true);
}

void GlobeView::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) {
        OnMouseMove(*event);
    }
    const QPoint pos = event->position().toPoint();
    if (m_rubberBandActive) {
        m_bandEnd = pos;
        update();
        return;
    }
    if (m_rotating) {
        if (const auto g = Projector().ScreenToGeo(pos.x(), pos.y())) {
            GeoProjector& p = Projector();
            p.SetXRotation(p.XRotation() + GUToDeg(std::int64_t{m_grabbed.Latitude} - g->Latitude));
            p.SetYRotation(
                p.YRotation()
                + GUToDeg(NormalizeLongitude(std::int64_t{m_grabbed.Longitude} - g->Longitude)));
            if (m_globe->PeriodicUpdateTime() > 0) {
                m_globe->SetAbortRestart(true);
            }
        }
    }
}

void GlobeView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (OnMouseUp) {
        OnMouseUp(*event);
    }
    if (m_rubberBandActive) {
        m_rubberBandActive = false;
        const QRect band = RubberBand();
        GeoProjector& p = Projector();
        if (band.width() < 10 || band.height() < 10) {
            update();
        } else if (m_bandEnd.x() < m_bandStart.x() || m_bandEnd.y() < m_bandStart.y()) {
            p.SetScaleFactor(p.ScaleFactor() / 2.0);
        } else {
            // Zoom so that the box fills the control, its centre moving to the control's centre.
            const double s = p.ScaleFactor();
            const double boxWidthGU = band.width() / s;
            const double boxHeightGU = band.height() / s;
            double scale = std::min(height() / boxHeightGU, width() / boxWidthGU);
            scale = std::min(scale, 1.0);
            if (p.MaxZoom() > p.MinZoom()) {
                scale = std::clamp(scale, p.MinZoom(), p.MaxZoom());
            }
            const QPoint centre(band.left() + band.width() / 2, band.top() + band.height() / 2);
            const int oldX = p.XOrigin();
            const int oldY = p.YOrigin();
            const double k = scale / s;
            p.SetScaleFactor(scale);
            p.SetXOrigin(roundToInt32((oldX - centre.x()) * k + width() / 2));
            p.SetYOrigin(roundToInt32((oldY - centre.y()) * k + height() / 2));
        }
        RequestRedraw();
    }
    m_rotating = false;
    if (GeoLayerPass* pass = m_globe->LayerPass()) {
        const bool select = isButton(event->button(), m_selectButton);
        const bool left = event->button() == Qt::LeftButton;
        if (std::shared_ptr<GeoMapPoint> object = pass->ObjectAtPixel(*m_globe, pos)) {
            if ((m_globe->GlobeOptions() & goMultiSelect) == 0 && select) {
                pass->ClearSelection();
                object->SetSelected(!object->Selected());
                if (OnSelectionChange) {
                    OnSelectionChange();
                }
                RequestRedraw();
            }
            if (OnObjectClick && left) {
                OnObjectClick(object);
            }
        }
    }
    const bool click = m_clickArmed && event->button() == Qt::LeftButton && rect().contains(pos);
    m_clickArmed = false;
    if (click && OnClick) {
        OnClick();
    }
}

void GlobeView::wheelEvent(QWheelEvent* event) {
    // Touchpads and fine-step wheels send fractions of a notch: they are gathered, and each whole
    // notch (120 units) raises one event, so that a light swipe is not taken for many notches.
    constexpr int kNotch = 120;
    bool handled = false;
    const QPoint pos = event->position().toPoint();
    constexpr int kMostNotches = 64;  // at most this many events from one wheel event
    const int delta =
        std::clamp(event->angleDelta().y(), -kMostNotches * kNotch, kMostNotches * kNotch);
    if ((delta < 0 && m_wheelAccumulator > 0) || (delta > 0 && m_wheelAccumulator < 0)) {
        m_wheelAccumulator = 0;  // turning back starts a new notch
    }
    m_wheelAccumulator =
        std::clamp(m_wheelAccumulator + delta, -kMostNotches * kNotch, kMostNotches * kNotch);
    bool stepped = false;
    while (m_wheelAccumulator <= -kNotch || m_wheelAccumulator >= kNotch) {
        stepped = true;
        bool stepHandled = false;
        if (m_wheelAccumulator < 0) {
            m_wheelAccumulator += kNotch;
            if (OnMouseWheelDown) {
                OnMouseWheelDown(pos, event->modifiers(), stepHandled);
            }
        } else {
            m_wheelAccumulator -= kNotch;
            if (OnMouseWheelUp) {
                OnMouseWheelUp(pos, event->modifiers(), stepHandled);
            }
        }
        handled = handled || stepHandled;
    }
    // A fraction of a notch gathered for a handler is kept here, not passed to the parent.
    event->setAccepted(handled || (!stepped && (OnMouseWheelDown || OnMouseWheelUp)));
}

void GlobeView::enterEvent(QEnterEvent*) {
    if (OnMouseEnter) {
        OnMouseEnter();
    }
}

void GlobeView::leaveEvent(QEvent*) {
    if (OnMouseLeave) {
        OnMouseLeave();
    }
}

}  // namespace zimbalo::globe
