#include "app/globe_panel.h"

#include <exception>
#include <functional>
#include <optional>

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include "app/caption_sets.h"
#include "app/named_widget.h"
#include "app/player.h"
#include "globe/geo_exception.h"
#include "globe/geo_spatial_database.h"
#include "globe/geo_units.h"
#include "globe/view/globe_view.h"
#include "overlays/after_render.h"
#include "overlays/center_line.h"
#include "overlays/day_night.h"
#include "overlays/globe_controls.h"
#include "overlays/home_symbol.h"
#include "overlays/limits_layer.h"
#include "overlays/point_layers.h"
#include "overlays/visibility_layer.h"

namespace zimbalo::app {

namespace {

// Rows of the language table that the overlay writes on the globe and into the grid.
constexpr int kRowTrackLabel1 = 17;
constexpr int kRowTrackLabel2 = 18;
constexpr int kRowUmbralDiameter = 19;
constexpr int kRowMarkLabel1 = 39;
constexpr int kRowMarkLabel2 = 40;

// Titles on the globe under this height in pixels are dropped (the capitals' names when zoomed
// out, where they would only be a smear), and none grows beyond the largest.
constexpr int kMinTitleHeight = 8;
constexpr int kMaxTitleHeight = 40;

// Where the controls sit over the globe: the play buttons along the bottom, the zoom slider at
// the right edge.
constexpr int kButtonRowFromBottom = 28;
constexpr int kZoomFromRight = 32;
constexpr int kZoomFromBottom = 179;

}  // namespace

struct GlobePanel::Overlays {
    overlays::CenterLineState centerLine;
    overlays::LimitsLayerState limits;
    overlays::VisibilityLayerState visibility;
    /// Mirrors the panel's origin at every zoom; a drag moves it and hands the new centre on.
    overlays::GlobePlacement placement;
    std::unique_ptr<QTemporaryFile> storeFile;
};

GlobePanel::GlobePanel(const ShownInstant& shown, dialogs::UserDialogs& dialogs, QString dataFolder,
                       const QString& temporaryFolder, QWidget* parent)
    : QWidget(parent),
      m_shown(shown),
      m_dialogs(dialogs),
      m_dataFolder(std::move(dataFolder)),
      m_overlays(std::make_unique<Overlays>()) {
    setObjectName(QStringLiteral("GlobePanel"));
    buildControls();
    buildPopup();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_area, 1);
    column->addWidget(m_time);
    openLayerStore(temporaryFolder);
    connectControls();
}

GlobePanel::~GlobePanel() {
    m_closing = true;
    closeLayerStore();
}

void GlobePanel::buildControls() {
    m_area = named(new QWidget(this), "Panel_Globe");
    m_area->setMinimumSize(200, 200);
    m_area->installEventFilter(this);
    m_globe = named(new globe::GlobeView(m_area), "Globe");
    m_globe->installEventFilter(this);

    globe::GeoProjector& p = m_globe->Projector();
    p.SetXRotation(23.5);
    p.SetFieldOfViewAngle(50.0);
    m_globe->Globe().SetMinObjectPixels(1.0);
    m_globe->Renderer().SetMinTextHeight(kMinTitleHeight);
    m_globe->Renderer().SetMaxTextHeight(kMaxTitleHeight);

    // The play buttons, left to right; their hints come from the caption set.
    const struct {
        const char* name;
        const char* text;
        int step;  ///< 0: Stop
    } buttons[] = {
        {"Button_FastReverse", "\u25C0\u25C0", -kStepFastPlay},
        {"Button_Reverse", "\u25C0", -kStepPlay},
        {"Button_Stop", "\u25A0", 0},
        {"Button_Play", "\u25B6", kStepPlay},
        {"Button_FastPlay", "\u25B6\u25B6", kStepFastPlay},
    };

    for (const auto& b : buttons) {
        auto* button = named(new QPushButton(QString::fromUtf8(b.text), m_area), b.name);
        button->setFixedSize(30, 24);
        m_playButtons.append(button);
        if (b.step == 0) {
            m_stop = button;
            connect(button, &QPushButton::clicked, this, &GlobePanel::stopRequested);
        } else {
            connect(button, &QPushButton::clicked, this, [this, step = b.step] {
                m_stop->setFocus();
                emit playRequested(step);
            });
        }
    }
    m_zoom = named(new QSlider(Qt::Vertical, m_area), "Zoom_TrackBar");
    m_zoom->setRange(overlays::zoom::kMin, overlays::zoom::kMax);
    m_zoom->setValue(overlays::zoom::kDefault);
    m_zoom->setPageStep(overlays::zoom::kPageSize);
    m_zoom->setTickInterval(overlays::zoom::kFrequency);
    m_zoom->setTickPosition(QSlider::TicksLeft);
    m_zoom->setInvertedAppearance(true);
    m_zoom->setToolTip(QStringLiteral("Zoom"));
    m_zoom->setFixedSize(28, 150);
    m_time = named(new QScrollBar(Qt::Horizontal, this), "Time_ScrollBar");
    m_time->setRange(0, kTimeSliderMax);
    m_time->setValue(kTimeSliderCentre);
    m_time->setSingleStep(1);
    m_time->setPageStep(150);
}

