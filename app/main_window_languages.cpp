// The language switch of the main window: the caption set applied to this window, its parts and
// the two list windows, through one path.

#include <QAction>
#include <QActionGroup>

#include "app/caption_sets.h"
#include "app/circumstances_panel.h"
#include "app/globe_group.h"
#include "app/main_window.h"
#include "app/poi_panels.h"

namespace zimbalo::app {

void TForm_Main::ApplyLanguage(Language language) {
    for (QAction* action : m_languages->actions()) {
        if (action->data().toInt() == static_cast<int>(language))
            action->setChecked(true);
    }
    // Captions, hints and list items of every control of the window (the graticule keeps its
    // choice); the title suffix is no control's.
    const std::span<const Caption> set = CaptionSet(language);
    m_captionProblems.clear();
    for (const CaptionProperty property :
         {CaptionProperty::Text, CaptionProperty::Items, CaptionProperty::Hint}) {
        const std::vector<std::string> problems =
            ApplyCaptions(*this, CaptionsOf(set, CaptionWindow::Main, property));
        m_captionProblems.insert(m_captionProblems.end(), problems.begin(), problems.end());
    }
    // The texts the parts make themselves.
    m_globeGroup->ApplyLanguage(language);
    m_poiEditor->ApplyLanguage(language);
    m_circumstances->setLanguage(language);
    // The model's texts (labels, grid, time scale, distances, the event's title) follow.
    m_shown->SetLanguage(language);
    if (!m_shown->Ready())
        setWindowTitle(BaseTitle());
    applyListLanguage(language);
    for (const std::string& problem : m_captionProblems)
        qWarning("%s", problem.c_str());
}

}  // namespace zimbalo::app
