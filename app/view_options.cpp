#include "app/view_options.h"

#include <QFile>
#include <QSaveFile>

namespace zimbalo::app {

namespace {

constexpr qint64 kMaxFileBytes = 4096;

}  // namespace

QString ViewOptionsPath(const AppFolders& folders) {
    return folders.settings + QString::fromLatin1(kViewOptionsFileName);
}

ViewOptions ReadViewOptions(const QString& path) {
    ViewOptions options;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return options;
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        return options;
    }
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) {
            continue;
        }
        const QByteArray name = line.left(eq);
        const QByteArray value = line.mid(eq + 1);
        if (value != "0" && value != "1") {
            continue;
        }
        if (name == "DayNight") {
            options.dayNight = value == "1";
        } else if (name == "Visibility") {
            options.visibility = value == "1";
        }
    }
    return options;
}

bool WriteViewOptions(const QString& path, const ViewOptions& options) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray text = QByteArray("DayNight=") + (options.dayNight ? "1" : "0")
                            + "\nVisibility=" + (options.visibility ? "1" : "0") + "\n";
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace zimbalo::app
