#include "overlays/globe_controls.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include <QMouseEvent>

#include "globe/geo_projector.h"
#include "globe/geo_units.h"
#include "globe/view/globe_view.h"

namespace zimbalo::overlays {

namespace {

constexpr GraticuleSteps kGraticules[kGraticuleChoices] = {
    {0, 0}, {90, 0}, {10, 10}, {20, 20}, {30, 30}, {45, 45}, {90, 90},
};

// The centre may be dragged far off the control, but not so far that pixel arithmetic of the
// globe or the overlay overflows.
constexpr int kFarthestOrigin = 1 << 20;

int KeptInRange(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, -kFarthestOrigin, kFarthestOrigin));
}

}  // namespace

std::optional<QString> TextureFilePath(int index, const QString& programFolder) {
    if (index < 0 || index >= static_cast<int>(kTextures.size())) {
        return std::nullopt;
    }
    return programFolder + QString::fromLatin1(kTextures[static_cast<std::size_t>(index)].file);
}

GraticuleSteps GraticuleStepsFor(int index) {
    if (index < 1 || index >= kGraticuleChoices) {
        return {};
    }
    return kGraticules[index];
}

double ZoomScaleFactor(int position) {
    return (zoom::kMin + zoom::kMax - position) * 1e-8;
}

int WheelPosition(int position, bool wheelDown) {
    const int next = wheelDown ? position - zoom::kWheelStep : position + zoom::kWheelStep;
    return std::clamp(next, zoom::kMin, zoom::kMax);
}

double PixelsPerRadiusFor(double scaleFactor) {
    return scaleFactor * globe::gu::EarthRadius;
}

void GlobePlacement::SetOrigin(int cx, int cy) {
    m_cx = KeptInRange(cx);
    m_cy = KeptInRange(cy);
}

void GlobePlacement::ApplyZoom(globe::GeoProjector& projector, int sliderPosition) {
    projector.SetScaleFactor(ZoomScaleFactor(std::clamp(sliderPosition, zoom::kMin, zoom::kMax)));
    m_pixelsPerRadius = PixelsPerRadiusFor(projector.ScaleFactor());
    // The projector zooms about the picture's centre; the globe's own centre is put back.
    projector.SetXOrigin(m_cx);
    projector.SetYOrigin(m_cy);
}

void GlobePlacement::Center(QSize panel) {
    SetOrigin(panel.width() / 2, panel.height() / 2);
}

void GlobePlacement::MoveBy(int dx, int dy) {
    m_cx = KeptInRange(std::int64_t{m_cx} + dx);
    m_cy = KeptInRange(std::int64_t{m_cy} + dy);
}

bool GlobePlacement::MouseMove(QPoint pos, bool leftButtonHeld) {
    if (!leftButtonHeld) {
        return false;
    }
    const QPoint delta = pos - m_last;
    m_last = pos;
    if (delta.isNull()) {
        return false;
    }
    MoveBy(delta.x(), delta.y());
    return true;
}

bool GlobePlacement::KeyMove(int key, Qt::KeyboardModifiers modifiers, QSize panel) {
    if (!(modifiers & Qt::ControlModifier)) {
        return false;
    }
    switch (key) {
        case Qt::Key_U:
            MoveBy(0, -kKeyMovePixels);
            return true;
        case Qt::Key_D:
            MoveBy(0, kKeyMovePixels);
            return true;
        case Qt::Key_L:
            MoveBy(-kKeyMovePixels, 0);
            return true;
        case Qt::Key_R:
            MoveBy(kKeyMovePixels, 0);
            return true;
        case Qt::Key_C:
            Center(panel);
            return true;
        default:
            return false;
    }
}

QPoint PopupPosition(QPoint pos) {
    return {pos.x() - 60, pos.y() - 17};
}

void InstallGlobeMouse(globe::GlobeView& view, GlobePlacement& placement, GlobeMouseHooks hooks) {
    view.SetMouseZoomButton(globe::GeoMouseButton::mzbNone);
    view.SetMouseSelectButton(globe::GeoMouseButton::mzbNone);
    view.SetMouseRotateButton(globe::GeoMouseButton::mzbNone);
    auto shared = std::make_shared<GlobeMouseHooks>(std::move(hooks));
    GlobePlacement* place = &placement;
    view.OnMouseDown = [place](QMouseEvent& event) {
        place->MouseDown(event.position().toPoint());
    };
    view.OnMouseMove = [place, shared](QMouseEvent& event) {
        const bool moved = place->MouseMove(event.position().toPoint(),
                                            (event.buttons() & Qt::LeftButton) != Qt::NoButton);
        if (moved && shared->centreMoved) {
            shared->centreMoved(QPoint(place->OriginX(), place->OriginY()));
        }
        if (shared->applyZoom) {
            shared->applyZoom();
        }
    };
    view.OnMouseUp = [shared](QMouseEvent& event) {
        if (event.button() == Qt::RightButton && shared->showPopup) {
            shared->showPopup(event.position().toPoint());
        }
    };
    view.OnClick = [shared]() {
        if (shared->click) {
            shared->click();
        }
    };
    const auto wheel = [shared](bool down, bool& handled) {
        if (!shared->sliderPosition || !shared->setSliderPosition) {
            return;
        }
        shared->setSliderPosition(WheelPosition(shared->sliderPosition(), down));
        if (shared->applyZoom) {
            shared->applyZoom();
        }
        handled = true;
    };
    view.OnMouseWheelDown = [wheel](QPoint, Qt::KeyboardModifiers, bool& handled) {
        wheel(true, handled);
    };
    view.OnMouseWheelUp = [wheel](QPoint, Qt::KeyboardModifiers, bool& handled) {
        wheel(false, handled);
    };
}

}  // namespace zimbalo::overlays
