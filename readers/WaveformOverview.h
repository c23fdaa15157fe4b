#pragma once

#include "player/IWaveformOverview.h"
#include "player/LevelMeter.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// The peaks of a media file's audio, decoded on a thread of its own with
// FFmpeg's libraries while the file plays. The peaks fill in from the start;
// readers on the GUI thread take what is there so far. Destroying the
// overview stops the thread promptly (it checks between packets, and an
// interrupt callback cuts short any blocking read) and waits for it.
class WaveformOverview : public IWaveformOverview {
public:
    // `changed` runs on the decoding thread, at most every few tens of
    // milliseconds while peaks come in and once on every change of state;
    // it must only post.
    WaveformOverview(std::string path, std::function<void()> changed);
    ~WaveformOverview() override;
    WaveformOverview(const WaveformOverview&) = delete;
    WaveformOverview& operator=(const WaveformOverview&) = delete;

    State state() const override { return m_state.load(); }
    const std::string& path() const { return m_path; }

    std::vector<Peak> columns(double from, double to, int count) const override;
    double decodedSeconds() const override;
    float loudest() const override;
    LevelTrack levels() const override;
    // Memory held for the peaks.
    std::size_t bytesReserved() const;

private:
    struct Decoder;
    void run();
    void setState(State state);
    void notifyNow();
    void notifyThrottled();
    static int interrupted(void* self);

    const std::string m_path;
    const std::function<void()> m_changed;
    std::atomic<bool> m_stop{false};
    std::atomic<State> m_state{State::Opening};
    mutable std::mutex m_mutex;
    std::optional<PeakStore> m_store;  // under m_mutex
    std::optional<LevelMeter> m_meter; // under m_mutex
    std::int64_t m_lastNotifyMs = 0;   // decoding thread only
    std::thread m_thread;              // last: starts once everything above exists
};
