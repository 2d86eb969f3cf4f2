#include <csignal>
#include <optional>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include "app/program.h"
#include "app/quit_signals.h"
#include "app/version_info.h"
#include "astro/data_folder.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

using testing::WindowTest;
using Startup = WindowTest;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(Startup, OutOfRangeSettingsFallBackAndTheProgramStarts) {
    SettingsRecord bad = DefaultSettings(FileVersion().toStdString());
    bad.currentIndex = 9999;
    bad.textureIndex = 7;
    bad.gridIndex = 40;
    bad.width = -1024;
    bad.height = -5;
    bad.left = 90000;
    bad.zoomPosition = 5000;
    bad.timePosition = -3;
    ASSERT_EQ(SaveSettings(SettingsPath(folders), bad), std::nullopt);
    TForm_Main& w = start();
    EXPECT_EQ(control<QScrollBar>("ScrollBar_Bedeckung")->value(), 1);
    EXPECT_EQ(control<QComboBox>("ComboBox_Globus")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>("ComboBox_GradNetz")->currentIndex(), 2);
    EXPECT_EQ(control<QSlider>("Zoom_TrackBar")->value(), 140);
    EXPECT_EQ(control<QScrollBar>("Time_ScrollBar")->value(), 6300);
    EXPECT_GT(w.width(), 500);
    EXPECT_GT(w.height(), 400);
    EXPECT_LT(w.x(), 1920);
    EXPECT_TRUE(dialogs.failed.isEmpty());

    SettingsRecord zero = bad;
    zero.currentIndex = 0;
    ASSERT_EQ(SaveSettings(SettingsPath(folders), zero), std::nullopt);
    start();
    EXPECT_EQ(control<QScrollBar>("ScrollBar_Bedeckung")->value(), 1);
}

TEST_F(Startup, ABrokenSettingsFileIsReplacedByTheDefaults) {
    QFile file(SettingsPath(folders));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("garbage");
    file.close();
    start();
    EXPECT_EQ(started.settingsOrigin, SettingsOrigin::ReplacedBroken);
    EXPECT_EQ(control<QScrollBar>("ScrollBar_Bedeckung")->value(), 1);
    EXPECT_EQ(readAll(SettingsPath(folders)).size(), 243);
    EXPECT_TRUE(dialogs.failed.isEmpty());
}

