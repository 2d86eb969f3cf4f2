#include "dialogs/user_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zimbalo::dialogs {

void QtUserDialogs::inform(const QString& text) {
    QMessageBox::information(m_parent, QStringLiteral("Zimbalo"), text);
}

void QtUserDialogs::fail(const QString& text) {
    QMessageBox::critical(m_parent, QStringLiteral("Zimbalo"), text);
}

bool QtUserDialogs::ask(const QString& text) {
    return QMessageBox::question(m_parent, QStringLiteral("Zimbalo"), text,
                                 QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

std::optional<QString> QtUserDialogs::saveFileName(const QString& title, const QString& defaultName,
                                                   const QString& filter) {
    const QString chosen = QFileDialog::getSaveFileName(m_parent, title, defaultName, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

}  // namespace zimbalo::dialogs
