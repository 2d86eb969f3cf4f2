// The globe overlays and globe controls as the main window connects them.

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>

#include <gtest/gtest.h>

#include "app/globe_panel.h"
#include "app/info_panel.h"
#include "app/main_window.h"
#include "globe/geo_layer.h"
#include "globe/view/globe_view.h"
#include "overlays/center_line.h"
#include "overlays/globe_controls.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

using testing::WindowTest;

// The first event of the catalogue of the given type, 0 when there is none.
int FirstOfType(const TForm_Main& w, int type) {
    for (int k = 1; k <= w.Table().Count(); ++k) {
        if (w.Table()[k].OccType == type) {
            return k;
        }
    }
    return 0;
}

globe::GlobeView* GlobeOf(TForm_Main& w) {
    return w.findChild<globe::GlobeView*>(QStringLiteral("Globe"));
}

int CentralLineObjects(TForm_Main& w) {
    globe::GeoLayer* layer =
        GlobeOf(w)->GlobeLayer().LayerStore().LayerByName(overlays::kCenterLineLayerName);
    return layer != nullptr ? layer->ObjectSource().ObjectCount() : -1;
}

void Mouse(TForm_Main& w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
           Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), GlobeOf(w)->mapToGlobal(QPointF(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(GlobeOf(w), &event);
}

TEST_F(WindowTest, TheCentralLineFollowsTheEvent) {
    TForm_Main& w = start();
    const int central = FirstOfType(w, 2);
    const int partial = FirstOfType(w, 1);
    ASSERT_GT(central, 0);
    ASSERT_GT(partial, 0);
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(central);
    EXPECT_EQ(CentralLineObjects(w), 1);
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(partial);
    EXPECT_EQ(CentralLineObjects(w), 0);
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(central);
    EXPECT_EQ(CentralLineObjects(w), 1);
}

TEST_F(WindowTest, ResetCentresTheGlobeAtTheSmallScale) {
    start();
    control<QPushButton>("Button_Resize_Globe")->click();
    EXPECT_EQ(control<QSlider>("Zoom_TrackBar")->value(), 300);
    EXPECT_DOUBLE_EQ(control<globe::GlobeView>("Globe")->Projector().ScaleFactor(), 1.1e-06);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().XOrigin(),
              control<QWidget>("Panel_Globe")->width() / 2);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().YOrigin(),
              control<QWidget>("Panel_Globe")->height() / 2);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().XOrigin(),
              control<QWidget>("Panel_Globe")->width() / 2);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().YOrigin(),
              control<QWidget>("Panel_Globe")->height() / 2);
    EXPECT_FALSE(control<QWidget>("Panel_GlobeControl")->isVisible());
}

TEST_F(WindowTest, RightButtonOpensThePopUpAndMovesNothing) {
    TForm_Main& w = start();
    const int cx = control<globe::GlobeView>("Globe")->Projector().XOrigin();
    const int cy = control<globe::GlobeView>("Globe")->Projector().YOrigin();
    Mouse(w, QEvent::MouseButtonPress, QPoint(200, 150), Qt::RightButton, Qt::RightButton);
    Mouse(w, QEvent::MouseMove, QPoint(260, 190), Qt::NoButton, Qt::RightButton);
    Mouse(w, QEvent::MouseButtonRelease, QPoint(260, 190), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().XOrigin(), cx);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().YOrigin(), cy);
    EXPECT_TRUE(control<QWidget>("Panel_GlobeControl")->isVisible());
    EXPECT_EQ(control<QWidget>("Panel_GlobeControl")->pos(),
              control<globe::GlobeView>("Globe")->mapTo(control<QWidget>("Panel_Globe"),
                                                        QPoint(200, 173)));
    control<QPushButton>("Button_Exit_Globe")->click();
    EXPECT_FALSE(control<QWidget>("Panel_GlobeControl")->isVisible());
}

TEST_F(WindowTest, LeftDragSlidesTheGlobeAndAClickStopsPlay) {
    TForm_Main& w = start();
    const int cx = control<globe::GlobeView>("Globe")->Projector().XOrigin();
    const int cy = control<globe::GlobeView>("Globe")->Projector().YOrigin();
    const double latitude = control<globe::GlobeView>("Globe")->Projector().XRotation();
    Mouse(w, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseMove, QPoint(130, 80), Qt::NoButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, QPoint(130, 80), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().XOrigin(), cx + 30);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().YOrigin(), cy - 20);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().XOrigin(), cx + 30);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().XRotation(), latitude);

    control<QPushButton>("Button_Play")->click();
    ASSERT_TRUE(w.Playing());
    Mouse(w, QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, QPoint(50, 50), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(w.Playing());
}

TEST_F(WindowTest, TheSubPlanetaryCrossDoesNotRenderTheGlobeAgain) {
    start();
    control<QPushButton>("Button_Resize_Globe")->click();
    control<QCheckBox>("CheckBox_SSP")->setChecked(false);
    const QImage before = control<globe::GlobeView>("Globe")->grab().toImage();
    const int renders = control<globe::GlobeView>("Globe")->RenderCount();
    control<QCheckBox>("CheckBox_SSP")->setChecked(true);
    const QImage after = control<globe::GlobeView>("Globe")->grab().toImage();
    EXPECT_EQ(control<globe::GlobeView>("Globe")->RenderCount(), renders);
    const QPoint centre(control<globe::GlobeView>("Globe")->Projector().XOrigin(),
                        control<globe::GlobeView>("Globe")->Projector().YOrigin() + 3);
    EXPECT_NE(before.pixel(centre), after.pixel(centre));
    EXPECT_EQ(after.pixel(centre) & 0xFFFFFF, 0xFFFF00u);
    // The overlay's drawing fills grid row 11 with the umbral diameter.
    EXPECT_EQ(control<QTableWidget>("SG")->item(11, 0)->text(),
              LanguageString(19, Language::German));
    EXPECT_FALSE(control<QTableWidget>("SG")->item(11, 1)->text().isEmpty());
    EXPECT_EQ(control<QTableWidget>("SG")->item(11, 2)->text(), QStringLiteral(" km"));
}

TEST_F(WindowTest, AResizeKeepsTheCentreAndTheZoom) {
    TForm_Main& w = start();
    control<QPushButton>("Button_Resize_Globe")->click();
    const int cx = control<globe::GlobeView>("Globe")->Projector().XOrigin();
    const int cy = control<globe::GlobeView>("Globe")->Projector().YOrigin();
    w.resize(w.width() + 120, w.height() + 60);
    QCoreApplication::processEvents();
    control<globe::GlobeView>("Globe")->grab();
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().XOrigin(), cx);
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Projector().YOrigin(), cy);
    EXPECT_DOUBLE_EQ(control<globe::GlobeView>("Globe")->Projector().ScaleFactor(), 1.1e-06);
    EXPECT_NEAR(control<GlobePanel>("GlobePanel")->PixelsPerRadius(),
                control<globe::GlobeView>("Globe")->Projector().Model().Radius(), 1e-9);
}

}  // namespace
}  // namespace zimbalo::app
