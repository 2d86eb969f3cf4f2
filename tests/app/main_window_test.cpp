#include "app/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
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
    EXPECT_EQ(w.ScrollBar_Bedeckung->value(), 1);
    EXPECT_EQ(w.State().CurrentIndex, 1);
    EXPECT_EQ(w.Time_ScrollBar->value(), 6300);
    EXPECT_DOUBLE_EQ(w.State().TimeOffset, 0.0);
    EXPECT_EQ(w.ComboBox_Globus->currentIndex(), 0);
    EXPECT_EQ(w.ComboBox_GradNetz->currentIndex(), 2);
    EXPECT_EQ(w.Zoom_TrackBar->value(), 140);
    EXPECT_EQ(w.Edit_Jahr->text(), QString::number(w.CurrentRecord().Year));
    EXPECT_FALSE(w.Label_Planet->text().isEmpty());
    EXPECT_TRUE(w.Globe->SurfaceTextureName().endsWith("BlueMarble_5.4x2.7k.jpg"));
    EXPECT_TRUE(dialogs.failed.isEmpty()) << dialogs.failed.join('\n').toStdString();
    EXPECT_EQ(QFile(SettingsPath(folders)).size(), 243);
}

TEST_F(WindowTest, CloseWritesTheSettingsAndRemovesTheTemporaryFiles) {
    TForm_Main& w = start();
    const QString store = w.LayerStorePath();
    ASSERT_FALSE(store.isEmpty());
    EXPECT_TRUE(QFile::exists(store));
    w.ScrollBar_Bedeckung->setValue(321);
    w.CheckBox_ET_UT->setChecked(true);
    w.Time_ScrollBar->setValue(7000);
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
    TForm_Main& again = start();
    EXPECT_EQ(again.ScrollBar_Bedeckung->value(), 321);
    EXPECT_EQ(again.Time_ScrollBar->value(), 7000);
    EXPECT_TRUE(again.CheckBox_ET_UT->isChecked());
}

TEST_F(WindowTest, ExitAsksRunningListsToStopAndClosesLikeTheCloseBox) {
    TForm_Main& w = start();
    const QString store = w.LayerStorePath();
    w.ScrollBar_Bedeckung->setValue(99);
    bool closed = false;
    QObject::connect(&w, &TForm_Main::closed, [&closed] { closed = true; });
    w.Exit1->trigger();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(w.State().StopRequested);
    EXPECT_TRUE(w.State().Closing);
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
    w.Panel_About->show();
    w.FormActivate();
    EXPECT_FALSE(w.Panel_About->isVisible());
    EXPECT_EQ(w.windowTitle(), w.BaseTitle());
    EXPECT_TRUE(w.BaseTitle().startsWith("Zimbalo " + FileVersion()));
    EXPECT_EQ(w.Time_ScrollBar->value(), 6300) << "only the first activation sets the instant";
}

}  // namespace
}  // namespace zimbalo::app
