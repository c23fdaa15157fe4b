#include "app/TextFile.h"

#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Closes the descriptor when it goes out of scope.
struct FileDescriptor {
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// A zero byte would end the path early, naming some other file.
bool isUsablePath(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

bool isSomethingButARegularFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit)
{
    if (!isUsablePath(path))
        return std::nullopt;
    // Without blocking: opening a FIFO would wait for a writer.
    const FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    struct stat status {};
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    std::string bytes;
    constexpr std::size_t kChunk = 64 * 1024;
    while (bytes.size() < limit) {
        const std::size_t offset = bytes.size();
        bytes.resize(offset + std::min(kChunk, limit - offset));
        const ssize_t got = ::read(file.fd, bytes.data() + offset, bytes.size() - offset);
        if (got < 0 && errno == EINTR) {
            bytes.resize(offset);
            continue;
        }
        if (got < 0)
            return std::nullopt;
        bytes.resize(offset + static_cast<std::size_t>(got));
        if (got == 0)
            break;
    }
    return bytes;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes)
{
    // A folder, a FIFO or a device where the file should be is left alone:
    // writing would wait for a reader, fill a device, or rename a file over it.
    if (!isUsablePath(path) || isSomethingButARegularFile(path))
        return false;
    // Written beside the target and renamed over it, so a full disk leaves
    // the old file whole; where no file may be made beside it, written in
    // place.
    QSaveFile file(QString::fromStdString(path));
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
