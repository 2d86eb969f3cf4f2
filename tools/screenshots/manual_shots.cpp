// Makes the pictures of the user manual: starts the program's main window as the program does (its
// folders, settings and data, the given language on a first start), shows each window and panel
// the way a user opens it (menu items, the right mouse button on the globe, the list windows'
// start buttons) and saves each as a PNG, scaled down and reduced to a palette so that the files
// stay small. Run it under an X server with a fresh home folder (scripts/screenshot does both).
//
//   manual_shots <de|en|fr> <output folder>
//
// Writes main, globe-panel, poi-edit, poi-select, version, cityhist and citylist, each as
// <name>.<language>.png. Any message the program would show ends the run with status 1.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QLocale>
#include <QMainWindow>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>

#include "app/folders.h"
#include "app/program.h"
#include "dialogs/user_dialogs.h"

namespace {

using zimbalo::Language;

/// Messages end the run: a picture of an error is no picture of the program.
class FailingDialogs : public zimbalo::dialogs::UserDialogs {
public:
    int messages = 0;

    void inform(const QString& text) override { report(text); }

    void fail(const QString& text) override { report(text); }

    bool ask(const QString& text) override {
        report(text);
        return false;
    }

    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }

private:
    void report(const QString& text) {
        ++messages;
        std::fprintf(stderr, "manual_shots: the program says: %s\n", qPrintable(text));
    }
};

template <typename T>
T* need(QObject& root, const char* name) {
    T* found = root.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        std::fprintf(stderr, "manual_shots: no control %s\n", name);
        std::exit(1);
    }
    return found;
}

void trigger(QObject& root, const char* actionName) {
    need<QAction>(root, actionName)->trigger();
}

void click(QObject& root, const char* buttonName) {
    QTest::mouseClick(need<QAbstractButton>(root, buttonName), Qt::LeftButton);
}

/// The occultation the main window shows: Saturn on 2024-08-21, seen from Europe.
constexpr int kShownEvent = 636;
/// Time-slider position of its maximum seen from Basel, 04:01 UT (one step is 2 seconds).
constexpr int kShownInstant = 8170;

/// Lets the window system and the program's timers do their work (textures, repaints, layout).
void settle(int milliseconds = 700) {
    QTest::qWait(milliseconds);
}

class Shots {
public:
    Shots(QString folder, QString language) : m_folder(std::move(folder)), m_language(language) {}

    /// Saves `area` of `window` (window coordinates; the whole window when empty), scaled to at
    /// most `width` pixels wide.
    void save(QWidget& window, const char* name, int width, QRect area = {}) {
        settle(300);
        QImage image = window.grab(area.isEmpty() ? window.rect() : area).toImage();
        image = image.convertToFormat(QImage::Format_RGB32);
        if (image.width() > width)
            image = image.scaledToWidth(width, Qt::SmoothTransformation);
        // A palette of 256 colours: controls and text stay crisp, the globe's texture is
        // dithered, and the file shrinks to a fraction.
        image = image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
        const QString path =
            m_folder + QStringLiteral("/%1.%2.png").arg(QLatin1String(name), m_language);
        if (!image.save(path, "PNG", 0)) {
            std::fprintf(stderr, "manual_shots: %s cannot be written\n", qPrintable(path));
            std::exit(1);
        }
        std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
    }

private:
    QString m_folder;
    QString m_language;
};

