#include "app/version_info.h"

#include <array>
#include <cstdio>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>

#ifndef ZIMBALO_VERSION
#define ZIMBALO_VERSION ""
#endif
#ifndef ZIMBALO_DESCRIPTION
#define ZIMBALO_DESCRIPTION ""
#endif

namespace zimbalo::app {
namespace {

constexpr std::size_t kMaxFileTypeLength = 80;

// US English in the Unicode code page: the translation a string table is filed under.
constexpr std::uint32_t kLanguageUsEnglish = 0x0409;
constexpr std::uint32_t kCodePageUnicode = 0x04B0;

// The names of the string table, in the order they are read, and the field each one fills.
struct StringField {
    const char* name;
    QString TFileVersionInfo::*field;
};

constexpr std::array<StringField, 12> kStringFields = {
    {{"CompanyName", &TFileVersionInfo::CompanyName},
     {"FileDescription", &TFileVersionInfo::FileDescription},
     {"FileVersion", &TFileVersionInfo::FileVersion},
     {"InternalName", &TFileVersionInfo::InternalName},
     {"LegalCopyRight", &TFileVersionInfo::LegalCopyRight},
     {"LegalTradeMarks", &TFileVersionInfo::LegalTradeMarks},
     {"OriginalFileName", &TFileVersionInfo::OriginalFileName},
     {"ProductName", &TFileVersionInfo::ProductName},
     {"ProductVersion", &TFileVersionInfo::ProductVersion},
     {"Comments", &TFileVersionInfo::Comments},
     {"SpecialBuild", &TFileVersionInfo::SpecialBuild},
     {"PrivateBuild", &TFileVersionInfo::PrivateBuild}}};

// The flags of the fixed part and the field each one sets.
struct FlagField {
    std::uint32_t flag;
    bool TFileVersionInfo::*field;
};

constexpr std::array<FlagField, 6> kFlagFields = {
    {{version_flag::kDebug, &TFileVersionInfo::DebugBuild},
     {version_flag::kPreRelease, &TFileVersionInfo::PreRelease},
     {version_flag::kSpecialBuild, &TFileVersionInfo::SpecialBuildFlag},
     {version_flag::kPrivateBuild, &TFileVersionInfo::PrivateBuildFlag},
     {version_flag::kPatched, &TFileVersionInfo::Patched},
     {version_flag::kInfoInferred, &TFileVersionInfo::InfoInferred}}};

std::string TranslationKey(std::uint32_t translation) {
    std::array<char, 16> key{};
    std::snprintf(key.data(), key.size(), "%.4x%.4x", translation & 0xFFFFU,
                  (translation >> 16) & 0xFFFFU);
    return key.data();
}

VersionResource MakeBuiltIn() {
    VersionResource r;
    const std::uint32_t translation = kLanguageUsEnglish | (kCodePageUnicode << 16);
    r.translations = {translation};
    const std::string version = ZIMBALO_VERSION;
    r.stringTables[TranslationKey(translation)] = {
        {"CompanyName", "Zimbalo developers"},
        {"FileDescription", ZIMBALO_DESCRIPTION},
        {"FileVersion", version},
        {"InternalName", "zimbalo"},
        {"LegalCopyRight", "Copyright (C) 2026 Zimbalo developers"},
        {"OriginalFileName", "zimbalo"},
        {"ProductName", "Zimbalo"},
        {"ProductVersion", version},
    };
    r.hasFixedPart = true;
    r.fileFlagsMask = 0x3F;
#ifndef NDEBUG
    r.fileFlags = version_flag::kDebug;
#endif
    r.fileType = 1;  // an application
    return r;
}

bool FlagSet(const VersionResource& r, std::uint32_t flag) {
    return (flag & r.fileFlags & r.fileFlagsMask) == flag;
}

QString FileTypeOf(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists()) {
        return {};
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    QString text = type.isValid() ? type.comment() : QString();
    if (text.size() > static_cast<qsizetype>(kMaxFileTypeLength)) {
        text.truncate(static_cast<qsizetype>(kMaxFileTypeLength));
    }
    return text;
}

}  // namespace

QString FileVersion() {
    return QStringLiteral(ZIMBALO_VERSION);
}

const VersionResource& BuiltInVersionResource() {
    static const VersionResource resource = MakeBuiltIn();
    return resource;
}

QString FileFunctionText(std::uint32_t fileType, std::uint32_t fileSubtype) {
    static constexpr std::array<const char*, 11> kDrivers = {
        "Unknown Driver",    "Printer Driver", "Keyboard Driver",      "Language Driver",
        "Display Driver",    "Mouse Driver",   "Network Driver",       "System Driver",
        "InstallableDriver", "Sound Driver",   "Communications Driver"};
    static constexpr std::array<const char*, 4> kFonts = {"Unknown Font", "Raster Font",
                                                          "Vector Font", "Truetype Font"};
    switch (fileType) {
        case 0:
            return QStringLiteral("Unknown");
        case 1:
            return QStringLiteral("Application");
        case 2:
            return QStringLiteral("DLL");
        case 3:
            return fileSubtype < kDrivers.size() ? QString::fromLatin1(kDrivers[fileSubtype])
                                                 : QString();
        case 4:
            return fileSubtype < kFonts.size() ? QString::fromLatin1(kFonts[fileSubtype])
                                               : QString();
        case 5:
            return QStringLiteral("Virtual Defice Identifier = ")
                   + QStringLiteral("%1").arg(fileSubtype, 8, 16, QLatin1Char('0')).toUpper();
        case 7:
            return QStringLiteral("Static-link Library");
        default:
            return {};
    }
}

TFileVersionInfo ReadVersionInfo(const QString& fileName, const VersionResource* resource) {
    TFileVersionInfo info;
    info.FileType = FileTypeOf(fileName);
    if (resource == nullptr) {
        return info;
    }
    // The strings come from the table of the first translation entry only.
    const std::map<std::string, std::string>* table = nullptr;
    if (!resource->translations.empty()) {
        const auto found = resource->stringTables.find(TranslationKey(resource->translations[0]));
        if (found != resource->stringTables.end()) {
            table = &found->second;
        }
    }
    if (table != nullptr) {
        for (const StringField& stringField : kStringFields) {
            const auto entry = table->find(stringField.name);
            if (entry != table->end()) {
                info.*stringField.field = QString::fromStdString(entry->second);
            }
        }
    }
    if (resource->hasFixedPart) {
        for (const FlagField& flagField : kFlagFields) {
            info.*flagField.field = FlagSet(*resource, flagField.flag);
        }
        info.FileFunction = FileFunctionText(resource->fileType, resource->fileSubtype);
    }
    return info;
}

TFileVersionInfo ReadVersionInfo(const QString& fileName) {
    const QString own = QCoreApplication::applicationFilePath();
    const bool isOwn =
        !own.isEmpty()
        && QFileInfo(fileName).canonicalFilePath() == QFileInfo(own).canonicalFilePath()
        && QFileInfo(fileName).exists();
    return ReadVersionInfo(fileName, isOwn ? &BuiltInVersionResource() : nullptr);
}

TFileVersionInfo OwnVersionInfo() {
    return ReadVersionInfo(QCoreApplication::applicationFilePath());
}

}  // namespace zimbalo::app