void GlobePanel::buildPopup() {
    // The right-button pop-up: one button per entry, each with what it does; a new entry is a
    // new line here and a caption in each set.
    m_popup = named(new QWidget(m_area), "Panel_GlobeControl");
    m_popup->setAutoFillBackground(true);
    m_popup->hide();

    const struct {
        const char* name;
        std::function<void()> action;
    } entries[] = {
        {"Button_Center_Globe", [this] { centre(); }},
        {"Button_Resize_Globe",
         [this] {
             centre();
             m_zoom->setValue(overlays::zoom::kReset);
             applyZoom();
         }},
        {"Button_Umstaende_Hier", [this] { requestCircumstances(); }},
        {"Button_Exit_Globe", [] {}},
    };

    auto* l = new QVBoxLayout(m_popup);
    for (const auto& entry : entries) {
        auto* button = named(new QPushButton(m_popup), entry.name);
        l->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, action = entry.action] {
            action();
            m_popup->hide();
            m_globe->setFocus();
        });
    }
    m_popup->adjustSize();
}

void GlobePanel::connectControls() {
    connect(m_time, &QScrollBar::valueChanged, this, &GlobePanel::timeChosen);
    connect(m_zoom, &QSlider::valueChanged, this, [this] { applyZoom(); });

    overlays::GlobeMouseHooks hooks;
    hooks.centreMoved = [this](QPoint c) {
        m_originX = c.x();
        m_originY = c.y();
    };
    hooks.applyZoom = [this] { applyZoom(); };
    hooks.sliderPosition = [this] { return m_zoom->value(); };
    hooks.setSliderPosition = [this](int position) { m_zoom->setValue(position); };
    hooks.showPopup = [this](QPoint pixel) { showPopup(pixel); };
    hooks.click = [this] { emit clicked(); };
    overlays::InstallGlobeMouse(*m_globe, m_overlays->placement, std::move(hooks));

    // The control's own resize scales the view with its diagonal; before every paint the
    // panel's zoom and centre are put back, so a resize keeps both whatever order the layout
    // runs in. Nothing changes (and nothing is rendered again) when they are in place.
    m_globe->Globe().OnBeforeRender = [this] {
        if (m_activated && !m_closing) {
            m_overlays->placement.SetOrigin(m_originX, m_originY);
            m_overlays->placement.ApplyZoom(m_globe->Projector(), m_zoom->value());
        }
    };
    m_globe->OnAfterRender = [this](QPainter& painter) { afterRender(painter); };

    // Ctrl+D/U/L/R move the globe by 50 pixels, Ctrl+C centres it. Window shortcuts see the
    // keys before the controls do, except where an edit field uses them itself (copy in a field).
    for (const Qt::Key key : {Qt::Key_D, Qt::Key_U, Qt::Key_L, Qt::Key_R, Qt::Key_C}) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | key), this);
        connect(shortcut, &QShortcut::activated, this, [this, key] {
            overlays::GlobePlacement& placement = m_overlays->placement;
            placement.SetOrigin(m_originX, m_originY);
            placement.KeyMove(key, Qt::ControlModifier, m_area->size());
            m_originX = placement.OriginX();
            m_originY = placement.OriginY();
            applyZoom();
        });
    }
}

