#pragma once

#include "player/IPlayerEngine.h"
#include "mpvengine/MpvArmedEnd.h"
#include "mpvengine/MpvEventState.h"
#include "mpvengine/MpvHandle.h"
#include "mpvengine/MpvHandleStarter.h"
#include "mpvengine/MpvLogPrinter.h"
#include "mpvengine/MpvOptions.h"
#include "mpvengine/MpvSubtitleLayout.h"
#include "mpvengine/MpvRequests.h"
#include "mpvengine/MpvTempoFilter.h"

#include <QObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class MpvVideoRenderer;
class MediaError;

// The libmpv engine. One mpv handle per player, created on first use so that
// start-up does not pay for it; with the libmpv video output its renderer is
// made together with it. Every public operation runs on the GUI thread;
// mpv's wakeup callback only posts a queued call to drainEvents(). The drain
// and the bounded waits feed every event to one MpvEventState.
// Once the handle exists the engine never makes a synchronous request: a
// sound server that stops answering holds mpv's core, and every such call
// would hold the window with it. Requests go to mpv with reply ids and the
// operations answer from what the engine knows; waits on mpv's events are
// a few ms at most.
// Each operation throws MediaError carrying mpv's (negative) error code as an
// unsigned 32-bit value when mpv reports a failure; its text says why.
class MpvPlayerEngine : public QObject, public IMediaEngine {
    Q_OBJECT
public:
    explicit MpvPlayerEngine(MpvOptions options = MpvOptions{});
    ~MpvPlayerEngine() override;

    // Throws the load error (mpv's END_FILE error, e.g. -13 loading failed,
    // -17 unknown format) when the load ends within options.loadWaitMs;
    // throws -13 at once for an empty path or a folder. A load that takes
    // longer goes on after the return (see MpvOptions::loadWaitMs); one
    // still going on after options.loadTimeoutMs is given up. The path is
    // always taken as a local file, never as a URL. After a failure no media
    // is loaded. Disarms any armed end. The file that is loaded already,
    // unchanged on disk, is not read again: it is only paused and moved to 0.
    void SetMediaFile(const std::string& path) override;
    // Throws when no media is loaded (saying why: "the file is gone",
    // "cannot play x: ..."). The position mpv last reported, so never ahead
    // of what has been heard; at an armed end exactly that end; after a
    // pause where the sound stopped; while the file loads, where it will start.
    double GetPosition() override;
    // Clamps to [0, duration]; returns once mpv has reached the target (or
    // the end), or after options.seekWaitMs with the seek still going on;
    // the position reads as the target either way, until mpv has done the
    // seek. Throws when no media is loaded.
    void SetPosition(double seconds) override;
    // Play at the end of the media starts again from 0; at an armed end it
    // goes on from there. At other speeds than 1, right after a seek, mpv
    // plays once the caller's turn of the event loop is over. Throws when no
    // media is loaded.
    void Play() override;
    // Pause and Stop keep the media, and the position where the sound
    // stopped: as mpv tells it within options.pauseWaitMs, else the
    // position mpv reported last.
    void Pause() override;
    void Stop() override;

    // Throw when the value is out of mpv's range (speed outside 0.01..100,
    // volume below 0); a volume above mpv's maximum leaves the volume as it was.
    void SetSpeed(double factor) override;
    void SetVolume(double percent) override;
    void SetMuted(bool muted) override;
    void SetSubtitlesShown(bool shown) override;
    // Asked before mpv has started, the layout is told once it has.
    void SetSubtitleLayout(const SubtitleLayout& layout) override;
    void SetStatusListener(std::function<void(const PlayerStatus&)> listener) override;
    void SetLateFailureListener(std::function<void(const MediaError&)> listener) override;
    PlayerStatus Status() override { return m_state.Status(); }
    void ArmEnd(std::optional<double> end, std::optional<double> loopFrom) override;

