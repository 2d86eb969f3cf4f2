#pragma once

#include <QObject>
#include <QTimer>

namespace zimbalo::app {

class ShownInstant;

/// Play steps in time-slider positions (one position is 2 seconds of event time).
inline constexpr int kStepPlay = 5;
inline constexpr int kStepFastPlay = 30;

/// Plays the instant of the shown event forward or backward: a zero-interval timer moves the
/// time-slider position by the step once per turn of the event loop, so every step is
/// recomputed and painted before the next, as fast as that allows. Play runs while the position
/// stays below 12600 - step, reverse while it stays above the step's size.
class Player : public QObject {
    Q_OBJECT

public:
    explicit Player(ShownInstant& shown, QObject* parent = nullptr);

    /// Starts playing with `step` positions per turn (negative: backward); while playing, the new
    /// step and direction take over.
    void Play(int step);
    void Stop();

    bool Running() const { return m_timer.isActive(); }

    int Step() const { return m_step; }

signals:
    void runningChanged(bool running);

private:
    void stepOnce();

    ShownInstant& m_shown;
    QTimer m_timer;
    int m_step = 0;
};

}  // namespace zimbalo::app
