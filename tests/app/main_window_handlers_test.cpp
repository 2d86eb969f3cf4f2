#include <cmath>

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

QString cell(const TForm_Main& w, int row, int column) {
    return w.SG->item(row, column)->text();
}

QStringList rowTexts(const TForm_Main& w, int row) {
    return {cell(w, row, 0), cell(w, row, 1), cell(w, row, 2)};
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
    EXPECT_EQ(w.Label_Planet->text(), "Jupiter");
    EXPECT_EQ(w.Label_Bedeckungstyp->text(), "Totale Bedeckung");
    EXPECT_EQ(w.Label_DatumZeit->text(), "1980-01-07  04:00:00 TT");
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
    for (int row = 0; row < 21; ++row)
        EXPECT_EQ(rowTexts(w, row), expected[row]) << "row " << row;
    EXPECT_EQ(w.windowTitle(), w.BaseTitle() + QString(10, ' ') + "Jupiter: Totale Bedeckung"
                                   + QString(5, ' ') + "1980-01-07  04:00:00 TT");
    // The globe looks along the shadow axis: the centre is the sub-planetary point.
    EXPECT_NEAR(w.Globe->Projector().XRotation(), w.Elements().d * 180.0 / M_PI, 0.2);
}

TEST_F(WindowHandlers, AtClosestApproachTheAxisPassesAtGammaFromTheCentre) {
    TForm_Main& w = start();
    w.ScrollBar_Bedeckung->setValue(4);  // a new event moves the slider to its closest approach
    const astro::BesselRecord& r = w.CurrentRecord();
    EXPECT_EQ(w.Edit_Jahr->text(), "1980");
    EXPECT_NE(w.Time_ScrollBar->value(), 6300);
    const double x = cell(w, 1, 1).toDouble();
    const double y = cell(w, 2, 1).toDouble();
    EXPECT_NEAR(std::hypot(x, y), std::fabs(r.Gamma), 2e-3);
    // The catalogue's greatest occultation is within seconds of the linearised closest approach.
    EXPECT_NEAR(w.State().JD_TT, r.EventJD, 30.0 / 86400.0);
}

TEST_F(WindowHandlers, TimeScaleSwitchesBetweenTTAndUT) {
    TForm_Main& w = start();
    EXPECT_EQ(w.CheckBox_ET_UT->text(), "TT");
    EXPECT_DOUBLE_EQ(w.State().DeltaTSeconds, 0.0);
    EXPECT_NEAR(w.State().JD_UT, w.State().JD_TT, 1e-9);
    const double subLongitudeTT = w.Globe->Projector().YRotation();
    const QString ttLine = w.Label_DatumZeit->text();
    EXPECT_TRUE(ttLine.endsWith(" TT"));

    w.CheckBox_ET_UT->setChecked(true);
    const double deltaT = astro::DeltaT(1980, 1);
    EXPECT_DOUBLE_EQ(w.State().DeltaTSeconds, deltaT);
    EXPECT_EQ(w.CheckBox_ET_UT->text(), "UT (DeltaT = " + QString::number(deltaT, 'f', 1) + ")");
    EXPECT_NEAR((w.State().JD_TT - w.State().JD_UT) * 86400.0, deltaT, 0.5);
    EXPECT_EQ(w.Label_DatumZeit->text(), "1980-01-07  03:59:09 UT") << "51 s earlier";
    // The same instant seen with Delta T: the Earth has turned by 0.00417807 degrees per second.
    EXPECT_NEAR(w.Globe->Projector().YRotation() - subLongitudeTT, deltaT * 0.00417807, 1e-3);

    w.CheckBox_ET_UT->setChecked(false);
    EXPECT_EQ(w.Label_DatumZeit->text(), ttLine);
    EXPECT_EQ(w.CheckBox_ET_UT->text(), "TT");
}

