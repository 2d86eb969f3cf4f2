#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

/// Time zones of places: the IANA zone of a latitude and longitude from the delivered zone table
/// (a quadtree of the zone boundaries, made by tools/timezones), and the local time of a UT
/// instant in a zone from the system's IANA database.
namespace zimbalo::lists {

/// A zone table that cannot be read or is not well formed; the message names the file or the
/// fault.
class ZoneTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// File name of the delivered zone table in the data folder.
inline constexpr const char* kZoneTableFileName = "timezones.bin";

/// Largest zone table read, 4 MiB: some 50 times the delivered one.
inline constexpr std::size_t kMaxZoneTableSize = 4u << 20;

/// The zone of every point of the Earth: a grid of cells, each either one zone or four children
/// of half the size.
class ZoneTable {
public:
    /// Parses the bytes of a table file. Every entry is checked (zone indices, child numbers, no
    /// cycles), so that a lookup cannot leave the table. Throws `ZoneTableError`.
    static ZoneTable FromBytes(std::string_view bytes);

    /// Reads the table file at `path`, at most `kMaxZoneTableSize` bytes. Throws `ZoneTableError`.
    static ZoneTable Load(const std::string& path);

    /// IANA zone name at geodetic latitude `latDeg` (-90..90) and east longitude `lonDeg`
    /// (-180..180, other values are wrapped). Points at sea get the nautical zone of their
    /// longitude (`NauticalZone`); so do the poles and a latitude that is not a number; a
    /// longitude that is not a number gives "Etc/GMT".
    std::string ZoneAt(double latDeg, double lonDeg) const;

    int ZoneCount() const { return static_cast<int>(m_names.size()); }

private:
    std::vector<std::string> m_names;
    std::vector<bool> m_nautical;  // per name: an Etc/GMT+-N zone, i.e. the sea
    int m_cols = 0;
    int m_rows = 0;
    std::vector<std::uint16_t> m_grid;
    std::vector<std::uint16_t> m_children;
};

/// The zone table of the data folder `folder` (with a trailing "/"), read once and kept for the
/// run (safe to call from several threads). Throws `ZoneTableError` while it cannot be read; a
/// later call tries again.
const ZoneTable& DeliveredZoneTable(const std::string& folder);

/// The nautical zone of east longitude `lonDeg`: "Etc/GMT" within 7.5 degrees of Greenwich,
/// otherwise the strip of 15 degrees N = round(lon / 15), named "Etc/GMT-N" east and "Etc/GMT+N"
/// west of it (the IANA names carry the inverted sign); +-12 at the date line.
std::string NauticalZone(double lonDeg);

/// A UT instant as a wall clock shows it in one zone (proleptic Gregorian calendar).
struct LocalTime {
    std::string zone;  ///< IANA name of the zone used
    int year = 0;      ///< local calendar date and time, rounded to whole seconds
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int offsetSeconds = 0;     ///< local time - UT, daylight saving included
    std::string abbreviation;  ///< the database's abbreviation, e.g. "CEST" or "+0545"
    bool daylightTime = false;
    bool known = true;  ///< false: the system lacks the zone; UT is given instead
};

/// The local date and time of the Julian date `jdUT` (UT) in the IANA zone `zone`, from the
/// system's time-zone database. The instant is rounded to whole seconds first. A zone the
/// system does not know gives UT with offset 0, abbreviation "UTC" and `known` false.
LocalTime LocalTimeAt(double jdUT, const std::string& zone);

/// The UT calendar date and time of `jdUT`, rounded to whole seconds the same way.
LocalTime UniversalTimeAt(double jdUT);

/// "UTC+05:45", "UTC-03:30", "UTC+00:00" for an offset in seconds (whole minutes shown).
std::string OffsetText(int offsetSeconds);

/// "2026-03-29" and "02:59:58" of a `LocalTime`.
std::string DateText(const LocalTime& time);
std::string ClockText(const LocalTime& time);

}  // namespace zimbalo::lists
