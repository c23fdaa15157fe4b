#pragma once

#include "recording/IAudioEncoder.h"
#include "recording/ICaptureSource.h"
#include "recording/IRecorderBackend.h"
#include "recording/OutputFile.h"
#include "recording/TakeFailure.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

// Records a capture source to an MP3 file on a worker thread. The worker
// owns the encoder and the file while a take runs; the GUI thread only
// flips atomics and reads counters, so the getters never wait on encoding.
// The worker never blocks for long (the source's read() waits a chunk at
// most), so stopping is quick whatever the sound server does.
class Mp3RecorderBackend : public IRecorderBackend {
public:
    // Without an encoder, LAME as Mp3Encoder sets it up.
    explicit Mp3RecorderBackend(std::unique_ptr<ICaptureSource> source, std::unique_ptr<IAudioEncoder> encoder = {});
    ~Mp3RecorderBackend() override;

    Mp3RecorderBackend(const Mp3RecorderBackend&) = delete;
    Mp3RecorderBackend& operator=(const Mp3RecorderBackend&) = delete;

    void SetFileName(const std::string& path) override;
    bool StartRec() override;
    void PauseRec() override;
    void StopRec() override;
    int GetFileSize() override;
    int GetRSec() override;
    void ReplaceFile(const std::string& path) override;
    std::string TakeFailureMessage() override;

    // True while a take runs (paused or not); false once it was stopped or
    // ended by itself on a write, encoder or capture failure.
    bool IsRecording() const;
    bool IsPaused() const;

private:
    bool startTake(const std::string& path);
    // A start that led nowhere: nothing of a take is shown, the user is told.
    bool refuseStart(const std::string& what);
    void finishTake();
    void reapEndedTake();
    void run();
    // After a write or encoder failure the frames counted may exceed what
    // reached the file; the count is brought back to the file's bytes.
    void countOnlyWrittenFrames();
    void reportFailure(TakeFailure failure);

    std::unique_ptr<ICaptureSource> m_source;
    std::unique_ptr<IAudioEncoder> m_encoder;
    OutputFile m_file;
    CaptureFormat m_format;
    std::string m_nextPath;
    std::string m_takePath;
    // Files recorded in this run and the frames each holds: these are
    // appended to, unless the user agreed to replace them (m_replace).
    std::map<std::string, std::uint64_t> m_recordedFrames;
    std::set<std::string> m_replace;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_ended{false};
    std::atomic<std::uint64_t> m_frames{0};  // in the current file, earlier takes included
    std::uint64_t m_takeStartFrames = 0;     // of those, in the file before this take
    std::uint64_t m_takeStartBytes = 0;
    std::mutex m_failureMutex;
    std::optional<TakeFailure> m_failure;
};
