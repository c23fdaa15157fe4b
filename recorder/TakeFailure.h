#pragma once

#include <cstdint>
#include <string>

// A Record press that did not lead to a running take, or a take that ended
// by itself, as the user is told about it.
struct TakeFailure {
    // What happened, one sentence without its full stop:
    // "Recording stopped: the disk is full".
    std::string what;
    // The file that keeps the audio, and how much of it; nothing is kept
    // when keptFrames is 0.
    std::string path;
    std::uint64_t keptFrames = 0;
    int sampleRate = 44100;
};

// "Recording stopped: the disk is full. The first 0:42 are kept in /x.mp3."
std::string DescribeTakeFailure(const TakeFailure& failure);
// Why a file could not be written, from its errno.
std::string DescribeWriteError(int error);
