#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QPoint>
#include <QSize>
#include <QString>
#include <Qt>

namespace zimbalo::globe {
class GeoProjector;
class GlobeView;
}  // namespace zimbalo::globe

namespace zimbalo::overlays {

/// One surface texture the user can choose: its list item and its JPEG file.
struct TextureChoice {
    const char* item;
    const char* file;
};

inline constexpr std::array<TextureChoice, 4> kTextures{{
    {"BlueMarble_5.4x2.7k", "BlueMarble_5.4x2.7k.jpg"},
    {"DEMIS_World_3", "DEMIS_World_3.jpg"},
    {"Politisch", "World_4096.jpg"},
    {"World_white", "World_white.jpg"},
}};

/// Path of the texture file of a list index in the program's folder (which ends with a
/// separator); nothing for an index outside the list.
std::optional<QString> TextureFilePath(int index, const QString& programFolder);

/// Steps of a graticule in whole degrees; 0 switches that family of lines off.
struct GraticuleSteps {
    int latitude = 0;
    int longitude = 0;

    friend bool operator==(const GraticuleSteps&, const GraticuleSteps&) = default;
};

/// Number of graticule choices: none, equator, 10, 20, 30, 45 and 90 degrees.
inline constexpr int kGraticuleChoices = 7;

/// Steps of a graticule list index; an index outside 1..6 gives no lines.
GraticuleSteps GraticuleStepsFor(int index);

/// Positions of the zoom slider (top = largest globe).
namespace zoom {
inline constexpr int kMin = 60;
inline constexpr int kMax = 350;
inline constexpr int kDefault = 140;
inline constexpr int kReset = 300;     ///< position of "reset": scale factor 1.1e-06
inline constexpr int kWheelStep = 10;  ///< slider positions per wheel notch
inline constexpr int kPageSize = 40;
inline constexpr int kFrequency = 50;  ///< tick spacing
}  // namespace zoom

/// Pixels the keyboard moves the globe per key press.
inline constexpr int kKeyMovePixels = 50;

/// Projector scale factor (pixels per GU) of a zoom slider position: (410 - position) x 1e-8.
double ZoomScaleFactor(int position);

/// Slider position after one wheel notch: down zooms in (position - 10), up zooms out
/// (position + 10), kept within 60..350.
int WheelPosition(int position, bool wheelDown);

/// Pixels per Earth radius of the drawn globe for a projector scale factor: the radius of the
/// sphere the projection draws, so that the overlay's circles meet the globe's limb exactly.
double PixelsPerRadiusFor(double scaleFactor);

/// Where the globe sits in its control and how large it is drawn: the centre (cx, cy) that the
/// globe and the overlay share, the overlay's scale, and the mouse position of a drag. The
/// globe's orientation is never changed here.
class GlobePlacement {
public:
    /// Placement with the saved centre.
    explicit GlobePlacement(int cx = 222, int cy = 222) : m_cx(cx), m_cy(cy) {}

    int OriginX() const { return m_cx; }

    int OriginY() const { return m_cy; }

    void SetOrigin(int cx, int cy);

    double PixelsPerRadius() const { return m_pixelsPerRadius; }

    /// Applies a zoom slider position: the projector's scale factor (which it may limit), the
    /// overlay's pixels per radius from the scale it took, and the centre as its origin.
    void ApplyZoom(globe::GeoProjector& projector, int sliderPosition);

    /// Centre of a panel of the given size (integer halves).
    void Center(QSize panel);

    /// Moves the centre by (dx, dy) pixels, staying within a range any painter can handle.
    void MoveBy(int dx, int dy);

    /// A mouse button went down at pos (any button): the start of a possible drag.
    void MouseDown(QPoint pos) { m_last = pos; }

    /// The mouse moved to pos; with the left button held the globe follows it. Returns whether
    /// the centre moved.
    bool MouseMove(QPoint pos, bool leftButtonHeld);

    /// Ctrl+U, Ctrl+D, Ctrl+L, Ctrl+R move the globe by 50 pixels, Ctrl+C centres it in the panel.
    /// Returns whether the key was one of these (the caller then re-applies the zoom).
    bool KeyMove(int key, Qt::KeyboardModifiers modifiers, QSize panel);

private:
    int m_cx;
    int m_cy;
    double m_pixelsPerRadius = 0.0;
    QPoint m_last;
};

/// Top-left corner of the globe-control pop-up for a right-button release at pos: 60 pixels to
/// the left of and 17 pixels above the pointer.
QPoint PopupPosition(QPoint pos);

/// What the globe control's mouse asks of the main window.
struct GlobeMouseHooks {
    std::function<void()> applyZoom;             ///< the zoom routine (scale and centre)
    std::function<void(QPoint)> centreMoved;     ///< a drag moved the placement's centre here
    std::function<int()> sliderPosition;         ///< the zoom slider's position
    std::function<void(int)> setSliderPosition;  ///< moves the zoom slider
    std::function<void(QPoint)> showPopup;       ///< right button released at a pixel of the globe
    std::function<void()> click;                 ///< a left click on the globe
};

/// Connects the globe control's mouse to the placement: any press starts a drag, a move with the
/// left button held slides the globe (never turns it) and every move re-applies the zoom; a wheel
/// notch moves the zoom slider by 10 within 60..350; releasing the right button asks for the
/// pop-up; a left click is passed on. The control's own zoom box, selection and rotation are
/// switched off. `placement` must outlive the control's use of the hooks.
void InstallGlobeMouse(globe::GlobeView& view, GlobePlacement& placement, GlobeMouseHooks hooks);

}  // namespace zimbalo::overlays
