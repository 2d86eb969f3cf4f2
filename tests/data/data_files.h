#pragma once

// Helpers shared by the checks of the delivered data files.

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

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

}  // namespace zimbalo::data_test
