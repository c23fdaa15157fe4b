#pragma once

#include "player/PlayerStatus.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class MediaError;
class VideoFrames;

// Where the subtitle lines go in the video's picture.
struct SubtitleLayout {
    // The frames the view shows, in pixels; 0 while not known.
    int frameWidth = 0;
    int frameHeight = 0;
    // Pixels at the bottom of the frames that the lines keep clear of (the
    // control bar over a full-screen picture).
    int clearBottom = 0;
    // The lines' size, times the player's own (which follows the picture).
    double scale = 1.0;

    bool operator==(const SubtitleLayout&) const = default;
};

// The six operations the program's commands use. Every operation runs on
// the GUI thread and reports a failure by throwing MediaError; none of them
// blocks for longer than a bounded wait, but for the first one, which may
// wait for the engine's set-up (see PrepareInBackground).
class IPlayerEngine {
public:
    virtual ~IPlayerEngine() = default;

    // Replaces the current media at once: on return the file is loaded, or
    // still loading, paused at position 0; a SetPosition, Play or Stop that
    // follows acts on it either way. Throws MediaError when it cannot be
    // loaded; a failure found after the return is told once, to the late
    // failure listener (IPlayerControls::SetLateFailureListener); the next
    // operation that needs the media throws then too.
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
};

// What the player's own bar and the dialog's watches use beyond the six.
class IPlayerControls {
public:
    virtual ~IPlayerControls() = default;

    // Throw MediaError when the player rejects the value.
    virtual void SetSpeed(double factor) = 0;
    virtual void SetVolume(double percent) = 0;
    virtual void SetMuted(bool muted) = 0;
    // Whether the subtitles appear in the picture.
    virtual void SetSubtitlesShown(bool shown) = 0;
    virtual void SetSubtitleLayout(const SubtitleLayout& layout) = 0;
    // Called on the GUI thread whenever what the bar shows has changed.
    virtual void SetStatusListener(std::function<void(const PlayerStatus&)> listener) = 0;
    // Called on the GUI thread, once per file, when a file turns out
    // unplayable after SetMediaFile has returned: its load failed, or it
    // opened but plays nothing. It may be called from inside an operation:
    // the listener takes note and tells the user later, without calling
    // the engine.
    virtual void SetLateFailureListener(std::function<void(const MediaError&)> listener) = 0;
    // The last status heard from the player.
    virtual PlayerStatus Status() = 0;
    // The position a running watch waits for. Playback stops exactly there
    // and the position stays there, so the watch finds it reached; with
    // loopFrom, playback goes on from loopFrom instead, without a gap.
    // No end: playback runs on. Never throws; cheap when nothing changed.
    virtual void ArmEnd(std::optional<double> end, std::optional<double> loopFrom) = 0;
};

// A whole player: both interfaces, and the frames of its video, made with it.
class IMediaEngine : public IPlayerEngine, public IPlayerControls {
public:
    // Where the video frames appear; lives as long as the engine.
    virtual VideoFrames& Video() = 0;
    // Starts slow set-up (loading libraries) without waiting for it; the
    // first operation that comes earlier waits for it instead. ready, when
    // given, is called on the GUI thread once set-up has ended, well or not
    // (the next operation then says why).
    virtual void PrepareInBackground(std::function<void()> ready) = 0;
};

// The engine the program uses.
std::unique_ptr<IMediaEngine> MakeDefaultPlayerEngine();
