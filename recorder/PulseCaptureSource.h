#pragma once

#include "recorder/ICaptureSource.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;
struct PulseApi;
struct PulseLibrary;

// Captures the sound server's default input through libpulse's
// asynchronous API on its own threaded main loop. The loop's callbacks
// queue the audio; read() takes it from the queue with a short wait, so no
// call ever waits on a server that hangs, dies or is slow. A reader that
// falls behind loses nothing: the queue keeps up to backlogLimit of audio,
// and beyond that the source ends as overrun. The stream
// follows the server's default source. libpulse is loaded at the first
// open(); without it open() fails and lastError() says why.
class PulseCaptureSource : public ICaptureSource {
public:
    // open() gives up on a server that does not answer within openTimeout.
    // Without a library, the process's libpulse (Pulse()).
    explicit PulseCaptureSource(std::chrono::milliseconds openTimeout = std::chrono::seconds(3),
                                const PulseLibrary* library = nullptr,
                                std::chrono::seconds backlogLimit = std::chrono::seconds(60));
    ~PulseCaptureSource() override;

    PulseCaptureSource(const PulseCaptureSource&) = delete;
    PulseCaptureSource& operator=(const PulseCaptureSource&) = delete;

    bool open(CaptureFormat& format) override;
    std::ptrdiff_t read(std::span<std::int16_t> buffer) override;
    void close() override;
    std::size_t queuedFrames() const override;
    std::optional<std::uint64_t> capturedFrames() const override { return m_captured.load(); }
    std::string lastError() const override;

private:
    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onReadable(pa_stream* stream, std::size_t bytes, void* self);
    // What the context's and the stream's state callbacks do alike: ready
    // sets readyFlag for open() to go on, an end fails with the reason the
    // context gives; other states are steps on the way.
    void settle(bool ready, bool ended, pa_context* context, bool& readyFlag);
    bool connectContext();
    bool connectStream(const CaptureFormat& format);
    // Waits for the loop's callbacks until ready or a failure; false on
    // failure or when the deadline passes.
    bool waitFor(const bool& ready, std::chrono::steady_clock::time_point deadline);
    void fail(const std::string& reason);
    // Adds samples (silence for nullptr) to the queue, or ends as overrun.
    void queue(const std::int16_t* samples, std::size_t count, std::size_t channels, std::size_t limit);

    std::chrono::milliseconds m_openTimeout;
    std::chrono::seconds m_backlogLimit;
    const PulseLibrary* m_library;
    const PulseApi* m_pa = nullptr;  // set while open
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    int m_channels = 1;
    std::atomic<std::uint64_t> m_captured{0};  // frames queued since open

    // Shared with the loop's thread.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::int16_t> m_queue;  // captured samples not yet read
    bool m_contextReady = false;
    bool m_streamReady = false;
    bool m_failed = false;
    bool m_overrun = false;
    std::string m_error;
};