TEST_F(WindowHandlers, YearFieldActsOnEnterOnly) {
    TForm_Main& w = start();
    w.ScrollBar_Bedeckung->setValue(900);
    w.Edit_Jahr->setText("1975");
    QTest::keyClick(w.Edit_Jahr, Qt::Key_Tab);
    EXPECT_EQ(w.ScrollBar_Bedeckung->value(), 900) << "only Enter acts";
    w.Edit_Jahr->setText("1975");
    QTest::keyClick(w.Edit_Jahr, Qt::Key_Return);
    EXPECT_EQ(w.Edit_Jahr->text(), "1980");
    EXPECT_EQ(w.ScrollBar_Bedeckung->value(), 1);
    EXPECT_EQ(w.State().CurrentIndex, 1);

    w.Edit_Jahr->setText("2200");
    QTest::keyClick(w.Edit_Jahr, Qt::Key_Enter);
    EXPECT_EQ(w.Edit_Jahr->text(), "2100");
    const int first2100 = w.ScrollBar_Bedeckung->value();
    EXPECT_EQ(w.Table()[first2100].Year, 2100);
    EXPECT_LT(w.Table()[first2100 - 1].Year, 2100);
    EXPECT_EQ(w.Label_DatumZeit->text().left(4), "2100");

    w.Edit_Jahr->setText("abc");
    QTest::keyClick(w.Edit_Jahr, Qt::Key_Return);
    EXPECT_EQ(w.Edit_Jahr->text(), "abc");
    EXPECT_EQ(w.ScrollBar_Bedeckung->value(), first2100);
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
    w.ScrollBar_Bedeckung->setValue(2);
    EXPECT_EQ(w.Time_ScrollBar->value(), 12600);
    EXPECT_DOUBLE_EQ(w.State().TimeOffset, 3.5);
    EXPECT_EQ(cell(w, 0, 1), "3.5000");
    w.ScrollBar_Bedeckung->setValue(3);
    EXPECT_EQ(w.Time_ScrollBar->value(), 0);
    EXPECT_EQ(cell(w, 0, 1), "-3.5000");
}

TEST_F(WindowHandlers, WhereTheAxisMissesTheEarthTheCentralRowsAreEmpty) {
    TForm_Main& w = start();
    const int k = findEvent(
        w, [](const astro::BesselRecord& r) { return !astro::AxisContactTimes(r).has_value(); });
    ASSERT_NE(k, 0) << "a catalogue without a non-central event";
    w.ScrollBar_Bedeckung->setValue(k);
    EXPECT_EQ(cell(w, 10, 1), "0.0000");
    for (int row = 13; row <= 20; ++row)
        EXPECT_EQ(rowTexts(w, row), (QStringList{"", "", ""})) << "row " << row;
    EXPECT_FALSE(w.Axis().axisOnEarth);
    EXPECT_FALSE(cell(w, 9, 1).isEmpty()) << "the element rows stay";
}

TEST_F(WindowHandlers, PlanetButtonChecksAllSeven) {
    TForm_Main& w = start();
    QTest::mouseClick(w.Button_alle, Qt::LeftButton);
    for (const QCheckBox* box : {w.CheckBox_Mer, w.CheckBox_Ven, w.CheckBox_Mar, w.CheckBox_Jup,
                                 w.CheckBox_Sat, w.CheckBox_Ura, w.CheckBox_Nep})
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
}

using PlayLoops = WindowTest;

TEST_F(PlayLoops, EachLoopStopsAtItsLimit) {
    TForm_Main& w = start();

    const struct {
        QPushButton* button;
        int from;
        int to;
    } cases[] = {
        {w.Button_Play, 12500, 12595},     {w.Button_Play, 12597, 12597},
        {w.Button_FastPlay, 12500, 12590}, {w.Button_Reverse, 100, 5},
        {w.Button_FastReverse, 100, 10},   {w.Button_FastReverse, 30, 30},
    };

    for (const auto& c : cases) {
        w.Time_ScrollBar->setValue(c.from);
        QTest::mouseClick(c.button, Qt::LeftButton);
        EXPECT_EQ(w.Time_ScrollBar->value(), c.to) << c.button->objectName().toStdString();
        EXPECT_FALSE(w.State().Animating);
        EXPECT_DOUBLE_EQ(w.State().TimeOffset, OffsetOfPosition(c.to));
    }
}

