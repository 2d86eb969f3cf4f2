#include "lists/ui/list_window.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
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

// Space between the inside of the text box and its first column.
constexpr qreal kTextMargin = 2.0;

// Thrown from a run's callback when the window was destroyed while pending messages were
// processed; it unwinds the run without touching the window again.
struct WindowGone {};

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
      m_alive(std::make_shared<bool>(true)) {
    setObjectName(QString::fromLatin1(names.window));

    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(m_menuBar);
    m_listMenu = m_menuBar->addMenu(QStringLiteral("Liste"));
    m_listMenu->setObjectName(QStringLiteral("Liste1"));
    m_saveAction = m_listMenu->addAction(QStringLiteral("Speichern unter"));
    m_saveAction->setObjectName(QStringLiteral("Speichern1"));
    m_listMenu->addSeparator();
    m_exitAction = m_listMenu->addAction(QStringLiteral("Beenden"));
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

    m_header = new QLabel(m_topPanel);
    m_header->setObjectName(QStringLiteral("Label5"));
    m_header->setTextFormat(Qt::PlainText);
    m_header->setFont(listFont());
    m_header->setMargin(0);
    m_header->setIndent(0);
    m_header->setText(fromCp1252(ScreenHeader(kind, m_language)));
    m_header->adjustSize();

    m_startButton = new QPushButton(QStringLiteral("Starten"), m_topPanel);
    m_startButton->setObjectName(QString::fromLatin1(names.startButton));
    m_stopButton = new QPushButton(QStringLiteral("Beenden"), m_topPanel);
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

    if (m_context.control != nullptr) {
        connect(m_context.control, &ListRunControl::runningChanged, this,
                &ListWindow::updateStartButton);
    }
    updateStartButton();
    setVisible(false);
}

ListWindow::~ListWindow() {
    *m_alive = false;
    if (m_running && m_context.control != nullptr) {
        m_context.control->requestStop();
        m_context.control->setRunning(false);
    }
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

void ListWindow::setHeaderTop(int y) {
    m_header->move(m_header->x(), y);
}

void ListWindow::setLanguage(Language language) {
    if (m_running) {
        requestStop();
    } else {
        hide();
    }
    m_language = language;
    m_header->setText(fromCp1252(ScreenHeader(m_kind, language)));
    m_header->adjustSize();
}

void ListWindow::showCleared() {
    if (!m_running) {
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
    // The flag is shared with the other window; a window without a run has nothing to stop.
    if (m_running && m_context.control != nullptr) {
        m_context.control->requestStop();
    }
    hide();
}

void ListWindow::Beenden1Click() {
    requestStop();
}

void ListWindow::removeTemporaryFiles() {
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
    m_saveAction->setEnabled(!m_running);
}

void ListWindow::Timer1Timer() {
    // The first column of the text box, in the top panel's coordinates, moved by the text box's
    // horizontal scrolling; the form's own scrolling moves both alike.
    const QPoint boxOrigin = m_textBox->viewport()->mapTo(m_content, QPoint(0, 0));
    const QPoint panelOrigin = m_topPanel->mapTo(m_content, QPoint(0, 0));
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

void ListWindow::runList(
    const std::function<ListRunResult(const ListOutput&, const ListCallback&)>& run,
    const std::function<std::string(const ListStep&)>& status) {
    if (!beginRun()) {
        return;
    }
    std::optional<std::string> error;  // why the run failed, if it did
    try {
        m_tempListFile = CreateTempListFile(m_context.tempFolder);
        m_createdFiles.push_back(m_tempListFile);
    } catch (const std::exception& e) {
        error = FailureText(e);
    }
    if (!error) {
        try {
            error = runIntoTempFile(run, status);
        } catch (const WindowGone&) {
            return;  // the window is destroyed: nothing of it may be touched
        }
    }
    endRun(error);
}

bool ListWindow::anyRunGoing() const {
    return m_running || (m_context.control != nullptr && m_context.control->running());
}

bool ListWindow::beginRun() {
    if (anyRunGoing()) {
        return false;
    }
    ListRunControl* control = m_context.control;
    m_running = true;
    if (control != nullptr) {
        control->clearStop();
        control->setRunning(true);
    }
    updateStartButton();
    m_stopButton->setFocus();
    showStatus(QString());
    return true;
}

std::optional<std::string> ListWindow::runIntoTempFile(
    const std::function<ListRunResult(const ListOutput&, const ListCallback&)>& run,
    const std::function<std::string(const ListStep&)>& status) {
    m_textBox->clear();
    const std::shared_ptr<bool> alive = m_alive;
    std::ofstream file(m_tempListFile, std::ios::binary | std::ios::trunc);
    QString batch;
    ListStep last;
    bool anyStep = false;
    const auto flush = [&] {
        if (!batch.isEmpty()) {
            batch.chop(1);  // the last line's "\n": appendPlainText starts a new line itself
            m_textBox->appendPlainText(batch);
            batch.clear();
        }
        if (anyStep) {
            showStatus(fromCp1252(status(last)));
        }
    };
    // Lines go to the text box in batches and pending messages are processed at most every
    // kMessageInterval of run time: the stop button, the close box and repaints get through
    // as promptly for the user as after every line, while a whole database does not spend
    // its time in the event loop and in single appends.
    auto lastMessages = Clock::now();
    const ListCallback callback = [&](const ListStep& step) {
        last.number = step.number;
        last.tested = step.tested;
        last.found = step.found;
        anyStep = true;
        if (step.visible) {
            batch += fromCp1252(step.fixedLine);
            batch += QLatin1Char('\n');
        }
        if (Clock::now() - lastMessages >= kMessageInterval) {
            flush();
            QCoreApplication::processEvents();
            if (!*alive) {
                throw WindowGone{};
            }
            lastMessages = Clock::now();
        }
    };
    std::optional<std::string> error;
    try {
        if (!file) {
            throw ListFileError("Temporary list file \"" + m_tempListFile
                                + "\" cannot be opened for writing.");
        }
        run({&file, m_tempListFile}, callback);
    } catch (const std::exception& e) {  // WindowGone is none: it passes through
        error = FailureText(e);
    }
    file.close();
    if (!error && !file) {
        error = "Temporary list file \"" + m_tempListFile + "\" cannot be written.";
    }
    flush();
    return error;
}

void ListWindow::endRun(const std::optional<std::string>& error) {
    m_running = false;
    if (m_context.control != nullptr) {
        m_context.control->setRunning(false);
    }
    updateStartButton();
    if (error && m_context.dialogs != nullptr) {
        m_context.dialogs->fail(QString::fromUtf8(*error));
    }
}

void ListWindow::Speichern1Click() {
    // The run writes the temporary file until it ends; saving meanwhile would take it away.
    if (m_running || m_context.dialogs == nullptr) {
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