void GlobePanel::openLayerStore(const QString& temporaryFolder) {
    m_layerStore = std::make_unique<globe::GeoSpatialDatabase>();
    // A fresh name, created exclusively: a file that exists belongs to someone else (another
    // running copy) and is never opened, emptied or removed.
    auto file = std::make_unique<QTemporaryFile>(temporaryFolder
                                                 + QStringLiteral("Temporary_XXXXXXXX.tmp"));
    if (!file->open()) {
        m_dialogs.fail(FileIOErrorText(m_shown.language()) + QStringLiteral("\n")
                       + file->errorString());
        return;
    }
    file->close();
    m_layerStorePath = file->fileName();
    m_overlays->storeFile = std::move(file);
    try {
        m_layerStore->SetDataSourceName(m_layerStorePath);
        m_layerStore->SetActive(true);
    } catch (const globe::GeoException& e) {
        m_dialogs.fail(FileIOErrorText(m_shown.language()) + QStringLiteral("\n")
                       + QString::fromUtf8(e.what()));
    }
    m_globe->SetSpatialDatabase(m_layerStore.get());
}

void GlobePanel::closeLayerStore() {
    if (!m_layerStore)
        return;
    m_globe->SetSpatialDatabase(nullptr);
    try {
        m_layerStore->SetActive(false);
    } catch (const globe::GeoException&) {
        // The store's file is removed below anyway.
    }
    m_layerStore.reset();
    m_overlays->storeFile.reset();  // removes the file
    m_layerStorePath.clear();
}

QString GlobePanel::LayerStorePath() const {
    return m_layerStorePath;
}

double GlobePanel::PixelsPerRadius() const {
    return m_overlays->placement.PixelsPerRadius();
}

void GlobePanel::Close() {
    m_closing = true;
    closeLayerStore();
}

void GlobePanel::Activate() {
    m_activated = true;
    SetTexture(m_textureIndex);
    SetGraticule(m_graticuleIndex);
    applyZoom();
}

void GlobePanel::Restore(const SettingsRecord& s) {
    {
        const QSignalBlocker blocker(m_zoom);
        m_zoom->setValue(s.zoomPosition);
    }
    // The globe group's saved choices, drawn from the first activation on.
    m_textureIndex = s.textureIndex;
    m_graticuleIndex = s.gridIndex;
    m_capitals = s.capitalsShown;
    m_subPlanetaryMark = s.subPlanetaryShown;
    m_originX = s.globeOriginX;
    m_originY = s.globeOriginY;
    m_globe->Projector().SetXOrigin(s.globeOriginX);
    m_globe->Projector().SetYOrigin(s.globeOriginY);
}

void GlobePanel::Store(SettingsRecord& s) const {
    s.zoomPosition = m_zoom->value();
    s.globeOriginX = m_globe->Projector().XOrigin();
    s.globeOriginY = m_globe->Projector().YOrigin();
}

void GlobePanel::Show(ShownInstant::Change change) {
    if (!m_shown.Ready() || m_closing)
        return;
    {
        const QSignalBlocker blocker(m_time);
        m_time->setValue(m_shown.TimePosition());
    }
    // The globe looks along the shadow axis: its centre is the sub-planetary point.
    m_globe->Projector().SetXRotation(m_shown.SubPlanetaryPoint().latitude);
    m_globe->Projector().SetYRotation(m_shown.SubPlanetaryPoint().longitude);
    if (change.path) {
        rebuildPath();
        drawPointLayers();
    } else if (change.marker) {
        drawMarker();
    }
    m_globe->RequestRedraw();
}

