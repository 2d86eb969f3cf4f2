#include "app/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "app/settings_record.h"
#include "astro/data_folder.h"

namespace zimbalo::app {

namespace {

QString withSlash(QString folder) {
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

}  // namespace

AppFolders ResolveFolders() {
    AppFolders f;
    f.program = withSlash(QCoreApplication::applicationDirPath());
    if (const auto data = astro::FindDataFolder(f.program.toStdString()))
        f.data = withSlash(QString::fromStdString(*data));
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    f.documents = withSlash(documents) + "Zimbalo/";
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + "/.config";
    f.settings = withSlash(config) + "Zimbalo/";
    f.temporary = withSlash(QDir::tempPath().trimmed());
    f.documentsReady = QDir().mkpath(f.documents);
    f.settingsReady = QDir().mkpath(f.settings);
    return f;
}

QString SettingsPath(const AppFolders& folders) {
    return folders.settings + kSettingsFileName;
}

}  // namespace zimbalo::app
