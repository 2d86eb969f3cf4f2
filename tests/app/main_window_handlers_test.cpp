#include <cmath>
#include <functional>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "astro/time_scales.h"
#include "globe/view/globe_view.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

using testing::WindowTest;

QStringList rowTexts(QTableWidget* grid, int row) {
    return {grid->item(row, 0)->text(), grid->item(row, 1)->text(), grid->item(row, 2)->text()};
}

/// First event for which the predicate holds, or 0.
template <typename Pred>
int findEvent(const TForm_Main& w, Pred pred) {
    for (int k = 1; k <= w.Table().Count(); ++k)
        if (pred(w.Table()[k]))
            return k;
    return 0;
}

using WindowHandlers = WindowTest;

TEST_F(WindowHandlers, TheFirstEventAtT0InEveryGridRow) {
    // Event 1: Jupiter, 1980-01-07, T0 = 04:00 TT, total. The values regress against the
    // first start; the central point and duration agree with the place lists of that event.
    TForm_Main& w = start();
    EXPECT_EQ(control<QLabel>("Label_Planet")->text(), "Jupiter");
    EXPECT_EQ(control<QLabel>("Label_Bedeckungstyp")->text(), "Totale Bedeckung");
    EXPECT_EQ(control<QLabel>("Label_DatumZeit")->text(), "1980-01-07  04:00:00 TT");
    const QStringList expected[] = {
        {" T-T0", "0.0000", " Std"},
        {" BElm.x", "-0.1301", " R(Erde)"},
        {" BElm.y", "-0.2496", " R(Erde)"},
        {" BElm.d", "8.9", " \u00B0"},
        {" BElm.M", "3.9", " \u00B0"},
        {" BElm.L1", "0.2790", " R(Erde)"},
        {" BElm.L2", "-0.2663", " R(Erde)"},
        {" BElm.tanf1", "0.00010", " "},
        {" BElm.tanf2", "0.00010", " "},
        {" Gamma", "-0.2777", " R(Erde)"},
        {" zeta", "0.9594", " R(Erde)"},
        {"", "", ""},
        {"", "", ""},
        {" Zentrallinie:", "", ""},
        {" Geogr.L\u00E4nge", "-11.400", " \u00B0"},
        {" Geogr.Breite", "-5.693", " \u00B0"},
        {" Dauer", "  01:43:22", " h:mm:ss"},
        {" Planet:H\u00F6he", "73.6", " \u00B0"},
        {" Planet:Azim.", "-152.7", " \u00B0"},
        {"", "", ""},
        {" Sonne :H\u00F6he", "-36.0", " \u00B0"},
    };
    auto* grid = control<QTableWidget>("SG");
    for (int row = 0; row < 21; ++row)
        EXPECT_EQ(rowTexts(grid, row), expected[row]) << "row " << row;
    EXPECT_EQ(w.windowTitle(), w.BaseTitle() + QString(10, ' ') + "Jupiter: Totale Bedeckung"
                                   + QString(5, ' ') + "1980-01-07  04:00:00 TT");
    // The globe looks along the shadow axis: the centre is the sub-planetary point.
    EXPECT_NEAR(control<globe::GlobeView>("Globe")->Projector().XRotation(),
                w.Shown().Elements().d * 180.0 / M_PI, 0.2);
}

TEST_F(WindowHandlers, AtClosestApproachTheAxisPassesAtGammaFromTheCentre) {
    TForm_Main& w = start();
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(4);  // to its closest approach
    const astro::BesselRecord& r = w.Shown().Record();
    EXPECT_EQ(control<QLineEdit>("Edit_Jahr")->text(), "1980");
    EXPECT_NE(control<QScrollBar>("Time_ScrollBar")->value(), 6300);
    const double x = cell(1, 1).toDouble();
    const double y = cell(2, 1).toDouble();
    EXPECT_NEAR(std::hypot(x, y), std::fabs(r.Gamma), 2e-3);
    // The catalogue's greatest occultation is within seconds of the linearised closest approach.
    EXPECT_NEAR(w.Shown().JD_TT(), r.EventJD, 30.0 / 86400.0);
}

