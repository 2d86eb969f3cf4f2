#include "lists/ui/list_window.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/user_dialogs.h"
#include "lists/cp1252.h"

namespace zimbalo::lists {

namespace {

using Clock = std::chrono::steady_clock;

// Smallest window that still shows its controls; a saved size below it is raised to it.
constexpr int kMinimumWidth = 320;
constexpr int kMinimumHeight = 240;

// Lines appended to the text box at once, and the time a turn of the event loop may spend
// appending them during a run.
constexpr int kAppendLines = 32;
constexpr auto kAppendBudget = std::chrono::milliseconds(8);

// Space between the inside of the text box and its first column.
constexpr qreal kTextMargin = 2.0;

// What the user is told of a failed run: the exception's text, or a general one when it has
// none, so that a failure never shows as an empty message.
std::string FailureText(const std::exception& e) {
    const std::string_view what = e.what();
    return what.empty() ? std::string("The list could not be computed.") : std::string(what);
}

}  // namespace

QString fromCp1252(std::string_view bytes) {
    return QString::fromUtf8(Cp1252ToUtf8(bytes));
}

ListWindow::ListWindow(ListKind kind, const Names& names, const ListWindowContext& context,
                       QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      m_kind(kind),
      m_context(context),
      m_language(context.language),
      m_control(context.control != nullptr ? context.control : &m_ownControl) {
    setObjectName(QString::fromLatin1(names.window));

    // Captions come from `applyLanguage`, which the windows call once they are built.
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(m_menuBar);
    m_listMenu = m_menuBar->addMenu(QString());
    m_listMenu->setObjectName(QStringLiteral("Liste1"));
    m_saveAction = m_listMenu->addAction(QString());
    m_saveAction->setObjectName(QStringLiteral("Speichern1"));
    m_listMenu->addSeparator();
    m_exitAction = m_listMenu->addAction(QString());
    m_exitAction->setObjectName(QStringLiteral("Beenden1"));
    connect(m_saveAction, &QAction::triggered, this, &ListWindow::Speichern1Click);
    connect(m_exitAction, &QAction::triggered, this, &ListWindow::Beenden1Click);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(m_statusBar);

    // The form's own scroll bars: they appear when the window is smaller than its controls.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ScrollBox"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    setCentralWidget(m_scroll);
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("Content"));
    m_scroll->setWidget(m_content);
    auto* layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_topPanel = new QFrame(m_content);
    m_topPanel->setObjectName(QString::fromLatin1(names.topPanel));
    layout->addWidget(m_topPanel);

    // The header is as high as its text and as wide as the lines; the strip holding it is as
    // high as the header, and the header moves inside it sideways with the text box.
    m_headerStrip = new QWidget(m_content);
    m_headerStrip->setObjectName(QStringLiteral("HeaderStrip"));
    layout->addWidget(m_headerStrip);
    m_header = new QLabel(m_headerStrip);
    m_header->setObjectName(QStringLiteral("Label5"));
    m_header->setTextFormat(Qt::PlainText);
    m_header->setFont(listFont());
    m_header->setMargin(0);
    m_header->setIndent(0);
    m_headerStrip->setFixedHeight(m_header->sizeHint().height());

    m_startButton = new QPushButton(m_topPanel);
    m_startButton->setObjectName(QString::fromLatin1(names.startButton));
    m_stopButton = new QPushButton(m_topPanel);
    m_stopButton->setObjectName(QString::fromLatin1(names.stopButton));

    auto* textPanel = new QFrame(m_content);
    textPanel->setObjectName(QString::fromLatin1(names.textPanel));
    layout->addWidget(textPanel, 1);
    auto* textLayout = new QVBoxLayout(textPanel);
    textLayout->setContentsMargins(0, 0, 0, 0);
    m_textBox = new QPlainTextEdit(textPanel);
    m_textBox->setObjectName(QString::fromLatin1(names.textBox));
    m_textBox->setReadOnly(true);
    // A list of many thousand lines must not keep an undo history.
    m_textBox->setUndoRedoEnabled(false);
    m_textBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_textBox->setWordWrapMode(QTextOption::NoWrap);
    m_textBox->setFont(listFont());
    m_textBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textBox->document()->setDocumentMargin(kTextMargin);
    textLayout->addWidget(m_textBox);

    // The saved list is assembled by the list engine; this buffer only keeps the name in place.
    m_memoTmp = new QPlainTextEdit(m_content);
    m_memoTmp->setObjectName(QStringLiteral("Memo_Tmp"));
    m_memoTmp->setVisible(false);

    m_appendTimer = new QTimer(this);
    m_appendTimer->setSingleShot(true);
    m_appendTimer->setInterval(1);
    connect(m_appendTimer, &QTimer::timeout, this, [this] { takeRunOutput(m_run, true); });

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &ListWindow::Timer1Timer);
    // Follow the text box at once, not only at the next tick.
    connect(m_textBox->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &ListWindow::Timer1Timer);
    connect(m_textBox->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            &ListWindow::Timer1Timer);
    connect(m_scroll->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &ListWindow::Timer1Timer);

