// Pictures of the window for a look by eye:
//   ZIMBALO_SCREENSHOTS=<folder> zimbalo_lists_ui_tests --gtest_also_run_disabled_tests
//       --gtest_filter='ComingWindowPictures*'
#include "lists/ui/coming_window.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "dialogs/fake_user_dialogs.h"
#include "lists/ui/city_hist_window.h"
#include "lists/ui/home_store.h"

namespace zimbalo::lists {
namespace {

const HomePlace kBasel{"Basel", 47.5584, 7.5733, 260, "Europe/Zurich"};

class ComingWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_table = new astro::BesselTable(astro::LoadCatalogue(astro::CataloguePath()));
    }

    static void TearDownTestSuite() {
        delete s_table;
        s_table = nullptr;
    }

    void SetUp() override {
        m_window =
            std::make_unique<ComingOccultationsWindow>(s_table, &m_dialogs, Language::German);
        m_window->show();
        m_table = m_window->findChild<QTableView*>("TableView_Coming");
        start()->setDate(QDate(2030, 1, 1));
    }

    template <typename T>
    T* child(const char* name) {
        T* widget = m_window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QDateEdit* start() { return child<QDateEdit>("DateEdit_Start"); }

    QString cell(int row, int column) {
        return m_table->model()->index(row, column).data().toString();
    }

    // The rows the engine gives for Basel from 2030 under `filter`.
    std::size_t engineCount(const ComingFilter& filter) {
        const double start = astro::CalendarToJD(2029, 12, 31, 23.0, 0.0, 0.0);  // CET midnight
        return Filtered(ComingOccultations(*s_table, ComingFrom(kBasel, start)), filter).size();
    }

    static astro::BesselTable* s_table;
    dialogs::FakeUserDialogs m_dialogs;
    std::unique_ptr<ComingOccultationsWindow> m_window;
    QTableView* m_table = nullptr;
};

astro::BesselTable* ComingWindow::s_table = nullptr;

TEST_F(ComingWindow, NoHomeThenHomeWithFilters) {
    EXPECT_EQ(m_table->model()->rowCount(), 0);
    EXPECT_FALSE(child<QPushButton>("Button_SaveCalendar")->isEnabled());
    EXPECT_TRUE(child<QLabel>("Label_Home")->text().startsWith("Kein Heimatort"));
    EXPECT_EQ(m_window->windowTitle(), "Nächste Bedeckungen am Heimatort");
    // Every control carries its name.
    for (QWidget* w : m_window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_FALSE(w->objectName().isEmpty()) << w->metaObject()->className();
    }

    m_window->setHome(kBasel);
    const int all = m_table->model()->rowCount();
    EXPECT_EQ(static_cast<std::size_t>(all), engineCount({}));
    ASSERT_GT(all, 10);
    EXPECT_EQ(cell(0, 1).left(4), "2030");

    // A later start date drops the earlier rows.
    start()->setDate(QDate(2090, 1, 1));
    EXPECT_LT(m_table->model()->rowCount(), all);
    start()->setDate(QDate(2030, 1, 1));
    EXPECT_EQ(m_table->model()->rowCount(), all);

    // Planets of the main window: Saturn only.
    m_window->setPlanets(1u << 4);
    for (int r = 0; r < m_table->model()->rowCount(); ++r) {
        EXPECT_EQ(cell(r, 4), "Saturn");
    }
    EXPECT_EQ(child<QLabel>("Label_Planets")->text(), "Planeten: Saturn");
    m_window->setPlanets(0);

    // Only when seen, then with Venus and Jupiter by day, then a higher least altitude.
    auto* spin = child<QSpinBox>("SpinBox_MinAltitude");
    EXPECT_FALSE(spin->isEnabled());
    QTest::mouseClick(child<QCheckBox>("CheckBox_SeenOnly"), Qt::LeftButton);
    const int seen = m_table->model()->rowCount();
    EXPECT_EQ(static_cast<std::size_t>(seen), engineCount({0, SeenRule::DarkSky, 5.0}));
    EXPECT_LT(seen, all);
    for (int r = 0; r < seen; ++r) {
        EXPECT_NE(cell(r, 11), "Tag");
    }
    QTest::mouseClick(child<QCheckBox>("CheckBox_DayVenusJupiter"), Qt::LeftButton);
    EXPECT_EQ(static_cast<std::size_t>(m_table->model()->rowCount()),
              engineCount({0, SeenRule::DarkSkyOrVenusJupiter, 5.0}));
    EXPECT_GT(m_table->model()->rowCount(), seen);
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, "30");
    EXPECT_EQ(spin->value(), 30);
    EXPECT_EQ(static_cast<std::size_t>(m_table->model()->rowCount()),
              engineCount({0, SeenRule::DarkSkyOrVenusJupiter, 30.0}));
}

