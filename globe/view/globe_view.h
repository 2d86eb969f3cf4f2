#pragma once

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include "globe/geo_globe.h"

class QPainter;
class QTimer;

namespace zimbalo::globe {
class GeoLayer;
class GeoLayers;
class GeoSpatialDatabase;
}  // namespace zimbalo::globe

namespace zimbalo::globe {

/// Mouse buttons for the control's built-in zoom box, selection and rotation.
enum class GeoMouseButton { mzbLeft, mzbRight, mzbMiddle, mzbNone };

/// The globe control: shows the globe's back buffer, re-rendering it only when stale, and turns
/// mouse input into the built-in zoom box, rotation and selection (each switchable off).
class GlobeView : public QWidget {
    Q_OBJECT

public:
    explicit GlobeView(QWidget* parent = nullptr);
    ~GlobeView() override;

    /// The globe drawn by this control.
    GeoGlobe& Globe() { return *m_globe; }

    GeoProjector& Projector() { return m_globe->Projector(); }

    GeoDefaultRenderer& Renderer() { return m_globe->Renderer(); }

    GeoGraticule& Graticule() { return m_globe->Graticule(); }

    /// The root layer of the globe's layer tree.
    GeoLayer& GlobeLayer();

    /// The layer set the view plugged into its globe.
    GeoLayers& Layers() { return *m_layers; }

    /// The layer store the layers are kept in (none by default).
    GeoSpatialDatabase* SpatialDatabase() const;

    /// Attaches the layers to a layer store (detaching them from the previous one).
    void SetSpatialDatabase(GeoSpatialDatabase* database);

    /// Marks the picture stale and schedules a paint.
    void RequestRedraw() { m_globe->RequestRedraw(); }

    void BeginUpdate() { m_globe->BeginUpdate(); }

    void EndUpdate() { m_globe->EndUpdate(); }

    /// Loads the named texture (see GeoGlobe::SetSurfaceTextureName).
    void SetSurfaceTextureName(const QString& name) { m_globe->SetSurfaceTextureName(name); }

    const QString& SurfaceTextureName() const { return m_globe->SurfaceTextureName(); }

    GeoMouseButton MouseZoomButton() const { return m_zoomButton; }

    GeoMouseButton MouseSelectButton() const { return m_selectButton; }

    GeoMouseButton MouseRotateButton() const { return m_rotateButton; }

    void SetMouseZoomButton(GeoMouseButton b) { m_zoomButton = b; }

    void SetMouseSelectButton(GeoMouseButton b) { m_selectButton = b; }

    void SetMouseRotateButton(GeoMouseButton b) { m_rotateButton = b; }

    /// The painter on the control during OnPaint and OnAfterRender, else null.
    QPainter* Canvas() { return m_canvas; }

    /// Number of renders of the picture so far (paints that only copy the back buffer don't count).
    int RenderCount() const { return m_renderCount; }

    /// Pictures in motion and still pictures. A picture rendered less than StillRedrawDelay()
    /// milliseconds after the one before belongs to a motion (Play, a drag, the wheel, a resize):
    /// it takes the nearest texel, which is cheaper, and once no new picture has come for that
    /// long the still picture is rendered once more with filtered texels. 0 switches this off:
    /// every picture is filtered (unless InMotion is set).
    int StillRedrawDelay() const { return m_stillDelay; }

    void SetStillRedrawDelay(int ms);

    /// Set by an owner that knows a motion is going on (an animation): pictures take the nearest
    /// texel while it is set; clearing it renders the filtered picture.
    bool InMotion() const { return m_inMotion; }

    void SetInMotion(bool on);

    /// Whether the picture on the screen was rendered with the nearest texel (motion).
    bool PictureInMotion() const { return m_pictureInMotion; }

    /// Whether a zoom box is being dragged, and its rectangle.
    bool RubberBandActive() const { return m_rubberBandActive; }

    /// The zoom box: from the press point to the pointer, sides |dx| and |dy| pixels.
    QRect RubberBand() const {
        return QRect(QPoint(std::min(m_bandStart.x(), m_bandEnd.x()),
                            std::min(m_bandStart.y(), m_bandEnd.y())),
                     QSize(std::abs(m_bandEnd.x() - m_bandStart.x()),
                           std::abs(m_bandEnd.y() - m_bandStart.y())));
    }

    // Events. Drawing handlers get the painter on the control.
    std::function<void(QPainter&)> OnPaint;        ///< after the blit, inside the paint loop
    std::function<void(QPainter&)> OnAfterRender;  ///< after every paint, on the screen only
    std::function<void()> OnSelectionChange;
    std::function<void(std::shared_ptr<GeoMapPoint>)> OnObjectClick;
    std::function<void(QMouseEvent&)> OnMouseDown;
    std::function<void(QMouseEvent&)> OnMouseMove;
    std::function<void(QMouseEvent&)> OnMouseUp;
    /// A left-button press and release inside the control (not the press of a double click).
    std::function<void()> OnClick;
    /// Wheel turned one notch (120 units of angle, gathered over finer steps) towards / away from
    /// the user; set handled to stop the default action.
    std::function<void(QPoint, Qt::KeyboardModifiers, bool& handled)> OnMouseWheelDown;
    std::function<void(QPoint, Qt::KeyboardModifiers, bool& handled)> OnMouseWheelUp;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    /// Renders the globe's picture, quick (nearest texels) while in motion or soon after the
    /// last picture, filtered otherwise.
    void renderPicture();
    /// Copies the picture to the widget, with the rubber band and OnPaint on top.
    void showPicture(QPainter& painter);
    /// Takes the ratio of device pixels of the screen the control is on.
    void syncDevicePixelRatio();
    bool isButton(Qt::MouseButton button, GeoMouseButton which) const;
    void pressed(QMouseEvent* event, bool doubleClick);
    void endRubberBand();

    std::unique_ptr<GeoGlobe> m_globe;
    GeoLayers* m_layers;  // owned by m_globe
    QPainter* m_canvas = nullptr;
    bool m_painting = false;
    int m_renderCount = 0;
    int m_stillDelay = 200;
    bool m_inMotion = false;
    bool m_pictureInMotion = false;
    QElapsedTimer m_sinceRender;
    QTimer* m_stillTimer = nullptr;
    GeoMouseButton m_zoomButton = GeoMouseButton::mzbRight;
    GeoMouseButton m_selectButton = GeoMouseButton::mzbLeft;
    GeoMouseButton m_rotateButton = GeoMouseButton::mzbLeft;
    bool m_rubberBandActive = false;
    QPoint m_bandStart;
    QPoint m_bandEnd;
    bool m_rotating = false;
    GeoPoint m_grabbed;
    bool m_clickArmed = false;
    int m_wheelAccumulator = 0;
};

}  // namespace zimbalo::globe
