#include "recorder/RecordingTarget.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

std::string DescribeFileKind(unsigned mode)
{
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

namespace {
std::string linkDestination(const std::string& path)
{
    char destination[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), destination, sizeof destination);
    return length > 0 ? std::string(destination, static_cast<std::size_t>(length)) : std::string();
}
}  // namespace

RecordingTarget InspectRecordingTarget(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos) return {RecordingTarget::Kind::Unknown, {}};
    struct stat status{};
    if (::lstat(path.c_str(), &status) != 0)
        return {errno == ENOENT ? RecordingTarget::Kind::Nothing : RecordingTarget::Kind::Unknown, {}};
    if (S_ISLNK(status.st_mode)) return {RecordingTarget::Kind::Link, linkDestination(path)};
    if (S_ISREG(status.st_mode)) return {RecordingTarget::Kind::File, {}};
    return {RecordingTarget::Kind::Other, DescribeFileKind(status.st_mode)};
}

std::string RecordingTargetRefusal(const RecordingTarget& target, OpenMode mode)
{
    switch (target.kind) {
    case RecordingTarget::Kind::Other: return "it is " + target.detail + ", not a file";
    case RecordingTarget::Kind::Link:
        if (mode != OpenMode::Replace)
            return "it is a symbolic link, which is not followed; choose it again to replace the link";
        return {};
    case RecordingTarget::Kind::File:
    case RecordingTarget::Kind::Nothing:
    case RecordingTarget::Kind::Unknown: return {};
    }
    return {};
}
