#include "recorder/PulseCaptureSource.h"

#include "recorder/PulseLibrary.h"

#include <algorithm>
#include <string>

namespace {
// The longest read() waits for audio; a stop is noticed within about this.
constexpr auto kReadWait = std::chrono::milliseconds(50);

// The loop's lock for the scope, as the asynchronous API requires around
// every call made from outside the loop's thread.
class LoopLock {
public:
    LoopLock(const PulseApi& pa, pa_threaded_mainloop* loop) : m_pa(pa), m_loop(loop) { m_pa.threaded_mainloop_lock(m_loop); }
    ~LoopLock() { m_pa.threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    const PulseApi& m_pa;
    pa_threaded_mainloop* m_loop;
};
}

PulseCaptureSource::PulseCaptureSource(std::chrono::milliseconds openTimeout, const PulseLibrary* library,
                                       std::chrono::seconds backlogLimit)
    : m_openTimeout(openTimeout), m_backlogLimit(backlogLimit), m_library(library)
{
}

PulseCaptureSource::~PulseCaptureSource() { close(); }

bool PulseCaptureSource::open(CaptureFormat& format)
{
    close();
    {
        std::lock_guard lock(m_mutex);
        m_error.clear();
    }
    const PulseLibrary& library = m_library ? *m_library : Pulse();
    if (!library.error.empty()) {
        fail("the sound library could not be loaded (" + library.error + ")");
        return false;
    }
    m_pa = &library.api;
    m_captured.store(0);
    m_loop = m_pa->threaded_mainloop_new();
    if (!m_loop || m_pa->threaded_mainloop_start(m_loop) < 0) {
        fail("the sound system could not be started");
        close();
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + m_openTimeout;
    if (!connectContext() || !waitFor(m_contextReady, deadline) || !connectStream(format)
        || !waitFor(m_streamReady, deadline)) {
        close();
        return false;
    }
    m_channels = format.channels;
    return true;
}

bool PulseCaptureSource::connectContext()
{
    LoopLock lock(*m_pa, m_loop);
    m_context = m_pa->context_new(m_pa->threaded_mainloop_get_api(m_loop), "Quillora");
    if (!m_context) {
        fail("the sound system could not be started");
        return false;
    }
    m_pa->context_set_state_callback(m_context, &PulseCaptureSource::onContextState, this);
    if (m_pa->context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        fail(m_pa->strerror(m_pa->context_errno(m_context)));
        return false;
    }
    return true;
}

bool PulseCaptureSource::connectStream(const CaptureFormat& format)
{
    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = static_cast<uint32_t>(format.sampleRate);
    sampleFormat.channels = static_cast<uint8_t>(format.channels);

    // Without an explicit fragment size the server may deliver record data in
    // chunks of seconds; 50 ms keeps the file close behind the microphone.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(-1);
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(m_pa->usec_to_bytes(50 * 1000, &sampleFormat));

    LoopLock lock(*m_pa, m_loop);
    m_stream = m_pa->stream_new(m_context, "Voice recording", &sampleFormat, nullptr);
    if (!m_stream) {
        fail(m_pa->strerror(m_pa->context_errno(m_context)));
        return false;
    }
    m_pa->stream_set_state_callback(m_stream, &PulseCaptureSource::onStreamState, this);
    m_pa->stream_set_read_callback(m_stream, &PulseCaptureSource::onReadable, this);
    if (m_pa->stream_connect_record(m_stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY) < 0) {
        fail(m_pa->strerror(m_pa->context_errno(m_context)));
        return false;
    }
    return true;
}

bool PulseCaptureSource::waitFor(const bool& ready, std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    if (m_changed.wait_until(lock, deadline, [&] { return ready || m_failed; }))
        return !m_failed;
    m_failed = true;
    m_error = "the sound server does not answer";
    return false;
}

std::ptrdiff_t PulseCaptureSource::read(std::span<std::int16_t> buffer)
{
    const auto channels = static_cast<std::size_t>(m_channels);
    std::unique_lock lock(m_mutex);
    if (!m_loop) return -1;
    m_changed.wait_for(lock, kReadWait, [this] { return !m_queue.empty() || m_failed; });
    // What arrived before a failure is still delivered.
    if (m_queue.empty()) return m_failed ? (m_overrun ? kOverrun : kLost) : 0;
    const std::size_t frames = std::min(buffer.size(), m_queue.size()) / channels;
    const std::size_t samples = frames * channels;
    std::copy_n(m_queue.begin(), samples, buffer.begin());
    m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(samples));
    return static_cast<std::ptrdiff_t>(frames);
}

void PulseCaptureSource::close()
{
    if (m_loop) {
        {
            LoopLock lock(*m_pa, m_loop);
            // Nothing here waits for the server: disconnecting only queues
            // a message and closes the socket.
            if (m_stream) {
                m_pa->stream_set_state_callback(m_stream, nullptr, nullptr);
                m_pa->stream_set_read_callback(m_stream, nullptr, nullptr);
                m_pa->stream_disconnect(m_stream);
                m_pa->stream_unref(m_stream);
            }
            if (m_context) {
                m_pa->context_set_state_callback(m_context, nullptr, nullptr);
                m_pa->context_disconnect(m_context);
                m_pa->context_unref(m_context);
            }
        }
        m_pa->threaded_mainloop_stop(m_loop);
        m_pa->threaded_mainloop_free(m_loop);
    }
    m_stream = nullptr;
    m_context = nullptr;
    m_loop = nullptr;
    std::lock_guard lock(m_mutex);
    m_queue.clear();
    m_contextReady = m_streamReady = m_failed = m_overrun = false;
}

std::size_t PulseCaptureSource::queuedFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.size() / static_cast<std::size_t>(m_channels);
}

