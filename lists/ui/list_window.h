#pragma once

#include <atomic>
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
class QThread;
class QTimer;

namespace zimbalo::lists {

/// Text of the lists (Windows-1252 bytes) as the list windows show it.
QString fromCp1252(std::string_view bytes);

/// What the two list windows have in common: the menu "Liste" (save, exit), the column header
/// over a fixed-pitch text box that follows its horizontal scrolling, the status bar, the run of
/// a list into a temporary file on a worker thread with the lines shown in batches, stop and
/// close, "Save as", and the window's position and size for the settings record.
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

    /// The list computation of a run, called on the worker thread with the temporary list file,
    /// the callback for each computed place or event, and the stop flag to poll.
    using RunFunction = std::function<ListRunResult(const ListOutput&, const ListCallback&,
                                                    const std::atomic<bool>* stop)>;
    /// Status text of a step (Windows-1252), called on the worker thread.
    using StatusFunction = std::function<std::string(const ListStep&)>;

    /// Stops and waits for a going run.
    ~ListWindow() override;

    /// Language of the run-time texts, the city database and the saved legend.
    Language language() const { return m_language; }

    /// The one way a language reaches the window, at creation and at every switch: a run going
    /// in this window is stopped (and waited for), the window is hidden, and the captions (from
    /// the context's hook), the column header and the window's own choices follow `language`.
    void applyLanguage(Language language);

    /// True while this window runs a list.
    bool running() const { return m_run != nullptr; }

    /// True while a list runs in this window or in the other one.
    bool anyRunGoing() const;

    /// Clears the text box (unless a run is still going in it) and shows the window, as the
    /// main window's menu does.
    void showCleared();

    /// Sets the stop flag when this window runs a list, waits for the run to end, and hides
    /// the window.
    void requestStop();

    /// Waits until a going run of this window has ended and shows all it left (lines, status,
    /// error). The calling thread blocks for the rest of the run: the program asks for a stop
    /// first, tests and benchmarks use it to wait for a whole run without an event loop.
    void finishRun();

    /// The temporary list file of the last run (nothing before any run); it may be gone after a
    /// save.
    const std::optional<std::string>& tempListFile() const { return m_tempListFile; }

    /// Stops a going run and waits for it, then removes every temporary list file this window
    /// created that still exists (the program does this when it closes). Failures are ignored.
    void removeTemporaryFiles();

    /// Position, size and state for the settings record.
    ListWindowGeometry geometryState() const;

    /// Restores position, size and state from the settings record. A size below the smallest
    /// usable one is raised to it, and a position off every screen is moved back onto the
    /// primary screen.
    void restoreGeometryState(const ListWindowGeometry& geometry);

    /// Text shown in the status bar.
    QString statusText() const;

    /// The shortest time of a run between two batches of lines and progress for the window.
    static constexpr std::chrono::milliseconds kBatchInterval{16};

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

    /// Starts one list run: creates the temporary list file and runs `run` on a worker thread
    /// into it; lines and the status text (`status` of the last step) come back in batches at
    /// most every `kBatchInterval` by queued calls. Errors are shown when the run ends. Does
    /// nothing while any list run is going.
    void runList(RunFunction run, StatusFunction status);

    /// The flag that stops the runs (shared with the other window and the main window when the
    /// context gives a control).
    const std::atomic<bool>* stopFlag() { return &runControl().stopFlag(); }

    /// The window's own texts that follow the language besides the caption hook.
    virtual void applyOwnTexts(Language /*language*/) {}

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

    /// The panel above the header; the windows lay out their controls in it.
    QFrame* topPanel() const { return m_topPanel; }

    QPushButton* startButton() const { return m_startButton; }

    QPushButton* stopButton() const { return m_stopButton; }

    const ListWindowContext& context() const { return m_context; }

private:
    struct RunState;

    ListRunControl& runControl() const { return *m_control; }

    /// Stops a going run of this window and waits for it.
    void stopRun();
    /// Shows what the worker handed over (in turns: as much as fits into one turn of the event
    /// loop, the rest in the next); ends the run when the worker is done and all is shown.
    void takeRunOutput(const std::shared_ptr<RunState>& run, bool inTurns);
    /// Marks the end of a run and shows `error`, if any.
    void endRun(const std::optional<std::string>& error);

    void updateStartButton();
    void showStatus(const QString& text);

    ListKind m_kind;
    ListWindowContext m_context;
    Language m_language;
    ListRunControl* m_control = nullptr;  ///< the context's, or m_ownControl
    ListRunControl m_ownControl;
    std::shared_ptr<RunState> m_run;  ///< the going run; null when none
    std::unique_ptr<QThread> m_worker;
    bool m_closing = false;  ///< being destroyed: a run's error is no longer shown
    QString m_pendingLines;  ///< lines handed over but not appended yet, each ended by "\n"
    QString m_pendingStatus;
    bool m_hasPendingStatus = false;
    std::optional<std::string> m_tempListFile;
    std::vector<std::string> m_createdFiles;

    QScrollArea* m_scroll = nullptr;
    QWidget* m_content = nullptr;
    QFrame* m_topPanel = nullptr;
    QWidget* m_headerStrip = nullptr;
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
    QTimer* m_appendTimer = nullptr;  ///< the next turn of appending a run's lines
    QString m_status;
};

}  // namespace zimbalo::lists
