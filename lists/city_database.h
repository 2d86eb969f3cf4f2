#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "astro/language.h"
#include "astro/local_circumstances.h"

/// The city database: one text line per place with six tab-separated fields (country, place,
/// latitude and longitude in hundredths of a degree, height in metres, population). The lines
/// are Windows-1252 bytes and are kept as such; they end in CR LF or LF.
namespace zimbalo::lists {

inline constexpr const char* kCityFileNames[3] = {"2017_data_DE.txt", "2017_data_EN.txt",
                                                  "2017_data_FR.txt"};

/// A city database that cannot be read, or a line of it that cannot be used; the message names
/// the file (and the line number for a line).
class CityFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One line that is not a valid place; the message says which field and why.
class CityLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Path of the city database of `language`: `folder` (the program's folder by default; a "/" is
/// added when missing) followed by the language's file name.
std::string CityFileName(Language language, std::string folder);
std::string CityFileName(Language language);

/// Parses one line (without its line end) into `place`, setting `Land`, `Stadt`, `Breite`,
/// `Laenge` (degrees), `Hoehe` and `Einwohner` and leaving the result fields untouched. Fields 3
/// to 6 must be plain signed decimal integers; height and population must fit in 32 bits, the
/// latitude lie within +-90 and the longitude within +-180 degrees. Throws `CityLineError`.
void ParseCityLine(std::string_view line, astro::StadtType& place);

/// The place of one line; throws `CityLineError`.
astro::StadtType ParseCityLine(std::string_view line);

/// Bytes read from a city database at a time.
inline constexpr std::size_t kCityReadChunk = 1 << 16;

/// Longest line (without its line end) a city database may have, 1 MiB: some 10000 times the
/// longest line of the delivered files, and a bound on the memory a file without line ends (such
/// as /dev/zero) can take.
inline constexpr std::size_t kMaxCityLineLength = 1 << 20;

/// Reads a text file line by line through a buffer of `chunk` bytes (more only for a line
/// longer than that), so that the file is never held in memory. Throws `CityFileError` naming the
/// file when it cannot be opened or read, is a directory, or has a line longer than
/// `maxLineLength` bytes.
class CityFileReader {
public:
    explicit CityFileReader(std::string path, std::size_t chunk = kCityReadChunk,
                            std::size_t maxLineLength = kMaxCityLineLength);
    ~CityFileReader();
    CityFileReader(const CityFileReader&) = delete;
    CityFileReader& operator=(const CityFileReader&) = delete;

    /// The next line without its line end (valid until the next call); false at the end.
    bool NextLine(std::string_view& line);

    /// Number of the line last returned, counted from 1.
    int LineNumber() const { return m_lineNumber; }

    const std::string& Path() const { return m_path; }

    /// Error naming the file and the current line, with `reason`.
    CityFileError LineError(const std::string& reason) const;

    /// Error naming the file and line `lineNumber` (an earlier one), with `reason`.
    CityFileError LineError(const std::string& reason, int lineNumber) const;

private:
    bool Refill();
    std::string_view TakeLine(std::size_t end, std::size_t next);

    std::string m_path;
    std::FILE* m_file = nullptr;
    std::size_t m_chunk;
    std::size_t m_maxLineLength;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    int m_lineNumber = 0;
};

/// Streams the city database: parses each line into one reused record and hands it to
/// `visit`(place, lineNumber), which returns false to stop. The visitor may compute into the
/// record's result fields; parsing the next line overwrites only the place fields. A malformed
/// line, or a `CityLineError` thrown by `visit`, stops the scan with a `CityFileError` naming the
/// file and the line.
template <typename Visit>
void ScanCityFile(const std::string& path, Visit&& visit) {
    CityFileReader reader(path);
    astro::StadtType place;
    std::string_view line;
    while (reader.NextLine(line)) {
        bool more = true;
        try {
            ParseCityLine(line, place);
            more = visit(place, reader.LineNumber());
        } catch (const CityLineError& e) {
            throw reader.LineError(e.what());
        }
        if (!more) {
            return;
        }
    }
}

/// The distinct countries in file order: a country is added whenever it differs (exactly) from
/// the country of the line before, so a country whose lines are split is listed again.
std::vector<std::string> CountryList(const std::string& path);

/// The places of one country, 1-based, at most `kCapacity` of them.
class CityTable {
public:
    static constexpr int kCapacity = 210000;

    void Clear() { m_places.clear(); }

    /// Appends a place; throws `std::length_error` when the table is full.
    void Append(const astro::StadtType& place);

    int Count() const { return static_cast<int>(m_places.size()); }

    /// Place k (1-based); throws std::out_of_range outside 1..Count().
    const astro::StadtType& operator[](int k) const;

private:
    std::vector<astro::StadtType> m_places;
};

/// Refills `table` with the places whose country equals `country` exactly, in file order, and
/// returns their names; name k-1 of the result is `table`[k]. Throws `CityFileError` for an
/// unreadable file, a malformed line, or more places than the table holds.
std::vector<std::string> PlacesOfCountry(const std::string& path, const std::string& country,
                                         CityTable& table);

}  // namespace zimbalo::lists
