#include "cli/fd_output.h"

#include <cerrno>
#include <unistd.h>

namespace zimbalo::cli {

FdOutputBuffer::FdOutputBuffer(int fd) : m_fd(fd) {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

FdOutputBuffer::~FdOutputBuffer() {
    WriteOut();
}

bool FdOutputBuffer::WriteOut() {
    const char* p = pbase();
    const char* const end = pptr();
    while (m_error == 0 && p < end) {
        const ssize_t written = ::write(m_fd, p, static_cast<std::size_t>(end - p));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_error = errno;
        } else if (written == 0) {
            m_error = EIO;
        } else {
            p += written;
        }
    }
    // What could not be written is dropped: the stream reports the failure from now on.
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return m_error == 0;
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type ch) {
    if (!WriteOut()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

int FdOutputBuffer::sync() {
    return WriteOut() ? 0 : -1;
}

}  // namespace zimbalo::cli
