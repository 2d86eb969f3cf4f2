#include "app/settings_record.h"

#include <algorithm>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "lists/cp1252.h"

namespace zimbalo::app {

namespace {

/// A text as a field of `capacity` bytes keeps it: Windows-1252, cut to the capacity.
std::string StoredText(const std::string& utf8, std::size_t capacity) {
    std::string stored = lists::Utf8ToCp1252(utf8);
    if (stored.size() > capacity)
        stored.resize(capacity);
    return stored;
}

/// Writes fields one after the other into the fixed image.
class Writer {
public:
    explicit Writer(std::array<std::uint8_t, kSettingsSize>& bytes) : m_bytes(bytes) {}

    void byte(std::uint8_t v) { m_bytes.at(m_pos++) = v; }

    void boolean(bool v) { byte(v ? 1 : 0); }

    void int32(std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            byte(static_cast<std::uint8_t>(u >> (8 * i)));
    }

    void text(const std::string& utf8, std::size_t capacity) {
        const std::string stored = StoredText(utf8, capacity);
        byte(static_cast<std::uint8_t>(stored.size()));
        for (std::size_t i = 0; i < capacity; ++i)
            byte(i < stored.size() ? static_cast<std::uint8_t>(stored[i]) : 0);
    }

    std::size_t pos() const { return m_pos; }

private:
    std::array<std::uint8_t, kSettingsSize>& m_bytes;
    std::size_t m_pos = 0;
};

/// Reads fields one after the other from the fixed image.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint8_t byte() { return m_bytes[m_pos++]; }

    bool boolean() { return byte() != 0; }

    std::int32_t int32() {
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u |= static_cast<std::uint32_t>(byte()) << (8 * i);
        return static_cast<std::int32_t>(u);
    }

    std::string text(std::size_t capacity) {
        const std::size_t length = std::min<std::size_t>(byte(), capacity);
        std::string stored;
        for (std::size_t i = 0; i < capacity; ++i) {
            const std::uint8_t c = byte();
            if (i < length)
                stored.push_back(static_cast<char>(c));
        }
        return lists::Cp1252ToUtf8(stored);
    }

