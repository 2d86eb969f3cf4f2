#pragma once

#include <optional>

#include <QString>

class QWidget;

namespace zimbalo::dialogs {

/// The message boxes and the save dialog the windows show. Windows get one passed in; the program
/// passes `QtUserDialogs`, tests pass `FakeUserDialogs`, so no test ever waits in a modal dialog.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    /// An information box with an OK button.
    virtual void inform(const QString& text) = 0;

    /// An error box with an OK button.
    virtual void fail(const QString& text) = 0;

    /// A question with Yes and No; true for Yes.
    virtual bool ask(const QString& text) = 0;

    /// A save dialog: the chosen file's path, or nothing when the user cancels. `defaultName` is
    /// the file name proposed (with or without a folder), `filter` the file-type filter in Qt's
    /// form
    /// ("Text (*.txt)"), empty for all files.
    virtual std::optional<QString> saveFileName(const QString& title, const QString& defaultName,
                                                const QString& filter) = 0;
};

/// Message boxes and the file dialog of Qt, parented to a window (may be null).
class QtUserDialogs : public UserDialogs {
public:
    explicit QtUserDialogs(QWidget* parent = nullptr) : m_parent(parent) {}

    void setParent(QWidget* parent) { m_parent = parent; }

    void inform(const QString& text) override;
    void fail(const QString& text) override;
    bool ask(const QString& text) override;
    std::optional<QString> saveFileName(const QString& title, const QString& defaultName,
                                        const QString& filter) override;

private:
    QWidget* m_parent;
};

}  // namespace zimbalo::dialogs
