#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zimbalo::astro {

/// Folders that may hold the delivered data files, in the order they are searched, each with a
/// trailing "/": the program's own folder (a build tree keeps the data beside the executables),
/// then "../share/zimbalo/" relative to it (an installation puts the executables in bin/).
std::vector<std::string> DataFolderCandidates(const std::string& programFolder);

/// The first of `DataFolderCandidates` that holds the event catalogue, or nothing.
std::optional<std::string> FindDataFolder(const std::string& programFolder);

/// The message for a missing data folder, naming every folder that was searched.
std::string DataFolderNotFoundMessage(const std::string& programFolder);

}  // namespace zimbalo::astro
