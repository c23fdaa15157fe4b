#pragma once

#include "player/IPlayerEngine.h"
#include "player/VideoFrames.h"

#include <QObject>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A player whose position the test sets and whose calls it reads back.
// Any operation can be told to fail with a code.
class FakePlayerEngine : public IMediaEngine {
public:
    void SetMediaFile(const std::string& path) override;
    double GetPosition() override;
    void SetPosition(double seconds) override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void SetSpeed(double factor) override;
    void SetVolume(double percent) override;
    void SetMuted(bool muted) override;
    void SetSubtitlesShown(bool shown) override;
    void SetSubtitleLayout(const SubtitleLayout& layout) override;
    void SetStatusListener(std::function<void(const PlayerStatus&)> listener) override;
    void SetLateFailureListener(std::function<void(const MediaError&)> listener) override;
    PlayerStatus Status() override;
    // Records the end only; the fake plays nothing to cut.
    void ArmEnd(std::optional<double> end, std::optional<double> loopFrom) override;
    VideoFrames& Video() override { return frames; }
    // Ready at the next turn of the event loop.
    void PrepareInBackground(std::function<void()> ready) override;

    // Makes the named operation ("SetMediaFile", "GetPosition", ...) throw
    // MediaError with that code from now on; code 0 lifts it again.
    void failOn(const std::string& operation, std::uint32_t code);
    // The file set last turns out unplayable, as a real engine finds out
    // after SetMediaFile has returned: the listener hears of it, and
    // GetPosition, SetPosition and Play throw that code until the next
    // SetMediaFile.
    void failLate(std::uint32_t code);

    double position = 0.0;
    bool playing = false;
    double speed = 1.0;  // as set, and as Status() reports it
    std::string mediaFile;
    std::vector<std::string> calls;  // "Play", "SetPosition 2.5", ...
    std::optional<double> armedEnd, armedLoopFrom;
    SubtitleLayout subtitleLayout;  // the last one asked for
    // Status() says the media has played to its end (at `duration`).
    bool ended = false;
    double duration = 0.0;
    VideoFrames frames;
    int preparations = 0;

    int count(const std::string& call) const;

private:
    void record(const std::string& call, const std::string& operation);
    std::map<std::string, std::uint32_t> m_failures;
    std::function<void(const MediaError&)> m_lateFailureListener;
    std::uint32_t m_lateCode = 0;
    QObject m_context;  // no ready call outlives the fake
};
