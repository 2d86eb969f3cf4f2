#pragma once

#include <functional>

#include <QObject>

class QSocketNotifier;

namespace zimbalo::app {

/// Turns SIGTERM and SIGINT into a call on the GUI thread (through a self-pipe), so that a
/// logout, `kill` or Ctrl+C in the terminal closes the program as its close box does. One at a
/// time; the previous handlers come back when it is destroyed.
class QuitSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~QuitSignals() override;

    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    /// Whether the handlers are in place (false when the pipe could not be made).
    bool Active() const { return m_active; }

private:
    void readSignal();

    std::function<void()> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
    bool m_active = false;
};

}  // namespace zimbalo::app
