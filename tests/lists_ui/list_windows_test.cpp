#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "dialogs/fake_user_dialogs.h"
#include "lists/city_database.h"
#include "lists/cp1252.h"
#include "lists/list_runs.h"
#include "lists/ui/city_hist_window.h"
#include "lists/ui/city_list_window.h"

namespace zimbalo::lists {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> FilesIn(const QString& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.toStdString())) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// The central event whose axis passes closest to the Earth's centre: seen from many places.
int CentralEvent(const astro::BesselTable& table) {
    int best = 1;
    for (int k = 1; k <= table.Count(); ++k) {
        const auto& r = table[k];
        if (r.OccType >= 2 && r.OccType <= 4 && std::fabs(r.Gamma) < std::fabs(table[best].Gamma)) {
            best = k;
        }
    }
    return best;
}

// A city database of a world grid every `step` degrees; the populations cycle through the
// thresholds. Also a country "Süd" with places south and west (for taking places over).
std::string GridCities(int step) {
    std::ostringstream out;
    int n = 0;
    for (int lat = -80; lat <= 80; lat += step) {
        for (int lon = -180; lon < 180; lon += step) {
            out << "Gitter\tP" << n << '\t' << lat * 100 << '\t' << lon * 100 << '\t' << n % 900
                << '\t' << (n % 4) * 400000 << "\r\n";
            ++n;
        }
    }
    out << "S\xFC"
           "d\tKap\t-3391\t-1842\t15\t433688\r\n";
    return out.str();
}

// A list window whose run is whatever a test hands it, for failures no real list provokes.
class ProbeWindow : public ListWindow {
public:
    explicit ProbeWindow(const ListWindowContext& context)
        : ListWindow(ListKind::CityList, kProbeNames, context, nullptr) {}

    using ListWindow::runList;

protected:
    QString defaultSaveName() const override { return QStringLiteral("probe.txt"); }

private:
    static constexpr Names kProbeNames{"Probe",     "ProbeText", "ProbeStart",
                                       "ProbeStop", "ProbeTop",  ""};
};

class ListWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_table = new astro::BesselTable(astro::LoadCatalogue(astro::CataloguePath()));
    }

    static void TearDownTestSuite() {
        delete s_table;
        s_table = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(m_data.isValid() && m_temp.isValid() && m_out.isValid());
        m_event = CentralEvent(*s_table);
        WriteCities(GridCities(10));
        m_context.catalogue = s_table;
        m_context.currentRecord = [this] { return (*s_table)[m_event]; };
        m_context.dataFolder = m_data.path().toStdString();
        m_context.tempFolder = m_temp.path().toStdString();
        m_context.dialogs = &m_dialogs;
        m_context.control = &m_control;
        m_list = std::make_unique<TForm_CityList>(m_context);
        m_hist = std::make_unique<TForm_CityHist>(m_context);
    }

    void WriteCities(const std::string& bytes) {
        for (const char* name : kCityFileNames) {
            std::ofstream(m_data.filePath(name).toStdString(), std::ios::binary) << bytes;
        }
    }

    template <typename T = QWidget>
    static T* Find(QWidget* window, const char* name) {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    // The engine's output for the many-places list at threshold `index`: tab lines and screen
    // lines (UTF-8).
    ListRunResult EngineCityList(int index, Language language, std::string& tab,
                                 QStringList& screen) {
        CityListInput input;
        input.record = (*s_table)[m_event];
        input.cityFile = CityFileName(language, m_context.dataFolder);
        input.threshold = PopulationThreshold(index);
        input.language = language;
        std::ostringstream out;
        const ListRunResult result =
            RunCityList(input, {&out, "memory"}, [&](const ListStep& step) {
                if (step.visible) {
                    screen << QString::fromStdString(Cp1252ToUtf8(step.fixedLine));
                }
            });
        tab = out.str();
        return result;
    }

    void SetEdit(QWidget* window, const char* name, const QString& text) {
        Find<QLineEdit>(window, name)->setText(text);
    }

    QString SavedPath(const char* name) const { return m_out.filePath(QString::fromLatin1(name)); }

    static astro::BesselTable* s_table;
    QTemporaryDir m_data;
    QTemporaryDir m_temp;
    QTemporaryDir m_out;
    int m_event = 1;
    dialogs::FakeUserDialogs m_dialogs;
    std::atomic<bool> m_mainStop{false};  // the main window's flag, as its Exit sets it
    ListRunControl m_control{&m_mainStop};
    ListWindowContext m_context;
    std::unique_ptr<TForm_CityList> m_list;
    std::unique_ptr<TForm_CityHist> m_hist;
};

