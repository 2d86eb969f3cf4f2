#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "globe/geo_layer.h"
#include "globe/view/globe_view.h"
#include "overlays/point_layers.h"
#include "overlays/points_of_interest.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

using testing::WindowTest;
namespace pl = overlays::point_layers;

/// The objects of a point layer of the window's globe, in handle order.
std::vector<std::shared_ptr<globe::GeoMapPoint>> layerObjects(TForm_Main& w, const char* name) {
    std::vector<std::shared_ptr<globe::GeoMapPoint>> out;
    globe::GeoLayer* layer = w.findChild<globe::GlobeView*>(QStringLiteral("Globe"))
                                 ->GlobeLayer()
                                 .LayerStore()
                                 .LayerByName(QString::fromLatin1(name));
    if (layer == nullptr)
        return out;
    globe::GeoObjectSource& source = layer->ObjectSource();
    for (int h = source.FirstHandle(); h != 0; h = source.NextHandle(h))
        out.push_back(source.ObjectByHandle(h));
    return out;
}

TEST_F(WindowTest, CapitalsStay193AcrossEventsAndTimeScales) {
    TForm_Main& w = start();
    control<QCheckBox>("CheckBox_Cities")->setChecked(true);
    EXPECT_EQ(layerObjects(w, pl::kCitiesLayer).size(), 193u);
    for (int event : {2, 3, 10, 2}) {
        control<QScrollBar>("ScrollBar_Bedeckung")->setValue(event);
        EXPECT_EQ(layerObjects(w, pl::kCitiesLayer).size(), 193u) << event;
    }
    control<QCheckBox>("CheckBox_ET_UT")->toggle();
    EXPECT_EQ(layerObjects(w, pl::kCitiesLayer).size(), 193u);
    control<QCheckBox>("CheckBox_Cities")->setChecked(false);
    EXPECT_EQ(layerObjects(w, pl::kCitiesLayer).size(), 0u);
    control<QCheckBox>("CheckBox_Cities")->setChecked(true);
    EXPECT_EQ(layerObjects(w, pl::kCitiesLayer).size(), 193u);
}

TEST_F(WindowTest, MarkerToggleAndFieldValidation) {
    TForm_Main& w = start();
    control<QCheckBox>("CheckBox_PoI")->click();
    ASSERT_TRUE(control<QCheckBox>("CheckBox_PoI")->isChecked());
    control<QCheckBox>("CheckBox_PoI")->click();
    control<QCheckBox>("CheckBox_PoI")->click();
    auto marker = layerObjects(w, pl::kMarkerLayer);
    ASSERT_EQ(marker.size(), 1u);
    EXPECT_EQ(marker[0]->ObjectData(0), QStringLiteral("PoI"));
    EXPECT_EQ(marker[0]->Location().Latitude, globe::DegToGU(47.5));
    EXPECT_FALSE(control<QLabel>("Label_DistA")->text().isEmpty());

    // 95 is no latitude: the field empties and the marker moves to the equator.
    // Typed key by key: "9" is a latitude, "95" is not.
    control<QLineEdit>("Edit_PoI_Breite")->setText(QStringLiteral("9"));
    EXPECT_EQ(w.Shown().Marker().latitude, 9.0);
    control<QLineEdit>("Edit_PoI_Breite")->setText(QStringLiteral("95"));
    EXPECT_EQ(control<QLineEdit>("Edit_PoI_Breite")->text(), QString());
    EXPECT_EQ(w.Shown().Marker().latitude, 0.0);
    marker = layerObjects(w, pl::kMarkerLayer);
    ASSERT_EQ(marker.size(), 1u);
    EXPECT_EQ(marker[0]->Location().Latitude, 0);

    // A valid edit with south selected; blanks are trimmed from the field.
    control<QRadioButton>("RadioButton_PoI_Sued")->setChecked(true);
    control<QLineEdit>("Edit_PoI_Breite")->setText(QStringLiteral(" 33.9 "));
    EXPECT_EQ(control<QLineEdit>("Edit_PoI_Breite")->text(), QStringLiteral("33.9"));
    EXPECT_DOUBLE_EQ(w.Shown().Marker().latitude, -33.9);
    control<QRadioButton>("RadioButton_PoI_West")->setChecked(true);
    EXPECT_DOUBLE_EQ(w.Shown().Marker().longitude, -7.53);
    marker = layerObjects(w, pl::kMarkerLayer);
    ASSERT_EQ(marker.size(), 1u);
    EXPECT_EQ(marker[0]->Location().Latitude, globe::DegToGU(-33.9));
    EXPECT_EQ(marker[0]->Location().Longitude, globe::DegToGU(-7.53));

    // Unchecking empties the layer and both distance labels.
    control<QCheckBox>("CheckBox_PoI")->setChecked(false);
    EXPECT_TRUE(layerObjects(w, pl::kMarkerLayer).empty());
    EXPECT_TRUE(control<QLabel>("Label_DistA")->text().isEmpty());
    EXPECT_TRUE(control<QLabel>("Label_DistB")->text().isEmpty());
}