void GlobePanel::rebuildPath() {
    if (!m_layerStore)
        return;
    // The central line's rebuild empties the layer store; the limits follow it.
    try {
        overlays::CenterLineLayer(m_globe->Layers(), *m_layerStore, m_overlays->centerLine,
                                  m_shown.Record(), m_shown.DeltaTSeconds(), m_closing);
    } catch (const std::exception& e) {
        // A layer store that could not be opened: the globe is shown without the line.
        qWarning("Central line: %s", e.what());
    }
    try {
        overlays::LimitsLayer(m_globe->Layers(), *m_layerStore, m_overlays->limits,
                              m_shown.Record(), m_shown.DeltaTSeconds(), m_limits, m_closing);
    } catch (const std::exception& e) {
        qWarning("Path limits: %s", e.what());
    }
    try {
        overlays::VisibilityLayer(m_globe->Layers(), *m_layerStore, m_overlays->visibility,
                                  m_shown.Record(), m_shown.DeltaTSeconds(), m_visibility,
                                  m_closing);
    } catch (const std::exception& e) {
        qWarning("Visibility curves: %s", e.what());
    }
}

void GlobePanel::drawPointLayers() {
    if (m_capitals)
        overlays::CitiesLayer(m_globe->GlobeLayer(), m_layerStore.get());
    if (m_shown.Marker().shown)
        drawMarker();
    ShowPoints(m_picked);
}

void GlobePanel::drawMarker() {
    const MarkerPlace& marker = m_shown.Marker();
    if (marker.shown)
        overlays::MarkerLayer(m_globe->GlobeLayer(), m_layerStore.get(), marker.latitude,
                              marker.longitude);
    else
        overlays::ClearPointLayer(m_globe->GlobeLayer(),
                                  QString::fromLatin1(overlays::point_layers::kMarkerLayer));
    m_globe->RequestRedraw();
}

void GlobePanel::ShowCapitals(bool shown) {
    m_capitals = shown;
    if (shown)
        overlays::CitiesLayer(m_globe->GlobeLayer(), m_layerStore.get());
    else
        overlays::ClearPointLayer(m_globe->GlobeLayer(),
                                  QString::fromLatin1(overlays::point_layers::kCitiesLayer));
    m_globe->RequestRedraw();
}

void GlobePanel::ShowPoints(const QStringList& picked) {
    m_picked = picked;
    bool rebuild = false;
    overlays::PoIsLayer(m_globe->GlobeLayer(), m_layerStore.get(), m_picked, m_dialogs,
                        m_shown.language(), rebuild);
    m_globe->RequestRedraw();
    if (rebuild)
        emit pointsNeedRebuild();
}

void GlobePanel::ShowSubPlanetaryMark(bool shown) {
    // Only the overlay changes: a paint copies the rendered picture and draws the overlay again.
    m_subPlanetaryMark = shown;
    m_globe->update();
}

void GlobePanel::ShowLimits(bool shown) {
    m_limits = shown;
    overlays::ShowLimitsLayer(m_globe->Layers(), shown);
    m_globe->update();
}

void GlobePanel::ShowDayNight(bool shown) {
    // Only the overlay changes, like the sub-planetary mark.
    m_dayNight = shown;
    m_globe->update();
}

void GlobePanel::ShowVisibility(bool shown) {
    m_visibility = shown;
    if (!m_layerStore || !m_shown.Ready())
        return;  // the first path drawing builds it
    try {
        overlays::ShowVisibilityLayer(m_globe->Layers(), *m_layerStore, m_overlays->visibility,
                                      m_shown.Record(), m_shown.DeltaTSeconds(), shown);
    } catch (const std::exception& e) {
        qWarning("Visibility curves: %s", e.what());
    }
    m_globe->update();
}

void GlobePanel::SetTexture(int index) {
    m_textureIndex = index;
    if (!m_activated)
        return;
    if (const std::optional<QString> path = overlays::TextureFilePath(index, m_dataFolder)) {
        try {
            m_globe->SetSurfaceTextureName(*path);
        } catch (const std::exception& e) {
            m_dialogs.fail(QString::fromUtf8(e.what()));
        }
    }
    m_globe->setFocus();
    m_globe->update();
}

void GlobePanel::SetGraticule(int index) {
    m_graticuleIndex = index;
    if (!m_activated)
        return;
    // The graticule marks the picture stale itself when its steps change.
    const overlays::GraticuleSteps steps = overlays::GraticuleStepsFor(index);
    m_globe->Graticule().SetLatitudeStep(steps.latitude);
    m_globe->Graticule().SetLongitudeStep(steps.longitude);
    m_globe->setFocus();
}