/// The rectangle of `panel` in `window`'s coordinates, grown by `margin` and kept inside it.
QRect around(QWidget& window, QWidget& panel, int margin) {
    const QRect r(panel.mapTo(&window, QPoint(0, 0)), panel.size());
    return r.adjusted(-margin, -margin, margin, margin).intersected(window.rect());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string code = argc > 2 ? argv[1] : "";
    if (code != "de" && code != "en" && code != "fr") {
        std::fprintf(stderr, "usage: manual_shots <de|en|fr> <output folder>\n");
        return 2;
    }
    QApplication app(argc, argv);
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(c);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(folder);

    FailingDialogs dialogs;
    zimbalo::app::StartOptions options;
    options.folders = zimbalo::app::ResolveFolders();
    options.firstStartLanguage = code == "en"   ? Language::English
                                 : code == "fr" ? Language::French
                                                : Language::German;
    for (const QScreen* screen : QGuiApplication::screens())
        options.screens.push_back(screen->availableGeometry());
    zimbalo::app::Started started = zimbalo::app::StartMainWindow(dialogs, options);
    if (!started.window || dialogs.messages > 0)
        return 1;
    QMainWindow& window = *started.window;
    window.move(0, 0);
    window.resize(1024, 860);
    window.show();
    settle(2500);

    // An occultation of Saturn seen from Europe, in UT, at its maximum in Basel.
    need<QScrollBar>(window, "ScrollBar_Bedeckung")->setValue(kShownEvent);
    need<QCheckBox>(window, "CheckBox_ET_UT")->setChecked(true);
    need<QScrollBar>(window, "Time_ScrollBar")->setValue(kShownInstant);
    settle(1500);

    Shots shots(folder, QString::fromStdString(code));

    // The globe's right-button panel, opened over the middle of the globe; its "reset" then
    // shows the whole globe for the pictures that follow.
    QWidget* globe = need<QWidget>(window, "Globe");
    QTest::mouseClick(globe, Qt::RightButton, {}, globe->rect().center());
    settle();
    QWidget* globePanel = need<QWidget>(window, "Panel_GlobeControl");
    shots.save(window, "globe-panel", 420, around(window, *globePanel, 90));
    click(window, "Button_Resize_Globe");

    // Points of interest: the edit panel with the default lines and two more typed in, saved;
    // then the selection panel with two places picked and shown on the globe.
    trigger(window, "Markierungen_Bearbeiten");
    auto* edit = need<QPlainTextEdit>(window, "RichEdit_PoIs");
    edit->moveCursor(QTextCursor::End);
    for (const char* line :
         {"+2024 08 21 48.86 N 002.35 E Paris", "+2024 08 21 41.90 N 012.50 E Roma (Pincio)"}) {
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, QString::fromLatin1(line));
    }
    settle();
    shots.save(window, "poi-edit", 560,
               around(window, *need<QWidget>(window, "Panel_PoIs_Edit"), 0));
    click(window, "Button_PoIS_Speichern");
    trigger(window, "Markierungen_Auswaehlen");
    auto* list = need<QListWidget>(window, "CheckListBox_PoIs");
    for (int row : {1, 2})
        if (row < list->count())
            list->item(row)->setCheckState(Qt::Checked);
    settle();
    shots.save(window, "poi-select", 560,
               around(window, *need<QWidget>(window, "Panel_PoIs_Select"), 0));
    click(window, "Button_PoIs_Select");

    // The main window with the capitals, the sub-planetary point and the marker switched on.
    need<QCheckBox>(window, "CheckBox_Cities")->setChecked(true);
    need<QCheckBox>(window, "CheckBox_SSP")->setChecked(true);
    need<QCheckBox>(window, "CheckBox_PoI")->setChecked(true);
    settle(1500);
    shots.save(window, "main", 800);

    trigger(window, "Version1");
    settle();
    shots.save(window, "version", 420, around(window, *need<QWidget>(window, "Panel_About"), 0));
    click(window, "Button_About_OK");

    // The place history of the default place over the whole catalogue.
    trigger(window, "CityHist");
    auto* hist = need<QMainWindow>(window, "TForm_CityHist");
    hist->move(0, 0);
    hist->resize(1174, 640);
    settle();
    need<QComboBox>(*hist, "ComboBox_Bis")->setCurrentIndex(3);
    click(*hist, "Button_Start_CityHist");
    settle(1500);
    need<QPlainTextEdit>(*hist, "RichEdit_CityHist")->verticalScrollBar()->setValue(0);
    shots.save(*hist, "cityhist", 900);
    hist->hide();

    // The cities that see the shown event, from 100'000 inhabitants up.
    trigger(window, "Sichtbarkeit");
    auto* cities = need<QMainWindow>(window, "TForm_CityList");
    cities->move(0, 0);
    cities->resize(1000, 560);
    settle();
    need<QComboBox>(*cities, "ComboBox_Population")->setCurrentIndex(3);
    click(*cities, "Button_Start_CityList");
    settle(1500);
    need<QPlainTextEdit>(*cities, "RichEdit_CityList")->verticalScrollBar()->setValue(0);
    shots.save(*cities, "citylist", 860);
    cities->hide();

    // Day and night and the visibility curves over the globe, and the circumstances at the
    // globe's centre (a double click there), the panel beside the window.
    need<QCheckBox>(window, "CheckBox_TagNacht")->setChecked(true);
    need<QCheckBox>(window, "CheckBox_Sichtbarkeit")->setChecked(true);
    need<QCheckBox>(window, "CheckBox_Cities")->setChecked(false);
    settle(1500);
    shots.save(window, "visibility", 800);
    QTest::mouseDClick(globe, Qt::LeftButton, {}, globe->rect().center());
    auto* here = need<QWidget>(window, "Panel_Umstaende");
    here->move(window.frameGeometry().right() + 8, 0);
    settle(1500);
    shots.save(*here, "circumstances", 560);
    if (qEnvironmentVariableIsSet("MANUAL_SHOTS_HOLD"))
        settle(qEnvironmentVariableIntValue("MANUAL_SHOTS_HOLD"));
    here->hide();

    window.close();
    settle(300);
    return dialogs.messages > 0 ? 1 : 0;
}