astro::BesselTable* ListWindows::s_table = nullptr;

TEST_F(ListWindows, CityListShowsAndSavesExactlyTheEngineOutput) {
    for (Language language : {Language::German, Language::French}) {
        m_list->applyLanguage(language);
        m_list->showCleared();
        Find<QComboBox>(m_list.get(), "ComboBox_Population")->setCurrentIndex(9);
        QTest::mouseClick(Find<QPushButton>(m_list.get(), "Button_Start_CityList"), Qt::LeftButton);
        m_list->finishRun();
        std::string tab;
        QStringList screen;
        EngineCityList(9, language, tab, screen);
        ASSERT_GT(screen.size(), 20);
        EXPECT_EQ(Find<QPlainTextEdit>(m_list.get(), "RichEdit_CityList")->toPlainText(),
                  screen.join(QLatin1Char('\n')));
        EXPECT_EQ(ReadFile(m_list->tempListFile().value()), tab);

        const QString saved = SavedPath(language == Language::German ? "de.txt" : "fr.txt");
        m_dialogs.saveAnswers.push_back(saved);
        Find<QAction>(m_list.get(), "Speichern1")->trigger();
        EXPECT_EQ(ReadFile(saved.toStdString()), ListPreamble(ListKind::CityList, language) + tab);
        EXPECT_FALSE(std::filesystem::exists(m_list->tempListFile().value()));
        EXPECT_TRUE(m_dialogs.saveDefaultNames.back().endsWith("/Zimbalo_CityList.txt"));
    }
    EXPECT_TRUE(m_dialogs.failed.isEmpty()) << m_dialogs.failed.join("\n").toStdString();
    const QString status = m_list->statusText();
    EXPECT_TRUE(status.contains(QString::fromUtf8(" Lieux cherchés. "))) << status.toStdString();
}

TEST_F(ListWindows, CityListThresholdAndHeaderFollowsScrolling) {
    m_list->showCleared();
    Find<QComboBox>(m_list.get(), "ComboBox_Population")->setCurrentIndex(0);  // 1'000'000
    m_list->Button_Start_CityListClick();
    m_list->finishRun();
    std::string tab;
    QStringList screen;
    const ListRunResult result = EngineCityList(0, Language::German, tab, screen);
    auto* box = Find<QPlainTextEdit>(m_list.get(), "RichEdit_CityList");
    EXPECT_EQ(box->toPlainText(), screen.join(QLatin1Char('\n')));
    EXPECT_EQ(
        m_list->statusText(),
        QStringLiteral("%1 Orte getestet. %2 Orte gefunden").arg(result.tested).arg(result.found));

    // Lines are wider than the window: scrolling moves the header by the same pixels.
    Find<QComboBox>(m_list.get(), "ComboBox_Population")->setCurrentIndex(9);
    m_list->Button_Start_CityListClick();
    m_list->finishRun();
    auto* header = Find<QLabel>(m_list.get(), "Label5");
    const int before = header->x();
    ASSERT_GT(box->horizontalScrollBar()->maximum(), 300);
    box->horizontalScrollBar()->setValue(300);
    EXPECT_EQ(header->x(), before - 300);
}

