#pragma once

#include <deque>
#include <optional>
#include <utility>

#include <QString>
#include <QStringList>

#include "dialogs/user_dialogs.h"

namespace zimbalo::dialogs {

/// Dialogs for tests: records every text shown and answers from scripted queues (Yes and
/// "cancel" when a queue is empty), never opening a window.
class FakeUserDialogs : public UserDialogs {
public:
    QStringList informed;  ///< texts of information boxes, in order
    QStringList failed;    ///< texts of error boxes, in order
    QStringList asked;     ///< questions, in order
    QStringList saveTitles;
    QStringList saveDefaultNames;

    std::deque<bool> askAnswers;                     ///< next answers to `ask`
    std::deque<std::optional<QString>> saveAnswers;  ///< next answers to `saveFileName`

    void inform(const QString& text) override { informed << text; }

    void fail(const QString& text) override { failed << text; }

    bool ask(const QString& text) override {
        asked << text;
        if (askAnswers.empty())
            return true;
        const bool answer = askAnswers.front();
        askAnswers.pop_front();
        return answer;
    }

    std::optional<QString> saveFileName(const QString& title, const QString& defaultName,
                                        const QString& /*filter*/) override {
        saveTitles << title;
        saveDefaultNames << defaultName;
        if (saveAnswers.empty())
            return std::nullopt;
        // Swapped out rather than moved into a new optional: GCC 12 then sees no read of an
        // uninitialised string in a moved-from optional (a false -Wmaybe-uninitialized).
        std::optional<QString> answer;
        answer.swap(saveAnswers.front());
        saveAnswers.pop_front();
        return answer;
    }

    /// Every text shown, of any kind.
    int shownCount() const {
        return static_cast<int>(informed.size() + failed.size() + asked.size());
    }
};

}  // namespace zimbalo::dialogs
