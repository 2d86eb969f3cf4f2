#include "app/player.h"

#include "app/shown_instant.h"

namespace zimbalo::app {

Player::Player(ShownInstant& shown, QObject* parent) : QObject(parent), m_shown(shown) {
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] { stepOnce(); });
}

void Player::Play(int step) {
    m_step = step;
    if (!m_timer.isActive()) {
        m_timer.start();
        emit runningChanged(true);
    }
}

void Player::Stop() {
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    m_step = 0;
    emit runningChanged(false);
}

void Player::stepOnce() {
    const int position = m_shown.TimePosition();
    const bool inside = m_step > 0 ? position < kTimeSliderMax - m_step : position > -m_step;
    if (!inside || !m_shown.Ready()) {
        Stop();
        return;
    }
    m_shown.SetTimePosition(position + m_step);
}

}  // namespace zimbalo::app
