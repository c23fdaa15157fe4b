#include "player/LevelMeter.h"

#include <algorithm>
#include <cmath>

LevelMeter::LevelMeter(int sampleRate)
    : m_perFrame(std::max<std::int64_t>(1, std::llround(std::max(1, sampleRate) * kFrameSeconds))),
      m_rate(std::max(1, sampleRate))
{
}

// Runs over every sample of a file, a frame's worth at a time: eight
// partial sums, which the compiler keeps in vector registers without being
// allowed to reorder one sum itself.
void LevelMeter::add(const float* samples, std::size_t count)
{
    while (count > 0) {
        const std::size_t n = std::min(count, static_cast<std::size_t>(m_perFrame - m_openCount));
        float part[8] = {};
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8)
            for (std::size_t k = 0; k < 8; ++k)
                part[k] += samples[i + k] * samples[i + k];
        float sum = 0.0f;
        for (; i < n; ++i)
            sum += samples[i] * samples[i];
        for (float p : part)
            sum += p;
        m_open += sum;
        m_openCount += static_cast<std::int64_t>(n);
        samples += n;
        count -= n;
        if (m_openCount == m_perFrame)
            closeFrame();
    }
}

void LevelMeter::finish()
{
    if (m_openCount > 0)
        closeFrame();
}

void LevelMeter::closeFrame()
{
    // A sample that is not finite (a broken stream) silences its frame
    // rather than poisoning the levels.
    const double level = std::sqrt(m_open / double(m_openCount));
    m_levels.push_back(std::isfinite(level) ? static_cast<float>(std::min(level, 1e3)) : 0.0f);
    m_open = 0.0;
    m_openCount = 0;
    if (m_levels.size() < kMaxFrames)
        return;
    // Two frames' RMS as one: the root of their mean square.
    const std::size_t half = m_levels.size() / 2;
    for (std::size_t i = 0; i < half; ++i) {
        const double a = m_levels[2 * i], b = m_levels[2 * i + 1];
        m_levels[i] = static_cast<float>(std::sqrt((a * a + b * b) / 2.0));
    }
    m_levels.resize(half);
    m_perFrame *= 2;
}

LevelTrack LevelMeter::track() const { return LevelTrack{double(m_perFrame) / m_rate, m_levels}; }
