#include "recorder/TakeFailure.h"

#include "common/FormatClock.h"

#include <cerrno>
#include <cstring>

std::string DescribeTakeFailure(const TakeFailure& failure)
{
    const std::string head = failure.what + ". ";
    if (failure.keptFrames == 0 || failure.path.empty())
        return head + "Nothing was recorded.";
    const std::uint64_t seconds = failure.keptFrames / static_cast<std::uint64_t>(failure.sampleRate);
    if (seconds == 0)
        return head + "Less than a second is kept in " + failure.path + ".";
    return head + "The first " + FormatClock(seconds) + " are kept in " + failure.path + ".";
}

std::string DescribeWriteError(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return "the disk is full";
    case EFBIG:
        return "the file has reached the largest size allowed";
    default:
        return std::string("the file could not be written (") + std::strerror(error) + ")";
    }
}
