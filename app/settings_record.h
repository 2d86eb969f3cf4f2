#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QByteArray>
#include <QRect>
#include <QString>

/// The settings record "Zimbalo.ini": a packed little-endian image of 243 bytes kept in the
/// settings folder, read at start and written back at close.
namespace zimbalo::app {

inline constexpr std::size_t kSettingsSize = 243;
inline constexpr const char* kSettingsFileName = "Zimbalo.ini";

/// One settings record. Strings hold UTF-8 text; on disk they are Windows-1252, one length byte
/// and the characters padded to the field's capacity (16 or 32 bytes). Window geometry in pixels,
/// window states 0 normal, 1 minimised, 2 maximised.
struct SettingsRecord {
    std::string version;  ///< "FileVersion" of the program that wrote the record
    std::uint8_t windowState = 0;
    std::int32_t top = 169;
    std::int32_t left = 232;
    std::int32_t height = 773;
    std::int32_t width = 1024;
    std::uint8_t language = 0;  ///< 0 German, 1 English, 2 French
    std::int32_t reserved = 0;
    std::int32_t currentIndex = 1;  ///< event 1..1780
    bool universalTime = false;     ///< CheckBox_ET_UT
    std::int32_t textureIndex = 0;  ///< ComboBox_Globus 0..3
    std::int32_t gridIndex = 2;     ///< ComboBox_GradNetz 0..6
    std::string poiLatitude = "47.5";
    bool poiNorth = true;
    bool poiSouth = false;
    std::string poiLongitude = "7.53";
    bool poiEast = true;
    bool poiWest = false;
    bool poiShown = false;             ///< CheckBox_PoI
    bool subPlanetaryShown = false;    ///< CheckBox_SSP
    bool capitalsShown = false;        ///< CheckBox_Cities
    std::int32_t timePosition = 6300;  ///< Time_ScrollBar 0..12600
    std::int32_t zoomPosition = 140;   ///< Zoom_TrackBar 60..350
    std::int32_t globeOriginX = 222;
    std::int32_t globeOriginY = 222;

    // The place-history window.
    std::int32_t histTop = 155;
    std::int32_t histLeft = 0;
    std::int32_t histHeight = 773;
    std::int32_t histWidth = 1222;
    std::uint8_t histState = 0;
    std::string histPlace;  ///< Edit_Ort_Stadt, up to 32 characters
    std::string histLatitude;
    bool histNorth = false;
    bool histSouth = false;
    std::string histLongitude;
    bool histWest = false;
    bool histEast = false;
    std::string histHeightText;
    std::int32_t histFromIndex = 0;  ///< ComboBox_von
    std::int32_t histToIndex = 0;    ///< ComboBox_Bis

    // The many-places window.
    std::int32_t listTop = 155;
    std::int32_t listLeft = 67;
    std::int32_t listHeight = 773;
    std::int32_t listWidth = 1222;
    std::uint8_t listState = 0;
    std::int32_t listPopulationIndex = 0;  ///< ComboBox_Population 0..9

    bool operator==(const SettingsRecord&) const = default;
};

/// The defaults of a first start, stamped with the given program version.
SettingsRecord DefaultSettings(const std::string& version);

/// Decodes a record from its bytes; nothing unless there are exactly 243 of them. A string whose
/// length byte exceeds its capacity is cut to the capacity. Values are taken as they are stored;
/// `SanitizeSettings` judges them.
std::optional<SettingsRecord> ReadSettings(std::span<const std::uint8_t> bytes);

/// The 243 bytes of a record. Strings longer than their capacity are cut (whole characters);
/// characters Windows-1252 lacks become "?".
std::array<std::uint8_t, kSettingsSize> WriteSettings(const SettingsRecord& record);

/// The length-prefixed version string of a stored record as raw bytes (for the byte-wise
/// version comparison), or nothing when there are too few bytes.
std::optional<std::string> StoredVersionBytes(std::span<const std::uint8_t> bytes);

/// The stored form of a version string (Windows-1252, at most 16 bytes).
std::string VersionBytes(const std::string& version);

/// Replaces every field that lies outside its range by its default, so that a damaged or
/// hand-edited record never ends the start-up or leaves the window unusable. Returns the names
/// of the fields it replaced. `eventCount` bounds `currentIndex`; `screens` are the available
/// screen rectangles: a window that would show less than a corner of 50 x 50 pixels on every one
/// of them is put back at its default place (no screens: positions are kept).
std::vector<std::string> SanitizeSettings(SettingsRecord& record, int eventCount,
                                          const std::vector<QRect>& screens);

/// How the settings file fared at start.
enum class SettingsOrigin {
    Read,             ///< read from the file as it was
    Created,          ///< no file: the defaults were written to a new one
    ReplacedVersion,  ///< written by another version: replaced by the defaults
    ReplacedBroken,   ///< short, long or unreadable: replaced by the defaults
    NotKept,          ///< the folder or file cannot be written: defaults for this run only
};

/// The record in effect and where it came from.
struct LoadedSettings {
    SettingsRecord record;
    SettingsOrigin origin = SettingsOrigin::Read;
    QString problem;  ///< for NotKept: the file and the system's reason
};

/// Start-up step for the settings: reads `path` when it exists; a file of another version or one
/// that is broken is replaced by the defaults, written at once; a missing file is created with
/// the defaults. Never throws: when the file cannot be written the defaults are used for this run
/// and `origin` says NotKept. Defaults take `firstLanguage` (0 German, 1 English, 2 French) as
/// their language; a record read from the file keeps its own.
LoadedSettings LoadOrCreateSettings(const QString& path, const std::string& version,
                                    std::uint8_t firstLanguage = 0);

/// Writes the record to `path` atomically (a temporary file in the same folder renamed over the
/// old one), so a crash or a full disk mid-write leaves the old file whole. Returns the file and
/// the system's reason on failure, nothing on success.
std::optional<QString> SaveSettings(const QString& path, const SettingsRecord& record);

}  // namespace zimbalo::app
