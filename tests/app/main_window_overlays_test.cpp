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

int CentralLineObjects(TForm_Main& w) {
    globe::GeoLayer* layer =
        w.Globe->GlobeLayer().LayerStore().LayerByName(overlays::kCenterLineLayerName);
    return layer != nullptr ? layer->ObjectSource().ObjectCount() : -1;
}

void Mouse(TForm_Main& w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
           Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), w.Globe->mapToGlobal(QPointF(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(w.Globe, &event);
}

TEST_F(WindowTest, TheCentralLineFollowsTheEvent) {
    TForm_Main& w = start();
    const int central = FirstOfType(w, 2);
    const int partial = FirstOfType(w, 1);
    ASSERT_GT(central, 0);
    ASSERT_GT(partial, 0);
    w.ScrollBar_Bedeckung->setValue(central);
    EXPECT_EQ(CentralLineObjects(w), 1);
    w.ScrollBar_Bedeckung->setValue(partial);
    EXPECT_EQ(CentralLineObjects(w), 0);
    w.ScrollBar_Bedeckung->setValue(central);
    EXPECT_EQ(CentralLineObjects(w), 1);
}

TEST_F(WindowTest, ResetCentresTheGlobeAtTheSmallScale) {
    TForm_Main& w = start();
    w.Button_Resize_Globe->click();
    EXPECT_EQ(w.Zoom_TrackBar->value(), 300);
    EXPECT_DOUBLE_EQ(w.Globe->Projector().ScaleFactor(), 1.1e-06);
    EXPECT_EQ(w.State().GlobeOriginX, w.Panel_Globe->width() / 2);
    EXPECT_EQ(w.State().GlobeOriginY, w.Panel_Globe->height() / 2);
    EXPECT_EQ(w.Globe->Projector().XOrigin(), w.Panel_Globe->width() / 2);
    EXPECT_EQ(w.Globe->Projector().YOrigin(), w.Panel_Globe->height() / 2);
    EXPECT_FALSE(w.Panel_GlobeControl->isVisible());
}

TEST_F(WindowTest, RightButtonOpensThePopUpAndMovesNothing) {
    TForm_Main& w = start();
    const int cx = w.State().GlobeOriginX;
    const int cy = w.State().GlobeOriginY;
    Mouse(w, QEvent::MouseButtonPress, QPoint(200, 150), Qt::RightButton, Qt::RightButton);
    Mouse(w, QEvent::MouseMove, QPoint(260, 190), Qt::NoButton, Qt::RightButton);
    Mouse(w, QEvent::MouseButtonRelease, QPoint(260, 190), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(w.State().GlobeOriginX, cx);
    EXPECT_EQ(w.State().GlobeOriginY, cy);
    EXPECT_TRUE(w.Panel_GlobeControl->isVisible());
    EXPECT_EQ(w.Panel_GlobeControl->pos(), w.Globe->mapTo(w.Panel_Globe, QPoint(200, 173)));
    w.Button_Exit_Globe->click();
    EXPECT_FALSE(w.Panel_GlobeControl->isVisible());
}

TEST_F(WindowTest, LeftDragSlidesTheGlobeAndAClickStopsPlay) {
    TForm_Main& w = start();
    const int cx = w.State().GlobeOriginX;
    const int cy = w.State().GlobeOriginY;
    const double latitude = w.Globe->Projector().XRotation();
    Mouse(w, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseMove, QPoint(130, 80), Qt::NoButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, QPoint(130, 80), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.State().GlobeOriginX, cx + 30);
    EXPECT_EQ(w.State().GlobeOriginY, cy - 20);
    EXPECT_EQ(w.Globe->Projector().XOrigin(), cx + 30);
    EXPECT_EQ(w.Globe->Projector().XRotation(), latitude);

    w.State().Animating = true;
    Mouse(w, QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, QPoint(50, 50), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(w.State().Animating);
}

TEST_F(WindowTest, TheSubPlanetaryCrossDoesNotRenderTheGlobeAgain) {
    TForm_Main& w = start();
    w.Button_Resize_Globe->click();
    w.CheckBox_SSP->setChecked(false);
    const QImage before = w.Globe->grab().toImage();
    const int renders = w.Globe->RenderCount();
    w.CheckBox_SSP->setChecked(true);
    const QImage after = w.Globe->grab().toImage();
    EXPECT_EQ(w.Globe->RenderCount(), renders);
    const QPoint centre(w.State().GlobeOriginX, w.State().GlobeOriginY + 3);
    EXPECT_NE(before.pixel(centre), after.pixel(centre));
    EXPECT_EQ(after.pixel(centre) & 0xFFFFFF, 0xFFFF00u);
    // The overlay's drawing fills grid row 11 with the umbral diameter.
    EXPECT_EQ(w.SG->item(11, 0)->text(), w.Text(19));
    EXPECT_FALSE(w.SG->item(11, 1)->text().isEmpty());
    EXPECT_EQ(w.SG->item(11, 2)->text(), QStringLiteral(" km"));
}

TEST_F(WindowTest, AResizeKeepsTheCentreAndTheZoom) {
    TForm_Main& w = start();
    w.Button_Resize_Globe->click();
    const int cx = w.State().GlobeOriginX;
    const int cy = w.State().GlobeOriginY;
    w.resize(w.width() + 120, w.height() + 60);
    QCoreApplication::processEvents();
    w.Globe->grab();
    EXPECT_EQ(w.Globe->Projector().XOrigin(), cx);
    EXPECT_EQ(w.Globe->Projector().YOrigin(), cy);
    EXPECT_DOUBLE_EQ(w.Globe->Projector().ScaleFactor(), 1.1e-06);
    EXPECT_NEAR(w.PixelsPerRadius(), w.Globe->Projector().Model().Radius(), 1e-9);
}

}  // namespace
}  // namespace zimbalo::app
