#pragma once

#include "playback/PlayerStatus.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// What CMediaplayer1 needs from whatever decodes and plays the media.
// Every operation runs on the GUI thread and reports a failure by throwing
// MediaError; none of them blocks for longer than a bounded wait.
class IPlayerEngine {
public:
    virtual ~IPlayerEngine() = default;

    // Replaces the current media at once: on return the file is loaded,
    // paused at position 0. Throws MediaError when it cannot be loaded.
    virtual void SetMediaFile(const std::string& path) = 0;
    // Seconds from the start of the media, also while paused or stopped.
    // Throws MediaError when no media is loaded.
    virtual double GetPosition() = 0;
    // Moves there; while playing, playback goes on from there.
    virtual void SetPosition(double seconds) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    // Ends playback, keeping the media loaded and the position where it was.
    virtual void Stop() = 0;

    // What the control bar uses beyond the six. An engine that lacks them
    // keeps these defaults: the setters throw MediaError(kUnsupported), the
    // status listener is never called.
    static constexpr std::uint32_t kUnsupported = 0xFFFFFFFEu;
    virtual void SetSpeed(double factor);
    virtual void SetVolume(double percent);
    virtual void SetMuted(bool muted);
    // Called on the GUI thread whenever what the bar shows has changed.
    virtual void SetStatusListener(std::function<void(const PlayerStatus&)> listener);
    // The last status heard from the player.
    virtual PlayerStatus Status() { return PlayerStatus{}; }
};

// The engine the program uses.
std::unique_ptr<IPlayerEngine> MakeDefaultPlayerEngine();
