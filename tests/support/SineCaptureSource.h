#pragma once

#include "recorder/ICaptureSource.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// A synthetic capture source: a sine tone, either paced in real time or
// delivered as fast as it is read. In fast mode the test can hand out audio
// in measured portions (grant) and wait until the engine has taken all of
// it, so the amount recorded does not depend on timing.
struct SineOptions {
    double frequency = 440.0;
    int channels = 1;           // what open() reports it delivers
    bool realTime = false;
    bool gated = false;         // fast mode: deliver only what was granted
    bool failOpen = false;      // open() fails, as with no device
    double failAfterSeconds = 0; // read() fails after this much audio; 0 never
};

class SineCaptureSource : public ICaptureSource {
public:
    explicit SineCaptureSource(SineOptions options) : m_options(options) {}

    bool open(CaptureFormat& format) override;
    std::ptrdiff_t read(std::span<std::int16_t> buffer) override;
    void close() override;
    // Real-time mode: the tone runs on while nobody reads, as a live input
    // does, and what was not read yet counts as queued.
    std::size_t queuedFrames() const override;
    std::optional<std::uint64_t> capturedFrames() const override;

    // Gated mode: make this much more audio available.
    void grant(double seconds);
    // Gated mode: waits until every granted frame was read and the reader
    // came back for more, i.e. the engine has handled all of it.
    bool waitDrained(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    int opens() const;
    bool isOpen() const;

private:
    std::int64_t capturedLocked() const;

    SineOptions m_options;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_rate = 44100;
    bool m_open = false;
    int m_opens = 0;
    std::int64_t m_granted = 0;
    std::int64_t m_delivered = 0;      // over all opens
    std::int64_t m_openedAt = 0;       // m_delivered when last opened
    std::int64_t m_idleAfter = -1;     // m_delivered at the last empty read
    std::chrono::steady_clock::time_point m_start;
};