TEST_F(ListWindows, StopCloseAndLanguageEndARunKeepingItsLinesForALaterSave) {
    WriteCities(GridCities(1));  // about 58000 places: long enough to be stopped
    std::string tab;
    QStringList screen;
    EngineCityList(9, Language::German, tab, screen);
    for (const char* how : {"stop", "close", "language", "main"}) {
        m_list->applyLanguage(Language::German);
        m_list->showCleared();
        Find<QComboBox>(m_list.get(), "ComboBox_Population")->setCurrentIndex(9);
        const auto filesBefore = FilesIn(m_temp.path()).size();
        QTest::mouseClick(Find<QPushButton>(m_list.get(), "Button_Start_CityList"), Qt::LeftButton);
        // The click returns at once; the event loop turns while the run goes on.
        auto* box = Find<QPlainTextEdit>(m_list.get(), "RichEdit_CityList");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !box->document()->isEmpty(); })) << how;
        EXPECT_TRUE(m_list->running()) << how;
        EXPECT_FALSE(Find<QPushButton>(m_list.get(), "Button_Start_CityList")->isEnabled());
        EXPECT_FALSE(Find<QPushButton>(m_hist.get(), "Button_Start_CityHist")->isEnabled());
        // A second start inside the run does nothing.
        m_list->Button_Start_CityListClick();
        m_hist->Button_Start_CityHistClick();
        if (std::string(how) == "stop") {
            QTest::mouseClick(Find<QPushButton>(m_list.get(), "Button_Stop_CityList"),
                              Qt::LeftButton);
        } else if (std::string(how) == "close") {
            m_list->close();
        } else if (std::string(how) == "language") {
            m_list->applyLanguage(Language::English);
        } else {
            m_mainStop = true;  // the main window's Exit
            ASSERT_TRUE(QTest::qWaitFor([&] { return !m_list->running(); })) << how;
        }
        EXPECT_FALSE(m_list->running()) << how;
        EXPECT_EQ(m_list->isVisible(), std::string(how) == "main") << how;
        EXPECT_TRUE(Find<QPushButton>(m_list.get(), "Button_Start_CityList")->isEnabled());
        EXPECT_EQ(FilesIn(m_temp.path()).size(), filesBefore + 1) << "one run, one file";

        // Some lines were written, not all, the first ones of the list; screen and file agree.
        const std::string kept = ReadFile(m_list->tempListFile().value());
        ASSERT_FALSE(kept.empty()) << how;
        EXPECT_LT(kept.size(), tab.size()) << how;
        EXPECT_EQ(tab.compare(0, kept.size(), kept), 0) << how;
        EXPECT_EQ(box->toPlainText().count(QLatin1Char('\n')) + 1,
                  std::count(kept.begin(), kept.end(), '\n'))
            << how;

        m_dialogs.saveAnswers.push_back(SavedPath("stopped.txt"));
        m_list->Speichern1Click();
        EXPECT_EQ(ReadFile(SavedPath("stopped.txt").toStdString()),
                  ListPreamble(ListKind::CityList, m_list->language()) + kept);
    }
    EXPECT_TRUE(m_dialogs.failed.isEmpty()) << m_dialogs.failed.join("\n").toStdString();
}

TEST_F(ListWindows, ProgramClosedDuringARunLeavesNoFileBehind) {
    WriteCities(GridCities(1));
    for (const bool history : {false, true}) {
        m_list->showCleared();
        Find<QComboBox>(m_list.get(), "ComboBox_Population")->setCurrentIndex(9);
        ListWindow* window = m_list.get();
        if (history) {
            SetEdit(m_hist.get(), "Edit_Breite", QStringLiteral("0"));
            m_hist->showCleared();
            m_hist->Button_Start_CityHistClick();
            window = m_hist.get();
        } else {
            m_list->Button_Start_CityListClick();
        }
        ASSERT_TRUE(window->running());
        // As the main window closes: its stop flag, the temporary files, then the windows.
        m_mainStop = true;
        m_list->removeTemporaryFiles();
        m_hist->removeTemporaryFiles();
        EXPECT_FALSE(window->running());
        EXPECT_TRUE(FilesIn(m_temp.path()).empty());
        m_list.reset();
        m_hist.reset();
        m_list = std::make_unique<TForm_CityList>(m_context);
        m_hist = std::make_unique<TForm_CityHist>(m_context);
    }
    // A window destroyed during its run stops the run and waits for it.
    m_list->Button_Start_CityListClick();
    ASSERT_TRUE(m_list->running());
    m_list.reset();
    EXPECT_FALSE(m_control.running());
    EXPECT_TRUE(m_dialogs.failed.isEmpty()) << m_dialogs.failed.join("\n").toStdString();
}

