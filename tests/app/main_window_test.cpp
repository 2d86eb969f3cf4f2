#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>

#include <gtest/gtest.h>

#include "app/version_info.h"
#include "globe/view/globe_view.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

using testing::WindowTest;

TEST_F(WindowTest, EveryControlCarriesItsName) {
    TForm_Main& w = start();
    for (const char* name : {"Panel1",
                             "Panel2",
                             "GroupBox_Bedeckung",
                             "ScrollBar_Bedeckung",
                             "Label_Jahr",
                             "Edit_Jahr",
                             "Label_Planet",
                             "Label_Bedeckungstyp",
                             "Label_DatumZeit",
                             "SG",
                             "GroupBox_Planeten",
                             "Button_alle",
                             "GroupBox_ET_UT",
                             "CheckBox_ET_UT",
                             "GroupBox_Globus",
                             "ComboBox_Globus",
                             "ComboBox_GradNetz",
                             "CheckBox_Cities",
                             "CheckBox_SSP",
                             "GroupBox_Markierung",
                             "Edit_PoI_Breite",
                             "RadioButton_PoI_Nord",
                             "RadioButton_PoI_Sued",
                             "Edit_PoI_Laenge",
                             "RadioButton_PoI_Ost",
                             "RadioButton_PoI_West",
                             "CheckBox_PoI",
                             "Label_DistA",
                             "Label_DistB",
                             "Panel_Globe",
                             "Globe",
                             "Button_FastReverse",
                             "Button_Reverse",
                             "Button_Stop",
                             "Button_Play",
                             "Button_FastPlay",
                             "Zoom_TrackBar",
                             "Time_ScrollBar",
                             "Panel_GlobeControl",
                             "Button_Center_Globe",
                             "Button_Resize_Globe",
                             "Button_Exit_Globe",
                             "Panel_PoIs_Edit",
                             "RichEdit_PoIs",
                             "Label_PoIs_Panel_Title",
                             "Label_PoIs_Edit_Title",
                             "Button_PoIS_Speichern",
                             "Button_PoIS_Abbrechen",
                             "Panel_PoIs_Select",
                             "Label_PoIs_Select_Title",
                             "CheckListBox_PoIs",
                             "Button_PoIs_Select",
                             "Button_PoIs_Select_Cancel",
                             "Panel_About",
                             "Label_Zimbalo",
                             "StringGrid_VersionsInfo",
                             "Button_About_OK",
                             "File1",
                             "Liste1",
                             "Markierung1",
                             "Option1",
                             "Hilfe1"}) {
        EXPECT_NE(w.findChild<QObject*>(name), nullptr) << name;
    }
    for (const char* name :
         {"Exit1", "Sichtbarkeit", "CityHist", "Markierungen_Bearbeiten", "Markierungen_Auswaehlen",
          "Opt_Deutsch", "Opt_English", "Opt_Francais", "Hilfe2", "Version1"}) {
        EXPECT_NE(w.findChild<QAction*>(name), nullptr) << name;
    }
    EXPECT_NE(w.findChild<globe::GlobeView*>("Globe"), nullptr);
    for (const char* hidden :
         {"Panel_GlobeControl", "Panel_PoIs_Edit", "Panel_PoIs_Select", "Panel_About"})
        EXPECT_FALSE(w.findChild<QWidget*>(hidden)->isVisible()) << hidden;
}

TEST_F(WindowTest, FirstStartShowsEventOneAtT0WithTheDefaults) {
    TForm_Main& w = start();
    EXPECT_EQ(started.settingsOrigin, SettingsOrigin::Created);
    EXPECT_EQ(control<QScrollBar>("ScrollBar_Bedeckung")->value(), 1);
    EXPECT_EQ(w.Shown().Index(), 1);
    EXPECT_EQ(control<QScrollBar>("Time_ScrollBar")->value(), 6300);
    EXPECT_DOUBLE_EQ(w.Shown().TimeOffset(), 0.0);
    EXPECT_EQ(control<QComboBox>("ComboBox_Globus")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>("ComboBox_GradNetz")->currentIndex(), 2);
    EXPECT_EQ(control<QSlider>("Zoom_TrackBar")->value(), 140);
    EXPECT_EQ(control<QLineEdit>("Edit_Jahr")->text(), QString::number(w.Shown().Record().Year));
    EXPECT_FALSE(control<QLabel>("Label_Planet")->text().isEmpty());
    EXPECT_TRUE(control<globe::GlobeView>("Globe")->SurfaceTextureName().endsWith(
        "BlueMarble_5.4x2.7k.jpg"));
    // The saved graticule is on the globe: 10 degrees.
    EXPECT_EQ(control<globe::GlobeView>("Globe")->Graticule().LatitudeStep(), 10);
    EXPECT_TRUE(dialogs.failed.isEmpty()) << dialogs.failed.join('\n').toStdString();
    EXPECT_EQ(QFile(SettingsPath(folders)).size(), 243);
}

