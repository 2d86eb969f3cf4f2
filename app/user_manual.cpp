#include "app/user_manual.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace zimbalo::app {

namespace {

QString ManualFile(const QString& dataFolder, const char* code) {
    return dataFolder + QStringLiteral("manual/zimbalo.") + QLatin1String(code)
           + QStringLiteral(".html");
}

const char* LanguageCode(Language language) {
    switch (language) {
        case Language::English:
            return "en";
        case Language::French:
            return "fr";
        case Language::German:
            break;
    }
    return "de";
}

}  // namespace

std::optional<QString> UserManualPath(const QString& dataFolder, Language language) {
    for (const char* code : {LanguageCode(language), "en"}) {
        const QString path = ManualFile(dataFolder, code);
        if (QFileInfo(path).isFile())
            return path;
    }
    return std::nullopt;
}

UrlOpener& UserManualOpener() {
    static UrlOpener opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return opener;
}

bool OpenUserManual(const QString& dataFolder, Language language, dialogs::UserDialogs& dialogs) {
    const std::optional<QString> path = UserManualPath(dataFolder, language);
    if (!path) {
        dialogs.fail(QStringLiteral("Die Anleitung fehlt / The manual is missing: ")
                     + ManualFile(dataFolder, "en"));
        return false;
    }
    if (!UserManualOpener()(QUrl::fromLocalFile(*path))) {
        dialogs.fail(QStringLiteral("Kein Browser für / No browser to show: ") + *path);
        return false;
    }
    return true;
}

}  // namespace zimbalo::app