TEST_F(WindowTest, DistanceLabelsFollowTheAxis) {
    TForm_Main& w = start();
    control<QCheckBox>("CheckBox_PoI")->setChecked(true);
    // The first event with a central path shows both distances at its closest approach.
    bool sawBoth = false;
    bool sawAxisOff = false;
    for (int event = 1; event <= 40 && !(sawBoth && sawAxisOff); ++event) {
        control<QScrollBar>("ScrollBar_Bedeckung")->setValue(event);
        for (int position : {0, control<QScrollBar>("Time_ScrollBar")->value()}) {
            control<QScrollBar>("Time_ScrollBar")->setValue(position);
            EXPECT_TRUE(control<QLabel>("Label_DistA")
                            ->text()
                            .startsWith(QStringLiteral("Dist. zu Schattenachse: ")));
            EXPECT_TRUE(control<QLabel>("Label_DistA")->text().endsWith(QStringLiteral(" km")));
            if (w.Shown().Axis().axisOnEarth) {
                EXPECT_TRUE(control<QLabel>("Label_DistB")
                                ->text()
                                .startsWith(QStringLiteral("Dist. zu max. Bedeck'g: ")));
                sawBoth = true;
            } else {
                EXPECT_TRUE(control<QLabel>("Label_DistB")->text().isEmpty());
                sawAxisOff = true;
            }
        }
    }
    EXPECT_TRUE(sawBoth);
    EXPECT_TRUE(sawAxisOff);
}

TEST_F(WindowTest, ListSavedAndPickedPointsDrawn) {
    TForm_Main& w = start();
    action("Markierungen_Bearbeiten")->trigger();
    EXPECT_TRUE(control<QWidget>("Panel_PoIs_Edit")->isVisible());
    // No file yet: the default list.
    EXPECT_TRUE(control<QPlainTextEdit>("RichEdit_PoIs")
                    ->toPlainText()
                    .endsWith(QStringLiteral("007.30 E Basel")));
    control<QPlainTextEdit>("RichEdit_PoIs")
        ->setPlainText(control<QPlainTextEdit>("RichEdit_PoIs")->toPlainText()
                       + QStringLiteral("\n+2022 01 02 47    S 122    W Somewhere (note)"
                                        "\n+2021 06 30 47.50 N 007.30 E "));
    control<QPushButton>("Button_PoIS_Speichern")->click();
    EXPECT_FALSE(control<QWidget>("Panel_PoIs_Edit")->isVisible());
    EXPECT_TRUE(dialogs.failed.isEmpty());
    QFile file(w.PoIListPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith("Somewhere (note)\r\n+2021 06 30 47.50 N 007.30 E \r\n"));

    action("Markierungen_Auswaehlen")->trigger();
    EXPECT_TRUE(control<QWidget>("Panel_PoIs_Select")->isVisible());
    ASSERT_EQ(control<QListWidget>("CheckListBox_PoIs")->count(), 4);
    for (int i : {1, 2, 3})  // Basel, Somewhere and the 29-character line
        control<QListWidget>("CheckListBox_PoIs")->item(i)->setCheckState(Qt::Checked);
    control<QPushButton>("Button_PoIs_Select")->click();
    EXPECT_FALSE(control<QWidget>("Panel_PoIs_Select")->isVisible());
    auto points = layerObjects(w, pl::kPoIsLayer);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[1]->ObjectData(0), QStringLiteral("Somewhere"));
    EXPECT_TRUE(dialogs.informed.isEmpty());
    // A new event keeps the picked points.
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(5);
    EXPECT_EQ(layerObjects(w, pl::kPoIsLayer).size(), 2u);

    // Opening the selection again keeps lines and check marks.
    action("Markierungen_Auswaehlen")->trigger();
    EXPECT_EQ(control<QListWidget>("CheckListBox_PoIs")->item(1)->checkState(), Qt::Checked);
    // The format line: two messages, the flag set, and the next opening clears the marks.
    control<QListWidget>("CheckListBox_PoIs")->item(0)->setCheckState(Qt::Checked);
    control<QPushButton>("Button_PoIs_Select")->click();
    EXPECT_EQ(dialogs.informed.size(), 2);
    action("Markierungen_Auswaehlen")->trigger();
    EXPECT_EQ(control<QListWidget>("CheckListBox_PoIs")->item(1)->checkState(), Qt::Unchecked);

    // The list is read back at the next start.
    start();
    EXPECT_TRUE(control<QPlainTextEdit>("RichEdit_PoIs")
                    ->toPlainText()
                    .contains(QStringLiteral("Somewhere (note)")));
}

