#include "app/circumstances_panel.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "lists/here_text.h"
#include "lists/nearest_city.h"
#include "lists/time_zones.h"
#include "tests/astro/synthetic_event.h"

namespace zimbalo::app {
namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A data folder with a one-zone table (Nepal, 5:45 ahead of UT) and a German city file whose
// only place lies 5 km from the night point of the made-up event.
class CircumstancesPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        QByteArray table("ZTZ1\x01\x00\x01\x00\x01\x00\x00\x00\x00\x00\x00\x00", 16);
        table += char(14);
        table += "Asia/Kathmandu";
        table += QByteArray("\x00\x80", 2);
        Write(dir.filePath("timezones.bin"), table);
        Write(dir.filePath("2017_data_DE.txt"), "Nirgendwo\tNachtort\t1070\t-14995\t0\t10\r\n");
        panel.setDataFolder(dir.path());
        panel.setEvent(record, 3);
    }

    // The text the command line prints for the same point (zimbalo-cli here).
    std::string Expected(Language language, bool tt, bool withCity) {
        const lists::ZoneTable zones =
            lists::ZoneTable::Load(dir.filePath("timezones.bin").toStdString());
        const lists::CityIndex cities =
            lists::CityIndex::Load(dir.filePath("2017_data_DE.txt").toStdString());
        const lists::HereRequest request{&record, 3, 10.7, -150.0, 0.0, language, tt};
        return lists::HereText(request, &zones, withCity ? &cities : nullptr);
    }

    bool WaitForCity() {
        return QTest::qWaitFor([&] { return panel.text().contains("Nachtort"); }, 5000);
    }

    QTemporaryDir dir;
    astro::BesselRecord record = astro::testing::syntheticJupiterEvent(2024, 180.0);
    CircumstancesPanel panel;
};

TEST_F(CircumstancesPanelTest, OpensWithTheFocusAndTheCommandLinesText) {
    panel.openAt(10.7, -150.0);
    EXPECT_TRUE(panel.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    EXPECT_TRUE(panel.isAncestorOf(QApplication::focusWidget()));
    // The city database arrives from its worker thread; then the text is the command line's.
    ASSERT_TRUE(WaitForCity());
    EXPECT_EQ(panel.text().toStdString(), Expected(Language::German, false, true));
    EXPECT_EQ(panel.findChild<QLabel*>("Label_Umstaende_Ergebnis")->text(), "zu sehen bei Nacht");
    EXPECT_EQ(panel.findChild<QPushButton*>("Button_Umstaende_Kopieren")->text(), "Kopieren");
    const auto* grid = panel.findChild<QTableWidget*>("Grid_Umstaende");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->item(0, 0)->text(), "Ort");
}

TEST_F(CircumstancesPanelTest, CopyAndCtrlCPutTheTextOnTheClipboard) {
    panel.openAt(10.7, -150.0);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    ASSERT_TRUE(WaitForCity());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("old");
    QTest::mouseClick(panel.findChild<QPushButton*>("Button_Umstaende_Kopieren"), Qt::LeftButton);
    EXPECT_EQ(clipboard->text(), panel.text());
    clipboard->setText("old");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), panel.text());
}

TEST_F(CircumstancesPanelTest, MarkerCloseAndChangesWhileOpen) {
    QSignalSpy marker(&panel, &CircumstancesPanel::markerRequested);
    panel.openAt(10.7, -150.0);
    ASSERT_TRUE(WaitForCity());
    QTest::mouseClick(panel.findChild<QPushButton*>("Button_Umstaende_Marker"), Qt::LeftButton);
    ASSERT_EQ(marker.count(), 1);
    EXPECT_DOUBLE_EQ(marker.at(0).at(0).toDouble(), 10.7);
    EXPECT_DOUBLE_EQ(marker.at(0).at(1).toDouble(), -150.0);

    // Time scale and language follow at once; the city database of English is read anew (the
    // folder has none, so the nearest-place line goes).
    panel.setUniversalTime(false);
    EXPECT_EQ(panel.text().toStdString(), Expected(Language::German, true, true));
    panel.setLanguage(Language::English);
    panel.setUniversalTime(true);
    EXPECT_EQ(panel.findChild<QPushButton*>("Button_Umstaende_Schliessen")->text(), "Close");
    EXPECT_EQ(panel.windowTitle(), "Circumstances here");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return panel.text().toStdString() == Expected(Language::English, false, false); },
        5000));
    // Another event: the planet stands below the horizon there.
    panel.setEvent(astro::testing::syntheticJupiterEvent(2024, 350.0), 3);
    EXPECT_TRUE(panel.text().contains("\tbelow the horizon\n"));

    QTest::mouseClick(panel.findChild<QPushButton*>("Button_Umstaende_Schliessen"), Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(CircumstancesPanelTest, MissingDataFilesLeaveOutTheirLines) {
    CircumstancesPanel bare;
    bare.setDataFolder(dir.filePath("nothing-here"));
    bare.setEvent(record, 3);
    bare.openAt(10.7, -150.0);
    QTest::qWait(200);
    const lists::HereRequest request{&record, 3, 10.7, -150.0, 0.0, Language::German, false};
    EXPECT_EQ(bare.text().toStdString(), lists::HereText(request, nullptr, nullptr));
}

}  // namespace
}  // namespace zimbalo::app
