#include "app/quit_signals.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zimbalo::app {

namespace {

int g_fds[2] = {-1, -1};

struct sigaction g_previousTerm {};

struct sigaction g_previousInt {};

extern "C" void onQuitSignal(int) {
    // Only async-signal-safe work here: one byte into the pipe, errno kept.
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
    errno = saved;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
    if (g_fds[0] != -1)
        return;  // another instance holds the signals
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0) {
        g_fds[0] = g_fds[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readSignal(); });

    struct sigaction action {};

    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &g_previousTerm);
    sigaction(SIGINT, &action, &g_previousInt);
    m_active = true;
}

QuitSignals::~QuitSignals() {
    if (!m_active)
        return;
    sigaction(SIGTERM, &g_previousTerm, nullptr);
    sigaction(SIGINT, &g_previousInt, nullptr);
    delete m_notifier;
    ::close(g_fds[0]);
    ::close(g_fds[1]);
    g_fds[0] = g_fds[1] = -1;
}

void QuitSignals::readSignal() {
    char buffer[16];
    while (::read(g_fds[1], buffer, sizeof buffer) > 0) {
    }
    if (m_onSignal)
        m_onSignal();
}

}  // namespace zimbalo::app
