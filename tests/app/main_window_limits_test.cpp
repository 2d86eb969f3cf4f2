// The limits of the path on the main window's globe and their check box.

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QScrollBar>
#include <QSlider>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "globe/geo_layer.h"
#include "globe/view/globe_view.h"
#include "overlays/limits_layer.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

using testing::WindowTest;

globe::GeoLayer* LimitsLayer(TForm_Main& w) {
    return w.findChild<globe::GlobeView*>(QStringLiteral("Globe"))
        ->GlobeLayer()
        .LayerStore()
        .LayerByName(overlays::kLimitsLayerName);
}

// Event 626: Venus, central, all four limits on the Earth; 1434: partial, one of each shadow.
constexpr int kCentral = 626;
constexpr int kPartial = 1434;

TEST_F(WindowTest, TheLimitsFollowTheEventAndTheirBox) {
    TForm_Main& w = start();
    auto* box = w.findChild<QCheckBox*>(QStringLiteral("CheckBox_Limits"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(box->text(), QStringLiteral("Bedeckungsgrenzen"));

    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(kCentral);
    ASSERT_NE(LimitsLayer(w), nullptr);
    EXPECT_EQ(LimitsLayer(w)->ObjectSource().ObjectCount(), 4);
    EXPECT_TRUE(LimitsLayer(w)->Visible());
    control<QSlider>("Zoom_TrackBar")->setValue(control<QSlider>("Zoom_TrackBar")->maximum());

    box->setChecked(false);
    EXPECT_FALSE(LimitsLayer(w)->Visible());
    // A new event keeps them hidden; the time scale switch rebuilds them too.
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(kPartial);
    ASSERT_NE(LimitsLayer(w), nullptr);
    EXPECT_EQ(LimitsLayer(w)->ObjectSource().ObjectCount(), 2);
    EXPECT_FALSE(LimitsLayer(w)->Visible());
    box->setChecked(true);
    control<QCheckBox>("CheckBox_ET_UT")
        ->setChecked(!control<QCheckBox>("CheckBox_ET_UT")->isChecked());
    ASSERT_NE(LimitsLayer(w), nullptr);
    EXPECT_TRUE(LimitsLayer(w)->Visible());
    EXPECT_EQ(LimitsLayer(w)->ObjectSource().ObjectCount(), 2);
}

TEST_F(WindowTest, TheLimitsBoxSpeaksTheLanguageAndIsNotSaved) {
    TForm_Main& w = start();
    auto* box = w.findChild<QCheckBox*>(QStringLiteral("CheckBox_Limits"));
    ASSERT_NE(box, nullptr);
    action("Opt_English")->trigger();
    EXPECT_EQ(box->text(), QStringLiteral("Path limits"));
    action("Opt_Francais")->trigger();
    EXPECT_EQ(box->text(), QStringLiteral("Limites de la zone"));
    action("Opt_Deutsch")->trigger();
    EXPECT_EQ(box->text(), QStringLiteral("Bedeckungsgrenzen"));

    box->setChecked(false);
    w.close();
    QFile file(SettingsPath(folders));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), 243);
    // Every start shows the limits.
    TForm_Main& again = start();
    auto* next = again.findChild<QCheckBox*>(QStringLiteral("CheckBox_Limits"));
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->isChecked());
}

}  // namespace
}  // namespace zimbalo::app