TEST_F(WindowHandlers, TimeScaleSwitchesBetweenTTAndUT) {
    TForm_Main& w = start();
    auto* box = control<QCheckBox>("CheckBox_ET_UT");
    auto* line = control<QLabel>("Label_DatumZeit");
    const globe::GeoProjector& projector = control<globe::GlobeView>("Globe")->Projector();
    EXPECT_EQ(box->text(), "TT");
    EXPECT_DOUBLE_EQ(w.Shown().DeltaTSeconds(), 0.0);
    EXPECT_NEAR(w.Shown().JD_UT(), w.Shown().JD_TT(), 1e-9);
    const double subLongitudeTT = projector.YRotation();
    const QString ttLine = line->text();
    EXPECT_TRUE(ttLine.endsWith(" TT"));

    box->click();
    const double deltaT = astro::DeltaT(1980, 1);
    EXPECT_DOUBLE_EQ(w.Shown().DeltaTSeconds(), deltaT);
    EXPECT_EQ(box->text(), "UT (DeltaT = " + QString::number(deltaT, 'f', 1) + ")");
    EXPECT_NEAR((w.Shown().JD_TT() - w.Shown().JD_UT()) * 86400.0, deltaT, 0.5);
    EXPECT_EQ(line->text(), "1980-01-07  03:59:09 UT") << "51 s earlier";
    // The same instant seen with Delta T: the Earth has turned by 0.00417807 degrees per second.
    EXPECT_NEAR(projector.YRotation() - subLongitudeTT, deltaT * 0.00417807, 1e-3);

    box->click();
    EXPECT_EQ(line->text(), ttLine);
    EXPECT_EQ(box->text(), "TT");
}

TEST_F(WindowHandlers, EachControlRecomputesTheShownInstantOnce) {
    TForm_Main& w = start();
    const std::pair<const char*, std::function<void()>> entries[] = {
        {"event slider", [this] { control<QScrollBar>("ScrollBar_Bedeckung")->setValue(40); }},
        {"year field",
         [this] {
             control<QLineEdit>("Edit_Jahr")->setText("2001");
             QTest::keyClick(control<QLineEdit>("Edit_Jahr"), Qt::Key_Return);
         }},
        {"time slider", [this] { control<QScrollBar>("Time_ScrollBar")->setValue(5000); }},
        {"time scale", [this] { control<QCheckBox>("CheckBox_ET_UT")->click(); }},
        {"marker field", [this] { control<QLineEdit>("Edit_PoI_Breite")->setText("12.5"); }},
        {"language", [this] { action("Opt_English")->trigger(); }},
    };
    for (const auto& [name, entry] : entries) {
        const int before = w.Shown().RecomputeCount();
        entry();
        EXPECT_EQ(w.Shown().RecomputeCount(), before + 1) << name;
    }
}

TEST_F(WindowHandlers, YearFieldActsOnEnterOnly) {
    TForm_Main& w = start();
    auto* events = control<QScrollBar>("ScrollBar_Bedeckung");
    auto* year = control<QLineEdit>("Edit_Jahr");
    events->setValue(900);
    year->setText("1975");
    QTest::keyClick(year, Qt::Key_Tab);
    EXPECT_EQ(events->value(), 900) << "only Enter acts";
    year->setText("1975");
    QTest::keyClick(year, Qt::Key_Return);
    EXPECT_EQ(year->text(), "1980");
    EXPECT_EQ(events->value(), 1);
    EXPECT_EQ(w.Shown().Index(), 1);

    year->setText("2200");
    QTest::keyClick(year, Qt::Key_Enter);
    EXPECT_EQ(year->text(), "2100");
    const int first2100 = events->value();
    EXPECT_EQ(w.Table()[first2100].Year, 2100);
    EXPECT_LT(w.Table()[first2100 - 1].Year, 2100);
    EXPECT_EQ(control<QLabel>("Label_DatumZeit")->text().left(4), "2100");

    year->setText("abc");
    QTest::keyClick(year, Qt::Key_Return);
    EXPECT_EQ(year->text(), "abc");
    EXPECT_EQ(events->value(), first2100);
}

