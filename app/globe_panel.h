#pragma once

#include <memory>
#include <optional>

#include <QStringList>
#include <QWidget>

#include "app/settings_record.h"
#include "app/shown_instant.h"
#include "dialogs/user_dialogs.h"
#include "lists/coming_occultations.h"

class QPushButton;
class QScrollBar;
class QSlider;

namespace zimbalo::globe {
class GlobeView;
class GeoSpatialDatabase;
}  // namespace zimbalo::globe

namespace zimbalo::app {

/// The right side of the main window: the globe (`Panel_Globe` with the control `Globe`), the play
/// buttons and the zoom slider over it, the time slider `Time_ScrollBar` under it, and the globe's
/// right-button pop-up `Panel_GlobeControl`. Draws what a `ShownInstant` shows: the globe turned
/// to the sub-planetary point, the central line, the limits, the capitals, the marker, the picked
/// points of interest and the shadow overlay. Owns the globe's temporary layer store.
class GlobePanel : public QWidget {
    Q_OBJECT

public:
    /// A panel over `shown` (which outlives it); texture files come from `dataFolder`, the layer
    /// store's file goes to `temporaryFolder` (both end with a separator).
    GlobePanel(const ShownInstant& shown, dialogs::UserDialogs& dialogs, QString dataFolder,
               const QString& temporaryFolder, QWidget* parent = nullptr);
    ~GlobePanel() override;

    /// Draws the model after a change; a new event or time scale draws the path and the point
    /// layers anew (a new path empties the layer store).
    void Show(ShownInstant::Change change);
    /// The first showing of the window: texture, graticule and zoom take effect.
    void Activate();
    /// From now on the globe draws no overlay (the window is closing).
    void Close();

    void SetTexture(int index);
    void SetGraticule(int index);
    void ShowCapitals(bool shown);
    void ShowSubPlanetaryMark(bool shown);
    void ShowLimits(bool shown);
    /// Shades the globe by the Sun's altitude at the shown instant.
    void ShowDayNight(bool shown);
    /// Shows the visibility curves of the event (computed when first shown for it).
    void ShowVisibility(bool shown);
    /// The home place, drawn as a small house while it is on the visible side (nothing: none).
    void ShowHome(const std::optional<lists::HomePlace>& home);
    /// Draws the picked lines of the points-of-interest list; a bad coordinate is reported and
    /// emits `pointsNeedRebuild`.
    void ShowPoints(const QStringList& picked);

    /// Zoom and globe centre of the settings record.
    void Restore(const SettingsRecord& settings);
    void Store(SettingsRecord& settings) const;

    /// Path of the globe's temporary layer store file (empty when none could be made).
    QString LayerStorePath() const;
    /// Pixels per Earth radius of the drawn globe (0 before the first zoom).
    double PixelsPerRadius() const;

signals:
    /// The time slider moved to a position 0..12600.
    void timeChosen(int position);
    /// A play button: slider positions per step, negative backward.
    void playRequested(int step);
    void stopRequested();
    /// A left click on the globe.
    void clicked();
    /// A double click on the globe at a geographic point, degrees north and east.
    void doubleClickedAt(double latitude, double longitude);
    /// The pop-up's "circumstances here" for the point where the pop-up was asked, degrees north
    /// and east (not sent when that pixel is off the globe).
    void circumstancesRequestedAt(double latitude, double longitude);
    /// The overlay's grid row 11 (the umbral diameter) after a paint.
    void umbralDiameterDrawn(const GridRow& row);
    /// A picked line had a bad coordinate: the chooser refills from the list next time.
    void pointsNeedRebuild();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildPopup();
    void connectControls();
    void openLayerStore(const QString& temporaryFolder);
    void closeLayerStore();
    void layOut();
    void applyZoom();
    void centre();
    void rebuildPath();
    void drawPointLayers();
    void drawMarker();
    void afterRender(QPainter& painter);
    void showPopup(QPoint globePixel);
    void requestCircumstances();

    struct Overlays;

    const ShownInstant& m_shown;
    dialogs::UserDialogs& m_dialogs;
    QString m_dataFolder;
    std::unique_ptr<Overlays> m_overlays;
    std::unique_ptr<globe::GeoSpatialDatabase> m_layerStore;
    QString m_layerStorePath;

    QWidget* m_area = nullptr;
    globe::GlobeView* m_globe = nullptr;
    QList<QPushButton*> m_playButtons;
    QPushButton* m_stop = nullptr;
    QSlider* m_zoom = nullptr;
    QScrollBar* m_time = nullptr;
    QWidget* m_popup = nullptr;

    int m_originX = 222;  ///< pixels, the globe centre in the globe control
    int m_originY = 222;
    bool m_activated = false;
    bool m_closing = false;
    bool m_capitals = false;
    bool m_subPlanetaryMark = false;
    bool m_limits = true;
    bool m_dayNight = false;
    bool m_visibility = false;
    QPoint m_popupPixel;  ///< globe pixel where the pop-up was asked
    int m_textureIndex = 0;
    int m_graticuleIndex = 0;
    QStringList m_picked;
    std::optional<lists::HomePlace> m_home;
};

}  // namespace zimbalo::app