TEST_F(Startup, ASettingsFolderThatCannotBeMadeIsReportedOnceAndNothingIsLost) {
    QFile blocker(root.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    folders.settings = root.path() + "/blocker/Zimbalo/";
    folders.settingsReady = QDir().mkpath(folders.settings);
    ASSERT_FALSE(folders.settingsReady);
    TForm_Main& w = start();
    EXPECT_EQ(started.settingsOrigin, SettingsOrigin::NotKept);
    ASSERT_EQ(dialogs.failed.size(), 1);
    EXPECT_TRUE(dialogs.failed[0].contains("blocker/Zimbalo")) << dialogs.failed[0].toStdString();
    EXPECT_EQ(control<QScrollBar>("ScrollBar_Bedeckung")->value(), 1);
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(10);
    w.close();
    EXPECT_EQ(dialogs.failed.size(), 1) << "said once";
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(Startup, AnUnreadableCatalogueIsNamedAndTheStartEnds) {
    const QString empty = root.path() + "/nodata/";
    QDir().mkpath(empty);
    folders.data = empty;
    StartOptions options;
    options.folders = folders;
    Started s = StartMainWindow(dialogs, options);
    EXPECT_FALSE(s.window);
    EXPECT_EQ(s.exitStatus, 1);
    ASSERT_EQ(dialogs.failed.size(), 1);
    EXPECT_TRUE(dialogs.failed[0].contains("Bessel_21Jdt_VNB_0130.bin"));
    EXPECT_TRUE(dialogs.failed[0].contains("not found"));

    // A cut catalogue: the message says what is wrong with it.
    const QByteArray whole =
        readAll(QCoreApplication::applicationDirPath() + "/Bessel_21Jdt_VNB_0130.bin");
    ASSERT_GT(whole.size(), 1000);
    QFile cut(empty + "Bessel_21Jdt_VNB_0130.bin");
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.left(1000));
    cut.close();
    dialogs.failed.clear();
    s = StartMainWindow(dialogs, options);
    EXPECT_FALSE(s.window);
    EXPECT_EQ(s.exitStatus, 1);
    ASSERT_EQ(dialogs.failed.size(), 1);
    EXPECT_TRUE(dialogs.failed[0].contains("1000")) << dialogs.failed[0].toStdString();

    // No data folder found at all: the message says where it was looked for.
    options.folders.data = std::nullopt;
    dialogs.failed.clear();
    s = StartMainWindow(dialogs, options);
    EXPECT_FALSE(s.window);
    EXPECT_EQ(s.exitStatus, 1);
    ASSERT_EQ(dialogs.failed.size(), 1);
    EXPECT_EQ(dialogs.failed[0], QString::fromStdString(astro::DataFolderNotFoundMessage(
                                     options.folders.program.toStdString())));
    EXPECT_TRUE(temporaryFiles().isEmpty()) << "no window, no layer store";
}

TEST_F(Startup, TheLayerStoreNeverTakesAnExistingFile) {
    // Files of another running copy in the same temporary folder stay as they are.
    const QString foreign = folders.temporary + "Temporary_ABCDEFGH.tmp";
    QFile f(foreign);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("someone else's");
    f.close();
    TForm_Main& w = start();
    EXPECT_TRUE(
        QRegularExpression("/Temporary_[A-Za-z0-9]{8}\\.tmp$").match(w.LayerStorePath()).hasMatch())
        << w.LayerStorePath().toStdString();
    EXPECT_NE(w.LayerStorePath(), foreign);
    w.close();
    EXPECT_EQ(temporaryFiles(), QStringList{"Temporary_ABCDEFGH.tmp"});
    EXPECT_EQ(readAll(foreign), "someone else's");
}

TEST_F(Startup, ARecordRemovedWhileRunningIsNotWrittenBack) {
    TForm_Main& w = start();
    ASSERT_TRUE(QFile::remove(SettingsPath(folders)));
    w.close();
    EXPECT_FALSE(QFile::exists(SettingsPath(folders)));
}

TEST_F(Startup, SigtermClosesAsTheCloseBoxDoes) {
    TForm_Main& w = start();
    const QString store = w.LayerStorePath();
    control<QScrollBar>("ScrollBar_Bedeckung")->setValue(55);
    bool closed = false;
    QObject::connect(&w, &TForm_Main::closed, [&closed] { closed = true; });
    {
        const QuitSignals quitSignals([&w] { w.close(); });
        ASSERT_TRUE(quitSignals.Active());
        std::raise(SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(closed, 5000);
    }
    EXPECT_FALSE(QFile::exists(store));
    const QByteArray data = readAll(SettingsPath(folders));
    ASSERT_EQ(data.size(), 243);
    EXPECT_EQ(ReadSettings(std::vector<std::uint8_t>(data.begin(), data.end()))->currentIndex, 55);
}

/// The program itself, in fresh folders.
class Program : public ::testing::Test {
protected:
    QTemporaryDir root;
    QProcess process;

    void SetUp() override {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", root.path() + "/config");
        env.insert("HOME", root.path() + "/home");
        env.insert("TMPDIR", root.path() + "/tmp");
        env.insert("XDG_RUNTIME_DIR", root.path() + "/run");
        for (const char* dir : {"/config", "/home", "/tmp", "/run"})
            QDir().mkpath(root.path() + dir);
        QFile::setPermissions(root.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                        | QFileDevice::ExeOwner);
        process.setProcessEnvironment(env);
        process.setProgram(QCoreApplication::applicationDirPath() + "/zimbalo");
    }

    QStringList temporaryFiles() const { return QDir(root.path() + "/tmp").entryList(QDir::Files); }
};

TEST_F(Program, VersionAndHelpPrintOneLineEach) {
    process.setArguments({"--version"});
    process.start();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(), "zimbalo " + FileVersion().toUtf8() + "\n");
    process.setArguments({"--help"});
    process.start();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    const QByteArray help = process.readAllStandardOutput();
    EXPECT_TRUE(help.startsWith("Usage: zimbalo")) << help.toStdString();
    EXPECT_EQ(help.count('\n'), 1);
    EXPECT_TRUE(QDir(root.path() + "/config").isEmpty()) << "nothing written";
}

TEST_F(Program, SigtermSavesTheSettingsAndLeavesNoTemporaryFile) {
    process.start();
    ASSERT_TRUE(process.waitForStarted(10000));
    const QString ini = root.path() + "/config/Zimbalo/Zimbalo.ini";
    // The store's file shows that the window exists.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ini) && !temporaryFiles().isEmpty(), 20000);
    QTest::qWait(300);
    const QDateTime created = QFileInfo(ini).lastModified();
    process.terminate();  // SIGTERM
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QFileInfo(ini).size(), 243);
    EXPECT_GE(QFileInfo(ini).lastModified(), created);
    EXPECT_TRUE(temporaryFiles().isEmpty()) << temporaryFiles().join(' ').toStdString();
}

}  // namespace
}  // namespace zimbalo::app