    std::size_t pos() const { return m_pos; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

/// A window's place and size, stored in this order for each of the three windows.
template <typename Io, typename Int>
void visitGeometry(Io& io, Int& top, Int& left, Int& height, Int& width) {
    io.int32(top);
    io.int32(left);
    io.int32(height);
    io.int32(width);
}

/// A place typed into a window: latitude text, its two hemisphere buttons, longitude text and its
/// two side buttons (east and west, in the order the window stores them).
template <typename Io, typename Text, typename Bool>
void visitPlace(Io& io, Text& latitude, Bool& north, Bool& south, Text& longitude, Bool& side1,
                Bool& side2) {
    io.text(latitude, 16);
    io.boolean(north);
    io.boolean(south);
    io.text(longitude, 16);
    io.boolean(side1);
    io.boolean(side2);
}

/// Visits every field in file order; one description serves reading and writing.
template <typename Io, typename Record>
void visitFields(Io& io, Record& r) {
    io.text(r.version, 16);
    io.byte(r.windowState);
    visitGeometry(io, r.top, r.left, r.height, r.width);
    io.byte(r.language);
    io.int32(r.reserved);
    io.int32(r.currentIndex);
    io.boolean(r.universalTime);
    io.int32(r.textureIndex);
    io.int32(r.gridIndex);
    visitPlace(io, r.poiLatitude, r.poiNorth, r.poiSouth, r.poiLongitude, r.poiEast, r.poiWest);
    io.boolean(r.poiShown);
    io.boolean(r.subPlanetaryShown);
    io.boolean(r.capitalsShown);
    io.int32(r.timePosition);
    io.int32(r.zoomPosition);
    io.int32(r.globeOriginX);
    io.int32(r.globeOriginY);
    visitGeometry(io, r.histTop, r.histLeft, r.histHeight, r.histWidth);
    io.byte(r.histState);
    io.text(r.histPlace, 32);
    visitPlace(io, r.histLatitude, r.histNorth, r.histSouth, r.histLongitude, r.histWest,
               r.histEast);
    io.text(r.histHeightText, 16);
    io.int32(r.histFromIndex);
    io.int32(r.histToIndex);
    visitGeometry(io, r.listTop, r.listLeft, r.listHeight, r.listWidth);
    io.byte(r.listState);
    io.int32(r.listPopulationIndex);
}

/// Adapts the Reader to the visitor's "assign through a reference" calls.
struct ReadIo {
    Reader& r;

    void text(std::string& s, std::size_t capacity) { s = r.text(capacity); }

    void byte(std::uint8_t& v) { v = r.byte(); }

    void boolean(bool& v) { v = r.boolean(); }

    void int32(std::int32_t& v) { v = r.int32(); }
};

struct WriteIo {
    Writer& w;

    void text(const std::string& s, std::size_t capacity) { w.text(s, capacity); }

    void byte(std::uint8_t v) { w.byte(v); }

    void boolean(bool v) { w.boolean(v); }

    void int32(std::int32_t v) { w.int32(v); }
};

std::span<const std::uint8_t> asBytes(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.constData()),
            static_cast<std::size_t>(data.size())};
}

/// Puts a value back to its default when it lies outside [lo, hi]; notes the field's name.
template <typename T>
void keepInRange(T& value, long long lo, long long hi, T fallback, const char* name,
                 std::vector<std::string>& replaced) {
    const auto v = static_cast<long long>(value);
    if (v < lo || v > hi) {
        value = fallback;
        replaced.emplace_back(name);
    }
}

/// A window of the given geometry shows at least a 50 x 50 corner on one of the screens.
bool reachable(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
               const std::vector<QRect>& screens) {
    if (screens.empty())
        return true;
    const QRect window(left, top, width, height);
    return std::any_of(screens.begin(), screens.end(), [&](const QRect& screen) {
        const QRect seen = window.intersected(screen);
        return seen.width() >= 50 && seen.height() >= 50;
    });
}

// Window sizes beyond these are taken as damage, not as a choice of the user.
constexpr long long kMinWindowSide = 100;
constexpr long long kMaxWindowSide = 16384;
// Positions far beyond any desktop; anything within is judged against the screens.
constexpr long long kMaxPosition = 100000;

void sanitizeWindow(std::int32_t& top, std::int32_t& left, std::int32_t& height,
                    std::int32_t& width, std::uint8_t& state, const SettingsRecord& defaults,
                    std::int32_t SettingsRecord::*defTop, std::int32_t SettingsRecord::*defLeft,
                    std::int32_t SettingsRecord::*defHeight, std::int32_t SettingsRecord::*defWidth,
                    const std::string& prefix, const std::vector<QRect>& screens,
                    std::vector<std::string>& replaced) {
    keepInRange(height, kMinWindowSide, kMaxWindowSide, defaults.*defHeight,
                (prefix + "height").c_str(), replaced);
    keepInRange(width, kMinWindowSide, kMaxWindowSide, defaults.*defWidth,
                (prefix + "width").c_str(), replaced);
    keepInRange(state, 0, 2, std::uint8_t{0}, (prefix + "state").c_str(), replaced);
    const bool wild = std::llabs(top) > kMaxPosition || std::llabs(left) > kMaxPosition;
    if (wild || !reachable(left, top, width, height, screens)) {
        top = defaults.*defTop;
        left = defaults.*defLeft;
        replaced.push_back(prefix + "position");
        // The default place must itself be on a screen; otherwise the first screen's corner.
        if (!screens.empty() && !reachable(left, top, width, height, screens)) {
            top = screens.front().top();
            left = screens.front().left();
        }
    }
}

}  // namespace

SettingsRecord DefaultSettings(const std::string& version) {
    SettingsRecord record;
    record.version = version;
    return record;
}

std::optional<SettingsRecord> ReadSettings(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSettingsSize)
        return std::nullopt;
    SettingsRecord record;
    Reader reader(bytes);
    ReadIo io{reader};
    visitFields(io, record);
    return record;
}

std::array<std::uint8_t, kSettingsSize> WriteSettings(const SettingsRecord& record) {
    std::array<std::uint8_t, kSettingsSize> bytes{};
    Writer writer(bytes);
    WriteIo io{writer};
    visitFields(io, record);
    return bytes;
}

std::optional<std::string> StoredVersionBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 17)
        return std::nullopt;
    const std::size_t length = std::min<std::size_t>(bytes[0], 16);
    return std::string(reinterpret_cast<const char*>(bytes.data() + 1), length);
}

std::string VersionBytes(const std::string& version) {
    return StoredText(version, 16);
}

