#pragma once

#include "recorder/IAudioEncoder.h"
#include "recorder/ICaptureSource.h"
#include "recorder/IOutputFile.h"
#include "recorder/PausePresses.h"
#include "recorder/TakeFailure.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The recorder's machinery and the thread side of its takes. The GUI thread
// only states what it wants (a take to a file, or none) and reads figures;
// the worker thread opens the sound input, the encoder and the file, records,
// and finishes each take, one after another. Nothing the GUI thread calls
// waits for the sound server, the encoder or the disk. Held by shared
// pointer, so a take outlives the recorder that started it and is finished
// in the background.
class TakeWorker {
public:
    static constexpr int kSampleRate = 44100;

    TakeWorker(std::unique_ptr<ICaptureSource> source, std::unique_ptr<IAudioEncoder> encoder,
               std::unique_ptr<IOutputFile> file);
    ~TakeWorker();

    TakeWorker(const TakeWorker&) = delete;
    TakeWorker& operator=(const TakeWorker&) = delete;

    // GUI thread. Asks for a take to path, or with record false for none;
    // a running take ends first. True when a worker thread must be started
    // (none runs); the thread then calls run().
    bool request(bool record, const std::string& path);
    // A take to path was asked for and has not ended by itself.
    bool isRecording(const std::string* path = nullptr) const;
    bool isPaused() const;
    void togglePause();
    void resume();
    void replaceFile(const std::string& path);
    std::optional<TakeFailure> takeFailure();
    std::uint64_t fileSize() const { return m_file->size(); }
    std::uint64_t frames() const { return m_frames.load(); }
    // The owner is gone: no take is wanted any more, and a failure found
    // while finishing is written to stderr, since nobody else can hear it.
    bool abandon();
    // Until every request so far was taken up: a take runs or has failed, or
    // the take that was stopped is finished. False when timeout passed.
    bool waitSettled(std::chrono::milliseconds timeout) const;
    // Until the worker thread has nothing left to do and returns.
    bool waitThreadDone(std::chrono::steady_clock::time_point deadline) const;

    // Worker thread: serves the requests until none is left.
    void run();
    // The worker thread could not be started: the request fails as a start.
    void threadFailed();

private:
    struct Request {
        std::uint64_t generation = 0;
        bool record = false;
        std::string path;
    };
    struct Take;

    // Under m_mutex: what a press made now means for the take's audio.
    std::optional<std::uint64_t> pressPosition() const;
    void want(Request request);
    void togglePauseLocked();

    void record(const Request& request);
    // Worker thread: how the file of a take to path is to be opened.
    OpenMode fileMode(const std::string& path) const;
    bool openTake(Take& take);
    bool refuseStart(const Take& take, const std::string& what);
    void capture(Take& take);
    void drainBacklog(Take& take, std::optional<std::uint64_t> endAt);
    // Records what read() just gave, paused where the user paused and cut
    // where the stop was pressed; false when the take has to end.
    bool recordRead(Take& take, std::size_t frames, std::optional<std::uint64_t> endAt);
    bool recordChunk(Take& take, std::size_t offset, std::size_t frames);
    void finishTake(Take& take);
    void countOnlyWrittenFrames(const Take& take);
    void settle(std::uint64_t generation, bool ended);
    void reportFailure(TakeFailure failure);

    std::unique_ptr<ICaptureSource> m_source;
    std::unique_ptr<IAudioEncoder> m_encoder;
    std::unique_ptr<IOutputFile> m_file;
    std::vector<std::int16_t> m_buffer;
    // Worker thread only: files recorded in this run and the frames each
    // holds; these are appended to unless the user agreed to replace them.
    std::map<std::string, std::uint64_t> m_recordedFrames;

    PausePresses m_pauses;
    std::atomic<std::uint64_t> m_frames{0};  // in the current file, earlier takes included

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    Request m_wanted;
    std::uint64_t m_settled = 0;  // the last generation taken up
    std::uint64_t m_ended = 0;    // the last generation whose take failed or ended by itself
    bool m_paused = false;
    // The running take's source is open, so a press has a capture position;
    // m_endAt is where the request that ended that take was made.
    bool m_takeOpen = false;
    std::optional<std::uint64_t> m_endAt;
    bool m_threadRunning = false;
    bool m_abandoned = false;
    std::set<std::string> m_replace;
    std::optional<TakeFailure> m_failure;
};