TEST_F(ListWindows, CancelledAndFailedSavesLoseNothing) {
    m_list->showCleared();
    // Before any run, "Save as" writes the headings alone.
    EXPECT_EQ(m_list->tempListFile(), std::nullopt);
    m_dialogs.saveAnswers.push_back(SavedPath("empty.txt"));
    m_list->Speichern1Click();
    EXPECT_EQ(ReadFile(SavedPath("empty.txt").toStdString()),
              ListPreamble(ListKind::CityList, Language::German));
    Find<QComboBox>(m_list.get(), "ComboBox_Population")->setCurrentIndex(9);
    m_list->Button_Start_CityListClick();
    m_list->finishRun();
    const std::string lines = ReadFile(m_list->tempListFile().value());
    ASSERT_FALSE(lines.empty());
    const std::string expected = ListPreamble(ListKind::CityList, Language::German) + lines;

    m_list->Speichern1Click();  // cancelled: no answer queued
    EXPECT_TRUE(std::filesystem::exists(m_list->tempListFile().value()));

    // A folder that cannot exist: its parent is a file.
    std::ofstream(SavedPath("plain").toStdString()) << "x";
    m_dialogs.saveAnswers.push_back(SavedPath("plain") + "/list.txt");
    m_list->Speichern1Click();
    ASSERT_EQ(m_dialogs.failed.size(), 1);
    EXPECT_TRUE(m_dialogs.failed[0].contains("list.txt")) << m_dialogs.failed[0].toStdString();
    EXPECT_EQ(ReadFile(m_list->tempListFile().value()), lines);

    // A name without an extension gets ".txt".
    m_dialogs.saveAnswers.push_back(SavedPath("second"));
    m_list->Speichern1Click();
    EXPECT_EQ(ReadFile(SavedPath("second.txt").toStdString()), expected);

    // The lines went into that save; another save has the heading only.
    m_dialogs.saveAnswers.push_back(SavedPath("third.txt"));
    m_list->Speichern1Click();
    EXPECT_EQ(ReadFile(SavedPath("third.txt").toStdString()),
              ListPreamble(ListKind::CityList, Language::German));
}

TEST_F(ListWindows, CityHistOfBaselEqualsTheEngineOutput) {
    m_hist->showCleared();
    SetEdit(m_hist.get(), "Edit_Ort_Stadt", QStringLiteral("Basel"));
    SetEdit(m_hist.get(), "Edit_Breite", QStringLiteral("47.5583"));
    SetEdit(m_hist.get(), "Edit_Laenge", QStringLiteral("7.5733"));
    SetEdit(m_hist.get(), "Edit_Hoehe", QStringLiteral("260"));
    Find<QComboBox>(m_hist.get(), "ComboBox_von")->setCurrentIndex(0);  // +1980
    Find<QComboBox>(m_hist.get(), "ComboBox_Bis")->setCurrentIndex(3);  // +2100
    QTest::mouseClick(Find<QPushButton>(m_hist.get(), "Button_Start_CityHist"), Qt::LeftButton);
    m_hist->finishRun();

    CityHistInput input;
    input.place.Land = "My country";
    input.place.Stadt = "Basel";
    input.place.Breite = 47.5583;
    input.place.Laenge = 7.5733;
    input.place.Hoehe = 260;
    input.firstYear = 1980;
    input.lastYear = 2100;
    std::ostringstream out;
    QStringList screen;
    RunCityHist(*s_table, input, {&out, "memory"}, [&](const ListStep& step) {
        if (step.visible) {
            screen << QString::fromStdString(Cp1252ToUtf8(step.fixedLine));
        }
    });
    ASSERT_FALSE(screen.isEmpty());
    EXPECT_EQ(Find<QPlainTextEdit>(m_hist.get(), "RichEdit_CityHist")->toPlainText(),
              screen.join(QLatin1Char('\n')));
    m_dialogs.saveAnswers.push_back(SavedPath("basel.txt"));
    Find<QAction>(m_hist.get(), "Speichern1")->trigger();
    EXPECT_EQ(ReadFile(SavedPath("basel.txt").toStdString()),
              ListPreamble(ListKind::CityHist, Language::German) + out.str());
    EXPECT_TRUE(m_dialogs.saveDefaultNames.back().endsWith("/Zimbalo_CityHist.txt"));
    EXPECT_TRUE(m_hist->statusText().endsWith(QStringLiteral(" Bedeckungen gefunden")));

    // A range given backwards finds nothing and leaves an empty file.
    Find<QComboBox>(m_hist.get(), "ComboBox_von")->setCurrentIndex(2);  // +2020
    Find<QComboBox>(m_hist.get(), "ComboBox_Bis")->setCurrentIndex(0);  // +2000
    m_hist->Button_Start_CityHistClick();
    m_hist->finishRun();
    EXPECT_EQ(Find<QPlainTextEdit>(m_hist.get(), "RichEdit_CityHist")->toPlainText(), "");
    EXPECT_EQ(ReadFile(m_hist->tempListFile().value()), "");
}

