#include "app/caption_sets.h"

#include <set>
#include <string>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "astro/language_table.h"

namespace zimbalo::app {
namespace {

constexpr Language kAll[] = {Language::German, Language::English, Language::French};

std::string Key(const Caption& c) {
    return std::to_string(static_cast<int>(c.window)) + "/" + std::string(c.objectName) + "/"
           + std::to_string(static_cast<int>(c.property));
}

TEST(CaptionSets, EveryLanguageNamesTheSameControlsInTheSameOrder) {
    const auto german = CaptionSet(Language::German);
    ASSERT_EQ(german.size(), 72U);
    for (const Language language : kAll) {
        const auto set = CaptionSet(language);
        ASSERT_EQ(set.size(), german.size());
        std::set<std::string> seen;
        for (std::size_t i = 0; i < set.size(); ++i) {
            EXPECT_EQ(Key(set[i]), Key(german[i])) << i;
            EXPECT_TRUE(seen.insert(Key(set[i])).second) << "twice: " << Key(set[i]);
            if (set[i].property == CaptionProperty::Items) {
                EXPECT_EQ(set[i].items.size(), german[i].items.size()) << Key(set[i]);
                EXPECT_TRUE(set[i].text.empty());
            } else {
                EXPECT_FALSE(set[i].text.empty()) << Key(set[i]);
                EXPECT_TRUE(set[i].items.empty());
            }
        }
    }
    // Order of application: main captions, main hints, title, place history, many places.
    const auto windowRank = [](const Caption& c) {
        if (c.window == CaptionWindow::Main) {
            return c.property == CaptionProperty::Hint          ? 1
                   : c.property == CaptionProperty::TitleSuffix ? 2
                                                                : 0;
        }
        return c.window == CaptionWindow::CityHist ? 3 : 4;
    };
    for (std::size_t i = 1; i < german.size(); ++i) {
        EXPECT_LE(windowRank(german[i - 1]), windowRank(german[i])) << i;
    }
    EXPECT_EQ(german[0].objectName, "File1");
    EXPECT_EQ(CaptionsOf(german, CaptionWindow::Main, CaptionProperty::Hint).size(), 6U);
    EXPECT_EQ(CaptionsOf(german, CaptionWindow::CityHist, CaptionProperty::Text).size(), 20U);
    EXPECT_EQ(CaptionsOf(german, CaptionWindow::CityList, CaptionProperty::Text).size(), 6U);
}

TEST(CaptionSets, TextsThatMustAgreeWithTheLanguageTable) {
    for (const Language language : kAll) {
        const auto set = CaptionSet(language);
        EXPECT_EQ(TitleSuffix(language), LanguageText(26, language));
        // The hints are the same words as the run-time rows 20..25, in that order.
        const auto hints = CaptionsOf(set, CaptionWindow::Main, CaptionProperty::Hint);
        ASSERT_EQ(hints.size(), 6U);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(hints[static_cast<std::size_t>(i)].text, LanguageText(20 + i, language));
        }
        const auto hist = CaptionsOf(set, CaptionWindow::CityHist, CaptionProperty::Text);
        for (const Caption& c : hist) {
            if (c.objectName == "Label6") {
                EXPECT_EQ(c.text, LanguageText(54, language));
            }
            if (c.objectName == "RadioButton_Sued") {
                EXPECT_EQ(c.text, LanguageText(50, language));
            }
        }
    }
}

std::string_view TextOf(Language language, std::string_view name) {
    for (const Caption& c : CaptionSet(language)) {
        if (c.window == CaptionWindow::Main && c.objectName == name) {
            return c.text;
        }
    }
    return "?";
}

TEST(CaptionSets, CompassLettersOfThePointOfInterest) {
    EXPECT_EQ(TextOf(Language::German, "RadioButton_PoI_Ost"), "O");
    EXPECT_EQ(TextOf(Language::German, "RadioButton_PoI_West"), "W");
    EXPECT_EQ(TextOf(Language::English, "RadioButton_PoI_Ost"), "E");
    EXPECT_EQ(TextOf(Language::French, "RadioButton_PoI_Ost"), "E");
    EXPECT_EQ(TextOf(Language::French, "RadioButton_PoI_West"), "O");
    EXPECT_EQ(TextOf(Language::English, "Exit1"), "E&xit");
    EXPECT_EQ(TextOf(Language::French, "Hilfe2"), "&Aide Zimbalo ");
}

// A small window with one control of each kind the sets address.
struct Tree {
    QMainWindow window;
    QMenu* file = nullptr;
    QAction* exit = nullptr;
    QLabel* label = nullptr;
    QGroupBox* group = nullptr;
    QRadioButton* radio = nullptr;
    QComboBox* combo = nullptr;
    QPushButton* play = nullptr;
    QLineEdit* edit = nullptr;
    QWidget* otherWindow = nullptr;
    QLabel* otherLabel = nullptr;

