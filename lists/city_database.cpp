#include "lists/city_database.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <utility>

#include "astro/catalogue.h"
#include "lists/message_text.h"
#include "lists/number_text.h"

namespace zimbalo::lists {

namespace {

const char* const kFieldNames[7] = {"",          "country", "place",     "latitude",
                                    "longitude", "height",  "population"};

// The field as a message shows it, control characters as escapes.
std::string Quoted(std::string_view text) {
    return QuotedForMessage(text, '"', 40);
}

std::string FieldLabel(int field) {
    return "field " + std::to_string(field) + " (" + kFieldNames[field] + ")";
}

std::int64_t IntegerField(std::string_view text, int field) {
    const auto v = ParseStrictInt64(text);
    if (!v) {
        throw CityLineError(FieldLabel(field) + " " + Quoted(text) + " is not an integer");
    }
    return *v;
}

std::int32_t Int32Field(std::string_view text, int field) {
    const std::int64_t v = IntegerField(text, field);
    if (v < std::numeric_limits<std::int32_t>::min()
        || v > std::numeric_limits<std::int32_t>::max()) {
        throw CityLineError(FieldLabel(field) + " " + Quoted(text) + " is out of range");
    }
    return static_cast<std::int32_t>(v);
}

double HundredthsField(std::string_view text, int field, std::int64_t limit) {
    const std::int64_t v = IntegerField(text, field);
    if (v < -limit || v > limit) {
        throw CityLineError(FieldLabel(field) + " " + Quoted(text) + " is out of range");
    }
    return static_cast<double>(v) / 100.0;
}

}  // namespace

std::string CityFileName(Language language, std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    const auto index = static_cast<std::size_t>(language);
    return folder + kCityFileNames[index < 3 ? index : 0];
}

std::string CityFileName(Language language) {
    return CityFileName(language, astro::ProgramFolder());
}

void ParseCityLine(std::string_view line, astro::StadtType& place) {
    std::string_view fields[6];
    std::string_view rest = line;
    for (int i = 0; i < 5; ++i) {
        const auto tab = rest.find('\t');
        if (tab == std::string_view::npos) {
            throw CityLineError("the line has " + std::to_string(i)
                                + " tab characters; six tab-separated fields are needed");
        }
        fields[i] = rest.substr(0, tab);
        rest.remove_prefix(tab + 1);
    }
    fields[5] = rest;  // the rest of the line, tabs included, is the population

    const double latitude = HundredthsField(fields[2], 3, 9000);
    const double longitude = HundredthsField(fields[3], 4, 18000);
    const std::int32_t height = Int32Field(fields[4], 5);
    const std::int32_t population = Int32Field(fields[5], 6);
    place.Land.assign(fields[0]);
    place.Stadt.assign(fields[1]);
    place.Breite = latitude;
    place.Laenge = longitude;
    place.Hoehe = height;
    place.Einwohner = population;
}

astro::StadtType ParseCityLine(std::string_view line) {
    astro::StadtType place;
    ParseCityLine(line, place);
    return place;
}

CityFileReader::CityFileReader(std::string path, std::size_t chunk, std::size_t maxLineLength)
    : m_path(std::move(path)),
      m_chunk(std::max<std::size_t>(chunk, 1)),
      m_maxLineLength(maxLineLength) {
    m_file = std::fopen(m_path.c_str(), "rb");
    if (m_file == nullptr) {
        throw CityFileError("City database \"" + m_path
                            + "\" cannot be opened: " + std::strerror(errno) + ".");
    }

    // A directory opens for reading, but only fails at the first read.
    struct stat info {};

    if (::fstat(::fileno(m_file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(m_file);
        m_file = nullptr;
        throw CityFileError("City database \"" + m_path + "\" is a directory.");
    }
    m_buffer.resize(m_chunk);
}

CityFileReader::~CityFileReader() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

CityFileError CityFileReader::LineError(const std::string& reason) const {
    return LineError(reason, m_lineNumber);
}

CityFileError CityFileReader::LineError(const std::string& reason, int lineNumber) const {
    return CityFileError("City database \"" + m_path + "\", line " + std::to_string(lineNumber)
                         + ": " + reason + ".");
}

bool CityFileReader::Refill() {
    if (m_eof) {
        return false;
    }
    // Keep the unfinished line at the front; grow the buffer only for a line longer than it.
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_buffer.size() - m_end < m_chunk) {
        m_buffer.resize(m_end + m_chunk);
    }
    const std::size_t got = std::fread(m_buffer.data() + m_end, 1, m_chunk, m_file);
    m_end += got;
    if (got == 0) {
        if (std::ferror(m_file) != 0) {
            throw CityFileError("City database \"" + m_path
                                + "\" cannot be read: " + std::strerror(errno) + ".");
        }
        m_eof = true;
        return false;
    }
    return true;
}

// The line from m_begin to `end` (a CR before it dropped); reading goes on at `next`.
std::string_view CityFileReader::TakeLine(std::size_t end, std::size_t next) {
    ++m_lineNumber;
    if (end > m_begin && m_buffer[end - 1] == '\r') {
        --end;
    }
    if (end - m_begin > m_maxLineLength) {
        throw LineError("the line is longer than " + std::to_string(m_maxLineLength) + " bytes");
    }
    const std::string_view line(m_buffer.data() + m_begin, end - m_begin);
    m_begin = next;
    return line;
}

bool CityFileReader::NextLine(std::string_view& line) {
    std::size_t searchFrom = m_begin;
    for (;;) {
        const char* start = m_buffer.data() + searchFrom;
        const auto* nl = static_cast<const char*>(std::memchr(start, '\n', m_end - searchFrom));
        if (nl != nullptr) {
            const auto pos = static_cast<std::size_t>(nl - m_buffer.data());
            line = TakeLine(pos, pos + 1);
            return true;
        }
        // Without a line end in sight, a line that is already too long (a CR at its end may
        // still be dropped) ends the reading: memory stays bounded even for a file without
        // line ends, such as /dev/zero.
        const std::size_t scanned = m_end - m_begin;
        if (scanned > m_maxLineLength + 1) {
            line = TakeLine(m_end, m_end);
        }
        if (!Refill()) {
            if (m_begin == m_end) {
                return false;
            }
            line = TakeLine(m_end, m_end);  // a last line without a line end
            return true;
        }
        searchFrom = m_begin + scanned;
    }
}

std::vector<std::string> CountryList(const std::string& path) {
    CityFileReader reader(path);
    std::vector<std::string> countries;
    std::string_view line;
    while (reader.NextLine(line)) {
        const auto tab = line.find('\t');
        if (tab == std::string_view::npos) {
            throw reader.LineError("the line has no tab character");
        }
        const std::string_view country = line.substr(0, tab);
        if (countries.empty() || countries.back() != country) {
            countries.emplace_back(country);
        }
    }
    return countries;
}

void CityTable::Append(const astro::StadtType& place) {
    if (Count() >= kCapacity) {
        throw std::length_error("more than " + std::to_string(kCapacity)
                                + " places of one country");
    }
    m_places.push_back(place);
}

const astro::StadtType& CityTable::operator[](int k) const {
    if (k < 1 || k > Count()) {
        throw std::out_of_range("city table entry " + std::to_string(k) + " outside 1.."
                                + std::to_string(Count()));
    }
    return m_places[static_cast<std::size_t>(k - 1)];
}

std::vector<std::string> PlacesOfCountry(const std::string& path, const std::string& country,
                                         CityTable& table) {
    table.Clear();
    std::vector<std::string> names;
    ScanCityFile(path, [&](const astro::StadtType& place, int) {
        if (place.Land == country) {
            if (table.Count() >= CityTable::kCapacity) {
                throw CityLineError("more than " + std::to_string(CityTable::kCapacity)
                                    + " places of \"" + country + "\"");
            }
            table.Append(place);
            names.push_back(place.Stadt);
        }
        return true;
    });
    return names;
}

}  // namespace zimbalo::lists
