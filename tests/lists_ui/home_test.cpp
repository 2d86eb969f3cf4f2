#include <fstream>
#include <iterator>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "dialogs/fake_user_dialogs.h"
#include "lists/ui/city_hist_window.h"
#include "lists/ui/coming_window.h"
#include "lists/ui/home_store.h"

namespace zimbalo::lists {
namespace {

class HomeFromPlaceWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_table = new astro::BesselTable(astro::LoadCatalogue(astro::CataloguePath()));
    }

    static void TearDownTestSuite() {
        delete s_table;
        s_table = nullptr;
    }

    void SetUp() override {
        m_context.catalogue = s_table;
        m_context.dataFolder = m_temp.path().toStdString();
        m_context.tempFolder = m_temp.path().toStdString();
        m_context.dialogs = &m_dialogs;
        m_context.control = &m_control;
        m_hist = std::make_unique<TForm_CityHist>(m_context);
    }

    void type(const char* name, const QString& text) {
        auto* edit = m_hist->findChild<QLineEdit*>(name);
        ASSERT_NE(edit, nullptr) << name;
        edit->setText(text);
    }

    std::string homePath() const { return m_config.filePath(kHomeFileName).toStdString(); }

    static astro::BesselTable* s_table;
    QTemporaryDir m_temp;
    QTemporaryDir m_config;
    dialogs::FakeUserDialogs m_dialogs;
    ListRunControl m_control;
    ListWindowContext m_context;
    std::unique_ptr<TForm_CityHist> m_hist;
};

astro::BesselTable* HomeFromPlaceWindow::s_table = nullptr;

TEST_F(HomeFromPlaceWindow, SetAsHomeReachesTheComingWindowAndSurvivesARestart) {
    auto* button = m_hist->findChild<QPushButton*>("Button_Heimatort");
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isEnabled());  // nowhere to keep a home yet

    HomeStore store(homePath(), astro::ProgramFolder());
    EXPECT_EQ(store.load(Language::German), "");  // no file: no home, no message
    ComingOccultationsWindow coming(s_table, &m_dialogs, Language::German);
    QObject::connect(&store, &HomeStore::homeChanged, &coming,
                     [&] { coming.setHome(store.home()); });
    m_hist->setHomeStore(&store);

    type("Edit_Ort_Stadt", QStringLiteral("Zürich"));
    type("Edit_Breite", "47.37");
    type("Edit_Laenge", "8,54");  // refused as the start button refuses it
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(m_dialogs.informed.value(0), " Geogr.Länge ist kein gültiger Wert");
    EXPECT_FALSE(store.home());

    type("Edit_Laenge", "8.54");
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(store.home());
    EXPECT_EQ(m_dialogs.informed.value(1), "Zürich ist jetzt der Heimatort.");
    EXPECT_EQ(*store.home(), (HomePlace{"Zürich", 47.37, 8.54, 254, "Europe/Zurich"}));
    EXPECT_GT(coming.findChild<QTableView*>()->model()->rowCount(), 0);

    // The next start reads the same home.
    HomeStore again(homePath(), astro::ProgramFolder());
    EXPECT_EQ(again.load(Language::German), "");
    EXPECT_EQ(again.home(), store.home());

    // A damaged file: a message naming it, no home, and the file left for a look.
    std::ofstream(homePath(), std::ios::binary) << "Zimbalo home 1\nlatitude=north\n";
    HomeStore damaged(homePath(), astro::ProgramFolder());
    const QString message = damaged.load(Language::English);
    EXPECT_TRUE(message.startsWith("The home place file \"" + QString::fromStdString(homePath())
                                   + "\" is damaged ("))
        << message.toStdString();
    EXPECT_FALSE(damaged.home());
    std::ifstream in(homePath(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "Zimbalo home 1\nlatitude=north\n");

    m_hist->applyLanguage(Language::French);
    EXPECT_EQ(button->text(), "Définir comme domicile");
}

TEST_F(HomeFromPlaceWindow, RunComputesTheChosenPlanetsOnly) {
    type("Edit_Breite", "47.5584");
    type("Edit_Laenge", "7.5733");
    m_hist->setPlanets((1u << 1) | (1u << 4));  // Venus and Saturn
    m_hist->Button_Start_CityHistClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_hist->running(); }));
    const QStringList lines =
        m_hist->findChild<QPlainTextEdit*>("RichEdit_CityHist")->toPlainText().split('\n');
    ASSERT_GT(lines.size(), 5);
    for (const QString& line : lines) {
        EXPECT_TRUE(line.contains("Venus") || line.contains("Saturn")) << line.toStdString();
    }
}

}  // namespace
}  // namespace zimbalo::lists
