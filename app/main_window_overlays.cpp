// Globe overlays and globe controls of the main window: the central line, the drawing of the
// current instant over the globe, texture, graticule and zoom. These bodies do the least that
// shows the textured globe; the overlay subsystem replaces them.

#include <QComboBox>
#include <QSlider>

#include "app/main_window.h"
#include "globe/view/globe_view.h"

namespace zimbalo::app {

void TForm_Main::SetupOverlays() {
    globe::GeoProjector& p = Globe->Projector();
    p.SetXRotation(23.5);
    p.SetFieldOfViewAngle(50.0);
    Globe->SetMouseZoomButton(globe::GeoMouseButton::mzbNone);
    Globe->SetMouseSelectButton(globe::GeoMouseButton::mzbNone);
    Globe->SetMouseRotateButton(globe::GeoMouseButton::mzbNone);
    connect(ComboBox_Globus, &QComboBox::currentIndexChanged, this,
            [this] { Combobox_GlobusChange(); });
    connect(ComboBox_GradNetz, &QComboBox::currentIndexChanged, this,
            [this] { ComboBox_GradNetzChange(); });
    connect(Zoom_TrackBar, &QSlider::valueChanged, this, [this] { Zoom_TrackBarChange(); });
}

void TForm_Main::RebuildCentralLine() {}

void TForm_Main::Combobox_GlobusChange() {
    static const char* const kFiles[] = {"BlueMarble_5.4x2.7k.jpg", "DEMIS_World_3.jpg",
                                         "World_4096.jpg", "World_white.jpg"};
    const int index = ComboBox_Globus->currentIndex();
    if (index < 0 || index > 3)
        return;
    try {
        Globe->SetSurfaceTextureName(Folders().data + kFiles[index]);
    } catch (const std::exception&) {
        // A broken image leaves the globe without texture.
    }
    Globe->RequestRedraw();
}

void TForm_Main::ComboBox_GradNetzChange() {
    static const int kSteps[] = {0, 90, 10, 20, 30, 45, 90};
    const int index = ComboBox_GradNetz->currentIndex();
    const int lat = index >= 1 && index <= 6 ? kSteps[index] : 0;
    const int lon = index >= 2 && index <= 6 ? kSteps[index] : 0;
    Globe->Graticule().SetLatitudeStep(lat);
    Globe->Graticule().SetLongitudeStep(lon);
    Globe->RequestRedraw();
}

void TForm_Main::Zoom_TrackBarChange() {
    globe::GeoProjector& p = Globe->Projector();
    p.SetScaleFactor((Zoom_TrackBar->minimum() + Zoom_TrackBar->maximum() - Zoom_TrackBar->value())
                     * 1e-8);
    p.SetXOrigin(State().GlobeOriginX);
    p.SetYOrigin(State().GlobeOriginY);
    Globe->RequestRedraw();
}

}  // namespace zimbalo::app