TEST_F(WindowTest, ListThatCannotBeSavedKeepsTheTextAndSaysSo) {
    TForm_Main& w = start();
    // A folder where the list file should be: no file can be written there.
    ASSERT_TRUE(QDir().mkpath(w.PoIListPath()));
    // Opening the panel cannot read the list either, and says so; the box keeps its text.
    action("Markierungen_Bearbeiten")->trigger();
    ASSERT_EQ(dialogs.failed.size(), 1);
    EXPECT_TRUE(control<QPlainTextEdit>("RichEdit_PoIs")
                    ->toPlainText()
                    .endsWith(QStringLiteral("007.30 E Basel")));
    dialogs.failed.clear();
    const QString typed = QStringLiteral(
        "+2021 06 30 47.50 N 007.30 E Basel\n+2021 07 01 "
        "46.95 N 007.45 E Bern");
    control<QPlainTextEdit>("RichEdit_PoIs")->setPlainText(typed);
    control<QPushButton>("Button_PoIS_Speichern")->click();
    ASSERT_EQ(dialogs.failed.size(), 1);
    EXPECT_TRUE(dialogs.failed[0].startsWith(QStringLiteral("Datei-Ein-/Ausgabefehler.")));
    EXPECT_TRUE(dialogs.failed[0].contains(QStringLiteral("Zimbalo_PoI.txt")));
    EXPECT_TRUE(control<QWidget>("Panel_PoIs_Edit")->isVisible());
    EXPECT_EQ(control<QPlainTextEdit>("RichEdit_PoIs")->toPlainText(), typed);
}

TEST_F(WindowTest, AListBeyondItsBoundsIsRefusedAndTheFileKept) {
    // A stray file of one 20 MB line, and a short file with one line too long for a list.
    const QString path = folders.documents + QLatin1String(overlays::kPoIFileName);
    const QByteArray contents[] = {
        QByteArray(20 * 1024 * 1024, 'x'),
        "+2021 06 30 47.50 N 007.30 E Basel\r\n" + QByteArray(1001, 'y') + "\r\n",
    };
    for (const QByteArray& content : contents) {
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        dialogs.failed.clear();
        start();
        ASSERT_EQ(dialogs.failed.size(), 1);
        EXPECT_TRUE(dialogs.failed[0].contains(QStringLiteral("1000 Zeichen")))
            << dialogs.failed[0].left(200).toStdString();
        EXPECT_TRUE(control<QPlainTextEdit>("RichEdit_PoIs")
                        ->toPlainText()
                        .endsWith(QStringLiteral("007.30 E Basel")))
            << "the default lines stay";
        window().close();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.size(), content.size());
    }
}

}  // namespace
}  // namespace zimbalo::app