TEST_F(PlayLoops, StopAndAClickOnTheGlobeEndTheLoop) {
    TForm_Main& w = start();
    w.Time_ScrollBar->setValue(1000);
    QTimer::singleShot(0, &w, [&w] { QTest::mouseClick(w.Button_Stop, Qt::LeftButton); });
    QTest::mouseClick(w.Button_Play, Qt::LeftButton);
    EXPECT_FALSE(w.State().Animating);
    EXPECT_GT(w.Time_ScrollBar->value(), 1000);
    EXPECT_LT(w.Time_ScrollBar->value(), 1100) << "stopped long before the end";

    w.Time_ScrollBar->setValue(1000);
    QTimer::singleShot(0, &w, [&w] { QTest::mouseClick(w.Globe, Qt::LeftButton); });
    QTest::mouseClick(w.Button_FastPlay, Qt::LeftButton);
    EXPECT_FALSE(w.State().Animating);
    EXPECT_LT(w.Time_ScrollBar->value(), 1600);
}

TEST_F(PlayLoops, APressDuringALoopTurnsItInsteadOfNestingAnother) {
    TForm_Main& w = start();
    w.Time_ScrollBar->setValue(6000);
    int pressesSeen = 0;
    QTimer::singleShot(0, &w, [&] {
        ++pressesSeen;
        QTest::mouseClick(w.Button_Reverse, Qt::LeftButton);
    });
    QTest::mouseClick(w.Button_Play, Qt::LeftButton);
    // A loop nested inside Play would run back to 5 and hand over to Play, which would then
    // play on to the end; the turned loop ends at the reverse limit.
    EXPECT_EQ(pressesSeen, 1);
    EXPECT_EQ(w.Time_ScrollBar->value(), 5);
    EXPECT_FALSE(w.State().Animating);
}

TEST_F(PlayLoops, ClosingDuringALoopEndsItAndSaves) {
    TForm_Main& w = start();
    w.Time_ScrollBar->setValue(2000);
    QTimer::singleShot(0, &w, [&w] { w.close(); });
    QTest::mouseClick(w.Button_Play, Qt::LeftButton);
    EXPECT_TRUE(w.State().Closing);
    EXPECT_FALSE(w.State().Animating);
    EXPECT_LT(w.Time_ScrollBar->value(), 2100);
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(WindowHandlers, ResizeLaysOutTheGlobePanel) {
    TForm_Main& w = start();
    for (const QSize size : {QSize(1400, 900), QSize(800, 600), QSize(1024, 773)}) {
        w.resize(size);
        QCoreApplication::processEvents();
        const QWidget* panel = w.Panel_Globe;
        EXPECT_EQ(w.Globe->geometry(), panel->rect());
        EXPECT_EQ(w.Button_Play->y(), panel->height() - 28);
        EXPECT_EQ(w.Zoom_TrackBar->x(), panel->width() - 32);
        EXPECT_EQ(w.Zoom_TrackBar->y(), panel->height() - 179);
        EXPECT_EQ(w.Time_ScrollBar->width(), panel->width());
        EXPECT_GE(w.Time_ScrollBar->y(), panel->geometry().bottom());
        EXPECT_GT(panel->mapTo(&w, QPoint(0, 0)).x(), w.SG->width())
            << "the globe lies right of the left column";
        // The globe keeps its centre: the origin comes from the window's state.
        EXPECT_EQ(w.Globe->Projector().XOrigin(), w.State().GlobeOriginX);
    }
}

TEST_F(WindowHandlers, CtrlKeysMoveAndCentreTheGlobe) {
    TForm_Main& w = start();
    QApplication::setActiveWindow(&w);
    const int x = w.State().GlobeOriginX;
    const int y = w.State().GlobeOriginY;
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(w.State().GlobeOriginX, x + 50);
    EXPECT_EQ(w.State().GlobeOriginY, y + 50);
    QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(w.State().GlobeOriginX, x);
    EXPECT_EQ(w.State().GlobeOriginY, y);
    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(w.State().GlobeOriginX, w.Panel_Globe->width() / 2);
    EXPECT_EQ(w.Globe->Projector().YOrigin(), w.Panel_Globe->height() / 2);
}

}  // namespace
}  // namespace zimbalo::app
