#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/program.h"
#include "dialogs/fake_user_dialogs.h"

namespace zimbalo::app::testing {

/// Temporary settings, documents and temporary folders, the delivered data beside the test.
inline AppFolders TemporaryFolders(const QString& root) {
    AppFolders f;
    f.program = QCoreApplication::applicationDirPath() + "/";
    f.data = f.program;
    f.settings = root + "/config/Zimbalo/";
    f.documents = root + "/documents/Zimbalo/";
    f.temporary = root + "/tmp/";
    f.settingsReady = QDir().mkpath(f.settings);
    f.documentsReady = QDir().mkpath(f.documents);
    QDir().mkpath(f.temporary);
    return f;
}

/// The settings record in the settings folder, if it can be read.
inline std::optional<SettingsRecord> SavedSettings(const AppFolders& folders) {
    QFile file(SettingsPath(folders));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.readAll();
    return ReadSettings(std::vector<std::uint8_t>(data.begin(), data.end()));
}

/// Starts the main window as the program does, in fresh folders, with recording dialogs.
class WindowTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    dialogs::FakeUserDialogs dialogs;
    AppFolders folders;
    Started started;

    void SetUp() override { folders = TemporaryFolders(root.path()); }

    /// Starts (or restarts) the program's window and shows it; fails the test when none.
    TForm_Main& start() {
        started = Started{};
        StartOptions options;
        options.folders = folders;
        options.screens = {QRect(0, 0, 1920, 1080)};
        started = StartMainWindow(dialogs, options);
        EXPECT_TRUE(started.window) << "no window";
        started.window->show();
        return *started.window;
    }

    TForm_Main& window() { return *started.window; }

    /// The control of the main window named `name` (a test failure when there is none).
    template <typename T = QWidget>
    T* control(const char* name) {
        return find<T>(window(), name);
    }

    QAction* action(const char* name) { return find<QAction>(window(), name); }

    template <typename T = QWidget>
    static T* find(QObject& root, const char* name) {
        T* found = root.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }

    /// The text of a cell of the value grid `SG`.
    QString cell(int row, int column) {
        return control<QTableWidget>("SG")->item(row, column)->text();
    }

    /// Waits until Play has ended (it always ends at a slider limit).
    bool playEnds() {
        return QTest::qWaitFor([this] { return !window().Playing(); }, 60000);
    }

    QStringList temporaryFiles() const {
        return QDir(folders.temporary).entryList(QDir::Files | QDir::Hidden);
    }
};

}  // namespace zimbalo::app::testing
