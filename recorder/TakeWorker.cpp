#include "recorder/TakeWorker.h"

#include "recorder/RecordingTarget.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {
constexpr int kChunkMs = 50;
// How much a power cut may cost of a running take.
constexpr auto kSyncInterval = std::chrono::seconds(2);

std::string encoderFailure(int error) { return "the MP3 encoder failed (error " + std::to_string(error) + ")"; }

std::string unwritable(const std::string& path, const std::string& why)
{
    return "The recording could not be written to " + path + ": " + why;
}
}

// One take, as the worker thread sees it.
struct TakeWorker::Take {
    std::uint64_t generation = 0;
    std::string path;
    CaptureFormat format{kSampleRate, 1};
    std::uint64_t startFrames = 0;  // in the file before this take
    std::uint64_t startBytes = 0;
    std::uint64_t readFrames = 0;  // from the source since it was opened
    bool paused = false;
    bool stopAsked = false;  // ended on request rather than by itself
    bool fileIntact = true;  // false once a chunk did not reach the file
    std::string failure;     // what ended the take: "the disk is full"
    std::chrono::steady_clock::time_point lastSync;
};

TakeWorker::TakeWorker(std::unique_ptr<ICaptureSource> source, std::unique_ptr<IAudioEncoder> encoder,
                       std::unique_ptr<IOutputFile> file)
    : m_source(std::move(source)), m_encoder(std::move(encoder)), m_file(std::move(file))
{
}

TakeWorker::~TakeWorker() = default;

bool TakeWorker::request(bool record, const std::string& path)
{
    std::lock_guard lock(m_mutex);
    want(Request{m_wanted.generation + 1, record, path});
    if (m_threadRunning) return false;
    m_threadRunning = true;
    return true;
}

bool TakeWorker::isRecording(const std::string* path) const
{
    std::lock_guard lock(m_mutex);
    return m_wanted.record && m_ended != m_wanted.generation && (!path || *path == m_wanted.path);
}

bool TakeWorker::isPaused() const
{
    std::lock_guard lock(m_mutex);
    return m_wanted.record && m_ended != m_wanted.generation && m_paused;
}

void TakeWorker::togglePause()
{
    std::lock_guard lock(m_mutex);
    if (m_wanted.record && m_ended != m_wanted.generation) togglePauseLocked();
}

void TakeWorker::resume()
{
    std::lock_guard lock(m_mutex);
    if (m_paused) togglePauseLocked();
}

void TakeWorker::togglePauseLocked()
{
    m_paused = !m_paused;
    m_pauses.press({m_wanted.generation, pressPosition(), m_paused});
}

std::optional<std::uint64_t> TakeWorker::pressPosition() const
{
    return m_takeOpen ? m_source->capturedFrames() : std::nullopt;
}

// The first request after a take began marks where that take ends.
void TakeWorker::want(Request request)
{
    if (m_takeOpen) {
        m_endAt = pressPosition();
        m_takeOpen = false;
    }
    m_wanted = std::move(request);
    m_paused = false;
    m_changed.notify_all();
}

void TakeWorker::replaceFile(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    m_replace.insert(path);
}

std::optional<TakeFailure> TakeWorker::takeFailure()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_failure, std::nullopt);
}

bool TakeWorker::abandon()
{
    std::lock_guard lock(m_mutex);
    m_abandoned = true;
    if (m_failure) std::fprintf(stderr, "quillora: %s\n", DescribeTakeFailure(*m_failure).c_str());
    m_failure.reset();
    if (m_wanted.record && m_ended != m_wanted.generation) want(Request{m_wanted.generation + 1, false, {}});
    return m_threadRunning;
}

bool TakeWorker::waitSettled(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_settled == m_wanted.generation; });
}

bool TakeWorker::waitThreadDone(std::chrono::steady_clock::time_point deadline) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_until(lock, deadline, [this] { return !m_threadRunning; });
}

void TakeWorker::threadFailed()
{
    std::lock_guard lock(m_mutex);
    m_threadRunning = false;
    m_settled = m_ended = m_wanted.generation;
    if (m_wanted.record) m_failure = TakeFailure{"The recording could not be started", {}, 0, kSampleRate};
    m_changed.notify_all();
}

