#include "fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

namespace zimbalo::fuzz {

MemoryFile::MemoryFile() {
    m_fd = ::memfd_create("zimbalo_fuzz", MFD_CLOEXEC);
    Check(m_fd >= 0, "memfd_create");
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
}

MemoryFile::~MemoryFile() {
    ::close(m_fd);
}

const std::string& MemoryFile::Write(const std::uint8_t* data, std::size_t size) {
    Check(::ftruncate(m_fd, 0) == 0, "ftruncate");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
        Check(n > 0, "pwrite");
        done += static_cast<std::size_t>(n);
    }
    return m_path;
}

}  // namespace zimbalo::fuzz