TEST_F(ListWindows, UnreadableNumbersAreRefusedInEachLanguage) {
    struct Case {
        Language language;
        const char* field;
        const char* text;
        const char* message;
    };

    const Case cases[] = {
        {Language::German, "Edit_Breite", "47,5", " Geogr.Breite ist kein gültiger Wert"},
        {Language::German, "Edit_Hoehe", "", " Höhe ist kein gültiger Wert"},
        {Language::English, "Edit_Laenge", "7.5.1", " Longitude is not a valid number"},
        {Language::English, "Edit_Breite", "1,000", " Latitude is not a valid number"},
        {Language::French, "Edit_Hoehe", "254 m", " Altitude valeur non valide"},
        {Language::French, "Edit_Laenge", "7,5", " Longitude valeur non valide"},
    };
    for (const Case& c : cases) {
        m_hist->applyLanguage(c.language);
        m_hist->showCleared();
        SetEdit(m_hist.get(), "Edit_Breite", "47.5");
        SetEdit(m_hist.get(), "Edit_Laenge", "7.5");
        SetEdit(m_hist.get(), "Edit_Hoehe", "254");
        SetEdit(m_hist.get(), c.field, QString::fromUtf8(c.text));
        m_dialogs.informed.clear();
        m_hist->Button_Start_CityHistClick();
        ASSERT_EQ(m_dialogs.informed.size(), 1) << c.field << " " << c.text;
        EXPECT_EQ(m_dialogs.informed[0], QString::fromUtf8(c.message));
    }
    EXPECT_TRUE(FilesIn(m_temp.path()).empty()) << "no run, no file";
}

TEST_F(ListWindows, TakingACityOverWritesPointDecimalsAndHemispheres) {
    m_hist->showCleared();
    auto* land = Find<QComboBox>(m_hist.get(), "ComboBox_Land");
    ASSERT_EQ(land->count(), 2);
    EXPECT_EQ(land->currentIndex(), -1);
    const int sued = land->findText(QString::fromUtf8("Süd"));
    ASSERT_GE(sued, 0);
    land->setCurrentIndex(sued);
    m_hist->ComboBox_LandClick();
    auto* stadt = Find<QComboBox>(m_hist.get(), "ComboBox_Stadt");
    ASSERT_EQ(stadt->count(), 1);

    // Nothing chosen yet: nothing taken over.
    m_hist->Button_UebernehmenClick();
    EXPECT_EQ(Find<QLineEdit>(m_hist.get(), "Edit_Breite")->text(), "47.5");

    stadt->setCurrentIndex(0);
    QTest::mouseClick(Find<QPushButton>(m_hist.get(), "Button_Uebernehmen"), Qt::LeftButton);
    EXPECT_EQ(Find<QLineEdit>(m_hist.get(), "Edit_Ort_Land")->text(), QString::fromUtf8("Süd"));
    EXPECT_EQ(Find<QLineEdit>(m_hist.get(), "Edit_Ort_Stadt")->text(), "Kap");
    EXPECT_EQ(Find<QLineEdit>(m_hist.get(), "Edit_Breite")->text(), "33.91");
    EXPECT_EQ(Find<QLineEdit>(m_hist.get(), "Edit_Laenge")->text(), "18.42");
    EXPECT_EQ(Find<QLineEdit>(m_hist.get(), "Edit_Hoehe")->text(), "15");
    EXPECT_EQ(Find<QLineEdit>(m_hist.get(), "Edit_Einwohner")->text(), "433688");
    EXPECT_TRUE(Find<QRadioButton>(m_hist.get(), "RadioButton_Sued")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(m_hist.get(), "RadioButton_West")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(m_hist.get(), "RadioButton_Nord")->isChecked());

    // What was taken over is what is computed.
    m_hist->Button_Start_CityHistClick();
    m_hist->finishRun();
    EXPECT_TRUE(m_dialogs.informed.isEmpty());
    EXPECT_TRUE(m_dialogs.failed.isEmpty());
}

