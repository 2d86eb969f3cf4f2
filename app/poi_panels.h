#pragma once

#include <QStringList>
#include <QWidget>

#include "astro/language.h"
#include "dialogs/user_dialogs.h"

class QListWidget;
class QPlainTextEdit;

namespace zimbalo::app {

/// The editor of the points-of-interest list (`Panel_PoIs_Edit`), floating over the window: the
/// list file of the documents folder in a box of fixed-pitch lines, saved with "Liste Speichern".
class PoIEditor : public QWidget {
    Q_OBJECT

public:
    /// An editor of the list at `listPath`, with the default lines until the file is read.
    PoIEditor(dialogs::UserDialogs& dialogs, QString listPath, QWidget* parent);

    /// Reads the list file into the box, if it exists; a file that cannot be read, or is larger
    /// than a list of points can be, is reported and the box keeps its text.
    void Load();
    /// Reads the file and shows the panel.
    void Open();
    /// The lines of the box as they stand.
    QStringList Lines() const;

    const QString& ListPath() const { return m_path; }

    /// The language of the messages.
    void ApplyLanguage(Language language) { m_language = language; }

signals:
    /// The list was written to its file.
    void saved();

private:
    void save();

    dialogs::UserDialogs& m_dialogs;
    QString m_path;
    Language m_language = Language::German;
    QPlainTextEdit* m_text = nullptr;
};

/// The chooser of points of interest (`Panel_PoIs_Select`): the lines of the list with check
/// marks; "Markierte übernehmen" hands the checked lines on.
class PoIChooser : public QWidget {
    Q_OBJECT

public:
    explicit PoIChooser(QWidget* parent);

    /// Shows the panel; after `MarkStale` (and at first) the lines are refilled from `lines`
    /// without check marks, else the lines and marks stay as they were.
    void Open(const QStringList& lines);

    /// The next opening refills the lines (after the list was saved, or a picked line was bad).
    void MarkStale() { m_stale = true; }

    bool Stale() const { return m_stale; }

signals:
    void picked(const QStringList& lines);

private:
    QListWidget* m_list = nullptr;
    bool m_stale = true;
};

}  // namespace zimbalo::app