void GlobePanel::applyZoom() {
    // Scale and origin mark the picture stale only when they change.
    overlays::GlobePlacement& placement = m_overlays->placement;
    placement.SetOrigin(m_originX, m_originY);
    placement.ApplyZoom(m_globe->Projector(), m_zoom->value());
    m_originX = placement.OriginX();
    m_originY = placement.OriginY();
}

void GlobePanel::centre() {
    m_originX = m_area->width() / 2;
    m_originY = m_area->height() / 2;
    applyZoom();
}

void GlobePanel::ShowHome(const std::optional<lists::HomePlace>& home) {
    m_home = home;
    m_globe->update();
}

void GlobePanel::afterRender(QPainter& painter) {
    if (!m_activated || m_closing || !m_shown.Ready())
        return;
    overlays::OverlayInputs in =
        overlays::OverlayInputsOf(m_shown.Elements(), m_shown.Axis(), m_shown.Record());
    const Language language = m_shown.language();
    in.cx = m_originX;
    in.cy = m_originY;
    in.pixelsPerRadius = PixelsPerRadius();
    in.subPlanetaryMark = m_subPlanetaryMark;
    in.trackLabel1 = LanguageString(kRowTrackLabel1, language);
    in.trackLabel2 = LanguageString(kRowTrackLabel2, language);
    in.markLabel1 = LanguageString(kRowMarkLabel1, language);
    in.markLabel2 = LanguageString(kRowMarkLabel2, language);
    // The projector's origin is the overlay's centre, so disc and overlay stay together.
    m_globe->Projector().SetXOrigin(in.cx);
    m_globe->Projector().SetYOrigin(in.cy);
    // The shade goes under the overlay's lines and texts.
    if (m_dayNight)
        overlays::DrawDayNight(painter, m_globe->Projector(), m_globe->width(), m_globe->height(),
                               m_shown.JD_UT());
    overlays::GlobeAfterRender(painter, in, m_globe->size());
    if (m_home) {
        overlays::DrawHomeSymbol(
            painter, in,
            overlays::HomeOnPlaneAt(m_shown.Record(), m_shown.TimeOffset(), m_home->latitudeDeg,
                                    m_home->longitudeDeg, m_home->heightMetres));
    }
    emit umbralDiameterDrawn({LanguageString(kRowUmbralDiameter, language),
                              overlays::UmbraDiameterText(in), QStringLiteral(" km")});
}

void GlobePanel::showPopup(QPoint globePixel) {
    m_popupPixel = globePixel;
    m_popup->move(overlays::PopupPosition(m_globe->mapTo(m_area, globePixel)));
    m_popup->show();
    m_popup->raise();
}

void GlobePanel::requestCircumstances() {
    if (const auto point = m_globe->Projector().ScreenToGeo(m_popupPixel.x(), m_popupPixel.y()))
        emit circumstancesRequestedAt(globe::GUToDeg(point->Latitude),
                                      globe::GUToDeg(point->Longitude));
}

void GlobePanel::layOut() {
    const int w = m_area->width();
    const int h = m_area->height();
    m_globe->setGeometry(0, 0, w, h);
    int left = 4;
    for (QPushButton* b : m_playButtons) {
        b->move(left, h - kButtonRowFromBottom);
        b->raise();
        left += b->width() + 2;
    }
    m_zoom->move(w - kZoomFromRight, h - kZoomFromBottom);
    m_zoom->raise();
    m_popup->raise();
    if (!m_closing) {
        m_globe->Projector().SetXOrigin(m_originX);
        m_globe->Projector().SetYOrigin(m_originY);
        if (m_activated)
            applyZoom();
    }
}

bool GlobePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_area && event->type() == QEvent::Resize) {
        layOut();
    } else if (watched == m_globe && event->type() == QEvent::MouseButtonDblClick) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (const auto point = m_globe->Projector().ScreenToGeo(pos.x(), pos.y()))
            emit doubleClickedAt(globe::GUToDeg(point->Latitude), globe::GUToDeg(point->Longitude));
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace zimbalo::app