TEST_F(ComingWindow, SortsChoosesAndSpeaksThreeLanguages) {
    m_window->setHome(kBasel);
    QHeaderView* header = m_table->horizontalHeader();
    // A click on the header of the planet column sorts by planet.
    const int x = header->sectionViewportPosition(4) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    const int rows = m_table->model()->rowCount();
    EXPECT_EQ(cell(0, 4), "Merkur");
    EXPECT_EQ(cell(rows - 1, 4), "Neptun");

    QSignalSpy chosen(m_window.get(), &ComingOccultationsWindow::eventChosen);
    const QModelIndex index = m_table->model()->index(2, 1);
    m_table->scrollTo(index);
    const QPoint at = m_table->visualRect(index).center();
    QTest::mouseClick(m_table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(m_table->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(chosen.size(), 1);
    const int number = chosen[0][0].toInt();
    EXPECT_EQ(QString::number(number), cell(2, 0));
    EXPECT_EQ(s_table->operator[](number).Planet, 1);  // a Mercury row after the sort
    const LocalTime d = LocalTimeAt(chosen[0][1].toDouble(), kBasel.zone);
    EXPECT_EQ(QString::fromStdString(DateText(d)), cell(2, 1));

    m_window->setLanguage(Language::French);
    EXPECT_EQ(m_window->windowTitle(), "Prochaines occultations au domicile");
    EXPECT_EQ(m_table->model()->headerData(4, Qt::Horizontal).toString(), "Planète");
    EXPECT_EQ(cell(0, 4), "Mercure");
    EXPECT_EQ(child<QPushButton>("Button_SaveCalendar")->text(), "Enregistrer comme calendrier…");
    m_window->setLanguage(Language::English);
    EXPECT_EQ(child<QPushButton>("Button_SaveCalendar")->text(), "Save as calendar…");
    // A window made in a language shows its table in it from the start.
    ComingOccultationsWindow french(s_table, &m_dialogs, Language::French);
    french.setHome(kBasel);
    EXPECT_EQ(french.findChild<QTableView*>()->model()->headerData(11, Qt::Horizontal).toString(),
              "Verdict");
    EXPECT_EQ(child<QCheckBox>("CheckBox_DayVenusJupiter")->text(),
              "or by day for Venus and Jupiter");
}

TEST_F(ComingWindow, SavesTheShownRowsAsCalendar) {
    QTemporaryDir dir;
    m_window->setHome(kBasel);
    m_window->setPlanets(1u << 1);  // Venus
    const int rows = m_table->model()->rowCount();
    ASSERT_GT(rows, 0);
    auto* button = child<QPushButton>("Button_SaveCalendar");

    m_dialogs.saveAnswers.push_back(std::nullopt);  // cancelled: nothing written
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    const QString path = dir.filePath("venus.ics");
    m_dialogs.saveAnswers.push_back(path);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(m_dialogs.saveDefaultNames.last(), "Zimbalo_Bedeckungen.ics");
    std::ifstream in(path.toStdString(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    int events = 0;
    for (auto at = text.find("SUMMARY:Mond bedeckt Venus"); at != std::string::npos;
         at = text.find("SUMMARY:Mond bedeckt Venus", at + 1)) {
        ++events;
    }
    EXPECT_EQ(events, rows);
    EXPECT_EQ(text.find("Jupiter"), std::string::npos);

    m_dialogs.saveAnswers.push_back(dir.filePath("no/folder/x.ics"));
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(m_dialogs.failed.size(), 1);
    EXPECT_TRUE(m_dialogs.failed[0].startsWith("Der Kalender wurde nicht gespeichert."));
}

// The coming occultations at Basel in the three languages, seen from a dark sky or Venus and
// Jupiter by day; the scale factor of the environment (QT_SCALE_FACTOR) applies.
TEST(ComingWindowPictures, DISABLED_Screenshots) {
    const char* folder = std::getenv("ZIMBALO_SCREENSHOTS");
    ASSERT_NE(folder, nullptr);
    const astro::BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
    dialogs::FakeUserDialogs dialogs;
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

// The place window with "Set as home", for a look by eye (same command, filter
// 'PlaceWindowPictures*').
TEST(PlaceWindowPictures, DISABLED_Screenshots) {
    const char* folder = std::getenv("ZIMBALO_SCREENSHOTS");
    ASSERT_NE(folder, nullptr);
    const astro::BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
    dialogs::FakeUserDialogs dialogs;
    ListRunControl control;
    ListWindowContext context;
    context.catalogue = &table;
    context.dataFolder = astro::ProgramFolder();
    context.tempFolder = QDir::tempPath().toStdString();
    context.dialogs = &dialogs;
    context.control = &control;
    QTemporaryDir config;
    HomeStore store(config.filePath(kHomeFileName).toStdString(), astro::ProgramFolder());
    for (Language language : {Language::German, Language::French}) {
        TForm_CityHist window(context);
        window.setHomeStore(&store);
        window.applyLanguage(language);
        window.show();
        QApplication::processEvents();
        window.grab().save(QStringLiteral("%1/place_%2.png")
                               .arg(folder, language == Language::German ? "de" : "fr"));
    }
}

}  // namespace
}  // namespace zimbalo::lists
