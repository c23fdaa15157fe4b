#include "recorder/OutputFile.h"

#include <cerrno>
#include <cstring>
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

// O_NONBLOCK: opening a FIFO with no reader fails at once instead of
// waiting for one for ever; a regular file ignores it.
constexpr int kOpenFlags = O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::open(const std::string& path, OpenMode mode)
{
    reset();
    ignoreFileSizeSignal();
    m_error = 0;
    m_openFailure.clear();
    if (path.empty() || path.find('\0') != std::string::npos) return fail(EINVAL);
    int fd = -1;
    // Something put in the name's place between the look and the open is
    // looked at once more, and refused if it may not be written.
    for (int attempt = 0; attempt < 2 && fd < 0; ++attempt) {
        const RecordingTarget target = InspectRecordingTarget(path);
        if (const std::string why = RecordingTargetRefusal(target, mode); !why.empty()) return refuse(why);
        fd = openAs(path, target.kind, mode);
        if (fd < 0 && errno != EEXIST && errno != ENOENT && errno != ELOOP && errno != ENXIO && errno != EISDIR) break;
    }
    if (fd < 0) return fail(errno);
    // The open file itself must be a regular one: the name is not looked
    // at again.
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (mode != OpenMode::Append && ::ftruncate(fd, 0) != 0)) {
        const int error = errno;
        ::close(fd);
        if (st.st_mode != 0 && !S_ISREG(st.st_mode)) return refuse("it is " + DescribeFileKind(st.st_mode) + ", not a file");
        return fail(error);
    }
    // Writes wait for the disk as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_size.store(mode == OpenMode::Append ? static_cast<std::uint64_t>(st.st_size) : 0, std::memory_order_relaxed);
    return true;
}

int OutputFile::openAs(const std::string& path, RecordingTarget::Kind kind, OpenMode mode)
{
    // The link itself goes, never what it points to.
    if (kind == RecordingTarget::Kind::Link && ::unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
    if (kind == RecordingTarget::Kind::File) return ::open(path.c_str(), kOpenFlags | (mode == OpenMode::Append ? O_APPEND : 0));
    // Exclusively: a link put in the name's place meanwhile is never followed.
    return ::open(path.c_str(), kOpenFlags | O_CREAT | O_EXCL, 0644);
}

bool OutputFile::fail(int error)
{
    m_error = error;
    m_openFailure = std::strerror(error);
    return false;
}

bool OutputFile::refuse(const std::string& why)
{
    m_openFailure = why;
    return false;
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
