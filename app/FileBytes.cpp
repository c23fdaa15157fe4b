#include "app/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <random>
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

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether a file may be put at `path`: nothing there yet, or a regular file
// we may write. A symbolic link, a folder, a FIFO or a device is left alone,
// as is a read-only file, even for root, who could replace it.
bool mayReplace(const std::string& path, struct stat& existing, bool& exists)
{
    exists = ::lstat(path.c_str(), &existing) == 0;
    if (!exists)
        return errno == ENOENT;
    return S_ISREG(existing.st_mode) && (existing.st_mode & 0222) != 0
           && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// A new file beside `path` that no one else made: created exclusively, so a
// link planted under its name is never followed.
int createTemporaryBeside(const std::string& path, std::string& temporary)
{
    const std::string folder = folderOf(path);
    // Short enough for a folder entry whatever the target's name.
    const std::string name = path.substr(path.find_last_of('/') + 1).substr(0, 200);
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = folder + "/." + name + "." + std::to_string(random() % 1000000000u) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void syncFolder(const std::string& folder)
{
    const FileDescriptor dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0)
        ::fsync(dir.fd);
}
}  // namespace

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
    struct stat existing {};
    bool exists = false;
    if (!isUsablePath(path) || !mayReplace(path, existing, exists))
        return false;
    // Written beside the target, synced and renamed over it: a full disk or
    // a crash leaves the old file whole, and a link never leads elsewhere.
    std::string temporary;
    FileDescriptor file{createTemporaryBeside(path, temporary)};
    if (file.fd < 0)
        return false;
    bool written = writeAll(file.fd, bytes);
    if (written && exists) {
        // The replacement keeps the old file's owner, where we may give it,
        // and its permissions (set last: a change of owner clears some).
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            (void)!::fchown(file.fd, existing.st_uid, existing.st_gid);
        written = ::fchmod(file.fd, existing.st_mode & 07777) == 0;
    }
    written = written && ::fsync(file.fd) == 0;
    const int fd = file.fd;
    file.fd = -1;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}
