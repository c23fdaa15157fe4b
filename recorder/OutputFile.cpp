#include "recorder/OutputFile.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A file size limit would otherwise kill the whole program with SIGXFSZ;
// ignored, write() fails with EFBIG and the take ends keeping its file.
void ignoreFileSizeSignal()
{
    struct sigaction current{};
    if (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        struct sigaction ignore{};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, nullptr);
    }
}
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::open(const std::string& path, bool append)
{
    reset();
    ignoreFileSizeSignal();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    m_fd = ::open(path.c_str(), flags, 0644);
    if (m_fd < 0) {
        m_error = errno;
        return false;
    }
    struct stat st{};
    m_size.store((fstat(m_fd, &st) == 0) ? static_cast<std::uint64_t>(st.st_size) : 0, std::memory_order_relaxed);
    return true;
}

bool OutputFile::write(std::span<const std::uint8_t> bytes)
{
    if (m_fd < 0) return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : EIO;
            return false;
        }
        m_size.fetch_add(static_cast<std::uint64_t>(n), std::memory_order_relaxed);
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

bool OutputFile::sync()
{
    if (m_fd < 0) return true;
    while (::fsync(m_fd) != 0) {
        if (errno == EINTR) continue;
        // A file that cannot be synced (a pipe, some special file systems)
        // has lost nothing.
        if (errno == EINVAL) return true;
        m_error = errno;
        return false;
    }
    return true;
}

void OutputFile::reset()
{
    close();
    m_size.store(0, std::memory_order_relaxed);
}

void OutputFile::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