std::vector<std::string> SanitizeSettings(SettingsRecord& r, int eventCount,
                                          const std::vector<QRect>& screens) {
    const SettingsRecord d;
    std::vector<std::string> replaced;
    sanitizeWindow(r.top, r.left, r.height, r.width, r.windowState, d, &SettingsRecord::top,
                   &SettingsRecord::left, &SettingsRecord::height, &SettingsRecord::width, "",
                   screens, replaced);
    sanitizeWindow(r.histTop, r.histLeft, r.histHeight, r.histWidth, r.histState, d,
                   &SettingsRecord::histTop, &SettingsRecord::histLeft, &SettingsRecord::histHeight,
                   &SettingsRecord::histWidth, "hist", screens, replaced);
    sanitizeWindow(r.listTop, r.listLeft, r.listHeight, r.listWidth, r.listState, d,
                   &SettingsRecord::listTop, &SettingsRecord::listLeft, &SettingsRecord::listHeight,
                   &SettingsRecord::listWidth, "list", screens, replaced);
    keepInRange(r.language, 0, 2, d.language, "language", replaced);
    keepInRange(r.currentIndex, 1, std::max(1, eventCount), d.currentIndex, "currentIndex",
                replaced);
    keepInRange(r.textureIndex, 0, 3, d.textureIndex, "textureIndex", replaced);
    keepInRange(r.gridIndex, 0, 6, d.gridIndex, "gridIndex", replaced);
    keepInRange(r.timePosition, 0, 12600, d.timePosition, "timePosition", replaced);
    keepInRange(r.zoomPosition, 60, 350, d.zoomPosition, "zoomPosition", replaced);
    keepInRange(r.globeOriginX, -kMinWindowSide * 100, kMinWindowSide * 100, d.globeOriginX,
                "globeOriginX", replaced);
    keepInRange(r.globeOriginY, -kMinWindowSide * 100, kMinWindowSide * 100, d.globeOriginY,
                "globeOriginY", replaced);
    keepInRange(r.histFromIndex, 0, 1000, d.histFromIndex, "histFromIndex", replaced);
    keepInRange(r.histToIndex, 0, 1000, d.histToIndex, "histToIndex", replaced);
    keepInRange(r.listPopulationIndex, 0, 9, d.listPopulationIndex, "listPopulationIndex",
                replaced);
    // Exactly one of each pair of hemisphere buttons is on.
    if (r.poiNorth == r.poiSouth) {
        r.poiNorth = true;
        r.poiSouth = false;
        replaced.emplace_back("poiHemisphere");
    }
    if (r.poiEast == r.poiWest) {
        r.poiEast = true;
        r.poiWest = false;
        replaced.emplace_back("poiSide");
    }
    return replaced;
}

LoadedSettings LoadOrCreateSettings(const QString& path, const std::string& version,
                                    std::uint8_t firstLanguage) {
    LoadedSettings out;
    out.record = DefaultSettings(version);
    out.record.language = firstLanguage;
    QFile file(path);
    bool useDefaults = true;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            out.origin = SettingsOrigin::ReplacedBroken;
        } else {
            // One byte more than a record tells a long file from a whole one.
            const QByteArray data = file.read(static_cast<qint64>(kSettingsSize) + 1);
            file.close();
            const auto bytes = asBytes(data);
            const auto stored = StoredVersionBytes(bytes);
            if (data.size() != static_cast<qsizetype>(kSettingsSize)) {
                out.origin = data.size() >= 17 && stored != VersionBytes(version)
                                 ? SettingsOrigin::ReplacedVersion
                                 : SettingsOrigin::ReplacedBroken;
            } else if (stored != VersionBytes(version)) {
                out.origin = SettingsOrigin::ReplacedVersion;
            } else {
                out.record = *ReadSettings(bytes);
                out.origin = SettingsOrigin::Read;
                useDefaults = false;
            }
        }
    } else {
        out.origin = SettingsOrigin::Created;
    }
    if (useDefaults) {
        if (std::optional<QString> problem = SaveSettings(path, out.record)) {
            out.origin = SettingsOrigin::NotKept;
            out.problem = std::move(*problem);
        }
    } else if (!QFileInfo(QFileInfo(path).absolutePath()).isWritable()) {
        // The record can be read but never written back.
        out.origin = SettingsOrigin::NotKept;
        out.problem = QFileInfo(path).absolutePath() + ": the folder is not writable";
    }
    return out;
}

std::optional<QString> SaveSettings(const QString& path, const SettingsRecord& record) {
    const auto bytes = WriteSettings(record);
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return info.absolutePath() + ": cannot create the folder";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return path + ": " + file.errorString();
    const auto written =
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        const QString reason = file.errorString();
        file.cancelWriting();
        file.commit();
        return path + ": " + reason;
    }
    if (!file.commit())
        return path + ": " + file.errorString();
    return std::nullopt;
}

}  // namespace zimbalo::app