void TakeWorker::run()
{
    std::unique_lock lock(m_mutex);
    while (m_settled != m_wanted.generation) {
        const Request request = m_wanted;
        lock.unlock();
        // A running take is always finished before record() returns, so a
        // request for no take is done once here.
        if (request.record) record(request);
        lock.lock();
        if (!request.record) m_settled = request.generation;
        m_changed.notify_all();
    }
    m_threadRunning = false;
    m_changed.notify_all();
}

void TakeWorker::record(const Request& request)
{
    Take take;
    take.generation = request.generation;
    take.path = request.path;
    // Nothing of the last take is shown while this one starts.
    m_file->reset();
    m_frames.store(0);
    if (take.path.empty() || !m_source) {
        refuseStart(take, "No file was named for the recording");
        return;
    }
    if (!openTake(take)) return;
    capture(take);
    finishTake(take);
}

OpenMode TakeWorker::fileMode(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    if (m_replace.contains(path)) return OpenMode::Replace;
    return m_recordedFrames.contains(path) ? OpenMode::Append : OpenMode::Create;
}

bool TakeWorker::openTake(Take& take)
{
    // A FIFO, a folder or a device is never opened, nor the sound input for
    // it; the file's own open checks again, in case it changed meanwhile.
    const OpenMode mode = fileMode(take.path);
    if (const std::string why = RecordingTargetRefusal(InspectRecordingTarget(take.path), mode); !why.empty())
        return refuseStart(take, unwritable(take.path, why));
    // The device is opened before the file so that a missing device leaves
    // an earlier recording of the same name untouched.
    if (!m_source->open(take.format)) return refuseStart(take, "No sound input could be opened: " + m_source->lastError());
    bool current = false;
    {
        std::lock_guard lock(m_mutex);
        current = m_wanted.generation == take.generation;
        m_takeOpen = current;
        m_endAt.reset();
    }
    if (!current) {
        m_source->close();  // stopped while the input opened: nothing happened
        return false;
    }
    if (!m_encoder->open(take.format)) {
        m_source->close();
        const std::string why = m_encoder->openError();
        return refuseStart(take, "The MP3 encoder could not be started" + (why.empty() ? "" : ": " + why));
    }
    if (!m_file->open(take.path, mode)) {
        m_encoder->close();
        m_source->close();
        return refuseStart(take, unwritable(take.path, m_file->openFailure()));
    }
    {
        std::lock_guard lock(m_mutex);
        m_replace.erase(take.path);
    }
    take.startFrames = mode == OpenMode::Append ? m_recordedFrames[take.path] : 0;
    take.startBytes = m_file->size();
    take.lastSync = std::chrono::steady_clock::now();
    m_frames.store(take.startFrames);
    m_recordedFrames[take.path] = take.startFrames;
    m_buffer.assign(static_cast<std::size_t>(kSampleRate * kChunkMs / 1000 * take.format.channels), 0);
    settle(take.generation, false);
    return true;
}

bool TakeWorker::refuseStart(const Take& take, const std::string& what)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_wanted.generation == take.generation) m_takeOpen = false;
    }
    m_file->reset();
    m_frames.store(0);
    reportFailure(TakeFailure{what, {}, 0, kSampleRate});
    settle(take.generation, true);
    return false;
}

void TakeWorker::capture(Take& take)
{
    while (true) {
        const std::ptrdiff_t frames = m_source->read(m_buffer);
        if (frames == ICaptureSource::kOverrun) {
            take.failure = m_source->lastError();
            return;
        }
        if (frames < 0) {
            take.failure = "the sound input was lost (" + m_source->lastError() + ")";
            return;
        }
        bool current = true;
        std::optional<std::uint64_t> endAt;
        {
            std::lock_guard lock(m_mutex);
            current = m_wanted.generation == take.generation;
            if (!current) endAt = m_endAt;
        }
        if (frames > 0 && !recordRead(take, static_cast<std::size_t>(frames), endAt)) return;
        if (!current) {
            take.stopAsked = true;
            drainBacklog(take, endAt);
            return;
        }
    }
}

// What was captured before the stop belongs to the take, also when the
// encoder or the disk fell behind and it is still queued.
void TakeWorker::drainBacklog(Take& take, std::optional<std::uint64_t> endAt)
{
    const auto channels = static_cast<std::size_t>(take.format.channels);
    std::size_t left = m_source->queuedFrames();
    if (endAt) left = std::min<std::uint64_t>(left, *endAt - std::min(*endAt, take.readFrames));
    while (left > 0) {
        const std::size_t wanted = std::min(left, m_buffer.size() / channels);
        const std::ptrdiff_t frames = m_source->read(std::span(m_buffer).first(wanted * channels));
        if (frames <= 0 || !recordRead(take, static_cast<std::size_t>(frames), endAt)) return;
        left -= std::min(left, static_cast<std::size_t>(frames));
    }
}

