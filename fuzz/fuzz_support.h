#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

/// Helpers shared by the fuzz targets: a failed comparison with the simple independent version
/// ends the run (the fuzzer keeps the input), and a file in memory that the readers open by path.
namespace zimbalo::fuzz {

/// Ends the process with `what` when `condition` fails; the fuzzer records the input.
inline void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

/// A file that exists only in memory, reachable by the path "/proc/self/fd/N", rewritten for
/// every input.
class MemoryFile {
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    /// Replaces the content and returns the path.
    const std::string& Write(const std::uint8_t* data, std::size_t size);

    const std::string& Write(std::string_view text) {
        return Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }

    const std::string& Path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace zimbalo::fuzz