    Tree() {
        file = window.menuBar()->addMenu(QStringLiteral("x"));
        file->setObjectName(QStringLiteral("File1"));
        exit = file->addAction(QStringLiteral("x"));
        exit->setObjectName(QStringLiteral("Exit1"));
        auto* central = new QWidget(&window);
        window.setCentralWidget(central);
        group = new QGroupBox(central);
        group->setObjectName(QStringLiteral("GroupBox_Globus"));
        label = new QLabel(group);
        label->setObjectName(QStringLiteral("Label_Jahr"));
        radio = new QRadioButton(group);
        radio->setObjectName(QStringLiteral("RadioButton_PoI_Ost"));
        combo = new QComboBox(group);
        combo->setObjectName(QStringLiteral("ComboBox_GradNetz"));
        for (const Caption& c : CaptionsOf(CaptionSet(Language::German), CaptionWindow::Main,
                                           CaptionProperty::Items)) {
            for (const std::string_view item : c.items) {
                combo->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
            }
        }
        combo->setCurrentIndex(4);
        play = new QPushButton(central);
        play->setObjectName(QStringLiteral("Button_Play"));
        edit = new QLineEdit(central);
        edit->setObjectName(QStringLiteral("Button_Stop"));  // wrong kind for a text caption
        // A separate window owned by the main window, with a control of a main-window name.
        otherWindow = new QWidget(&window, Qt::Window);
        otherLabel = new QLabel(otherWindow);
        otherLabel->setObjectName(QStringLiteral("Label_Jahr"));
        otherLabel->setText(QStringLiteral("untouched"));
    }
};

Caption TextCaption(std::string_view name, std::string_view text) {
    return {CaptionWindow::Main, name, CaptionProperty::Text, text, {}};
}

TEST(ApplyCaptions, EachKindOfControlTakesItsCaption) {
    Tree t;
    const Caption captions[] = {
        TextCaption("File1", "&File"),
        TextCaption("Exit1", "E&xit"),
        TextCaption("GroupBox_Globus", "Globe"),
        TextCaption("Label_Jahr", "Year"),
        TextCaption("RadioButton_PoI_Ost", "E"),
        {CaptionWindow::Main, "Button_Play", CaptionProperty::Hint, "forward play", {}},
        {CaptionWindow::Main, "Exit1", CaptionProperty::Hint, "leave", {}},
        {CaptionWindow::Main, "", CaptionProperty::TitleSuffix, " - suffix", {}},
    };
    EXPECT_TRUE(ApplyCaptions(t.window, captions).empty());
    EXPECT_EQ(t.file->title(), "&File");
    EXPECT_EQ(t.file->menuAction()->text(), "&File");
    EXPECT_EQ(t.exit->text(), "E&xit");
    EXPECT_EQ(t.exit->toolTip(), "leave");
    EXPECT_EQ(t.group->title(), "Globe");
    EXPECT_EQ(t.label->text(), "Year");
    EXPECT_EQ(t.radio->text(), "E");
    EXPECT_EQ(t.play->toolTip(), "forward play");
    EXPECT_EQ(t.otherLabel->text(), "untouched");   // another window is not searched
    EXPECT_TRUE(t.window.windowTitle().isEmpty());  // the title is built elsewhere

    // The other window is found when it is the root itself.
    EXPECT_TRUE(ApplyCaptions(*t.otherWindow, std::span(captions + 3, 1)).empty());
    EXPECT_EQ(t.otherLabel->text(), "Year");
}

TEST(ApplyCaptions, MissingOrUnsuitableControlsAreReported) {
    Tree t;
    const Caption captions[] = {
        TextCaption("Button_Nowhere", "x"),
        TextCaption("Button_Stop", "x"),  // a line edit has no caption
        {CaptionWindow::Main, "Label_Jahr", CaptionProperty::Items, {}, {}},
    };
    const auto problems = ApplyCaptions(t.window, captions);
    ASSERT_EQ(problems.size(), 3U);
    EXPECT_NE(problems[0].find("Button_Nowhere"), std::string::npos);
    EXPECT_NE(problems[1].find("Button_Stop"), std::string::npos);
    EXPECT_NE(problems[2].find("Label_Jahr"), std::string::npos);
}

TEST(ApplyCaptions, ComboItemsChangeLanguageAndKeepTheSelection) {
    Tree t;
    int indexChanges = 0;
    QObject::connect(t.combo, &QComboBox::currentIndexChanged, [&indexChanges] { ++indexChanges; });
    for (const Language language : {Language::French, Language::English, Language::German}) {
        const auto items =
            CaptionsOf(CaptionSet(language), CaptionWindow::Main, CaptionProperty::Items);
        ASSERT_EQ(items.size(), 1U);
        EXPECT_TRUE(ApplyCaptions(t.window, items).empty());
        ASSERT_EQ(t.combo->count(), 7);
        EXPECT_EQ(t.combo->currentIndex(), 4);
        EXPECT_EQ(t.combo->itemText(0).toStdString(), items[0].items[0]);
        EXPECT_EQ(t.combo->currentText().toStdString(), items[0].items[4]);
    }
    EXPECT_EQ(indexChanges, 0);

    // A combo box with another number of entries is refilled; its index stays when it can.
    t.combo->clear();
    t.combo->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    t.combo->setCurrentIndex(2);
    indexChanges = 0;
    const auto items =
        CaptionsOf(CaptionSet(Language::English), CaptionWindow::Main, CaptionProperty::Items);
    EXPECT_TRUE(ApplyCaptions(t.window, items).empty());
    EXPECT_EQ(t.combo->count(), 7);
    EXPECT_EQ(t.combo->currentIndex(), 2);
    EXPECT_EQ(t.combo->currentText().toStdString(), "10 degrees grid");
    EXPECT_EQ(indexChanges, 0);
}

}  // namespace
}  // namespace zimbalo::app