// Paused audio is read and dropped, so nothing stale waits in the server's
// buffer for the resume.
bool TakeWorker::recordRead(Take& take, std::size_t frames, std::optional<std::uint64_t> endAt)
{
    const std::uint64_t first = take.readFrames;
    const std::uint64_t last = first + frames;
    take.readFrames = last;
    std::uint64_t at = first;
    while (at < last && !(endAt && at >= *endAt)) {
        const auto toggle = m_pauses.next(take.generation);
        if (toggle && (!toggle->at || *toggle->at <= at)) {
            take.paused = toggle->paused;
            m_pauses.dropNext();
            continue;
        }
        std::uint64_t end = last;
        if (toggle) end = std::min(end, *toggle->at);
        if (endAt) end = std::min(end, *endAt);
        if (!take.paused && !recordChunk(take, static_cast<std::size_t>(at - first), static_cast<std::size_t>(end - at)))
            return false;
        at = end;
    }
    return true;
}

bool TakeWorker::recordChunk(Take& take, std::size_t offset, std::size_t frames)
{
    const auto channels = static_cast<std::size_t>(take.format.channels);
    const auto bytes = m_encoder->encode({m_buffer.data() + offset * channels, frames * channels});
    if (m_encoder->error() < 0) {
        take.failure = encoderFailure(m_encoder->error());
        take.fileIntact = false;
        return false;
    }
    if (!m_file->write(bytes)) {
        take.failure = DescribeWriteError(m_file->lastError());
        take.fileIntact = false;
        return false;
    }
    m_frames.fetch_add(frames);
    if (std::chrono::steady_clock::now() - take.lastSync >= kSyncInterval) {
        if (!m_file->sync()) {
            take.failure = DescribeWriteError(m_file->lastError());
            take.fileIntact = false;
            return false;
        }
        take.lastSync = std::chrono::steady_clock::now();
    }
    return true;
}

void TakeWorker::finishTake(Take& take)
{
    if (take.fileIntact) {
        const auto tail = m_encoder->flush();
        if (m_encoder->error() < 0) {
            take.failure = encoderFailure(m_encoder->error());
            take.fileIntact = false;
        } else if (!m_file->write(tail)) {
            take.failure = DescribeWriteError(m_file->lastError());
            take.fileIntact = false;
        }
    }
    m_encoder->close();
    {
        std::lock_guard lock(m_mutex);
        if (m_wanted.generation == take.generation) m_takeOpen = false;
    }
    if (!take.fileIntact) countOnlyWrittenFrames(take);
    // The input is let go before the sync, which a slow disk can make long.
    m_source->close();
    if (!m_file->sync() && take.failure.empty()) take.failure = DescribeWriteError(m_file->lastError());
    m_file->close();
    m_recordedFrames[take.path] = m_frames.load();
    if (!take.failure.empty()) {
        const char* head = take.stopAsked ? "The recording could not be finished: " : "Recording stopped: ";
        reportFailure(TakeFailure{head + take.failure, take.path, m_frames.load(), kSampleRate});
    }
    if (!take.stopAsked) settle(take.generation, true);
}

// After a write or encoder failure the frames counted may exceed what
// reached the file; the count is brought back to the file's bytes.
void TakeWorker::countOnlyWrittenFrames(const Take& take)
{
    const std::uint64_t bytes = m_file->size() - std::min(m_file->size(), take.startBytes);
    const std::uint64_t written =
        take.startFrames + bytes * kSampleRate / static_cast<unsigned>(m_encoder->bytesPerSecond());
    m_frames.store(std::min(m_frames.load(), written));
}

void TakeWorker::settle(std::uint64_t generation, bool ended)
{
    std::lock_guard lock(m_mutex);
    m_settled = generation;
    if (ended) m_ended = generation;
    m_changed.notify_all();
}

void TakeWorker::reportFailure(TakeFailure failure)
{
    std::lock_guard lock(m_mutex);
    // A take finished after its recorder was destroyed has nobody to tell
    // but the terminal.
    if (m_abandoned)
        std::fprintf(stderr, "quillora: %s\n", DescribeTakeFailure(failure).c_str());
    else
        m_failure = std::move(failure);
}
