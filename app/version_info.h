#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <QString>

/// The program's own version record, built into the executable from the project version and the
/// program's metadata, and read back the way a version resource is read.
namespace zimbalo::app {

/// The "FileVersion" text of this build ("1.0.0"); heads the settings record and the title.
QString FileVersion();

/// A version resource as an executable carries it: translation entries, string tables keyed by
/// translation ("040904b0": language 0409, code page 04b0) and a fixed part with file flags,
/// flag mask, file type and subtype.
struct VersionResource {
    /// Each entry: language in the low 16 bits, code page in the high 16 bits.
    std::vector<std::uint32_t> translations;
    /// Translation key (8 lower-case hexadecimal digits) -> name -> text.
    std::map<std::string, std::map<std::string, std::string>> stringTables;
    bool hasFixedPart = false;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileFlagsMask = 0;
    std::uint32_t fileType = 0;
    std::uint32_t fileSubtype = 0;
};

/// The resource this build carries (CMake's project version, the program's metadata; the debug
/// flag set in builds without NDEBUG).
const VersionResource& BuiltInVersionResource();

/// Bits of the fixed part's file flags.
namespace version_flag {
inline constexpr std::uint32_t kDebug = 0x01;
inline constexpr std::uint32_t kPreRelease = 0x02;
inline constexpr std::uint32_t kPatched = 0x04;
inline constexpr std::uint32_t kPrivateBuild = 0x08;
inline constexpr std::uint32_t kInfoInferred = 0x10;
inline constexpr std::uint32_t kSpecialBuild = 0x20;
}  // namespace version_flag

/// One reading of a file's version information; strings empty and flags false where the file
/// carries none.
struct TFileVersionInfo {
    QString FileType;  ///< the MIME database's description of the file, at most 80 characters
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyRight;
    QString LegalTradeMarks;
    QString OriginalFileName;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString SpecialBuild;
    QString PrivateBuild;
    QString FileFunction;  ///< from the fixed part's file type and subtype
    bool DebugBuild = false;
    bool PreRelease = false;
    bool SpecialBuildFlag = false;
    bool PrivateBuildFlag = false;
    bool Patched = false;
    bool InfoInferred = false;

    bool operator==(const TFileVersionInfo&) const = default;
};

/// Text for a fixed part's file type and subtype ("Application", "DLL", "Printer Driver" ...);
/// empty for unknown codes.
QString FileFunctionText(std::uint32_t fileType, std::uint32_t fileSubtype);

/// Reads the version information of `fileName` from `resource` (nothing when null): FileType from
/// the MIME database when the file exists; the twelve strings from the string table of the first
/// translation entry (a name or table that is missing leaves its field empty); flags and
/// FileFunction from the fixed part.
TFileVersionInfo ReadVersionInfo(const QString& fileName, const VersionResource* resource);

/// Reads the version information of `fileName`: the built-in record when it is this program's
/// executable, otherwise only its FileType.
TFileVersionInfo ReadVersionInfo(const QString& fileName);

/// The version information of the running program.
TFileVersionInfo OwnVersionInfo();

}  // namespace zimbalo::app
