#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "lists/coming_occultations.h"

/// The observer's home place, kept in a small text file of its own beside the settings record
/// (which has no room for it): written whole or not at all, read with bounds, and a damaged file
/// gives a message and no home, never a half-read place.
namespace zimbalo::lists {

/// The home file cannot be written; the message names the file and the reason.
class HomeFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// File name of the home place in the settings folder.
inline constexpr const char* kHomeFileName = "Zimbalo_Home.txt";

/// Largest home file read; a real one has some 120 bytes.
inline constexpr std::size_t kMaxHomeFileSize = 4096;

/// Longest place name kept, in bytes of UTF-8.
inline constexpr std::size_t kMaxHomeNameSize = 200;

/// What reading the home file found.
struct HomeFileResult {
    std::optional<HomePlace> home;  ///< nothing when there is no file or it is damaged
    std::string problem;  ///< why a file that exists was not used (English); empty otherwise
};

/// Reads the home file at `path`. A missing file is no home and no problem.
HomeFileResult ReadHomeFile(const std::string& path);

/// The text of the home file of `home`.
std::string HomeFileText(const HomePlace& home);

/// The home place of a file's text, or the reason it is not one.
HomeFileResult ParseHomeFile(const std::string& text);

/// Writes `home` to `path`, replacing the old file only once the new one is complete. Throws
/// `HomeFileError`.
void WriteHomeFile(const std::string& path, const HomePlace& home);

/// True when `zone` looks like an IANA zone name ("Europe/Zurich", "Etc/GMT+5").
bool IsZoneName(const std::string& zone);

}  // namespace zimbalo::lists
