#include "recorder/Mp3RecorderBackend.h"

#include "recorder/BackgroundTakes.h"
#include "recorder/Mp3Encoder.h"
#include "recorder/OutputFile.h"
#include "recorder/TakeWorker.h"

#include <algorithm>
#include <climits>
#include <system_error>

Mp3RecorderBackend::Mp3RecorderBackend(std::unique_ptr<ICaptureSource> source, std::unique_ptr<IAudioEncoder> encoder,
                                       std::unique_ptr<IOutputFile> file)
    : m_hasSource(source != nullptr)
{
    if (!encoder) encoder = std::make_unique<Mp3Encoder>();
    if (!file) file = std::make_unique<OutputFile>();
    m_worker = std::make_shared<TakeWorker>(std::move(source), std::move(encoder), std::move(file));
}

// The program may quit without StopRec; the take is finished all the same,
// in the background if it takes longer than this call may.
Mp3RecorderBackend::~Mp3RecorderBackend()
{
    if (m_worker->abandon())
        FinishInBackground(std::move(m_thread), m_worker);
    else if (m_thread.joinable())
        m_thread.join();  // it has returned already
}

void Mp3RecorderBackend::SetFileName(const std::string& path) { m_nextPath = path; }

bool Mp3RecorderBackend::StartRec()
{
    // Record pressed again on the running take: carry on, never restart.
    if (m_worker->isRecording(&m_nextPath)) {
        m_worker->resume();
        return true;
    }
    ask(true, m_nextPath);
    return !m_nextPath.empty() && m_hasSource;
}

void Mp3RecorderBackend::PauseRec() { m_worker->togglePause(); }

void Mp3RecorderBackend::StopRec()
{
    if (m_worker->isRecording()) ask(false, {});
}

int Mp3RecorderBackend::GetFileSize() { return static_cast<int>(std::min<std::uint64_t>(m_worker->fileSize(), INT_MAX)); }

int Mp3RecorderBackend::GetRSec()
{
    return static_cast<int>(std::min<std::uint64_t>(m_worker->frames() / TakeWorker::kSampleRate, INT_MAX));
}

void Mp3RecorderBackend::ReplaceFile(const std::string& path) { m_worker->replaceFile(path); }

std::string Mp3RecorderBackend::TakeFailureMessage()
{
    const auto failure = m_worker->takeFailure();
    return failure ? DescribeTakeFailure(*failure) : std::string();
}

bool Mp3RecorderBackend::IsRecording() const { return m_worker->isRecording(); }

bool Mp3RecorderBackend::IsPaused() const { return m_worker->isPaused(); }

bool Mp3RecorderBackend::WaitSettled(std::chrono::milliseconds timeout) const { return m_worker->waitSettled(timeout); }

void Mp3RecorderBackend::ask(bool record, const std::string& path)
{
    if (!m_worker->request(record, path)) return;  // the running worker takes it up
    // The last worker thread has said it is done and is returning.
    if (m_thread.joinable()) m_thread.join();
    try {
        m_thread = std::thread([worker = m_worker] { worker->run(); });
    } catch (const std::system_error&) {
        m_worker->threadFailed();
    }
}
