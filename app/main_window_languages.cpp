// Languages and the version panel of the main window: the caption sets applied to this window
// and the two list windows, and the about panel with the version grid.

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QtGlobal>

#include "app/about_panel.h"
#include "app/caption_sets.h"
#include "app/main_window.h"
#include "app/version_info.h"

namespace zimbalo::app {
namespace {

// The captions of one window, in set order; for the main window either its captions and items
// (`hints` false) or its hints.
std::vector<Caption> Select(std::span<const Caption> set, CaptionWindow window, bool hints) {
    std::vector<Caption> result;
    for (const Caption& c : set) {
        if (c.window != window || c.property == CaptionProperty::TitleSuffix) {
            continue;
        }
        if (window == CaptionWindow::Main && (c.property == CaptionProperty::Hint) != hints) {
            continue;
        }
        result.push_back(c);
    }
    return result;
}

void Append(std::vector<std::string>& to, std::vector<std::string> from) {
    to.insert(to.end(), from.begin(), from.end());
}

}  // namespace

void TForm_Main::ApplyCaptionSet(int language) {
    // A language byte from a damaged settings file must not index past the sets.
    const Language lang =
        language >= 0 && language <= 2 ? static_cast<Language>(language) : Language::German;
    m_state.language = lang;
    QAction* items[] = {Opt_Deutsch, Opt_English, Opt_Francais};
    items[static_cast<int>(lang)]->setChecked(true);

    const std::span<const Caption> set = CaptionSet(lang);
    m_captionProblems.clear();
    // The main window's captions; the grid choice keeps its entry.
    Append(m_captionProblems, ApplyCaptions(*this, Select(set, CaptionWindow::Main, false)));
    // The time-scale caption follows the language, and the event is recalculated.
    CheckBox_ET_UTClick();
    Append(m_captionProblems, ApplyCaptions(*this, Select(set, CaptionWindow::Main, true)));
    setWindowTitle(BaseTitle());

    // The list windows stop a going run, hide, and take their captions (through the hook of
    // their context, which adds its problems to the list).
    ListWindowsLanguageChanged();
    for (const std::string& problem : m_captionProblems) {
        qWarning("%s", problem.c_str());
    }
}

void TForm_Main::Opt_DeutschClick() {
    ApplyCaptionSet(0);
    RefreshEventLabels();
    UpdateMarkerDistances();
}

void TForm_Main::Opt_EnglishClick() {
    ApplyCaptionSet(1);
    RefreshEventLabels();
    UpdateMarkerDistances();
}

void TForm_Main::Opt_FrancaisClick() {
    ApplyCaptionSet(2);
    RefreshEventLabels();
    UpdateMarkerDistances();
}

void TForm_Main::setupAboutPanel() {
    if (Panel_About->findChild<QLabel*>(QStringLiteral("Image_Zimbalo")) != nullptr) {
        return;
    }
    BuildAboutPanel(*Panel_About);
    connect(Button_About_OK, &QPushButton::clicked, this, [this] { Button_About_OKClick(); });
}

void TForm_Main::Version1Click() {
    setupAboutPanel();
    FillVersionGrid();
    const QTableWidgetItem* version = StringGrid_VersionsInfo->item(3, 1);
    Label_Zimbalo->setText(AboutCaption(version != nullptr ? version->text() : QString()));
    Panel_About->adjustSize();
    // At the top of the window, centred across it, never beyond its left edge.
    const QWidget* area = Panel_About->parentWidget();
    const auto [left, top] =
        AboutPanelPosition(area != nullptr ? area->width() : width(), Panel_About->width());
    Panel_About->move(left, top);
    Panel_About->show();
    Panel_About->raise();
}

void TForm_Main::Button_About_OKClick() {
    Panel_About->hide();
}

void TForm_Main::FillVersionGrid() {
    setupAboutPanel();
    app::FillVersionGrid(*StringGrid_VersionsInfo);
}

}  // namespace zimbalo::app
