#include <set>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include "app/caption_sets.h"
#include "app/main_window.h"
#include "app/version_info.h"
#include "astro/language_table.h"
#include "lists/ui/city_hist_window.h"
#include "lists/ui/city_list_window.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

using testing::WindowTest;

constexpr Language kAll[] = {Language::German, Language::English, Language::French};

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What a control shows for a caption property.
std::optional<QStringList> Shown(QObject* object, CaptionProperty property) {
    if (property == CaptionProperty::Hint) {
        if (auto* action = qobject_cast<QAction*>(object)) {
            return QStringList{action->toolTip()};
        }
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            return QStringList{widget->toolTip()};
        }
        return std::nullopt;
    }
    if (property == CaptionProperty::Items) {
        auto* combo = qobject_cast<QComboBox*>(object);
        if (combo == nullptr) {
            return std::nullopt;
        }
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items.append(combo->itemText(i));
        }
        return items;
    }
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        return QStringList{menu->title()};
    }
    if (auto* action = qobject_cast<QAction*>(object)) {
        return QStringList{action->text()};
    }
    if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        return QStringList{button->text()};
    }
    if (auto* label = qobject_cast<QLabel*>(object)) {
        return QStringList{label->text()};
    }
    if (auto* group = qobject_cast<QGroupBox*>(object)) {
        return QStringList{group->title()};
    }
    return std::nullopt;
}

QStringList Expected(const Caption& c) {
    if (c.property != CaptionProperty::Items) {
        return {Q(c.text)};
    }
    QStringList items;
    for (const std::string_view item : c.items) {
        items.append(Q(item));
    }
    return items;
}

QAction* LanguageItem(TForm_Main& w, Language language) {
    const char* names[] = {"Opt_Deutsch", "Opt_English", "Opt_Francais"};
    return w.findChild<QAction*>(QString::fromLatin1(names[static_cast<int>(language)]));
}

void SwitchTo(TForm_Main& w, Language language) {
    LanguageItem(w, language)->trigger();
}

// Every caption of the window's part of the set shows on the control of its name.
void ExpectCaptionsShown(QObject& root, Language language, CaptionWindow window) {
    for (const Caption& c : CaptionSet(language)) {
        if (c.window != window || c.property == CaptionProperty::TitleSuffix) {
            continue;
        }
        const std::vector<QObject*> targets = FindCaptionTargets(root, c.objectName);
        ASSERT_FALSE(targets.empty()) << "no control " << c.objectName;
        bool shown = false;
        for (QObject* target : targets) {
            const auto text = Shown(target, c.property);
            shown = shown || (text && *text == Expected(c));
        }
        EXPECT_TRUE(shown) << c.objectName << " in language " << static_cast<int>(language);
    }
}

// Texts of the German set that the other language spells differently.
std::set<QString> GermanOnlyTexts(Language other) {
    std::set<QString> german;
    for (const Caption& c : CaptionSet(Language::German)) {
        for (const QString& t : Expected(c)) {
            german.insert(t);
        }
    }
    for (const Caption& c : CaptionSet(other)) {
        for (const QString& t : Expected(c)) {
            german.erase(t);
        }
    }
    return german;
}

// No control of `root` (any kind with a caption) still shows a German-only caption.
void ExpectNoGermanLeft(QObject& root, Language language) {
    const std::set<QString> germanOnly = GermanOnlyTexts(language);
    for (QObject* object : root.findChildren<QObject*>()) {
        for (const CaptionProperty p : {CaptionProperty::Text, CaptionProperty::Hint}) {
            const auto text = Shown(object, p);
            if (text && !text->isEmpty() && !text->front().isEmpty()) {
                EXPECT_EQ(germanOnly.count(text->front()), 0U)
                    << object->objectName().toStdString() << " still reads \""
                    << text->front().toStdString() << "\"";
            }
        }
    }
}

TEST_F(WindowTest, EveryCaptionLandsOnItsControlInEachLanguage) {
    TForm_Main& w = start();
    for (const Language language :
         {Language::English, Language::French, Language::German, Language::French}) {
        SwitchTo(w, language);
        EXPECT_EQ(w.Shown().language(), language);
        EXPECT_TRUE(w.CaptionProblems().empty()) << w.CaptionProblems().front();
        ExpectCaptionsShown(w, language, CaptionWindow::Main);
        EXPECT_EQ(w.windowTitle().left(w.BaseTitle().size()), w.BaseTitle());
        EXPECT_TRUE(w.windowTitle().startsWith("Zimbalo " + FileVersion()));
        EXPECT_NE(w.windowTitle().indexOf(Q(TitleSuffix(language))), -1)
            << w.windowTitle().toStdString();
        if (language != Language::German) {
            ExpectNoGermanLeft(w, language);
        }
        // Exactly the language's menu item is checked.
        for (const Language other : kAll)
            EXPECT_EQ(LanguageItem(w, other)->isChecked(), other == language);
    }
}