    connect(m_control, &ListRunControl::runningChanged, this, &ListWindow::updateStartButton);
    // A program that quits while a list runs stops the run and waits for it.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, &ListWindow::stopRun);
    }
    updateStartButton();
    setVisible(false);
}

ListWindow::~ListWindow() {
    m_closing = true;
    stopRun();
}

QFont ListWindow::listFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(17);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // Latin text in a fixed-pitch face needs no shaping; skipping it makes long lists cheap.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void ListWindow::applyLanguage(Language language) {
    stopRun();
    hide();
    m_language = language;
    if (m_context.applyCaptions) {
        m_context.applyCaptions(*this, language);
    }
    m_header->setText(fromCp1252(ScreenHeader(m_kind, language)));
    m_header->adjustSize();
    applyOwnTexts(language);
}

void ListWindow::showCleared() {
    if (!running()) {
        m_textBox->clear();
    }
    if (windowState() & Qt::WindowMinimized) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    if (windowState() & Qt::WindowMaximized) {
        showMaximized();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void ListWindow::requestStop() {
    stopRun();
    hide();
}

void ListWindow::stopRun() {
    // The flag is shared with the other window; a window without a run has nothing to stop.
    if (running()) {
        runControl().requestStop();
        finishRun();
    }
}

void ListWindow::Beenden1Click() {
    requestStop();
}

void ListWindow::removeTemporaryFiles() {
    stopRun();
    for (const std::string& file : m_createdFiles) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
    m_createdFiles.clear();
}

ListWindowGeometry ListWindow::geometryState() const {
    QRect r = geometry();
    const Qt::WindowStates state = windowState();
    if ((state & (Qt::WindowMaximized | Qt::WindowMinimized)) && normalGeometry().isValid()) {
        r = normalGeometry();
    }
    ListWindowGeometry g;
    g.top = r.y();
    g.left = r.x();
    g.height = r.height();
    g.width = r.width();
    g.state = (state & Qt::WindowMaximized) ? 2 : (state & Qt::WindowMinimized) ? 1 : 0;
    return g;
}

void ListWindow::restoreGeometryState(const ListWindowGeometry& g) {
    QRect r(g.left, g.top, std::max<int>(g.width, kMinimumWidth),
            std::max<int>(g.height, kMinimumHeight));
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        // At least a corner of the window must be reachable to move it.
        if (screen->availableGeometry().intersects(r.adjusted(0, 0, -r.width() / 2, -20))) {
            onScreen = true;
        }
    }
    if (!onScreen) {
        if (const QScreen* primary = QGuiApplication::primaryScreen()) {
            r.moveCenter(primary->availableGeometry().center());
            r.moveTop(std::max(r.top(), primary->availableGeometry().top()));
            r.moveLeft(std::max(r.left(), primary->availableGeometry().left()));
        }
    }
    setGeometry(r);
    Qt::WindowStates state = windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized);
    if (g.state == 2) {
        state |= Qt::WindowMaximized;
    } else if (g.state == 1) {
        state |= Qt::WindowMinimized;
    }
    setWindowState(state);
}

QString ListWindow::statusText() const {
    return m_status;
}

void ListWindow::showStatus(const QString& text) {
    m_status = text;
    m_statusBar->showMessage(text);
}

void ListWindow::updateStartButton() {
    m_startButton->setEnabled(!anyRunGoing());
    m_saveAction->setEnabled(!running());
}

