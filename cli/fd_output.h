#pragma once

#include <array>
#include <streambuf>

namespace zimbalo::cli {

/// A stream buffer that writes to a file descriptor and keeps the system's error number of the
/// first failed write, so that a full disk or a closed standard output is reported with its
/// reason. After a failure every further write fails too.
class FdOutputBuffer : public std::streambuf {
public:
    explicit FdOutputBuffer(int fd);
    ~FdOutputBuffer() override;
    FdOutputBuffer(const FdOutputBuffer&) = delete;
    FdOutputBuffer& operator=(const FdOutputBuffer&) = delete;

    /// errno of the first failed write, 0 while every write succeeded.
    int Error() const { return m_error; }

protected:
    int_type overflow(int_type ch) override;
    int sync() override;

private:
    bool WriteOut();

    int m_fd;
    int m_error = 0;
    std::array<char, 1 << 16> m_buffer{};
};

}  // namespace zimbalo::cli
