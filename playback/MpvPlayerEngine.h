#pragma once

#include "playback/IPlayerEngine.h"
#include "playback/MpvHandle.h"
#include "playback/MpvOptions.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// What a render context needs to know about the engine's mpv handle.
struct MpvHandleHooks {
    // Runs right after the handle is created, before any file is loaded, so
    // that a render context is attached in time; at once if the handle exists.
    std::function<void(mpv_handle*)> created;
    // Runs before the handle is destroyed: the render context must go first.
    std::function<void()> destroying;
    // Runs often while the engine blocks the GUI thread waiting on mpv.
    std::function<void()> whileWaiting;
};

// The libmpv engine. One mpv handle per player, created on first use so that
// start-up does not pay for it. Every public operation runs on the GUI thread;
// mpv's wakeup callback only posts a queued call to drainEvents(), which
// updates the cached status and tells the listener.
// Each operation throws MediaError carrying mpv's (negative) error code as an
// unsigned 32-bit value when mpv reports a failure.
class MpvPlayerEngine : public QObject, public IPlayerEngine {
    Q_OBJECT
public:
    explicit MpvPlayerEngine(MpvOptions options = MpvOptions{});
    ~MpvPlayerEngine() override;

    // Throws the load error (mpv's END_FILE error, e.g. -13 loading failed,
    // -17 unknown format) or a timeout after options.loadTimeoutMs; throws
    // -13 at once for an empty path or a folder. The path is always taken as
    // a local file, never as a URL. After a failure no media is loaded.
    void SetMediaFile(const std::string& path) override;
    // Throws when no media is loaded or mpv has no position.
    double GetPosition() override;
    // Clamps to [0, duration]; returns once mpv has reached the target (or
    // the end). Throws when no media is loaded, the seek fails or times out.
    void SetPosition(double seconds) override;
    // Play at the end of the media starts again from 0. Throws when no media is loaded.
    void Play() override;
    // Pause and Stop keep the media; they return once the position has
    // settled where playback stopped. Throw when mpv refuses the pause.
    void Pause() override;
    void Stop() override;

    // Throw when mpv rejects the value (speed outside 0.01..100, volume below 0).
    void SetSpeed(double factor) override;
    void SetVolume(double percent) override;
    void SetMuted(bool muted) override;
    void SetStatusListener(std::function<void(const PlayerStatus&)> listener) override;
    PlayerStatus Status() override { return m_status; }

    // The handle, created on first call. Throws MediaError when mpv cannot start.
    mpv_handle* handle();
    // Lets a render context follow the handle; see MpvHandleHooks.
    void SetHandleHooks(MpvHandleHooks hooks);

    // Drains mpv's event queue; runs on the GUI thread.
    Q_INVOKABLE void drainEvents();

private:
    static std::string localMediaPath(const std::string& path);
    static void onWakeup(void* self);
    void postDrain();
    const mpv_event* waitEvent(double maxSeconds);
    void handleEvent(const mpv_event& event);
    void notify();
    void unloadQuietly();
    void requireLoaded(const char* operation) const;
    void seekAndWait(double seconds);
    void settleAfterPause();
    void setFlag(const char* name, bool value);
    void setDouble(const char* name, double value);

    MpvOptions m_options;
    MpvHandle m_handle;
    PlayerStatus m_status;
    std::optional<double> m_pinned;  // the position to report while mpv's lags; see GetPosition
    std::function<void(const PlayerStatus&)> m_listener;
    MpvHandleHooks m_hooks;
    std::atomic<bool> m_drainPosted{false};
};
