#include "lists/home_place.h"

#include <filesystem>
#include <fstream>
#include <map>

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include "lists/number_text.h"

namespace zimbalo::lists {

namespace {

constexpr const char* kFirstLine = "Zimbalo home 1";

bool HasControlCharacter(const std::string& text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            return true;
        }
    }
    return false;
}

// True when `text` is well-formed UTF-8.
bool IsUtf8(const std::string& text) {
    const QByteArray bytes = QByteArray::fromStdString(text);
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

HomeFileResult Damaged(const std::string& why) {
    HomeFileResult result;
    result.problem = why;
    return result;
}

}  // namespace

bool IsZoneName(const std::string& zone) {
    if (zone.empty() || zone.size() > 64 || zone.front() == '/' || zone.back() == '/') {
        return false;
    }
    for (const char c : zone) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
                        || c == '/' || c == '_' || c == '-' || c == '+';
        if (!ok) {
            return false;
        }
    }
    return zone.find("..") == std::string::npos;
}

// The name as the file keeps it: one line, at most `kMaxHomeNameSize` bytes, cut between
// characters.
std::string StoredName(const std::string& name) {
    std::string stored = name;
    for (char& c : stored) {
        if (HasControlCharacter(std::string(1, c))) {
            c = ' ';
        }
    }
    if (stored.size() > kMaxHomeNameSize) {
        std::size_t cut = kMaxHomeNameSize;
        while (cut > 0 && (static_cast<unsigned char>(stored[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        stored.resize(cut);
    }
    return stored;
}

std::string HomeFileText(const HomePlace& home) {
    return std::string(kFirstLine) + "\nname=" + StoredName(home.name) + "\nlatitude="
           + FormatShortest(home.latitudeDeg) + "\nlongitude=" + FormatShortest(home.longitudeDeg)
           + "\nheight=" + FormatInt(home.heightMetres) + "\nzone=" + home.zone + "\n";
}

HomeFileResult ParseHomeFile(const std::string& text) {
    if (text.size() > kMaxHomeFileSize) {
        return Damaged("it is larger than " + FormatInt(kMaxHomeFileSize) + " bytes");
    }
    std::map<std::string, std::string> values;
    std::size_t begin = 0;
    int lineNumber = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (lineNumber == 1) {
            if (line != kFirstLine) {
                return Damaged("it is not a home place file (its first line is not \""
                               + std::string(kFirstLine) + "\")");
            }
            continue;
        }
        if (line.empty()) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            return Damaged("line " + FormatInt(lineNumber) + " has no \"=\"");
        }
        const std::string key = line.substr(0, equals);
        if (key != "name" && key != "latitude" && key != "longitude" && key != "height"
            && key != "zone") {
            return Damaged("line " + FormatInt(lineNumber) + " has the unknown key \"" + key
                           + "\"");
        }
        if (!values.emplace(key, line.substr(equals + 1)).second) {
            return Damaged("\"" + key + "\" appears twice");
        }
    }
    if (lineNumber == 0) {
        return Damaged("it is empty");
    }
    for (const char* key : {"name", "latitude", "longitude", "height", "zone"}) {
        if (values.count(key) == 0) {
            return Damaged("\"" + std::string(key) + "\" is missing");
        }
    }
    HomePlace home;
    home.name = values["name"];
    if (home.name.size() > kMaxHomeNameSize || HasControlCharacter(home.name)
        || !IsUtf8(home.name)) {
        return Damaged("the name is too long or not UTF-8 text");
    }
    const std::optional<double> lat = ParseStrictDecimal(values["latitude"]);
    if (!lat || !(*lat >= -90.0 && *lat <= 90.0)) {
        return Damaged("the latitude is not a number within -90..90");
    }
    const std::optional<double> lon = ParseStrictDecimal(values["longitude"]);
    if (!lon || !(*lon >= -180.0 && *lon <= 180.0)) {
        return Damaged("the longitude is not a number within -180..180");
    }
    const std::optional<std::int32_t> height = ParseStrictInt32(values["height"]);
    if (!height || *height < -1000 || *height > 100000) {
        return Damaged("the height is not a whole number of metres within -1000..100000");
    }
    home.latitudeDeg = *lat;
    home.longitudeDeg = *lon;
    home.heightMetres = *height;
    home.zone = values["zone"];
    if (!IsZoneName(home.zone)) {
        return Damaged("the time zone is not a zone name");
    }
    HomeFileResult result;
    result.home = home;
    return result;
}

HomeFileResult ReadHomeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec) && !ec) {
            return {};
        }
        return Damaged("it cannot be opened");
    }
    std::string text(kMaxHomeFileSize + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad()) {
        return Damaged("it cannot be read");
    }
    text.resize(static_cast<std::size_t>(file.gcount()));
    return ParseHomeFile(text);
}

void WriteHomeFile(const std::string& path, const HomePlace& home) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        throw HomeFileError("The home place file \"" + path
                            + "\" cannot be created: " + file.errorString().toStdString() + ".");
    }
    const QByteArray bytes = QByteArray::fromStdString(HomeFileText(home));
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        throw HomeFileError("The home place file \"" + path
                            + "\" cannot be written: " + file.errorString().toStdString() + ".");
    }
}

}  // namespace zimbalo::lists
