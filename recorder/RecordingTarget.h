#pragma once

#include "recorder/IOutputFile.h"

#include <string>

// What is at a recording's path now, symbolic links not followed: what the
// user is asked or told before a take is started there.
struct RecordingTarget {
    enum class Kind {
        Nothing,  // a new file will be made
        File,     // a regular file, to be replaced or added to
        Link,     // a symbolic link, live or dangling
        Other,    // a folder, a FIFO, a device or a socket: never written
        Unknown,  // cannot be looked at (a folder on the way that is not one, no permission)
    };
    Kind kind = Kind::Nothing;
    // For a link, where it points; otherwise what it is: "a FIFO (named pipe)".
    std::string detail;
};

// "a folder", "a FIFO (named pipe)", "a device", "a socket", from st_mode.
std::string DescribeFileKind(unsigned mode);

RecordingTarget InspectRecordingTarget(const std::string& path);

// Why no take may be written at path in this mode, for the user:
// "it is a FIFO (named pipe), not a file"; empty when one may, or when
// only opening it will tell.
std::string RecordingTargetRefusal(const RecordingTarget& target, OpenMode mode);
