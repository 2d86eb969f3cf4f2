#pragma once

// Helpers shared by the checks of the delivered data files.

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zimbalo::data_test {

/// The folder of the running test executable, where the build copies the delivered data.
inline std::filesystem::path programFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

/// The whole file as bytes; throws when it cannot be read.
inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path.string());
    }
    std::string bytes(std::filesystem::file_size(path), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return bytes;
}

// Unicode code points of the Windows-1252 bytes 0x80..0x9F; 0 marks the five undefined bytes.
inline constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

/// Code point of one Windows-1252 byte, or nothing for the five bytes the code page leaves out.
inline std::optional<char32_t> cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        const char32_t cp = kCp1252High[byte - 0x80];
        return cp == 0 ? std::nullopt : std::optional<char32_t>(cp);
    }
    return byte;
}

inline void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

/// Windows-1252 bytes as UTF-8; nothing when a byte is undefined in the code page.
inline std::optional<std::string> cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto cp = cp1252ToUnicode(static_cast<unsigned char>(c));
        if (!cp) {
            return std::nullopt;
        }
        appendUtf8(out, *cp);
    }
    return out;
}

/// UTF-8 text (up to three-byte sequences) as Windows-1252 bytes; nothing when a character has
/// no Windows-1252 byte or the UTF-8 is malformed.
inline std::optional<std::string> utf8ToCp1252(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80          ? 1
                                   : (lead >> 5) == 0x6 ? 2
                                   : (lead >> 4) == 0xE ? 3
                                                        : 0;
        if (length == 0 || i + length > text.size()) {
            return std::nullopt;
        }
        char32_t cp = length == 1 ? lead : length == 2 ? (lead & 0x1F) : (lead & 0x0F);
        for (std::size_t k = 1; k < length; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += length;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        bool found = false;
        for (unsigned k = 0; k < 32; ++k) {
            if (kCp1252High[k] == cp) {
                out += static_cast<char>(0x80 + k);
                found = true;
                break;
            }
        }
        if (!found) {
            return std::nullopt;
        }
    }
    return out;
}

}  // namespace zimbalo::data_test
