// Pictures of both list windows after a run, scrolled right, for a look by eye. Run with
//   ZIMBALO_SCREENSHOTS=<folder> zimbalo_lists_ui_tests --gtest_also_run_disabled_tests
//       --gtest_filter='*Screenshots*'
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "dialogs/user_dialogs.h"
#include "lists/ui/city_hist_window.h"
#include "lists/ui/city_list_window.h"
#include "lists/ui/coming_window.h"

namespace zimbalo::lists {
namespace {

// Counts the error boxes; answers nothing.
class QuietDialogs : public dialogs::UserDialogs {
public:
    int failures = 0;

    void inform(const QString&) override {}

    void fail(const QString&) override { ++failures; }

    bool ask(const QString&) override { return false; }

    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

TEST(ListWindowPictures, DISABLED_Screenshots) {
    const char* folder = std::getenv("ZIMBALO_SCREENSHOTS");
    ASSERT_NE(folder, nullptr);
    const astro::BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
    QTemporaryDir temp;
    QuietDialogs dialogs;
    ListRunControl control;
    ListWindowContext context;
    context.catalogue = &table;
    context.currentRecord = [&table] { return table[1566]; };
    context.dataFolder = astro::ProgramFolder();
    context.tempFolder = temp.path().toStdString();
    context.dialogs = &dialogs;
    context.control = &control;
    context.windowTitle = [] { return QStringLiteral("Zimbalo list window"); };
    for (Language language : {Language::German, Language::French}) {
        const QString suffix = language == Language::German ? "de" : "fr";
        TForm_CityList list(context);
        list.setLanguage(language);
        list.findChild<QComboBox*>("ComboBox_Population")->setCurrentIndex(3);
        list.showCleared();
        list.Button_Start_CityListClick();
        auto* box = list.findChild<QPlainTextEdit*>("RichEdit_CityList");
        box->horizontalScrollBar()->setValue(box->horizontalScrollBar()->maximum() / 2);
        list.grab().save(QStringLiteral("%1/citylist_%2.png").arg(folder, suffix));

        TForm_CityHist hist(context);
        hist.setLanguage(language);
        hist.showCleared();
        hist.findChild<QLineEdit*>("Edit_Ort_Stadt")->setText("Basel");
        hist.findChild<QComboBox*>("ComboBox_Bis")->setCurrentIndex(3);
        hist.Button_Start_CityHistClick();
        box = hist.findChild<QPlainTextEdit*>("RichEdit_CityHist");
        box->horizontalScrollBar()->setValue(box->horizontalScrollBar()->maximum() / 2);
        std::fprintf(stderr, "status: %s\n", hist.statusText().toUtf8().constData());
        hist.grab().save(QStringLiteral("%1/cityhist_%2.png").arg(folder, suffix));
        EXPECT_EQ(dialogs.failures, 0);
    }
}

// The coming occultations at Basel in the three languages, seen from a dark sky or Venus and
// Jupiter by day; the scale factor of the environment (QT_SCALE_FACTOR) applies.
TEST(ComingWindowPictures, DISABLED_Screenshots) {
    const char* folder = std::getenv("ZIMBALO_SCREENSHOTS");
    ASSERT_NE(folder, nullptr);
    const astro::BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
    QuietDialogs dialogs;
    for (Language language : {Language::German, Language::English, Language::French}) {
        ComingOccultationsWindow window(&table, &dialogs, language);
        window.setHome(HomePlace{"Basel", 47.5584, 7.5733, 260, "Europe/Zurich"});
        window.setPlanets(0x1Eu);
        window.findChild<QCheckBox*>("CheckBox_SeenOnly")->setChecked(true);
        window.findChild<QCheckBox*>("CheckBox_DayVenusJupiter")->setChecked(true);
        window.show();
        QApplication::processEvents();
        const char* suffix[] = {"de", "en", "fr"};
        window.grab().save(
            QStringLiteral("%1/coming_%2.png").arg(folder, suffix[static_cast<int>(language)]));
    }
}

}  // namespace
}  // namespace zimbalo::lists