TEST_F(WindowTest, ListWindowsTakeTheirCaptionsAndHide) {
    TForm_Main& w = start();
    auto* hist = w.findChild<lists::TForm_CityHist*>();
    auto* list = w.findChild<lists::TForm_CityList*>();
    ASSERT_NE(hist, nullptr);
    ASSERT_NE(list, nullptr);
    auto* population = list->findChild<QComboBox*>(QStringLiteral("ComboBox_Population"));
    ASSERT_NE(population, nullptr);
    population->setCurrentIndex(6);
    for (const Language language : {Language::English, Language::French, Language::German}) {
        action("CityHist")->trigger();
        action("Sichtbarkeit")->trigger();
        EXPECT_TRUE(hist->isVisible());
        SwitchTo(w, language);
        EXPECT_TRUE(w.CaptionProblems().empty()) << w.CaptionProblems().front();
        EXPECT_FALSE(hist->isVisible());
        EXPECT_FALSE(list->isVisible());
        ExpectCaptionsShown(*hist, language, CaptionWindow::CityHist);
        ExpectCaptionsShown(*list, language, CaptionWindow::CityList);
        if (language != Language::German) {
            ExpectNoGermanLeft(*hist, language);
            ExpectNoGermanLeft(*list, language);
        }
        EXPECT_EQ(population->currentIndex(), 6);
    }
}

TEST_F(WindowTest, SwitchKeepsTheGridChoice) {
    TForm_Main& w = start();
    control<QComboBox>("ComboBox_GradNetz")->setCurrentIndex(5);
    const int texture = control<QComboBox>("ComboBox_Globus")->currentIndex();
    for (const Language language : kAll) {
        SwitchTo(w, language);
        EXPECT_EQ(control<QComboBox>("ComboBox_GradNetz")->currentIndex(), 5);
        EXPECT_EQ(control<QComboBox>("ComboBox_GradNetz")->count(), 7);
        EXPECT_EQ(control<QComboBox>("ComboBox_Globus")->currentIndex(), texture);
    }
    EXPECT_EQ(control<QComboBox>("ComboBox_GradNetz")->currentText().toStdString(),
              "grille 45 degr\xC3\xA9s");
}

TEST_F(WindowTest, CompassLettersOfTheMarker) {
    TForm_Main& w = start();
    SwitchTo(w, Language::French);
    EXPECT_EQ(control<QRadioButton>("RadioButton_PoI_Ost")->text(), "E");
    EXPECT_EQ(control<QRadioButton>("RadioButton_PoI_West")->text(), "O");
    SwitchTo(w, Language::German);
    EXPECT_EQ(control<QRadioButton>("RadioButton_PoI_Ost")->text(), "O");
    EXPECT_EQ(control<QRadioButton>("RadioButton_PoI_West")->text(), "W");
    // North and south are not part of the sets.
    EXPECT_EQ(control<QRadioButton>("RadioButton_PoI_Nord")->text(), "N");
    EXPECT_EQ(control<QRadioButton>("RadioButton_PoI_Sued")->text(), "S");
}

