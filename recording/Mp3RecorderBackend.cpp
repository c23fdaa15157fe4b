#include "recording/Mp3RecorderBackend.h"

#include "recording/Mp3Encoder.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <system_error>
#include <vector>

namespace {
constexpr int kSampleRate = 44100;
constexpr int kChunkMs = 50;
// How much a power cut may cost of a running take.
constexpr auto kSyncInterval = std::chrono::seconds(2);

std::string encoderFailure(int error)
{
    return "Recording stopped: the MP3 encoder failed (error " + std::to_string(error) + ")";
}

std::string writeFailure(int error) { return "Recording stopped: " + DescribeWriteError(error); }
}

Mp3RecorderBackend::Mp3RecorderBackend(std::unique_ptr<ICaptureSource> source, std::unique_ptr<IAudioEncoder> encoder)
    : m_source(std::move(source)), m_encoder(encoder ? std::move(encoder) : std::make_unique<Mp3Encoder>())
{
}

// The program may quit without StopRec; the take is finished all the same.
Mp3RecorderBackend::~Mp3RecorderBackend() { finishTake(); }

void Mp3RecorderBackend::SetFileName(const std::string& path) { m_nextPath = path; }

bool Mp3RecorderBackend::StartRec()
{
    reapEndedTake();
    if (m_worker.joinable()) {
        // Record pressed again on the running take: carry on, never restart.
        if (m_nextPath == m_takePath && !m_ended.load()) {
            m_paused.store(false);
            return true;
        }
        finishTake();
    }
    return startTake(m_nextPath);
}

void Mp3RecorderBackend::PauseRec()
{
    reapEndedTake();
    if (m_worker.joinable()) m_paused.store(!m_paused.load());
}

void Mp3RecorderBackend::StopRec() { finishTake(); }

int Mp3RecorderBackend::GetFileSize()
{
    return static_cast<int>(std::min<std::uint64_t>(m_file.size(), INT_MAX));
}

int Mp3RecorderBackend::GetRSec()
{
    return static_cast<int>(std::min<std::uint64_t>(m_frames.load() / static_cast<unsigned>(m_format.sampleRate), INT_MAX));
}

void Mp3RecorderBackend::ReplaceFile(const std::string& path) { m_replace.insert(path); }

std::string Mp3RecorderBackend::TakeFailureMessage()
{
    std::lock_guard lock(m_failureMutex);
    if (!m_failure) return {};
    const std::string text = DescribeTakeFailure(*m_failure);
    m_failure.reset();
    return text;
}

bool Mp3RecorderBackend::IsRecording() const { return m_worker.joinable() && !m_ended.load(); }

bool Mp3RecorderBackend::IsPaused() const { return IsRecording() && m_paused.load(); }

bool Mp3RecorderBackend::startTake(const std::string& path)
{
    m_file.reset();
    m_frames.store(0);
    if (path.empty() || !m_source) return refuseStart("No file was named for the recording");
    // The device is opened before the file so that a missing device leaves
    // an earlier recording of the same name untouched.
    CaptureFormat format{kSampleRate, 1};
    if (!m_source->open(format)) return refuseStart("No sound input could be opened: " + m_source->lastError());
    if (!m_encoder->open(format)) {
        m_source->close();
        const std::string why = m_encoder->openError();
        return refuseStart("The MP3 encoder could not be started" + (why.empty() ? "" : ": " + why));
    }
    const auto earlier = m_recordedFrames.find(path);
    const bool append = earlier != m_recordedFrames.end() && !m_replace.contains(path);
    if (!m_file.open(path, append)) {
        m_encoder->close();
        m_source->close();
        return refuseStart("The recording could not be written to " + path + ": " + std::strerror(m_file.lastError()));
    }
    m_replace.erase(path);
    m_format = format;
    m_takeStartFrames = append ? earlier->second : 0;
    m_takeStartBytes = m_file.size();
    m_frames.store(m_takeStartFrames);
    m_takePath = path;
    m_stop.store(false);
    m_paused.store(false);
    m_ended.store(false);
    try {
        m_worker = std::thread(&Mp3RecorderBackend::run, this);
    } catch (const std::system_error&) {
        m_file.close();
        m_encoder->close();
        m_source->close();
        return refuseStart("The recording could not be started");
    }
    m_recordedFrames[path] = m_takeStartFrames;
    return true;
}

bool Mp3RecorderBackend::refuseStart(const std::string& what)
{
    m_file.reset();
    m_frames.store(0);
    reportFailure(TakeFailure{what, {}, 0, m_format.sampleRate});
    return false;
}

void Mp3RecorderBackend::reportFailure(TakeFailure failure)
{
    std::lock_guard lock(m_failureMutex);
    m_failure = std::move(failure);
}

void Mp3RecorderBackend::finishTake()
{
    if (!m_worker.joinable()) return;
    m_stop.store(true);
    m_worker.join();
    m_recordedFrames[m_takePath] = m_frames.load();
    m_paused.store(false);
}

// A take that ended by itself is joined at the next call, which then acts
// as after a stop.
void Mp3RecorderBackend::reapEndedTake()
{
    if (m_worker.joinable() && m_ended.load()) finishTake();
}

void Mp3RecorderBackend::countOnlyWrittenFrames()
{
    const std::uint64_t bytes = m_file.size() - std::min(m_file.size(), m_takeStartBytes);
    const std::uint64_t written =
        m_takeStartFrames + bytes * static_cast<unsigned>(m_format.sampleRate) / static_cast<unsigned>(m_encoder->bytesPerSecond());
    m_frames.store(std::min(m_frames.load(), written));
}

void Mp3RecorderBackend::run()
{
    const auto channels = static_cast<std::size_t>(m_format.channels);
    std::vector<std::int16_t> buffer(static_cast<std::size_t>(m_format.sampleRate * kChunkMs / 1000) * channels);
    std::string failure;
    bool fileIntact = true;  // false once a chunk did not reach the file
    auto lastSync = std::chrono::steady_clock::now();
    while (!m_stop.load()) {
        const std::ptrdiff_t frames = m_source->read(buffer);
        if (frames < 0) {
            failure = "Recording stopped: the sound input was lost (" + m_source->lastError() + ")";
            break;
        }
        // Paused audio is read and dropped, so nothing stale waits in the
        // server's buffer for the resume.
        if (frames == 0 || m_paused.load()) continue;
        const auto n = static_cast<std::size_t>(frames);
        const auto bytes = m_encoder->encode({buffer.data(), n * channels});
        if (m_encoder->error() < 0) {
            failure = encoderFailure(m_encoder->error());
            fileIntact = false;
            break;
        }
        if (!m_file.write(bytes)) {
            failure = writeFailure(m_file.lastError());
            fileIntact = false;
            break;
        }
        m_frames.fetch_add(n);
        if (std::chrono::steady_clock::now() - lastSync >= kSyncInterval) {
            m_file.sync();
            lastSync = std::chrono::steady_clock::now();
        }
    }
    if (fileIntact) {
        const auto tail = m_encoder->flush();
        if (m_encoder->error() < 0) {
            failure = encoderFailure(m_encoder->error());
            fileIntact = false;
        } else if (!m_file.write(tail)) {
            failure = writeFailure(m_file.lastError());
            fileIntact = false;
        }
    }
    m_encoder->close();
    if (!fileIntact) countOnlyWrittenFrames();
    m_file.sync();
    m_file.close();
    m_source->close();
    if (!failure.empty()) reportFailure(TakeFailure{failure, m_takePath, m_frames.load(), m_format.sampleRate});
    m_ended.store(true);
}
