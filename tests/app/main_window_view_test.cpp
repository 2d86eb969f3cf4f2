// The globe's questions and switches in the main window: the circumstances at a point of the
// globe (double click and the pop-up's button), the day/night shade and the visibility layer.

#include <cmath>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include <gtest/gtest.h>

#include "app/circumstances_panel.h"
#include "app/globe_panel.h"
#include "app/main_window.h"
#include "app/view_options.h"
#include "globe/geo_layer.h"
#include "globe/geo_units.h"
#include "globe/view/globe_view.h"
#include "overlays/globe_controls.h"
#include "overlays/visibility_layer.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

using testing::WindowTest;

// Event 626: Venus, central; 1434: a partial one, the globe turned elsewhere.
constexpr int kCentral = 626;
constexpr int kPartial = 1434;

globe::GlobeView* GlobeOf(TForm_Main& w) {
    return w.findChild<globe::GlobeView*>(QStringLiteral("Globe"));
}

/// The pixel of the globe where a point (degrees) is drawn; false when it is on the far side.
bool PixelOf(TForm_Main& w, double latitude, double longitude, QPoint& pixel) {
    const globe::GeoPoint point{globe::DegToGU(longitude), globe::DegToGU(latitude), 0};
    return GlobeOf(w)->Projector().GeoToScreen(point, pixel);
}

