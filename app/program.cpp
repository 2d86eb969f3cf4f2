#include "app/program.h"

#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QScreen>

#include "app/quit_signals.h"
#include "app/start_language.h"
#include "app/version_info.h"
#include "astro/data_folder.h"

namespace zimbalo::app {

namespace {

constexpr const char* kUsage =
    "Usage: zimbalo [--help] [--version] [Qt options]  (lunar occultations of the planets)";

}  // namespace

QString SettingsNotKeptMessage(const QString& problem) {
    return QStringLiteral(
               "Die Einstellungen werden nicht gespeichert / Settings will not be kept:\n")
           + problem;
}

Started StartMainWindow(dialogs::UserDialogs& dialogs, const StartOptions& options) {
    Started out;
    const std::string version = FileVersion().toStdString();

    LoadedSettings loaded;
    if (options.folders.settingsReady) {
        loaded = LoadOrCreateSettings(SettingsPath(options.folders), version,
                                      static_cast<std::uint8_t>(options.firstStartLanguage));
    } else {
        loaded.record = DefaultSettings(version);
        loaded.record.language = static_cast<std::uint8_t>(options.firstStartLanguage);
        loaded.origin = SettingsOrigin::NotKept;
        loaded.problem = options.folders.settings + ": the folder cannot be created";
    }
    out.settingsOrigin = loaded.origin;
    if (loaded.origin == SettingsOrigin::NotKept)
        dialogs.fail(SettingsNotKeptMessage(loaded.problem));

    astro::BesselTable table;
    try {
        if (!options.folders.data)
            throw astro::CatalogueError(
                astro::DataFolderNotFoundMessage(options.folders.program.toStdString()));
        table =
            astro::LoadCatalogue((*options.folders.data + astro::kCatalogueFileName).toStdString());
    } catch (const astro::CatalogueError& e) {
        dialogs.fail(QString::fromStdString(e.what()));
        out.exitStatus = 1;
        return out;
    }

    SettingsRecord settings = loaded.record;
    SanitizeSettings(settings, table.Count(), options.screens);
    out.windowState = settings.windowState;
    out.window = std::make_unique<TForm_Main>(options.folders, settings, std::move(table), dialogs);
    out.window->CreateListWindows();
    return out;
}

int RunProgram(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zimbalo %s\n", FileVersion().toUtf8().constData());
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s\n", kUsage);
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zimbalo"));
    QApplication::setApplicationVersion(FileVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zimbalo.Zimbalo"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.zimbalo.Zimbalo")));
    // Number texts never follow the regional settings.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(c);

    dialogs::QtUserDialogs dialogs;
    StartOptions options;
    options.folders = ResolveFolders();
    // Started from a terminal, the missing data is also told there (the dialog may go unseen).
    if (!options.folders.data)
        std::fprintf(
            stderr, "%s\n",
            astro::DataFolderNotFoundMessage(options.folders.program.toStdString()).c_str());
    options.firstStartLanguage = SystemStartLanguage();
    for (const QScreen* screen : QGuiApplication::screens())
        options.screens.push_back(screen->availableGeometry());

    // SIGTERM/SIGINT close the window as its close box does. Before the event loop runs (a
    // start-up message about a damaged texture or unreadable settings is up) they end those
    // messages instead, and the program closes right after start-up rather than waiting for OK.
    TForm_Main* running = nullptr;
    bool endRequested = false;
    const QuitSignals quitSignals([&running, &endRequested] {
        endRequested = true;
        if (running)
            running->close();
        else
            QCoreApplication::exit(0);
    });
    Started started = StartMainWindow(dialogs, options);
    if (!started.window)
        return started.exitStatus;
    TForm_Main& window = *started.window;
    dialogs.setParent(&window);
    QObject::connect(&window, &TForm_Main::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (started.windowState == 2)
        window.showMaximized();
    else
        window.show();
    if (endRequested) {
        window.close();  // keeps the settings as a close at any other time does
        return 0;
    }
    running = &window;
    return QApplication::exec();
}

}  // namespace zimbalo::app