TEST_F(WindowHandlers, AnEventFarFromT0PutsTheSliderAtTheNearerEnd) {
    // The catalogue's closest approaches all lie near T0; two copies of event 1 with the axis
    // shifted along its path by 5 hours either way lie beyond the slider's ends.
    const astro::BesselTable delivered =
        astro::LoadCatalogue((*folders.data + astro::kCatalogueFileName).toStdString());
    std::vector<astro::BesselRecord> records(3, delivered[1]);
    for (const double shift : {5.0, -5.0}) {
        astro::BesselRecord& r = records[shift > 0 ? 1 : 2];
        for (const auto e : {astro::kX, astro::kY})
            r.coef[e][0] -= shift * r.coef[e][1];
        ASSERT_NEAR(astro::ClosestApproachOffset(r), shift, 0.2);
    }
    SettingsRecord settings = DefaultSettings("1.0.0");
    TForm_Main w(folders, settings, astro::BesselTable(records), dialogs);
    w.show();
    auto* events = find<QScrollBar>(w, "ScrollBar_Bedeckung");
    auto* time = find<QScrollBar>(w, "Time_ScrollBar");
    auto* grid = find<QTableWidget>(w, "SG");
    events->setValue(2);
    EXPECT_EQ(time->value(), 12600);
    EXPECT_DOUBLE_EQ(w.Shown().TimeOffset(), 3.5);
    EXPECT_EQ(grid->item(0, 1)->text(), "3.5000");
    events->setValue(3);
    EXPECT_EQ(time->value(), 0);
    EXPECT_EQ(grid->item(0, 1)->text(), "-3.5000");
}

TEST_F(WindowHandlers, WhereTheAxisMissesTheEarthTheCentralRowsAreEmpty) {
    TForm_Main& w = start();
    const int k = findEvent(
        w, [](const astro::BesselRecord& r) { return !astro::AxisContactTimes(r).has_value(); });
    ASSERT_NE(k, 0) << "a catalogue without a non-central event";
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(k);
    EXPECT_EQ(cell(10, 1), "0.0000");
    for (int row = 13; row <= 20; ++row)
        EXPECT_EQ(rowTexts(control<QTableWidget>("SG"), row), (QStringList{"", "", ""}))
            << "row " << row;
    EXPECT_FALSE(w.Shown().Axis().axisOnEarth);
    EXPECT_FALSE(cell(9, 1).isEmpty()) << "the element rows stay";
}

TEST_F(WindowHandlers, PlanetButtonChecksAllSeven) {
    start();
    QTest::mouseClick(control<QPushButton>("Button_alle"), Qt::LeftButton);
    for (const char* name : {"CheckBox_Mer", "CheckBox_Ven", "CheckBox_Mar", "CheckBox_Jup",
                             "CheckBox_Sat", "CheckBox_Ura", "CheckBox_Nep"})
        EXPECT_TRUE(control<QCheckBox>(name)->isChecked()) << name;
}

using Play = WindowTest;

TEST_F(Play, EachDirectionStopsAtItsLimit) {
    TForm_Main& w = start();
    auto* time = control<QScrollBar>("Time_ScrollBar");

    const struct {
        const char* button;
        int from;
        int to;
    } cases[] = {
        {"Button_Play", 12500, 12595},     {"Button_Play", 12597, 12597},
        {"Button_FastPlay", 12500, 12590}, {"Button_Reverse", 100, 5},
        {"Button_FastReverse", 100, 10},   {"Button_FastReverse", 30, 30},
    };

    for (const auto& c : cases) {
        time->setValue(c.from);
        QTest::mouseClick(control<QPushButton>(c.button), Qt::LeftButton);
        EXPECT_TRUE(playEnds());
        EXPECT_EQ(time->value(), c.to) << c.button;
        EXPECT_EQ(w.Shown().TimePosition(), c.to);
        EXPECT_DOUBLE_EQ(w.Shown().TimeOffset(), OffsetOfPosition(c.to));
    }
}