void WriteSettingsWithLanguage(const AppFolders& folders, std::uint8_t language) {
    SettingsRecord r = DefaultSettings(FileVersion().toStdString());
    r.language = language;
    const auto bytes = WriteSettings(r);
    QFile file(SettingsPath(folders));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

TEST_F(WindowTest, SavedFrenchShowsRightAfterStart) {
    WriteSettingsWithLanguage(folders, 2);
    TForm_Main& w = start();
    EXPECT_EQ(w.Shown().language(), Language::French);
    EXPECT_TRUE(action("Opt_Francais")->isChecked());
    EXPECT_EQ(control<QMenu>("File1")->title(), "&Fichier");
    EXPECT_EQ(control<QGroupBox>("GroupBox_Globus")->title(), "Globe");
    EXPECT_EQ(control<QPushButton>("Button_Play")->toolTip(), "lecture");
    EXPECT_EQ(control<QComboBox>("ComboBox_GradNetz")->itemText(0), "pas de quadrillages");
    EXPECT_EQ(control<QComboBox>("ComboBox_GradNetz")->currentIndex(), 2);
    EXPECT_TRUE(w.windowTitle().contains(Q(TitleSuffix(Language::French)).trimmed()));
    ExpectCaptionsShown(w, Language::French, CaptionWindow::Main);
    ExpectNoGermanLeft(w, Language::French);

    // The choice survives the next start.
    SwitchTo(w, Language::English);
    w.close();
    TForm_Main& again = start();
    EXPECT_EQ(again.Shown().language(), Language::English);
    EXPECT_EQ(action("Exit1")->text(), "E&xit");
}

TEST_F(WindowTest, FirstStartTakesTheLocaleLanguageButASavedOneWins) {
    StartOptions options;
    options.folders = folders;
    options.screens = {QRect(0, 0, 1920, 1080)};
    options.firstStartLanguage = Language::French;
    {
        Started first = StartMainWindow(dialogs, options);
        ASSERT_TRUE(first.window);
        EXPECT_EQ(first.settingsOrigin, SettingsOrigin::Created);
        EXPECT_EQ(first.window->Shown().language(), Language::French);
        EXPECT_EQ(find<QLabel>(*first.window, "Label_Jahr")->text(), "ann\u00E9e");
        // The file written at once carries the language already.
        QFile file(SettingsPath(folders));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        const auto saved = ReadSettings(std::vector<std::uint8_t>(data.begin(), data.end()));
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->language, 2);
        find<QAction>(*first.window, "Opt_Deutsch")->trigger();
        first.window->close();
    }
    Started second = StartMainWindow(dialogs, options);
    ASSERT_TRUE(second.window);
    EXPECT_EQ(second.settingsOrigin, SettingsOrigin::Read);
    EXPECT_EQ(second.window->Shown().language(), Language::German);
    EXPECT_EQ(find<QLabel>(*second.window, "Label_Jahr")->text(), "Jahr");
    second.window->close();
}

TEST_F(WindowTest, OutOfRangeLanguageGivesGerman) {
    WriteSettingsWithLanguage(folders, 7);
    TForm_Main& w = start();
    EXPECT_EQ(w.Shown().language(), Language::German);
    EXPECT_TRUE(action("Opt_Deutsch")->isChecked());
    EXPECT_EQ(control<QLabel>("Label_Jahr")->text(), "Jahr");
}

TEST_F(WindowTest, VersionPanelShowsTheProgramsVersion) {
    TForm_Main& w = start();
    EXPECT_FALSE(control<QWidget>("Panel_About")->isVisible());
    action("Version1")->trigger();
    ASSERT_TRUE(control<QWidget>("Panel_About")->isVisible());
    EXPECT_EQ(control<QLabel>("Label_Zimbalo")->text(), "Zimbalo      " + FileVersion());
    ASSERT_EQ(control<QTableWidget>("StringGrid_VersionsInfo")->rowCount(), 17);
    EXPECT_EQ(control<QTableWidget>("StringGrid_VersionsInfo")->item(3, 1)->text(), FileVersion());
    EXPECT_EQ(control<QTableWidget>("StringGrid_VersionsInfo")->item(8, 1)->text(), "Zimbalo");
    EXPECT_NE(control<QWidget>("Panel_About")->findChild<QLabel*>(QStringLiteral("Image_Zimbalo")),
              nullptr);
    EXPECT_FALSE(control<QWidget>("Panel_About")
                     ->findChild<QLabel*>(QStringLiteral("Image_Zimbalo"))
                     ->pixmap()
                     .isNull());
    // Whole inside the window's client area, at its top.
    const QRect panel = control<QWidget>("Panel_About")->geometry();
    const QRect area = control<QWidget>("Panel_About")->parentWidget()->rect();
    EXPECT_TRUE(area.contains(panel) || panel.width() > area.width())
        << panel.x() << "," << panel.y() << " " << panel.width() << "x" << panel.height();
    EXPECT_EQ(panel.top(), 0);
    // The grid shows every row without scrolling.
    EXPECT_GE(control<QTableWidget>("StringGrid_VersionsInfo")->viewport()->height(), 17 * 19);
    // The panel is the same in every language.
    SwitchTo(w, Language::French);
    EXPECT_EQ(control<QPushButton>("Button_About_OK")->text(), "OK");
    action("Version1")->trigger();
    EXPECT_EQ(control<QTableWidget>("StringGrid_VersionsInfo")->item(0, 0)->text(),
              "FileType        ");
    control<QPushButton>("Button_About_OK")->click();
    EXPECT_FALSE(control<QWidget>("Panel_About")->isVisible());

    // The close stamps the settings file with the same version.
    w.close();
    QFile file(SettingsPath(folders));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    const auto saved = ReadSettings(std::vector<std::uint8_t>(data.begin(), data.end()));
    ASSERT_TRUE(saved);
    EXPECT_EQ(QString::fromStdString(saved->version), FileVersion());
}

}  // namespace
}  // namespace zimbalo::app
