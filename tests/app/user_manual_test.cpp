#include "app/user_manual.h"

#include <optional>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "dialogs/fake_user_dialogs.h"
#include "window_fixture.h"

namespace zimbalo::app {
namespace {

/// Replaces the browser by a recorder for the life of a test, so that no browser starts.
class RecordingOpener {
public:
    QList<QUrl> opened;
    bool answer = true;

    RecordingOpener() : m_saved(UserManualOpener()) {
        UserManualOpener() = [this](const QUrl& url) {
            opened << url;
            return answer;
        };
    }

    ~RecordingOpener() { UserManualOpener() = m_saved; }

    RecordingOpener(const RecordingOpener&) = delete;
    RecordingOpener& operator=(const RecordingOpener&) = delete;

private:
    UrlOpener m_saved;
};

void WriteManual(const QString& dataFolder, const char* code) {
    QDir().mkpath(dataFolder + "manual");
    QFile f(dataFolder + "manual/zimbalo." + code + ".html");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html></html>");
}

TEST(UserManual, EachLanguageFindsItsOwnAndFallsBackToEnglish) {
    QTemporaryDir dir;
    const QString data = dir.path() + "/";
    EXPECT_EQ(UserManualPath(data, Language::German), std::nullopt);

    WriteManual(data, "en");
    WriteManual(data, "de");
    EXPECT_EQ(UserManualPath(data, Language::German), data + "manual/zimbalo.de.html");
    EXPECT_EQ(UserManualPath(data, Language::English), data + "manual/zimbalo.en.html");
    // No French translation: the English manual.
    EXPECT_EQ(UserManualPath(data, Language::French), data + "manual/zimbalo.en.html");
    WriteManual(data, "fr");
    EXPECT_EQ(UserManualPath(data, Language::French), data + "manual/zimbalo.fr.html");
}

TEST(UserManual, MissingManualOrBrowserIsReportedNotSilent) {
    QTemporaryDir dir;
    const QString data = dir.path() + "/";
    RecordingOpener opener;
    dialogs::FakeUserDialogs dialogs;

    EXPECT_FALSE(OpenUserManual(data, Language::English, dialogs));
    EXPECT_TRUE(opener.opened.isEmpty());
    ASSERT_EQ(dialogs.failed.size(), 1);
    EXPECT_TRUE(dialogs.failed[0].contains(data + "manual/zimbalo.en.html"))
        << dialogs.failed[0].toStdString();

    WriteManual(data, "en");
    opener.answer = false;  // no browser could be started
    EXPECT_FALSE(OpenUserManual(data, Language::English, dialogs));
    ASSERT_EQ(dialogs.failed.size(), 2);
    EXPECT_TRUE(dialogs.failed[1].contains("zimbalo.en.html"));
}

using UserManualWindow = testing::WindowTest;

TEST_F(UserManualWindow, HelpMenuOpensTheDeliveredManualInTheInterfaceLanguage) {
    RecordingOpener opener;
    start();
    QAction* help = action("Hilfe2");
    ASSERT_NE(help, nullptr);

    action("Opt_English")->trigger();
    help->trigger();
    action("Opt_Francais")->trigger();
    help->trigger();
    action("Opt_Deutsch")->trigger();
    help->trigger();

    // The manuals delivered beside the program (the build tree's data folder).
    ASSERT_EQ(opener.opened.size(), 3);
    const QStringList expected = {"zimbalo.en.html", "zimbalo.fr.html", "zimbalo.de.html"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(opener.opened[i].isLocalFile());
        const QFileInfo file(opener.opened[i].toLocalFile());
        EXPECT_EQ(file.fileName(), expected[i]);
        EXPECT_TRUE(file.isFile()) << file.filePath().toStdString();
        EXPECT_GT(file.size(), 1000);
    }
    EXPECT_TRUE(dialogs.failed.isEmpty());
}

}  // namespace
}  // namespace zimbalo::app
