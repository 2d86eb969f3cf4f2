#pragma once

#include <memory>
#include <string>

#include "lists/time_zones.h"

namespace zimbalo::lists {

/// The clock of one IANA zone for many instants: `LocalTimeAt` looks the zone up in the
/// system's database at every call, which costs more than all else in a list of a century of
/// events; this looks it up once.
class ZoneClock {
public:
    explicit ZoneClock(const std::string& zone);
    ~ZoneClock();
    ZoneClock(const ZoneClock&) = delete;
    ZoneClock& operator=(const ZoneClock&) = delete;

    /// The same as `LocalTimeAt(jdUT, zone)`.
    LocalTime At(double jdUT) const;

private:
    struct Zone;
    std::string m_name;
    std::unique_ptr<Zone> m_zone;  // null when the system lacks the zone
};

}  // namespace zimbalo::lists
