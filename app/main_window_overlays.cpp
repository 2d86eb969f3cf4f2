// Globe overlays and globe controls of the main window: the central line, the drawing of the
// current instant over the globe, texture, graticule, zoom, dragging and the globe pop-up.

#include <exception>
#include <optional>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

#include "app/main_window.h"
#include "globe/geo_spatial_database.h"
#include "globe/view/globe_view.h"
#include "overlays/after_render.h"
#include "overlays/center_line.h"
#include "overlays/globe_controls.h"
#include "overlays/limits_layer.h"

namespace zimbalo::app {

struct TForm_Main::OverlayState {
    overlays::CenterLineState centerLine;
    overlays::LimitsLayerState limits;
    /// Mirrors GlobeOriginX/Y at every zoom routine; a drag moves it and hands the new centre on.
    overlays::GlobePlacement placement;
};

void TForm_Main::SetupOverlays() {
    m_overlays = std::make_shared<OverlayState>();
    globe::GeoProjector& p = Globe->Projector();
    p.SetXRotation(23.5);
    p.SetFieldOfViewAngle(50.0);
    Globe->Globe().SetMinObjectPixels(1.0);
    Globe->Renderer().SetMinTextHeight(8);
    Globe->Renderer().SetMaxTextHeight(40);

    overlays::GlobeMouseHooks hooks;
    hooks.centreMoved = [this](QPoint centre) {
        m_state.GlobeOriginX = centre.x();
        m_state.GlobeOriginY = centre.y();
    };
    hooks.applyZoom = [this] { Zoom_TrackBarChange(); };
    hooks.sliderPosition = [this] { return Zoom_TrackBar->value(); };
    hooks.setSliderPosition = [this](int position) { Zoom_TrackBar->setValue(position); };
    hooks.showPopup = [this](QPoint pixel) { ShowGlobeControl(pixel); };
    hooks.click = [this] { GlobeClick(); };
    overlays::InstallGlobeMouse(*Globe, m_overlays->placement, std::move(hooks));

    // The control's own resize scales the view with its diagonal; before every paint the
    // window's zoom and centre are put back, so a resize keeps both whatever order the layout
    // runs in. Nothing changes (and nothing is rendered again) when they are in place.
    Globe->Globe().OnBeforeRender = [this] {
        if (m_activated && !m_state.Closing) {
            m_overlays->placement.SetOrigin(m_state.GlobeOriginX, m_state.GlobeOriginY);
            m_overlays->placement.ApplyZoom(Globe->Projector(), Zoom_TrackBar->value());
        }
    };
    Globe->OnAfterRender = [this](QPainter& painter) { GlobeAfterRender(painter); };

    connect(ComboBox_Globus, &QComboBox::currentIndexChanged, this,
            [this] { Combobox_GlobusChange(); });
    connect(ComboBox_GradNetz, &QComboBox::currentIndexChanged, this,
            [this] { ComboBox_GradNetzChange(); });
    connect(Zoom_TrackBar, &QSlider::valueChanged, this, [this] { Zoom_TrackBarChange(); });
    connect(CheckBox_SSP, &QCheckBox::toggled, this, [this] { CheckBox_SSPClick(); });
    connect(Button_Center_Globe, &QPushButton::clicked, this,
            [this] { Button_Center_GlobeClick(); });
    connect(Button_Resize_Globe, &QPushButton::clicked, this,
            [this] { Button_Resize_GlobeClick(); });
    connect(Button_Exit_Globe, &QPushButton::clicked, this, [this] { Button_Exit_GlobeClick(); });

    CheckBox_Limits = new QCheckBox(overlays::LimitsCaption(m_state.language));
    CheckBox_Limits->setObjectName(QStringLiteral("CheckBox_Limits"));
    CheckBox_Limits->setChecked(true);
    if (auto* grid = qobject_cast<QGridLayout*>(GroupBox_Globus->layout())) {
        grid->addWidget(CheckBox_Limits, grid->rowCount(), 0, 1, 2);  // the whole caption shows
    }
    connect(CheckBox_Limits, &QCheckBox::toggled, this, [this] { CheckBox_LimitsClick(); });
    // The language menu's check mark follows every caption set.
    const std::pair<QAction*, Language> languages[] = {{Opt_Deutsch, Language::German},
                                                       {Opt_English, Language::English},
                                                       {Opt_Francais, Language::French}};
    for (const auto& [action, language] : languages) {
        connect(action, &QAction::toggled, this, [this, language = language](bool on) {
            if (on) {
                CheckBox_Limits->setText(overlays::LimitsCaption(language));
            }
        });
    }
}

void TForm_Main::RebuildCentralLine() {
    if (!m_layerStore) {
        return;
    }
    try {
        overlays::CenterLineLayer(Globe->Layers(), *m_layerStore, m_overlays->centerLine, m_record,
                                  m_state.DeltaTSeconds, m_state.Closing);
    } catch (const std::exception& e) {
        // A layer store that could not be opened: the globe is shown without the line.
        qWarning("Central line: %s", e.what());
    }
    RebuildLimits();
}

void TForm_Main::RebuildLimits() {
    if (!m_layerStore) {
        return;
    }
    try {
        overlays::LimitsLayer(Globe->Layers(), *m_layerStore, m_overlays->limits, m_record,
                              m_state.DeltaTSeconds, CheckBox_Limits->isChecked(), m_state.Closing);
    } catch (const std::exception& e) {
        qWarning("Path limits: %s", e.what());
    }
}

void TForm_Main::CheckBox_LimitsClick() {
    overlays::ShowLimitsLayer(Globe->Layers(), CheckBox_Limits->isChecked());
    Globe->update();
}

void TForm_Main::Combobox_GlobusChange() {
    const std::optional<QString> path =
        overlays::TextureFilePath(ComboBox_Globus->currentIndex(), DataFolder());
    if (path) {
        try {
            Globe->SetSurfaceTextureName(*path);
        } catch (const std::exception& e) {
            m_dialogs.fail(QString::fromUtf8(e.what()));
        }
    }
    Globe->setFocus();
    Globe->update();
}

void TForm_Main::ComboBox_GradNetzChange() {
    // The graticule marks the picture stale itself when its steps change.
    const overlays::GraticuleSteps steps =
        overlays::GraticuleStepsFor(ComboBox_GradNetz->currentIndex());
    Globe->Graticule().SetLatitudeStep(steps.latitude);
    Globe->Graticule().SetLongitudeStep(steps.longitude);
    Globe->setFocus();
}

void TForm_Main::Zoom_TrackBarChange() {
    // Scale and origin mark the picture stale only when they change.
    overlays::GlobePlacement& placement = m_overlays->placement;
    placement.SetOrigin(m_state.GlobeOriginX, m_state.GlobeOriginY);
    placement.ApplyZoom(Globe->Projector(), Zoom_TrackBar->value());
    m_state.GlobeOriginX = placement.OriginX();
    m_state.GlobeOriginY = placement.OriginY();
}

double TForm_Main::PixelsPerRadius() const {
    return m_overlays ? m_overlays->placement.PixelsPerRadius() : 0.0;
}

void TForm_Main::GlobeAfterRender(QPainter& painter) {
    if (!m_activated || m_state.Closing || m_table.Count() == 0) {
        return;
    }
    overlays::OverlayInputs in = overlays::OverlayInputsOf(m_elements, m_axis, m_record);
    in.cx = m_state.GlobeOriginX;
    in.cy = m_state.GlobeOriginY;
    in.pixelsPerRadius = PixelsPerRadius();
    in.subPlanetaryMark = CheckBox_SSP->isChecked();
    in.trackLabel1 = Text(17);
    in.trackLabel2 = Text(18);
    in.markLabel1 = Text(39);
    in.markLabel2 = Text(40);
    // The projector's origin is the overlay's centre, so disc and overlay stay together.
    Globe->Projector().SetXOrigin(in.cx);
    Globe->Projector().SetYOrigin(in.cy);
    overlays::GlobeAfterRender(painter, in, Globe->size());
    setGridRow(11, Text(19), overlays::UmbraDiameterText(in), QStringLiteral(" km"));
}

void TForm_Main::CheckBox_SSPClick() {
    // Only the overlay changes: a paint copies the rendered picture and draws the overlay again.
    Globe->update();
}

void TForm_Main::ShowGlobeControl(QPoint globePixel) {
    const QPoint corner = overlays::PopupPosition(Globe->mapTo(Panel_Globe, globePixel));
    Panel_GlobeControl->move(corner);
    Panel_GlobeControl->show();
    Panel_GlobeControl->raise();
}

void TForm_Main::Button_Center_GlobeClick() {
    m_state.GlobeOriginX = Panel_Globe->width() / 2;
    m_state.GlobeOriginY = Panel_Globe->height() / 2;
    Zoom_TrackBarChange();
    Panel_GlobeControl->hide();
    Globe->setFocus();
}

void TForm_Main::Button_Resize_GlobeClick() {
    m_state.GlobeOriginX = Panel_Globe->width() / 2;
    m_state.GlobeOriginY = Panel_Globe->height() / 2;
    Zoom_TrackBar->setValue(overlays::zoom::kReset);
    Zoom_TrackBarChange();
    Panel_GlobeControl->hide();
    Globe->setFocus();
}

void TForm_Main::Button_Exit_GlobeClick() {
    Panel_GlobeControl->hide();
    Globe->setFocus();
}

}  // namespace zimbalo::app
