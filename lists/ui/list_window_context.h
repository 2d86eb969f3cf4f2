#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include <QObject>
#include <QString>

class QWidget;

#include "astro/catalogue.h"
#include "astro/language.h"

namespace zimbalo::dialogs {
class UserDialogs;
}

/// What the two list windows share with the main window: the stop flag, the knowledge whether a
/// list run is going, and the inputs they read (catalogue, current event, folders, dialogs).
namespace zimbalo::lists {

/// The one stop flag of the list runs and the guard against a second run while one is going.
/// Both windows and the main window hold the same instance: a stop asked anywhere ends whichever
/// run is going, and a start button stays disabled while any run is going, so that no run is
/// ever started inside another one (they would share the stop flag, and the outer one would
/// freeze until the inner one ended).
class ListRunControl : public QObject {
    Q_OBJECT

public:
    /// A control over `sharedFlag` (the main window's stop flag), or over a flag of its own
    /// when null. The flag must outlive the control.
    explicit ListRunControl(std::atomic<bool>* sharedFlag = nullptr, QObject* parent = nullptr)
        : QObject(parent), m_flag(sharedFlag != nullptr ? sharedFlag : &m_ownFlag) {}

    /// The flag the runs poll after every place or event.
    std::atomic<bool>& stopFlag() { return *m_flag; }

    /// Asks a going run to end after its current place or event.
    void requestStop() { m_flag->store(true); }

    /// Clears the flag (each start does).
    void clearStop() { m_flag->store(false); }

    /// True while a list run is going in either window (GUI thread only).
    bool running() const { return m_running; }

    /// Marks the start (true) or the end (false) of a run; emits `runningChanged`.
    void setRunning(bool running) {
        if (m_running == running) {
            return;
        }
        m_running = running;
        emit runningChanged(running);
    }

signals:
    void runningChanged(bool running);

private:
    std::atomic<bool> m_ownFlag{false};
    std::atomic<bool>* m_flag;
    bool m_running = false;
};

/// Everything a list window reads from outside. The pointers must outlive the window.
struct ListWindowContext {
    /// The event catalogue (the place history searches all of it).
    const astro::BesselTable* catalogue = nullptr;
    /// The event shown in the main window when a run starts (the many-places list computes it).
    std::function<astro::BesselRecord()> currentRecord;
    /// Folder of the city databases (the program's folder); a "/" is added when missing.
    std::string dataFolder;
    /// Folder of the temporary list files and the first folder the save dialog shows.
    std::string tempFolder;
    /// Language at creation; `applyLanguage` of the windows changes it later.
    Language language = Language::German;
    /// Puts the captions of a language on the controls of a list window (found by objectName
    /// below the window); the window calls it at creation and at every language switch. Empty
    /// leaves the captions blank.
    std::function<void(QWidget& window, Language language)> applyCaptions;
    /// Message boxes and the save dialog.
    dialogs::UserDialogs* dialogs = nullptr;
    /// Shared stop flag and run guard; null gives the window one of its own.
    ListRunControl* control = nullptr;
    /// Caption of the windows when shown ("Zimbalo " + version + title suffix of the language);
    /// "Zimbalo" when empty.
    std::function<QString()> windowTitle;
};

/// Position and size of a list window as kept in the settings record: the frame's top-left
/// corner and the size of the window's inside, in pixels; state 0 normal, 1 minimised,
/// 2 maximised.
struct ListWindowGeometry {
    std::int32_t top = 155;
    std::int32_t left = 0;
    std::int32_t height = 773;
    std::int32_t width = 1222;
    std::uint8_t state = 0;

    bool operator==(const ListWindowGeometry&) const = default;
};

/// What the many-places window keeps between runs of the program.
struct CityListSettings {
    ListWindowGeometry geometry{155, 67, 773, 1222, 0};
    std::int32_t populationIndex = 0;  ///< selected threshold entry 0..9

    bool operator==(const CityListSettings&) const = default;
};

/// What the place-history window keeps between runs of the program. Empty texts and pairs of
/// radio buttons that are both off (a fresh settings record) leave the window's own defaults.
struct CityHistSettings {
    ListWindowGeometry geometry{155, 0, 773, 1222, 0};
    QString placeName;  ///< `Edit_Ort_Stadt`
    QString latitude;   ///< `Edit_Breite`
    QString longitude;  ///< `Edit_Laenge`
    QString height;     ///< `Edit_Hoehe`
    bool north = false;
    bool south = false;
    bool west = false;
    bool east = false;
    std::int32_t fromIndex = 0;  ///< `ComboBox_von`
    std::int32_t toIndex = 0;    ///< `ComboBox_Bis`

    bool operator==(const CityHistSettings&) const = default;
};

}  // namespace zimbalo::lists
