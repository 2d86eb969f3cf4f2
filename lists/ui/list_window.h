#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QMainWindow>
#include <QString>

#include "lists/list_runs.h"
#include "lists/list_text.h"
#include "lists/ui/list_window_context.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QTimer;

namespace zimbalo::lists {

/// Text of the lists (Windows-1252 bytes) as the list windows show it.
QString fromCp1252(std::string_view bytes);

/// What the two list windows have in common: the menu "Liste" (save, exit), the column header
/// over a fixed-pitch text box that follows its horizontal scrolling, the status bar, the run of
/// a list into a temporary file with the lines shown in batches, stop and close, "Save as", and
/// the window's position and size for the settings record.
class ListWindow : public QMainWindow {
    Q_OBJECT

public:
    /// Control names that differ between the two windows.
    struct Names {
        const char* window;
        const char* textBox;
        const char* startButton;
        const char* stopButton;
        const char* topPanel;
        const char* textPanel;  ///< panel holding the text box; "" leaves it unnamed
    };

    ~ListWindow() override;

    /// Language of the run-time texts, the city database and the saved legend.
    Language language() const { return m_language; }

    /// Switches the language: a run going in this window is stopped, the window is hidden, and
    /// the column header follows the language. Captions are applied by the caption sets.
    virtual void setLanguage(Language language);

    /// True while this window runs a list.
    bool running() const { return m_running; }

    /// True while a list runs in this window or in the other one.
    bool anyRunGoing() const;

    /// Clears the text box (unless a run is still going in it) and shows the window, as the
    /// main window's menu does.
    void showCleared();

    /// Sets the stop flag when this window runs a list, and hides the window.
    void requestStop();

    /// The temporary list file of the last run ("" before any run); it may be gone after a save.
    const std::string& tempListFile() const { return m_tempListFile; }

    /// Removes every temporary list file this window created that still exists (the program
    /// does this when it closes). Failures are ignored.
    void removeTemporaryFiles();

    /// Position, size and state for the settings record.
    ListWindowGeometry geometryState() const;

    /// Restores position, size and state from the settings record. A size below the smallest
    /// usable one is raised to it, and a position off every screen is moved back onto the
    /// primary screen.
    void restoreGeometryState(const ListWindowGeometry& geometry);

    /// Text shown in the status bar.
    QString statusText() const;

    /// The shortest time of a run between two rounds of pending messages.
    static constexpr std::chrono::milliseconds kMessageInterval{16};

public slots:
    /// "Save as": the list (legend, separator, header, the run's lines) to a chosen file.
    void Speichern1Click();
    /// Menu "Beenden": as the stop button.
    void Beenden1Click();
    /// Places the column header over the columns of the text box.
    void Timer1Timer();

protected:
    ListWindow(ListKind kind, const Names& names, const ListWindowContext& context,
               QWidget* parent);

    /// Runs one list: creates the temporary list file, calls `run` with the file and a callback
    /// that shows the lines in batches and processes pending messages at most every
    /// `kMessageInterval`, reports errors, and closes the file. `status` makes the status text
    /// of a step. Does nothing while any list run is going.
    void runList(const std::function<ListRunResult(const ListOutput&, const ListCallback&)>& run,
                 const std::function<std::string(const ListStep&)>& status);

    /// Called each time the window is shown.
    virtual void onShown() {}

    /// Default file name of "Save as".
    virtual QString defaultSaveName() const = 0;

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

    /// Fixed-pitch font of the header and the text box.
    static QFont listFont();

    QWidget* content() const { return m_content; }

    QFrame* topPanel() const { return m_topPanel; }

    QPushButton* startButton() const { return m_startButton; }

    QPushButton* stopButton() const { return m_stopButton; }

    QPlainTextEdit* textBox() const { return m_textBox; }

    QLabel* header() const { return m_header; }

    const ListWindowContext& context() const { return m_context; }

    /// Puts the header label at its height inside the top panel.
    void setHeaderTop(int y);

private:
    /// Marks the start of a run; false (and nothing changed) while any run is going.
    bool beginRun();
    /// Runs `run` into the temporary list file and shows its lines; returns why it failed, if it
    /// did. Unwinds without touching the window again when it is destroyed meanwhile.
    std::optional<std::string> runIntoTempFile(
        const std::function<ListRunResult(const ListOutput&, const ListCallback&)>& run,
        const std::function<std::string(const ListStep&)>& status);
    /// Marks the end of a run and shows `error`, if any.
    void endRun(const std::optional<std::string>& error);

    void updateStartButton();
    void showStatus(const QString& text);

    ListKind m_kind;
    ListWindowContext m_context;
    Language m_language;
    bool m_running = false;
    std::string m_tempListFile;
    std::vector<std::string> m_createdFiles;
    std::shared_ptr<bool> m_alive;

    QScrollArea* m_scroll = nullptr;
    QWidget* m_content = nullptr;
    QFrame* m_topPanel = nullptr;
    QLabel* m_header = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPlainTextEdit* m_textBox = nullptr;
    QPlainTextEdit* m_memoTmp = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_listMenu = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_exitAction = nullptr;
    QTimer* m_timer = nullptr;
    QString m_status;
};

}  // namespace zimbalo::lists