TEST_F(ListWindows, SettingsRoundTripAndFreshRecordsKeepDefaults) {
    CityHistSettings fresh;
    m_hist->applySettings(fresh);
    EXPECT_EQ(Find<QLineEdit>(m_hist.get(), "Edit_Breite")->text(), "47.5");
    EXPECT_TRUE(Find<QRadioButton>(m_hist.get(), "RadioButton_Nord")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(m_hist.get(), "RadioButton_Ost")->isChecked());

    CityHistSettings hist;
    hist.geometry = {40, 30, 500, 900, 0};
    hist.placeName = QString::fromUtf8("Zürich");
    hist.latitude = "47.37";
    hist.longitude = "8.54";
    hist.height = "408";
    hist.south = true;
    hist.west = true;
    hist.fromIndex = 1;
    hist.toIndex = 3;
    m_hist->applySettings(hist);
    EXPECT_EQ(m_hist->settings(), hist);

    CityListSettings list;
    list.geometry = {50, 60, 400, 700, 2};
    list.populationIndex = 7;
    m_list->applySettings(list);
    EXPECT_EQ(m_list->settings(), list);
    list.populationIndex = -3;
    m_list->applySettings(list);
    EXPECT_EQ(m_list->settings().populationIndex, 0);

    // A window saved far off every screen comes back onto one.
    list.geometry = {-5000, 90000, 400, 700, 0};
    m_list->applySettings(list);
    const ListWindowGeometry back = m_list->settings().geometry;
    EXPECT_GT(back.left, -1000);
    EXPECT_LT(back.left, 5000);
}

TEST_F(ListWindows, TemporaryFilesAreRemovedAtTheEnd) {
    m_list->showCleared();
    m_list->Button_Start_CityListClick();
    m_list->finishRun();
    m_list->Button_Start_CityListClick();
    m_list->finishRun();
    m_hist->showCleared();
    m_hist->Button_Start_CityHistClick();
    m_hist->finishRun();
    EXPECT_EQ(FilesIn(m_temp.path()).size(), 3u);
    m_list->removeTemporaryFiles();
    m_hist->removeTemporaryFiles();
    EXPECT_TRUE(FilesIn(m_temp.path()).empty());
}

TEST_F(ListWindows, MissingCityDatabaseIsReportedAndTheRunEnds) {
    std::filesystem::remove_all(m_data.path().toStdString());
    m_list->showCleared();
    m_list->Button_Start_CityListClick();
    m_list->finishRun();
    ASSERT_EQ(m_dialogs.failed.size(), 1);
    EXPECT_TRUE(m_dialogs.failed[0].contains("2017_data_DE.txt"));
    EXPECT_FALSE(m_control.running());
    EXPECT_TRUE(Find<QPushButton>(m_list.get(), "Button_Start_CityList")->isEnabled());
    m_hist->showCleared();
    EXPECT_EQ(m_dialogs.failed.size(), 2);
}

TEST_F(ListWindows, RunFailuresAreReportedEvenWithoutAMessage) {
    ProbeWindow probe(m_context);
    const auto status = [](const ListStep&) { return std::string("status"); };
    const auto failWith = [](const char* what) {
        return [what](const ListOutput& output, const ListCallback& callback,
                      const std::atomic<bool>*) -> ListRunResult {
            *output.stream << "line\r\n";
            ListStep step;
            step.visible = true;
            step.fixedLine = "shown before the failure";
            callback(step);
            throw std::runtime_error(what);
        };
    };
    // A failure whose exception says nothing is still a failure, with a text the user can read;
    // the lines shown before it stay and the window is ready for the next run.
    probe.runList(failWith(""), status);
    probe.finishRun();
    ASSERT_EQ(m_dialogs.failed.size(), 1);
    EXPECT_EQ(m_dialogs.failed[0], QStringLiteral("The list could not be computed."));
    EXPECT_FALSE(probe.running());
    EXPECT_FALSE(m_control.running());
    EXPECT_TRUE(Find<QPushButton>(&probe, "ProbeStart")->isEnabled());
    EXPECT_EQ(Find<QPlainTextEdit>(&probe, "ProbeText")->toPlainText(),
              QStringLiteral("shown before the failure"));
    // A failure with a text shows that text as it stands.
    probe.runList(failWith("Disk on fire."), status);
    probe.finishRun();
    ASSERT_EQ(m_dialogs.failed.size(), 2);
    EXPECT_EQ(m_dialogs.failed[1], QStringLiteral("Disk on fire."));
    // A run that ends normally reports nothing.
    probe.runList([](const ListOutput&, const ListCallback&,
                     const std::atomic<bool>*) { return ListRunResult{}; },
                  status);
    probe.finishRun();
    EXPECT_EQ(m_dialogs.failed.size(), 2);
}

}  // namespace
}  // namespace zimbalo::lists