TEST_F(WindowTest, AClickedPixelOfTheGlobeOpensTheCircumstancesOfItsPoint) {
    TForm_Main& w = start();
    auto* panel = w.findChild<CircumstancesPanel*>(QStringLiteral("Panel_Umstaende"));
    ASSERT_NE(panel, nullptr);
    globe::GlobeView* globe = GlobeOf(w);
    auto* zoom = control<QSlider>("Zoom_TrackBar");
    for (const int event : {kCentral, kPartial}) {
        control<QScrollBar>("ScrollBar_Bedeckung")->setValue(event);
        for (const int position : {zoom->minimum(), (zoom->minimum() + zoom->maximum()) / 2}) {
            zoom->setValue(position);
            control<QPushButton>("Button_Center_Globe")->click();
            const double ppr = w.findChild<GlobePanel*>()->PixelsPerRadius();
            ASSERT_GT(ppr, 10.0);
            const astro::GeoDegrees centre = w.Shown().SubPlanetaryPoint();
            const double lat = std::clamp(centre.latitude + 25.0, -80.0, 80.0);
            const double lon = std::remainder(centre.longitude - 30.0, 360.0);
            QPoint pixel;
            ASSERT_TRUE(PixelOf(w, lat, lon, pixel)) << event << " " << position;
            panel->hide();
            QTest::mouseDClick(globe, Qt::LeftButton, {}, pixel);
            ASSERT_TRUE(panel->isVisible()) << event << " " << position;
            // Within the ground size of a pixel or two.
            const double tolerance = 2.0 * 57.3 / ppr;
            EXPECT_NEAR(panel->latitude(), lat, tolerance) << event << " " << position;
            EXPECT_NEAR(std::remainder(panel->longitude() - lon, 360.0), 0.0,
                        tolerance / std::cos(lat * M_PI / 180.0))
                << event << " " << position;
        }
    }
    // Off the disc (a corner with the globe at its smallest) nothing opens.
    zoom->setValue(overlays::zoom::kReset);
    control<QPushButton>("Button_Center_Globe")->click();
    const double ppr = w.findChild<GlobePanel*>()->PixelsPerRadius();
    ASSERT_GT(std::hypot(globe->Projector().XOrigin() - 2, globe->Projector().YOrigin() - 2),
              ppr + 5.0);
    panel->hide();
    QTest::mouseDClick(globe, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(panel->isVisible());

    // The pop-up's button opens it for the point where the pop-up was asked.
    const astro::GeoDegrees centre = w.Shown().SubPlanetaryPoint();
    QPoint pixel;
    ASSERT_TRUE(PixelOf(w, centre.latitude - 10.0, centre.longitude + 15.0, pixel));
    QTest::mousePress(globe, Qt::RightButton, {}, pixel);
    QTest::mouseRelease(globe, Qt::RightButton, {}, pixel);
    ASSERT_TRUE(control<QWidget>("Panel_GlobeControl")->isVisible());
    auto* here = control<QPushButton>("Button_Umstaende_Hier");
    EXPECT_EQ(here->text(), QStringLiteral("Umstände hier"));
    here->click();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_FALSE(control<QWidget>("Panel_GlobeControl")->isVisible());
    EXPECT_NEAR(panel->latitude(), centre.latitude - 10.0, 1.0);

    // It follows the language, the time scale and the event while open.
    action("Opt_English")->trigger();
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Circumstances here"));
    EXPECT_EQ(here->text(), QStringLiteral("Circumstances here"));
    const QString english = panel->text();
    control<QCheckBox>("CheckBox_ET_UT")->toggle();
    EXPECT_NE(panel->text(), english);
    const QString timeScale = panel->text();
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(kCentral);
    EXPECT_NE(panel->text(), timeScale);

    // Marker puts the point into the marker fields and shows the marker there.
    control<QPushButton>("Button_Umstaende_Marker")->click();
    EXPECT_TRUE(w.Shown().Marker().shown);
    EXPECT_NEAR(w.Shown().Marker().latitude, panel->latitude(), 1e-4);
    EXPECT_NEAR(w.Shown().Marker().longitude, panel->longitude(), 1e-4);
    EXPECT_EQ(control<QLineEdit>("Edit_PoI_Breite")->text(),
              QString::number(std::abs(panel->latitude()), 'f', 4));
}

TEST_F(WindowTest, DayNightAndVisibilityChangeThePictureAndSurviveARestart) {
    TForm_Main& w = start();
    auto* dayNight = control<QCheckBox>("CheckBox_TagNacht");
    auto* visibility = control<QCheckBox>("CheckBox_Sichtbarkeit");
    ASSERT_TRUE(dayNight && visibility);
    EXPECT_FALSE(dayNight->isChecked());
    EXPECT_FALSE(visibility->isChecked());
    EXPECT_EQ(dayNight->text(), QStringLiteral("Tag/Nacht"));
    EXPECT_EQ(visibility->text(), QStringLiteral("Sichtbarkeit"));
    action("Opt_Francais")->trigger();
    EXPECT_EQ(dayNight->text(), QStringLiteral("Jour/nuit"));
    EXPECT_EQ(visibility->text(), QStringLiteral("Visibilité"));

    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(kCentral);
    control<QPushButton>("Button_Resize_Globe")->click();
    globe::GlobeView* globe = GlobeOf(w);
    const QImage plain = globe->grab().toImage();
    dayNight->setChecked(true);
    const QImage shaded = globe->grab().toImage();
    EXPECT_NE(plain, shaded);
    // The shade follows the time slider.
    control<QScrollBar>("Time_ScrollBar")->setValue(0);
    const QImage earlier = globe->grab().toImage();
    EXPECT_NE(shaded, earlier);

    const auto layer = [this] {
        return GlobeOf(window())->GlobeLayer().LayerStore().LayerByName(
            overlays::kVisibilityLayerName);
    };
    visibility->setChecked(true);
    ASSERT_NE(layer(), nullptr);
    EXPECT_TRUE(layer()->Visible());
    EXPECT_GT(layer()->ObjectSource().ObjectCount(), 0);
    EXPECT_NE(globe->grab().toImage(), earlier);
    // Another event draws its own curves.
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(kPartial);
    ASSERT_NE(layer(), nullptr);
    EXPECT_TRUE(layer()->Visible());

    w.close();
    ASSERT_TRUE(QFile::exists(ViewOptionsPath(folders)));
    TForm_Main& again = start();
    EXPECT_TRUE(again.findChild<QCheckBox*>(QStringLiteral("CheckBox_TagNacht"))->isChecked());
    EXPECT_TRUE(again.findChild<QCheckBox*>(QStringLiteral("CheckBox_Sichtbarkeit"))->isChecked());
    ASSERT_NE(layer(), nullptr);
    EXPECT_TRUE(layer()->Visible());
    control<QCheckBox>("CheckBox_TagNacht")->setChecked(false);
    again.close();
    const ViewOptions saved = ReadViewOptions(ViewOptionsPath(folders));
    EXPECT_FALSE(saved.dayNight);
    EXPECT_TRUE(saved.visibility);
}

}  // namespace
}  // namespace zimbalo::app
