#pragma once

#include "recording/ICaptureSource.h"
#include "recording/IRecorderBackend.h"
#include "recording/Mp3Encoder.h"
#include "recording/OutputFile.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>

// Records a capture source to an MP3 file on a worker thread. The worker
// owns the encoder and the file while a take runs; the GUI thread only
// flips atomics and reads counters, so the getters never wait on encoding.
class Mp3RecorderBackend : public IRecorderBackend {
public:
    explicit Mp3RecorderBackend(std::unique_ptr<ICaptureSource> source);
    ~Mp3RecorderBackend() override;

    Mp3RecorderBackend(const Mp3RecorderBackend&) = delete;
    Mp3RecorderBackend& operator=(const Mp3RecorderBackend&) = delete;

    void SetFileName(const std::string& path) override;
    bool StartRec() override;
    void PauseRec() override;
    void StopRec() override;
    int GetFileSize() override;
    int GetRSec() override;

    // True while a take runs (paused or not); false once it was stopped or
    // ended by itself on a write or capture failure.
    bool IsRecording() const;
    bool IsPaused() const;

private:
    bool startTake(const std::string& path);
    void finishTake();
    void reapEndedTake();
    void run();

    std::unique_ptr<ICaptureSource> m_source;
    Mp3Encoder m_encoder;
    OutputFile m_file;
    CaptureFormat m_format;
    std::string m_nextPath;
    std::string m_takePath;
    // Files recorded in this run and the frames each holds: these are
    // appended to, never truncated again.
    std::map<std::string, std::uint64_t> m_recordedFrames;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_ended{false};
    std::atomic<std::uint64_t> m_frames{0};  // in the current file, earlier takes included
};
