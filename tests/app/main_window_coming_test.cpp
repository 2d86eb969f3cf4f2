#include <cmath>

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

#include "app/circumstances_panel.h"
#include "app/main_window.h"
#include "astro/time_scales.h"
#include "lists/home_place.h"
#include "lists/ui/coming_window.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

using testing::WindowTest;

class ComingWindowTest : public WindowTest {
protected:
    std::string homePath() const {
        return QFile::encodeName(folders.settings + QLatin1String(lists::kHomeFileName))
            .toStdString();
    }

    lists::ComingOccultationsWindow* coming() {
        return find<lists::ComingOccultationsWindow>(window(), "Form_Coming");
    }
};

TEST_F(ComingWindowTest, MenuOpensItThePlanetBoxesFilterItAndARowShowsItsEventAtD) {
    lists::WriteHomeFile(homePath(), {"Basel", 47.5583, 7.5733, 260, "Europe/Zurich"});
    start();
    ASSERT_TRUE(dialogs.failed.isEmpty()) << dialogs.failed.join('\n').toStdString();
    lists::ComingOccultationsWindow* list = coming();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->isVisible());
    action("ComingAtHome")->trigger();
    ASSERT_TRUE(list->isVisible());
    ASSERT_TRUE(list->home());
    EXPECT_EQ(list->home()->name, "Basel");

    // No box checked: every planet; one box: only that planet; "alle": every planet again.
    const std::size_t everyRow = list->shownRows().size();
    ASSERT_GT(everyRow, 0u);
    QTest::mouseClick(control<QCheckBox>("CheckBox_Sat"), Qt::LeftButton);
    const auto saturn = list->shownRows();
    ASSERT_FALSE(saturn.empty());
    EXPECT_LT(saturn.size(), everyRow);
    for (const lists::ComingRow& row : saturn)
        EXPECT_EQ(row.planet, 5) << row.number;
    QTest::mouseClick(control<QPushButton>("Button_alle"), Qt::LeftButton);
    EXPECT_EQ(list->shownRows().size(), everyRow);

    // A double-click on the first row (earliest D) shows that event at D; the marker stays.
    const MarkerPlace marker = window().Shown().Marker();
    const lists::ComingRow first = list->shownRows().front();
    ASSERT_NE(first.number, window().Shown().Index());
    auto* table = find<QTableView>(*list, "TableView_Coming");
    const QRect cell = table->visualRect(table->model()->index(0, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    const ShownInstant& shown = window().Shown();
    EXPECT_EQ(shown.Index(), first.number);
    EXPECT_EQ(shown.Marker(), marker);
    // The slider steps by 2 seconds of event time; TT is shown, so UT is TT less Delta T.
    const double shownUT =
        shown.JD_TT() - astro::DeltaT(shown.Record().Year, shown.Record().Month) / 86400.0;
    EXPECT_LE(std::abs(shownUT - first.jdUT[1]) * 86400.0, 1.5);
}

TEST_F(ComingWindowTest, ABrokenHomeFileGivesNoHomeUntilTheMarkerFieldsSetOne) {
    QFile file(folders.settings + QLatin1String(lists::kHomeFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a home file\n\x01\x02");
    file.close();
    start();
    ASSERT_EQ(dialogs.failed.size(), 1);
    lists::ComingOccultationsWindow* list = coming();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->home());
    EXPECT_TRUE(list->shownRows().empty());

    // "Als Heimatort" under the marker fields makes the marker's place the home, kept on disk.
    control<QLineEdit>("Edit_PoI_Breite")->setText("46.2");
    control<QLineEdit>("Edit_PoI_Laenge")->setText("6.15");
    QTest::mouseClick(control<QPushButton>("Button_PoI_Heimatort"), Qt::LeftButton);
    EXPECT_EQ(dialogs.failed.size(), 1) << dialogs.failed.join('\n').toStdString();
    ASSERT_TRUE(list->home());
    EXPECT_DOUBLE_EQ(list->home()->latitudeDeg, 46.2);
    EXPECT_DOUBLE_EQ(list->home()->longitudeDeg, 6.15);
    EXPECT_FALSE(list->shownRows().empty());
    const lists::HomeFileResult saved = lists::ReadHomeFile(homePath());
    ASSERT_TRUE(saved.home) << saved.problem;
    EXPECT_EQ(*saved.home, *list->home());

    // So does "Als Heimatort" in the circumstances panel, for the point it shows.
    auto* here = window().findChild<CircumstancesPanel*>();
    ASSERT_NE(here, nullptr);
    here->openAt(-33.9, 18.4);
    QTest::mouseClick(find<QPushButton>(*here, "Button_Umstaende_Heimatort"), Qt::LeftButton);
    ASSERT_TRUE(list->home());
    EXPECT_DOUBLE_EQ(list->home()->latitudeDeg, -33.9);
    EXPECT_DOUBLE_EQ(list->home()->longitudeDeg, 18.4);
    EXPECT_EQ(dialogs.failed.size(), 1);
}

}  // namespace
}  // namespace zimbalo::app
