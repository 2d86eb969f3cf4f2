#include "lists/time_zones.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>

#include <QDateTime>
#include <QTimeZone>

namespace zimbalo::lists {

namespace {

constexpr std::uint16_t kLeaf = 0x8000;
constexpr std::uint16_t kIndexMask = 0x7fff;

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}

    std::string_view Take(std::size_t n) {
        if (m_bytes.size() - m_pos < n) {
            throw ZoneTableError("zone table: the file ends too early");
        }
        std::string_view part = m_bytes.substr(m_pos, n);
        m_pos += n;
        return part;
    }

    std::uint32_t Unsigned(std::size_t n) {
        std::string_view raw = Take(n);
        std::uint32_t value = 0;
        for (std::size_t i = n; i-- > 0;) {
            value = (value << 8) | static_cast<unsigned char>(raw[i]);
        }
        return value;
    }

    bool AtEnd() const { return m_pos == m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

bool IsNauticalName(const std::string& name) {
    // "Etc/GMT+5", "Etc/GMT-14": the sea between the land zones. "Etc/GMT" and "Etc/UTC" stand
    // for the poles and for a few islands and are taken as they are.
    return name.size() > 8 && name.compare(0, 7, "Etc/GMT") == 0
           && (name[7] == '+' || name[7] == '-');
}

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant, "chrono-compatible low-level
// date algorithms").
void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

constexpr double kUnixEpochJD = 2440587.5;
// Julian dates are clamped to +-1e7 days around the epoch (some 27000 years) before rounding,
// so that the seconds always fit and a date that is not a number gives the epoch.
constexpr double kMaxDays = 1e7;

long long SecondsSinceEpoch(double jdUT) {
    double days = jdUT - kUnixEpochJD;
    if (!(days > -kMaxDays)) {
        days = std::isnan(days) ? 0.0 : -kMaxDays;
    } else if (days > kMaxDays) {
        days = kMaxDays;
    }
    return std::llround(days * 86400.0);
}

void SplitSeconds(long long seconds, LocalTime& time) {
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    CivilFromDays(days, time.year, time.month, time.day);
    time.hour = static_cast<int>(rest / 3600);
    time.minute = static_cast<int>(rest / 60 % 60);
    time.second = static_cast<int>(rest % 60);
}

}  // namespace

ZoneTable ZoneTable::FromBytes(std::string_view bytes) {
    ByteReader in(bytes);
    if (in.Take(4) != "ZTZ1") {
        throw ZoneTableError("zone table: not a zone table (the file does not start with ZTZ1)");
    }
    ZoneTable table;
    const std::uint32_t zoneCount = in.Unsigned(2);
    table.m_cols = static_cast<int>(in.Unsigned(2));
    table.m_rows = static_cast<int>(in.Unsigned(2));
    in.Unsigned(2);
    const std::uint32_t nodeCount = in.Unsigned(4);
    if (zoneCount == 0 || zoneCount >= kLeaf || table.m_cols == 0 || table.m_rows == 0
        || nodeCount >= kLeaf) {
        throw ZoneTableError("zone table: the header is not valid");
    }
    for (std::uint32_t i = 0; i < zoneCount; ++i) {
        std::string name(in.Take(in.Unsigned(1)));
        for (char c : name) {
            if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7f) {
                throw ZoneTableError("zone table: a zone name is not plain ASCII");
            }
        }
        table.m_nautical.push_back(IsNauticalName(name));
        table.m_names.push_back(std::move(name));
    }
    auto readEntries = [&](std::size_t count, std::vector<std::uint16_t>& into) {
        into.resize(count);
        for (auto& entry : into) {
            entry = static_cast<std::uint16_t>(in.Unsigned(2));
        }
    };
    readEntries(static_cast<std::size_t>(table.m_cols) * static_cast<std::size_t>(table.m_rows),
                table.m_grid);
    readEntries(4 * static_cast<std::size_t>(nodeCount), table.m_children);
    if (!in.AtEnd()) {
        throw ZoneTableError("zone table: there are bytes after the last entry");
    }
    // A child always has a higher number than the node that holds it, so every lookup ends.
    auto check = [&](std::uint16_t entry, long parent) {
        const bool fine = (entry & kLeaf) ? (entry & kIndexMask) < zoneCount
                                          : entry < nodeCount && entry > parent;
        if (!fine) {
            throw ZoneTableError("zone table: an entry points outside the table");
        }
    };
    for (std::uint16_t entry : table.m_grid) {
        check(entry, -1);
    }
    for (std::size_t i = 0; i < table.m_children.size(); ++i) {
        check(table.m_children[i], static_cast<long>(i / 4));
    }
    return table;
}