    VideoFrames& Video() override { return *m_frames; }
    void PrepareInBackground(std::function<void()> ready) override;

    // The handle, created on first call or taken from PrepareInBackground.
    // Throws MediaError when mpv cannot start.
    mpv_handle* handle() { return m_mpv.Get(); }
    bool HasRenderer() const;

    // Drains mpv's event queue; runs on the GUI thread.
    void drainEvents();
    MpvEventState::Phase Phase() const { return m_state.Now(); }
    // mpv has answered every request the engine has handed it.
    bool RequestsAnswered() const { return m_requests.AllAnswered(); }

private:
    using Clock = std::chrono::steady_clock;
    static void onWakeup(void* self);
    void postDrain();
    template <typename Done> bool waitUntil(Done done, int timeoutMs);
    void handleEvent(const mpv_event& event);
    void answered(const mpv_event& event);
    void notify();
    void unloadQuietly();
    void requireLoaded(const char* operation) const;
    void settleLoad();
    void giveUpLateLoad();
    void endLoadFailed(const MpvEventState::Waiting& loading, const MediaError& error);
    void failIfNothingRenders(const std::string& path);
    // A file that SetMediaFile has returned for turned out unplayable.
    void tellLateFailure(const MediaError& error);
    // Into [0, duration] as far as mpv has reported the duration.
    double clampToMedia(double seconds) const;
    void seek(double seconds, int waitMs);
    void pinWhereSoundStopped();
    bool atArmedEnd(double mpvSeconds) const;
    // The sound chain for the speed, cut at the sound's start after the
    // last seek and at the armed end; telling it says whether it changed.
    std::string soundChain() const;
    bool tellSoundChain();
    // Where the sound starts after a seek to target.
    void cutFrom(double target);
    void recutSound();
    // Unpauses mpv now, or once the caller's turn of the event loop is over
    // when it has sought in that turn.
    void resume();

    MpvOptions m_options;
    std::unique_ptr<VideoFrames> m_frames;
    MpvHandleStarter m_mpv;
    std::unique_ptr<MpvVideoRenderer> m_renderer;
    MpvEventState m_state;
    MpvRequests m_requests;
    MpvLogPrinter m_log;
    MpvArmedEnd m_armed;
    MpvTempoFilter m_tempo;
    MpvSubtitleLayout m_subtitleLayout;
    double m_speed = 1.0;              // what mpv has been told
    std::optional<double> m_cutFrom;   // where the sound starts after the last seek
    std::string m_loadedStamp;       // path, size and time of the loaded file
    std::function<void(const PlayerStatus&)> m_listener;
    std::function<void(const MediaError&)> m_lateFailureListener;
    std::optional<PlayerStatus> m_told;  // what the listener heard last
    bool m_videoTold = false;            // what the frames were told
    std::atomic<bool> m_drainPosted{false};
    bool m_soughtThisTurn = false;  // a seek went to mpv in this turn of the event loop
    bool m_resumePending = false;   // an unpause waits for the end of this turn
    bool m_outputKeptForLoad = false;  // gapless until the loading file's sound is set up
    bool m_soundOutputFailed = false;  // mpv's sound output reported an error since the last Play
    std::uint64_t m_seekReply = 0, m_loadReply = 0;
    // Where the sound stopped at a pause, as mpv answers it.
    std::uint64_t m_stoppedPtsReply = 0, m_stoppedTimeReply = 0;
    std::optional<double> m_stoppedPts, m_stoppedTime;
};

// Waits on mpv's own events until done() holds, for at most timeoutMs;
// says whether it holds.
template <typename Done> bool MpvPlayerEngine::waitUntil(Done done, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
        if (left <= 0.0)
            return false;
        const mpv_event* event = Mpv().wait_event(m_mpv.Existing(), std::min(left, 0.05));
        if (event->event_id != MPV_EVENT_NONE)
            handleEvent(*event);
    }
    return true;
}
