#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// The lowest and highest sample of a stretch of audio, in -1..1.
struct Peak {
    float low = 0.0f;
    float high = 0.0f;
    bool empty() const { return low > high; }
    static Peak None() { return Peak{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}; }
};

// Peaks of a whole file in a fixed number of buckets: while samples come in,
// each bucket takes the peaks of `samplesPerBucket` of them. When the
// buckets run out (the file is longer than announced) neighbours are merged
// and each covers twice as many samples, so memory stays bounded whatever
// the file's length. Not thread-safe: the owner locks.
class PeakStore {
public:
    static constexpr std::size_t kMaxBuckets = std::size_t(1) << 18;  // 2 MiB of peaks
    static constexpr std::int64_t kMinSamplesPerBucket = 16;

    // expectedSamples may be 0 when the length is unknown.
    PeakStore(int sampleRate, std::int64_t expectedSamples);

    void add(const float* samples, std::size_t count);
    // Closes the last, partly filled bucket.
    void finish();

    int sampleRate() const { return m_rate; }
    std::int64_t samplesPerBucket() const { return m_perBucket; }
    std::size_t bucketCount() const { return m_buckets.size(); }
    // Seconds of audio the buckets cover so far.
    double coveredSeconds() const;
    // The highest absolute sample seen so far.
    float loudest() const { return m_loudest; }
    std::size_t bytesReserved() const { return m_buckets.capacity() * sizeof(Peak); }

    // Peaks of `columns` equal stretches of [from, to) seconds; a column
    // beyond what has been decoded is empty.
    std::vector<Peak> columns(double from, double to, int columns) const;

private:
    void closeBucket();
    void halveResolution();

    int m_rate;
    std::int64_t m_perBucket;
    std::vector<Peak> m_buckets;
    Peak m_open = Peak::None();
    std::int64_t m_openCount = 0;
    float m_loudest = 0.0f;
};
