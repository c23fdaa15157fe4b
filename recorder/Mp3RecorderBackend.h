#pragma once

#include "recorder/IAudioEncoder.h"
#include "recorder/ICaptureSource.h"
#include "recorder/IOutputFile.h"
#include "recorder/IRecorderBackend.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>

class TakeWorker;

// Records a capture source to an MP3 file. The takes run on a worker thread
// (TakeWorker), started when a command needs one and ended when it has
// nothing left to do; the GUI thread only states what it wants and reads
// counters, so no call waits for the sound server, the encoder or the disk.
// A start that fails there, and a take that ends by itself, are told once
// through TakeFailureMessage. A take still being finished when the backend
// is destroyed goes on in the background, and the process waits for it at
// exit (BackgroundTakes).
class Mp3RecorderBackend : public IRecorderBackend {
public:
    // Without an encoder, LAME as Mp3Encoder sets it up; without a file, an
    // OutputFile.
    explicit Mp3RecorderBackend(std::unique_ptr<ICaptureSource> source, std::unique_ptr<IAudioEncoder> encoder = {},
                                std::unique_ptr<IOutputFile> file = {});
    ~Mp3RecorderBackend() override;

    Mp3RecorderBackend(const Mp3RecorderBackend&) = delete;
    Mp3RecorderBackend& operator=(const Mp3RecorderBackend&) = delete;

    void SetFileName(const std::string& path) override;
    // True when a take was asked for (a file is named); whether it runs is
    // known a moment later (IsRecording, TakeFailureMessage).
    bool StartRec() override;
    void PauseRec() override;
    void StopRec() override;
    int GetFileSize() override;
    int GetRSec() override;
    void ReplaceFile(const std::string& path) override;
    std::string TakeFailureMessage() override;

    // True from a start until it failed, the take was stopped or ended by
    // itself on a write, encoder or capture failure.
    bool IsRecording() const;
    bool IsPaused() const;
    // Waits until the worker took up every command so far: the take runs or
    // its start failed, a stopped take is finished in its file. False when
    // timeout passed first.
    bool WaitSettled(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    void ask(bool record, const std::string& path);

    std::shared_ptr<TakeWorker> m_worker;
    std::thread m_thread;
    std::string m_nextPath;
    bool m_hasSource;
};
