#pragma once

#include "player/LevelTrack.h"

#include <cstddef>
#include <cstdint>

// Collects a LevelTrack while samples come in, beside the peaks, in the
// same decoding pass. Frames of about 10 ms; past kMaxFrames (a file of
// several hours) neighbours are merged into frames twice as long, so memory
// stays bounded. Not thread-safe: the owner locks.
class LevelMeter {
public:
    static constexpr std::size_t kMaxFrames = std::size_t(1) << 21;  // 8 MiB of levels
    static constexpr double kFrameSeconds = 0.01;

    explicit LevelMeter(int sampleRate);

    void add(const float* samples, std::size_t count);
    // Closes the last, partly filled frame.
    void finish();
    LevelTrack track() const;

private:
    void closeFrame();

    std::int64_t m_perFrame;
    int m_rate;
    std::vector<float> m_levels;
    double m_open = 0.0;  // sum of squares of the open frame
    std::int64_t m_openCount = 0;
};
