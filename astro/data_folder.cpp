#include "astro/data_folder.h"

#include <filesystem>
#include <system_error>

#include "astro/catalogue.h"

namespace zimbalo::astro {

std::vector<std::string> DataFolderCandidates(const std::string& programFolder) {
    std::string base = programFolder.empty() ? std::string("./") : programFolder;
    if (base.back() != '/')
        base += '/';
    // The installed layout is written without ".." so that messages name a plain folder.
    const std::filesystem::path shared =
        std::filesystem::path(base).parent_path().parent_path() / "share" / "zimbalo";
    return {base, shared.lexically_normal().string() + "/"};
}

std::optional<std::string> FindDataFolder(const std::string& programFolder) {
    for (const std::string& folder : DataFolderCandidates(programFolder)) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(folder + kCatalogueFileName, ec))
            return folder;
    }
    return std::nullopt;
}

std::string DataFolderNotFoundMessage(const std::string& programFolder) {
    std::string text = "The data files of Zimbalo (event catalogue \"";
    text += kCatalogueFileName;
    text += "\") were not found. Searched: ";
    const std::vector<std::string> folders = DataFolderCandidates(programFolder);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += "\"" + folders[i] + "\"";
    }
    return text + ".";
}

}  // namespace zimbalo::astro
