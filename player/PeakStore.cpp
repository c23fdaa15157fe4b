#include "player/PeakStore.h"

#include <algorithm>
#include <cmath>

namespace {
Peak merged(Peak a, Peak b)
{
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    return Peak{std::min(a.low, b.low), std::max(a.high, b.high)};
}
}  // namespace

PeakStore::PeakStore(int sampleRate, std::int64_t expectedSamples) : m_rate(std::max(1, sampleRate))
{
    const auto buckets = static_cast<std::int64_t>(kMaxBuckets);
    m_perBucket = std::max(kMinSamplesPerBucket, (expectedSamples + buckets - 1) / buckets);
    m_buckets.reserve(kMaxBuckets);
}

// Runs over every sample of a file: a bucket's worth at a time, in a loop
// the compiler can vectorise. A NaN from a broken stream fails both
// comparisons and so counts as nothing.
void PeakStore::add(const float* samples, std::size_t count)
{
    while (count > 0) {
        const std::size_t n = std::min(count, static_cast<std::size_t>(m_perBucket - m_openCount));
        float low = m_open.low, high = m_open.high;
        for (std::size_t i = 0; i < n; ++i) {
            const float s = samples[i];
            low = s < low ? s : low;
            high = s > high ? s : high;
        }
        m_open = Peak{low, high};
        m_openCount += static_cast<std::int64_t>(n);
        samples += n;
        count -= n;
        if (m_openCount == m_perBucket)
            closeBucket();
    }
}

void PeakStore::finish()
{
    if (m_openCount > 0)
        closeBucket();
}

void PeakStore::closeBucket()
{
    if (!m_open.empty())
        m_loudest = std::max({m_loudest, std::abs(m_open.low), std::abs(m_open.high)});
    m_buckets.push_back(m_open);
    m_open = Peak::None();
    m_openCount = 0;
    if (m_buckets.size() == kMaxBuckets)
        halveResolution();
}

void PeakStore::halveResolution()
{
    const std::size_t half = m_buckets.size() / 2;
    for (std::size_t i = 0; i < half; ++i)
        m_buckets[i] = merged(m_buckets[2 * i], m_buckets[2 * i + 1]);
    m_buckets.resize(half);
    m_perBucket *= 2;
}

double PeakStore::coveredSeconds() const
{
    return double(std::int64_t(m_buckets.size()) * m_perBucket) / m_rate;
}

std::vector<Peak> PeakStore::columns(double from, double to, int count) const
{
    std::vector<Peak> out(static_cast<std::size_t>(std::max(0, count)), Peak::None());
    if (count <= 0 || !(to > from) || m_buckets.empty())
        return out;
    const double bucketsPerSecond = double(m_rate) / double(m_perBucket);
    const double step = (to - from) / count;
    const auto last = static_cast<std::int64_t>(m_buckets.size());
    for (int c = 0; c < count; ++c) {
        const double start = (from + c * step) * bucketsPerSecond;
        const double end = (from + (c + 1) * step) * bucketsPerSecond;
        auto first = static_cast<std::int64_t>(std::floor(start));
        // Zoomed in past the buckets' resolution, a column shows the bucket it lies in.
        auto stop = std::max(first + 1, static_cast<std::int64_t>(std::ceil(end)));
        first = std::max<std::int64_t>(first, 0);
        stop = std::min(stop, last);
        Peak p = Peak::None();
        for (std::int64_t b = first; b < stop; ++b)
            p = merged(p, m_buckets[static_cast<std::size_t>(b)]);
        out[static_cast<std::size_t>(c)] = p;
    }
    return out;
}
