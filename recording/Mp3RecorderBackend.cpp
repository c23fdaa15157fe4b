#include "recording/Mp3RecorderBackend.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <system_error>
#include <vector>

namespace {
constexpr int kSampleRate = 44100;
constexpr int kChunkMs = 50;
}

Mp3RecorderBackend::Mp3RecorderBackend(std::unique_ptr<ICaptureSource> source) : m_source(std::move(source)) {}

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

bool Mp3RecorderBackend::IsRecording() const { return m_worker.joinable() && !m_ended.load(); }

bool Mp3RecorderBackend::IsPaused() const { return IsRecording() && m_paused.load(); }

bool Mp3RecorderBackend::startTake(const std::string& path)
{
    if (path.empty() || !m_source) return false;
    // The device is opened before the file so that a missing device leaves
    // an earlier recording of the same name untouched.
    CaptureFormat format{kSampleRate, 1};
    if (!m_source->open(format)) return false;
    if (!m_encoder.open(format)) {
        m_source->close();
        return false;
    }
    const auto earlier = m_recordedFrames.find(path);
    const bool append = earlier != m_recordedFrames.end();
    if (!m_file.open(path, append)) {
        m_encoder.close();
        m_source->close();
        return false;
    }
    m_format = format;
    m_frames.store(append ? earlier->second : 0);
    m_takePath = path;
    m_stop.store(false);
    m_paused.store(false);
    m_ended.store(false);
    try {
        m_worker = std::thread(&Mp3RecorderBackend::run, this);
    } catch (const std::system_error&) {
        m_file.close();
        m_encoder.close();
        m_source->close();
        return false;
    }
    m_recordedFrames[path] = m_frames.load();
    return true;
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

void Mp3RecorderBackend::run()
{
    const auto channels = static_cast<std::size_t>(m_format.channels);
    std::vector<std::int16_t> buffer(static_cast<std::size_t>(m_format.sampleRate * kChunkMs / 1000) * channels);
    bool writable = true;
    while (!m_stop.load()) {
        const std::ptrdiff_t frames = m_source->read(buffer);
        if (frames < 0) break;
        // Paused audio is read and dropped, so nothing stale waits in the
        // server's buffer for the resume.
        if (frames == 0 || m_paused.load()) continue;
        const auto n = static_cast<std::size_t>(frames);
        if (!m_file.write(m_encoder.encode({buffer.data(), n * channels}))) {
            writable = false;
            break;
        }
        m_frames.fetch_add(n);
    }
    if (writable)
        m_file.write(m_encoder.flush());
    else
        m_encoder.close();
    m_file.close();
    m_source->close();
    m_ended.store(true);
}