std::string PulseCaptureSource::lastError() const
{
    std::lock_guard lock(m_mutex);
    return m_error.empty() ? "the sound input is not available" : m_error;
}

void PulseCaptureSource::fail(const std::string& reason)
{
    std::lock_guard lock(m_mutex);
    if (!m_failed) m_error = reason;
    m_failed = true;
    m_changed.notify_all();
}

void PulseCaptureSource::onContextState(pa_context* context, void* self)
{
    auto* source = static_cast<PulseCaptureSource*>(self);
    const pa_context_state_t state = source->m_pa->context_get_state(context);
    source->settle(state == PA_CONTEXT_READY, state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED,
                   context, source->m_contextReady);
}

void PulseCaptureSource::onStreamState(pa_stream* stream, void* self)
{
    auto* source = static_cast<PulseCaptureSource*>(self);
    const pa_stream_state_t state = source->m_pa->stream_get_state(stream);
    source->settle(state == PA_STREAM_READY, state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED,
                   source->m_pa->stream_get_context(stream), source->m_streamReady);
}

void PulseCaptureSource::settle(bool ready, bool ended, pa_context* context, bool& readyFlag)
{
    if (ended) {
        fail(m_pa->strerror(m_pa->context_errno(context)));
    } else if (ready) {
        std::lock_guard lock(m_mutex);
        readyFlag = true;
        m_changed.notify_all();
    }
}

void PulseCaptureSource::onReadable(pa_stream* stream, std::size_t, void* self)
{
    auto* source = static_cast<PulseCaptureSource*>(self);
    const PulseApi& pa = *source->m_pa;
    const pa_sample_spec* format = pa.stream_get_sample_spec(stream);
    const auto limit = static_cast<std::size_t>(source->m_backlogLimit.count()) * format->rate * format->channels;
    while (pa.stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        std::size_t bytes = 0;
        if (pa.stream_peek(stream, &data, &bytes) < 0 || bytes == 0) break;
        source->queue(static_cast<const std::int16_t*>(data), bytes / sizeof(std::int16_t), format->channels, limit);
        pa.stream_drop(stream);
    }
    std::lock_guard lock(source->m_mutex);
    source->m_changed.notify_all();
}

void PulseCaptureSource::queue(const std::int16_t* samples, std::size_t count, std::size_t channels, std::size_t limit)
{
    std::lock_guard lock(m_mutex);
    if (m_overrun) return;
    if (m_queue.size() + count > limit) {
        // Dropping audio here would leave a hole nobody hears of: the take
        // ends instead, keeping all that came before.
        m_overrun = true;
        if (!m_failed)
            m_error = "the recording fell more than " + std::to_string(m_backlogLimit.count()) + " s behind the sound input";
        m_failed = true;
        return;
    }
    // A hole the server reports (no data) is kept as silence, so what
    // follows stays in its place.
    if (samples)
        m_queue.insert(m_queue.end(), samples, samples + count);
    else
        m_queue.insert(m_queue.end(), count, std::int16_t{0});
    m_captured.fetch_add(count / channels);
}
