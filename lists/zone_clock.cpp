#include "lists/zone_clock.h"

#include <cmath>

#include <QDateTime>
#include <QTimeZone>

namespace zimbalo::lists {

namespace {

constexpr double kUnixEpochJD = 2440587.5;
// Instants this far from the epoch (some 270 years) go to `LocalTimeAt`, which clamps them.
constexpr double kPlainDays = 1e5;

}  // namespace

struct ZoneClock::Zone {
    QTimeZone tz;
};

ZoneClock::ZoneClock(const std::string& zone) : m_name(zone) {
    QTimeZone tz(QByteArray::fromStdString(zone));
    if (tz.isValid()) {
        m_zone = std::make_unique<Zone>(Zone{tz});
    }
}

ZoneClock::~ZoneClock() = default;

LocalTime ZoneClock::At(double jdUT) const {
    const double days = jdUT - kUnixEpochJD;
    if (!m_zone || !(std::fabs(days) < kPlainDays)) {
        return LocalTimeAt(jdUT, m_name);
    }
    // Rounded to whole seconds first, as `LocalTimeAt` does, so that both give the same clock.
    const long long seconds = std::llround(days * 86400.0);
    const QDateTime at = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    // One look-up for all three values: each of Qt's single queries repeats it.
    const QTimeZone::OffsetData data = m_zone->tz.offsetData(at);
    const int offset = data.offsetFromUtc;
    // Whole seconds survive the way through a Julian date: its rounding error is far below one.
    LocalTime time =
        UniversalTimeAt(kUnixEpochJD + static_cast<double>(seconds + offset) / 86400.0);
    time.zone = m_name;
    time.offsetSeconds = offset;
    time.abbreviation = data.abbreviation.toStdString();
    time.daylightTime = data.daylightTimeOffset != 0;
    time.known = true;
    return time;
}

}  // namespace zimbalo::lists