TEST_F(Play, StopAGlobeClickAndAnotherEventEndIt) {
    TForm_Main& w = start();
    auto* time = control<QScrollBar>("Time_ScrollBar");

    const struct {
        const char* button;
        std::function<void()> end;
    } cases[] = {
        {"Button_Play",
         [this] { QTest::mouseClick(control<QPushButton>("Button_Stop"), Qt::LeftButton); }},
        {"Button_FastPlay",
         [this] { QTest::mouseClick(control<globe::GlobeView>("Globe"), Qt::LeftButton); }},
        {"Button_Play", [this] { control<QScrollBar>("ScrollBar_Bedeckung")->setValue(7); }},
    };

    for (const auto& c : cases) {
        time->setValue(1000);
        QTest::mouseClick(control<QPushButton>(c.button), Qt::LeftButton);
        EXPECT_TRUE(w.Playing());
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.Shown().TimePosition() > 1000; }));
        c.end();
        EXPECT_FALSE(w.Playing()) << c.button;
        const int stopped = w.Shown().TimePosition();
        QTest::qWait(20);
        EXPECT_EQ(w.Shown().TimePosition(), stopped) << "no step after the end";
    }
}

TEST_F(Play, AnotherPressWhilePlayingTurnsIt) {
    start();
    auto* time = control<QScrollBar>("Time_ScrollBar");
    time->setValue(1000);
    QTest::mouseClick(control<QPushButton>("Button_Play"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return time->value() > 1000; }));
    QTest::mouseClick(control<QPushButton>("Button_FastReverse"), Qt::LeftButton);
    // One play runs, now backward by the fast step, to the fast reverse limit.
    EXPECT_TRUE(playEnds());
    EXPECT_EQ(time->value() % 5, 0);
    EXPECT_LE(time->value(), 30);
    EXPECT_GT(time->value(), 0);
}

TEST_F(Play, ClosingEndsItAndSaves) {
    TForm_Main& w = start();
    auto* time = control<QScrollBar>("Time_ScrollBar");
    time->setValue(2000);
    QTest::mouseClick(control<QPushButton>("Button_Play"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return time->value() > 2000; }));
    w.close();
    EXPECT_TRUE(w.Closing());
    EXPECT_FALSE(w.Playing());
    const int stopped = w.Shown().TimePosition();
    QTest::qWait(20);
    EXPECT_EQ(w.Shown().TimePosition(), stopped);
    EXPECT_TRUE(temporaryFiles().isEmpty());
    const auto saved = testing::SavedSettings(folders);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->timePosition, stopped);
}

TEST_F(WindowHandlers, ResizeLaysOutTheGlobePanel) {
    TForm_Main& w = start();
    auto* panel = control("Panel_Globe");
    auto* globe = control<globe::GlobeView>("Globe");
    for (const QSize size : {QSize(1400, 900), QSize(800, 600), QSize(1024, 773)}) {
        w.resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(globe->geometry(), panel->rect());
        EXPECT_EQ(control("Button_Play")->y(), panel->height() - 28);
        EXPECT_EQ(control("Zoom_TrackBar")->x(), panel->width() - 32);
        EXPECT_EQ(control("Zoom_TrackBar")->y(), panel->height() - 179);
        EXPECT_EQ(control("Time_ScrollBar")->width(), panel->width());
        EXPECT_GE(control("Time_ScrollBar")->mapTo(&w, QPoint(0, 0)).y(),
                  panel->mapTo(&w, QPoint(0, panel->height())).y());
        EXPECT_GT(panel->mapTo(&w, QPoint(0, 0)).x(), control("SG")->width())
            << "the globe lies right of the left column";
    }
}

TEST_F(WindowHandlers, CtrlKeysMoveAndCentreTheGlobe) {
    TForm_Main& w = start();
    QApplication::setActiveWindow(&w);
    const globe::GeoProjector& projector = control<globe::GlobeView>("Globe")->Projector();
    const int x = projector.XOrigin();
    const int y = projector.YOrigin();
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(projector.XOrigin(), x + 50);
    EXPECT_EQ(projector.YOrigin(), y + 50);
    QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(projector.XOrigin(), x);
    EXPECT_EQ(projector.YOrigin(), y);
    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(projector.XOrigin(), control("Panel_Globe")->width() / 2);
    EXPECT_EQ(projector.YOrigin(), control("Panel_Globe")->height() / 2);
}

}  // namespace
}  // namespace zimbalo::app
