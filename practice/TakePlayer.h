#pragma once

#include "recorder/Mp3FileDecoder.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class ISoundOutput;

// Plays a take from memory on a stream of its own, beside (never through)
// the lesson's player, so that the player's state stays as it was. The
// stream is fed on a worker thread; the GUI thread only starts and stops it.
class TakePlayer : public QObject {
    Q_OBJECT
public:
    using OutputMaker = std::function<std::unique_ptr<ISoundOutput>()>;

    // Without a maker: the sound server's default output.
    explicit TakePlayer(OutputMaker output = {}, QObject* parent = nullptr);
    ~TakePlayer() override;

    // Plays mono samples from the start; a take playing is stopped first.
    void play(std::vector<std::int16_t> samples, int sampleRate);
    // Plays a take's file, read and decoded on the worker thread.
    void playFile(const QString& path);
    // Stops at once; ended() does not come for it.
    void stop();
    bool playing() const { return m_job != nullptr; }
    // Seconds of the take handed to the output so far; 0 when not playing.
    double position() const;

signals:
    // The take was heard to its end, or the output failed (then error says why).
    void ended(const QString& error);

private:
    struct Job {
        std::mutex mutex;
        TakePlayer* owner = nullptr;
        std::atomic<bool> stop{false};
        std::atomic<std::uint64_t> written{0};
        std::atomic<int> sampleRate{44100};
    };
    void start(std::function<std::optional<DecodedSound>()> load);
    void finished(const std::shared_ptr<Job>& job, const QString& error);

    OutputMaker m_makeOutput;
    std::shared_ptr<Job> m_job;
};