void ListWindow::Timer1Timer() {
    // The first column of the text box, in the header strip's coordinates, moved by the text box's
    // horizontal scrolling; the form's own scrolling moves both alike.
    const QPoint boxOrigin = m_textBox->viewport()->mapTo(m_content, QPoint(0, 0));
    const QPoint panelOrigin = m_headerStrip->mapTo(m_content, QPoint(0, 0));
    const int x = boxOrigin.x() - panelOrigin.x() + static_cast<int>(kTextMargin)
                  - m_textBox->horizontalScrollBar()->value();
    // A caption set may give the header a new text without resizing it.
    if (m_header->width() != m_header->sizeHint().width()) {
        m_header->adjustSize();
    }
    if (x != m_header->x()) {
        m_header->move(x, m_header->y());
    }
}

// What the worker thread hands to the window: the lines and status not shown yet, and how the
// run ended. The worker appends under the lock; the window takes all there is.
struct ListWindow::RunState {
    std::mutex mutex;
    QString lines;  // screen lines not shown yet, each ended by "\n"
    QString status;
    bool hasStatus = false;
    bool wakePosted = false;  // a call to take the output is on its way to the window
    bool ended = false;
    std::optional<std::string> error;  // why the run failed, once ended
};

void ListWindow::runList(RunFunction run, StatusFunction status) {
    if (anyRunGoing()) {
        return;
    }
    m_run = std::make_shared<RunState>();
    runControl().clearStop();
    runControl().setRunning(true);
    updateStartButton();
    m_stopButton->setFocus();
    showStatus(QString());
    m_textBox->clear();
    try {
        m_tempListFile = CreateTempListFile(m_context.tempFolder);
        m_createdFiles.push_back(*m_tempListFile);
    } catch (const std::exception& e) {
        endRun(FailureText(e));
        return;
    }

    const std::shared_ptr<RunState> state = m_run;
    const std::atomic<bool>* stop = stopFlag();
    const std::string path = *m_tempListFile;
    // Hands what the worker gathered to the window; one call is on its way at a time.
    const auto handOver = [this, state](QString& lines, const QString* statusText, bool ended,
                                        const std::optional<std::string>& error) {
        // Texts cross between the threads as copies, never as shared QString data.
        const std::lock_guard<std::mutex> lock(state->mutex);
        state->lines.append(lines.constData(), lines.size());
        lines.truncate(0);
        if (statusText != nullptr) {
            state->status = QString(statusText->constData(), statusText->size());
            state->hasStatus = true;
        }
        state->ended = ended;
        state->error = error;
        if (!state->wakePosted) {
            state->wakePosted = true;
            QMetaObject::invokeMethod(
                this, [this, state] { takeRunOutput(state, true); }, Qt::QueuedConnection);
        }
    };
    m_worker.reset(
        QThread::create([run = std::move(run), status = std::move(status), stop, path, handOver] {
            QString lines;
            ListStep last;
            bool anyStep = false;
            auto lastHandOver = Clock::now();
            const auto statusOfLast = [&] { return fromCp1252(status(last)); };
            // Lines go to the window in batches at most every kBatchInterval of run time: the
            // progress shows as promptly for the user as after every line, while a whole
            // database does not spend its time in single appends.
            const ListCallback callback = [&](const ListStep& step) {
                last.number = step.number;
                last.tested = step.tested;
                last.found = step.found;
                anyStep = true;
                if (step.visible) {
                    lines += fromCp1252(step.fixedLine);
                    lines += QLatin1Char('\n');
                }
                if (Clock::now() - lastHandOver >= kBatchInterval) {
                    const QString text = statusOfLast();
                    handOver(lines, &text, false, std::nullopt);
                    lastHandOver = Clock::now();
                }
            };
            std::optional<std::string> error;
            std::ofstream file(path, std::ios::binary | std::ios::trunc);
            try {
                if (!file) {
                    throw ListFileError("Temporary list file \"" + path
                                        + "\" cannot be opened for writing.");
                }
                run({&file, path}, callback, stop);
            } catch (const std::exception& e) {
                error = FailureText(e);
            }
            file.close();
            if (!error && !file) {
                error = "Temporary list file \"" + path + "\" cannot be written.";
            }
            const QString text = anyStep ? statusOfLast() : QString();
            handOver(lines, anyStep ? &text : nullptr, true, error);
        }));
    m_worker->setObjectName(QStringLiteral("ListRun"));
    m_worker->start();
}

