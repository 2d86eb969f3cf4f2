#pragma once

#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

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
        options.dialogs = &dialogs;
        options.screens = {QRect(0, 0, 1920, 1080)};
        started = StartMainWindow(options);
        EXPECT_TRUE(started.window) << "no window";
        started.window->show();
        return *started.window;
    }

    TForm_Main& window() { return *started.window; }

    QStringList temporaryFiles() const {
        return QDir(folders.temporary).entryList(QDir::Files | QDir::Hidden);
    }
};

}  // namespace zimbalo::app::testing