ZoneTable ZoneTable::Load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw ZoneTableError("The zone table " + path + " cannot be opened.");
    }
    // Read in pieces up to one byte past the limit: a larger file is refused without being
    // held, and a short one costs no more than its size.
    std::string bytes;
    char chunk[1 << 16];
    while (bytes.size() <= kMaxZoneTableSize && file.read(chunk, sizeof chunk).gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad()) {
        throw ZoneTableError("The zone table " + path + " cannot be read.");
    }
    if (bytes.size() > kMaxZoneTableSize) {
        throw ZoneTableError("The zone table " + path + " is larger than "
                             + std::to_string(kMaxZoneTableSize) + " bytes.");
    }
    try {
        return FromBytes(bytes);
    } catch (const ZoneTableError& e) {
        throw ZoneTableError(path + ": " + e.what());
    }
}

std::string ZoneTable::ZoneAt(double latDeg, double lonDeg) const {
    if (!std::isfinite(lonDeg)) {
        return "Etc/GMT";
    }
    lonDeg = std::remainder(lonDeg, 360.0);  // -180..180
    if (!(latDeg > -90.0 && latDeg < 90.0)) {
        return NauticalZone(lonDeg);
    }
    // The same arithmetic as the tool that made the table, so that points on a cell edge fall
    // into the same cell as there (the odd divisors keep 180 and -90 inside the grid).
    double x = (180.0 + lonDeg) * m_cols / 360.00000000000006;
    double y = (90.0 - latDeg) * m_rows / 180.00000000000003;
    int u = std::min(static_cast<int>(x), m_cols - 1);
    int v = std::min(static_cast<int>(y), m_rows - 1);
    std::uint16_t entry = m_grid[static_cast<std::size_t>(v * m_cols + u)];
    while (!(entry & kLeaf)) {
        x = std::fmod((x - u) * 2.0, 2.0);
        y = std::fmod((y - v) * 2.0, 2.0);
        u = static_cast<int>(x);
        v = static_cast<int>(y);
        entry =
            m_children[4 * static_cast<std::size_t>(entry) + static_cast<std::size_t>(2 * v + u)];
    }
    const std::size_t zone = entry & kIndexMask;
    return m_nautical[zone] ? NauticalZone(lonDeg) : m_names[zone];
}

const ZoneTable& DeliveredZoneTable(const std::string& folder) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<ZoneTable>> tables;
    std::lock_guard lock(mutex);
    auto& table = tables[folder];
    if (!table) {
        table = std::make_unique<ZoneTable>(ZoneTable::Load(folder + kZoneTableFileName));
    }
    return *table;
}

std::string NauticalZone(double lonDeg) {
    if (!std::isfinite(lonDeg)) {
        return "Etc/GMT";
    }
    lonDeg = std::remainder(lonDeg, 360.0);
    // Strip N covers 15 N - 7.5 <= |lon| < 15 N + 7.5; at the date line 180 E is -12, 180 W +12.
    const int n = static_cast<int>(std::floor((std::fabs(lonDeg) + 7.5) / 15.0));
    if (n == 0) {
        return "Etc/GMT";
    }
    return std::string("Etc/GMT") + (lonDeg > 0 ? "-" : "+") + std::to_string(n);
}

LocalTime UniversalTimeAt(double jdUT) {
    LocalTime time;
    time.zone = "UTC";
    time.abbreviation = "UTC";
    SplitSeconds(SecondsSinceEpoch(jdUT), time);
    return time;
}

LocalTime LocalTimeAt(double jdUT, const std::string& zone) {
    const long long seconds = SecondsSinceEpoch(jdUT);
    LocalTime time;
    time.zone = zone;
    const QTimeZone tz(QByteArray::fromStdString(zone));
    if (!tz.isValid()) {
        time.known = false;
        time.abbreviation = "UTC";
        SplitSeconds(seconds, time);
        return time;
    }
    const QDateTime at = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    time.offsetSeconds = tz.offsetFromUtc(at);
    time.abbreviation = tz.abbreviation(at).toStdString();
    time.daylightTime = tz.isDaylightTime(at);
    SplitSeconds(seconds + time.offsetSeconds, time);
    return time;
}

std::string OffsetText(int offsetSeconds) {
    const int minutes = std::abs(offsetSeconds) / 60;
    char text[16];
    std::snprintf(text, sizeof text, "UTC%c%02d:%02d", offsetSeconds < 0 ? '-' : '+',
                  minutes / 60 % 100, minutes % 60);
    return text;
}

std::string DateText(const LocalTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.year, time.month, time.day);
    return text;
}

std::string ClockText(const LocalTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

}  // namespace zimbalo::lists