void ListWindow::finishRun() {
    if (!running()) {
        return;
    }
    m_worker->wait();
    // The worker has handed over everything; a call to take it that is still queued finds the
    // run gone and does nothing.
    takeRunOutput(m_run, false);
}

void ListWindow::takeRunOutput(const std::shared_ptr<RunState>& run, bool inTurns) {
    if (run == nullptr || run != m_run) {
        return;  // a late call of a run that has ended
    }
    bool ended = false;
    std::optional<std::string> error;
    {
        const std::lock_guard<std::mutex> lock(run->mutex);
        m_pendingLines.append(run->lines.constData(), run->lines.size());
        run->lines.truncate(0);
        if (run->hasStatus) {
            m_pendingStatus = QString(run->status.constData(), run->status.size());
            run->hasStatus = false;
            m_hasPendingStatus = true;
        }
        run->wakePosted = false;
        ended = run->ended;
        error = run->error;
    }
    // Appending lines is the window's costly part of a run: a turn appends what fits into
    // kAppendBudget and leaves the rest to the next turn, so that the event loop keeps turning
    // (paints, the stop button, the close box) however fast the workers are.
    const auto start = Clock::now();
    qsizetype from = 0;
    while (from < m_pendingLines.size()) {
        qsizetype to = from;
        for (int n = 0; n < kAppendLines && to < m_pendingLines.size(); ++n) {
            to = m_pendingLines.indexOf(QLatin1Char('\n'), to) + 1;
        }
        // Without the last line's "\n": appendPlainText starts a new line itself.
        m_textBox->appendPlainText(m_pendingLines.mid(from, to - from - 1));
        from = to;
        if (inTurns && Clock::now() - start >= kAppendBudget) {
            break;
        }
    }
    m_pendingLines.remove(0, from);
    if (m_hasPendingStatus && m_pendingLines.isEmpty()) {
        showStatus(m_pendingStatus);
        m_hasPendingStatus = false;
    }
    if (!m_pendingLines.isEmpty()) {
        // The rest after a timer, not a posted call: posted calls would come before the timers
        // of the event loop (the header alignment's, the user's) turn after turn.
        m_appendTimer->start();
        return;
    }
    if (ended) {
        m_worker->wait();
        endRun(error);
    }
}

bool ListWindow::anyRunGoing() const {
    return running() || runControl().running();
}

void ListWindow::endRun(const std::optional<std::string>& error) {
    m_appendTimer->stop();
    m_worker.reset();
    m_run.reset();
    m_pendingLines.clear();
    m_hasPendingStatus = false;
    runControl().setRunning(false);
    updateStartButton();
    if (error && m_context.dialogs != nullptr && !m_closing) {
        m_context.dialogs->fail(QString::fromUtf8(*error));
    }
}

void ListWindow::Speichern1Click() {
    // The run writes the temporary file until it ends; saving meanwhile would take it away.
    if (running() || m_context.dialogs == nullptr) {
        return;
    }
    const QString folder = QFile::decodeName(QByteArray::fromStdString(m_context.tempFolder));
    const QString proposed = QDir(folder).filePath(defaultSaveName());
    QString title = m_saveAction->text();
    title.remove(QLatin1Char('&'));
    const std::optional<QString> chosen =
        m_context.dialogs->saveFileName(title, proposed, QStringLiteral("Text file (*.txt)"));
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".txt");
    }
    try {
        SaveList(m_kind, m_language, m_tempListFile, QFile::encodeName(path).toStdString());
    } catch (const std::exception& e) {
        m_context.dialogs->fail(QString::fromUtf8(e.what()));
    }
}

void ListWindow::closeEvent(QCloseEvent* event) {
    m_timer->stop();
    requestStop();
    event->accept();
}

void ListWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    const QString title = m_context.windowTitle ? m_context.windowTitle() : QString();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Zimbalo") : title);
    m_timer->start();
    m_startButton->setFocus();
    onShown();
    Timer1Timer();
}

void ListWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (!event->spontaneous()) {
        m_timer->stop();
    }
}

void ListWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Timer1Timer();
}

bool ListWindow::event(QEvent* event) {
    // Menus send empty status tips while the mouse passes over them; they would wipe the
    // counters of the status bar.
    if (event->type() == QEvent::StatusTip) {
        return true;
    }
    return QMainWindow::event(event);
}

}  // namespace zimbalo::lists