TEST_F(WindowTest, CloseWritesTheSettingsAndRemovesTheTemporaryFiles) {
    TForm_Main& w = start();
    const QString store = w.LayerStorePath();
    ASSERT_FALSE(store.isEmpty());
    EXPECT_TRUE(QFile::exists(store));
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(321);
    control<QCheckBox>("CheckBox_ET_UT")->click();
    control<QScrollBar>("Time_ScrollBar")->setValue(7000);
    w.close();
    EXPECT_FALSE(QFile::exists(store));
    EXPECT_TRUE(temporaryFiles().isEmpty()) << temporaryFiles().join(' ').toStdString();
    QFile file(SettingsPath(folders));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    ASSERT_EQ(data.size(), 243);
    const auto saved = ReadSettings(std::vector<std::uint8_t>(data.begin(), data.end()));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->currentIndex, 321);
    EXPECT_TRUE(saved->universalTime);
    EXPECT_EQ(saved->timePosition, 7000);

    // The next start shows the same event at the same instant.
    start();
    EXPECT_EQ(control<QScrollBar>("ScrollBar_Bedeckung")->value(), 321);
    EXPECT_EQ(control<QScrollBar>("Time_ScrollBar")->value(), 7000);
    EXPECT_TRUE(control<QCheckBox>("CheckBox_ET_UT")->isChecked());
}

TEST_F(WindowTest, ExitAsksRunningListsToStopAndClosesLikeTheCloseBox) {
    TForm_Main& w = start();
    const QString store = w.LayerStorePath();
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(99);
    bool closed = false;
    QObject::connect(&w, &TForm_Main::closed, [&closed] { closed = true; });
    action("Exit1")->trigger();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(w.StopRequested());
    EXPECT_TRUE(w.Closing());
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(QFile::exists(store));
    QFile file(SettingsPath(folders));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    EXPECT_EQ(ReadSettings(std::vector<std::uint8_t>(data.begin(), data.end()))->currentIndex, 99);
    // A second close (the close box after Exit, or a signal) changes nothing.
    w.close();
    EXPECT_TRUE(dialogs.failed.isEmpty());
}

TEST_F(WindowTest, EveryActivationHidesTheAboutPanelAndSetsTheBaseTitle) {
    TForm_Main& w = start();
    action("Version1")->trigger();
    ASSERT_TRUE(control("Panel_About")->isVisible());
    QEvent activation(QEvent::ActivationChange);
    QApplication::setActiveWindow(&w);
    QCoreApplication::sendEvent(&w, &activation);
    ASSERT_TRUE(w.isActiveWindow());
    EXPECT_FALSE(control("Panel_About")->isVisible());
    EXPECT_EQ(w.windowTitle(), w.BaseTitle());
    EXPECT_TRUE(w.BaseTitle().startsWith("Zimbalo " + FileVersion()));
    EXPECT_EQ(control<QScrollBar>("Time_ScrollBar")->value(), 6300)
        << "only the first activation sets the instant";
}

TEST_F(WindowTest, SettingsThatCannotBeSavedAtTheCloseAreReported) {
    start();
    // A folder where the record should be: the close finds it but cannot replace it (a write
    // always goes to a new file that then takes the record's place, so a failure keeps the old).
    const QString path = SettingsPath(folders);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path + "/inside"));
    window().close();
    ASSERT_EQ(dialogs.failed.size(), 1);
    EXPECT_TRUE(dialogs.failed[0].startsWith("Die Einstellungen konnten nicht gespeichert"))
        << dialogs.failed[0].toStdString();
    EXPECT_TRUE(QFileInfo(path + "/inside").isDir());
}

}  // namespace
}  // namespace zimbalo::app
