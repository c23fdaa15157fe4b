#include "playback/MpvPlayerEngine.h"

#include "playback/MediaError.h"
#include "playback/MpvProperties.h"
#include "playback/MpvStatusObserver.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {
[[noreturn]] void fail(int rc, const std::string& what)
{
    throw MediaError(static_cast<std::uint32_t>(rc), what + ": " + mpv_error_string(rc));
}

void check(int rc, const std::string& what)
{
    if (rc < 0)
        fail(rc, what);
}

using Clock = std::chrono::steady_clock;

double secondsLeft(Clock::time_point deadline)
{
    return std::max(0.0, std::chrono::duration<double>(deadline - Clock::now()).count());
}
}  // namespace

MpvPlayerEngine::MpvPlayerEngine(MpvOptions options) : m_options(std::move(options)) {}

MpvPlayerEngine::~MpvPlayerEngine()
{
    if (m_handle && m_hooks.destroying)
        m_hooks.destroying();
    m_handle.reset();  // the deleter clears the wakeup callback first
}

mpv_handle* MpvPlayerEngine::handle()
{
    if (m_handle)
        return m_handle.get();
    MpvHandle created = CreateMpvHandle(m_options);
    mpv_handle* h = created.get();
    MpvStatusObserver::ObserveAll(h);
    m_handle = std::move(created);
    mpv_set_wakeup_callback(h, &MpvPlayerEngine::onWakeup, this);
    if (m_hooks.created)
        m_hooks.created(h);
    return h;
}

void MpvPlayerEngine::SetHandleHooks(MpvHandleHooks hooks)
{
    m_hooks = std::move(hooks);
    if (m_handle && m_hooks.created)
        m_hooks.created(m_handle.get());
}

// The bounded waits block the GUI thread, so the render context gets its
// turn here: with the libmpv video output a seek completes only once its
// frame has been rendered.
const mpv_event* MpvPlayerEngine::waitEvent(double maxSeconds)
{
    if (m_hooks.whileWaiting)
        m_hooks.whileWaiting();
    return mpv_wait_event(m_handle.get(), std::min(maxSeconds, 0.005));
}

void MpvPlayerEngine::SetStatusListener(std::function<void(const PlayerStatus&)> listener)
{
    m_listener = std::move(listener);
}

// Runs on one of mpv's threads: it may only post.
void MpvPlayerEngine::onWakeup(void* self)
{
    static_cast<MpvPlayerEngine*>(self)->postDrain();
}

void MpvPlayerEngine::postDrain()
{
    // One queued call at a time is enough: the drain empties the whole queue.
    if (!m_drainPosted.exchange(true))
        QMetaObject::invokeMethod(this, "drainEvents", Qt::QueuedConnection);
}

void MpvPlayerEngine::drainEvents()
{
    m_drainPosted = false;
    if (!m_handle)
        return;
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_handle.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
    notify();
}

void MpvPlayerEngine::notify()
{
    if (m_listener)
        m_listener(m_status);
}

// Keeps the cached status current; used both by the GUI-side drain and by
// the bounded waits, so that no property change is lost to either.
void MpvPlayerEngine::handleEvent(const mpv_event& event)
{
    MpvStatusObserver::Apply(event, m_status);
}

// mpv would read "scheme://..." as a URL and a folder as a playlist of its
// files; the program only ever means one local file.
std::string MpvPlayerEngine::localMediaPath(const std::string& path)
{
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error))
        throw MediaError(static_cast<std::uint32_t>(MPV_ERROR_LOADING_FAILED), "not a media file: " + path);
    // An absolute path starts with "/", which mpv always takes as a file.
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

void MpvPlayerEngine::SetMediaFile(const std::string& requested)
{
    mpv_handle* h = handle();
    m_status.loaded = false;
    m_pinned.reset();
    std::string path;
    try {
        path = localMediaPath(requested);
    } catch (const MediaError&) {
        unloadQuietly();  // a failed load leaves no media, as with mpv's own failures
        throw;
    }
    // Paused before the load, so the new file starts paused at 0.
    setFlag(mpvprop::kPause, true);

    MpvNodeGuard result;
    RunMpvCommand(h, {MpvStringNode(mpvprop::kCmdLoadFile), MpvStringNode(path.c_str()),
                      MpvStringNode(mpvprop::kLoadReplace)}, &result, "loadfile " + path);
    const long long entryId = result.int64At(mpvprop::kPlaylistEntryId, -1);

    // loadfile succeeds even for a bad file; only mpv's events tell.
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_options.loadTimeoutMs);
    bool started = false;
    for (;;) {
        const double left = secondsLeft(deadline);
        if (left <= 0.0) {
            unloadQuietly();
            postDrain();
            fail(MPV_ERROR_GENERIC, "loading " + path + " timed out");
        }
        const mpv_event* event = waitEvent(left);
        if (event->event_id == MPV_EVENT_START_FILE) {
            const auto* start = static_cast<const mpv_event_start_file*>(event->data);
            started = started || entryId < 0 || start->playlist_entry_id == entryId;
        } else if (event->event_id == MPV_EVENT_FILE_LOADED && started) {
            break;
        } else if (event->event_id == MPV_EVENT_END_FILE) {
            const auto* end = static_cast<const mpv_event_end_file*>(event->data);
            const bool ours = entryId < 0 ? started : end->playlist_entry_id == entryId;
            if (ours) {
                postDrain();
                const int code = end->reason == MPV_END_FILE_REASON_ERROR ? end->error : MPV_ERROR_LOADING_FAILED;
                fail(code, "cannot play " + path);
            }
        } else {
            handleEvent(*event);
        }
    }
    m_status.loaded = true;
    m_pinned.reset();
    m_status.position = 0.0;
    m_status.eofReached = false;
    double duration = 0.0;
    if (mpv_get_property(h, mpvprop::kDuration, MPV_FORMAT_DOUBLE, &duration) >= 0)
        m_status.duration = duration;
    // What the wait consumed still reaches the listener from the event loop.
    postDrain();
}

void MpvPlayerEngine::unloadQuietly()
{
    const char* stop[] = {mpvprop::kCmdStop, nullptr};
    mpv_command(m_handle.get(), stop);  // only called on the way to throwing a better error
}

void MpvPlayerEngine::requireLoaded(const char* operation) const
{
    if (!m_handle || !m_status.loaded)
        throw MediaError(static_cast<std::uint32_t>(MPV_ERROR_PROPERTY_UNAVAILABLE),
                         std::string(operation) + ": no media loaded");
}

double MpvPlayerEngine::GetPosition()
{
    requireLoaded("GetPosition");
    double seconds = 0.0;
    check(mpv_get_property(m_handle.get(), mpvprop::kTimePos, MPV_FORMAT_DOUBLE, &seconds), "time-pos");
    if (!m_pinned)
        return seconds;
    // Until playback has passed the pinned position, mpv's figure is the
    // audio output's buffer short of it.
    if (!m_status.paused && seconds >= *m_pinned) {
        m_pinned.reset();
        return seconds;
    }
    return *m_pinned;
}

void MpvPlayerEngine::SetPosition(double seconds)
{
    requireLoaded("SetPosition");
    seekAndWait(seconds);
}

void MpvPlayerEngine::seekAndWait(double seconds)
{
    mpv_handle* h = m_handle.get();
    double duration = 0.0;
    if (mpv_get_property(h, mpvprop::kDuration, MPV_FORMAT_DOUBLE, &duration) < 0)
        duration = 0.0;
    // mpv reads a negative absolute target as counted from the end: clamp.
    double target = std::max(0.0, seconds);
    if (duration > 0.0)
        target = std::min(target, duration);

    RunMpvCommand(h, {MpvStringNode(mpvprop::kCmdSeek), MpvDoubleNode(target),
                      MpvStringNode(mpvprop::kSeekAbsoluteExact)}, nullptr, "seek");

    // The command only queues the seek: wait until mpv has done it, so that
    // a position read next is the new one.
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_options.seekTimeoutMs);
    bool seeking = false;
    for (;;) {
        const double left = secondsLeft(deadline);
        if (left <= 0.0) {
            postDrain();
            fail(MPV_ERROR_GENERIC, "seek timed out");
        }
        const mpv_event* event = waitEvent(left);
        if (event->event_id == MPV_EVENT_SEEK) {
            seeking = true;
        } else if (event->event_id == MPV_EVENT_PLAYBACK_RESTART && seeking) {
            break;
        } else {
            handleEvent(*event);
            if (seeking && m_status.eofReached)
                break;
        }
    }
    // After audio has played, mpv reports a paused seek's position short by
    // the audio output's buffer (0.2 s with ao=null) although it resumes from
    // the target: the engine keeps the target as the position instead.
    m_pinned.reset();
    if (!m_status.eofReached)
        m_pinned = target;
    m_status.position = target;
    postDrain();
}

void MpvPlayerEngine::Play()
{
    requireLoaded("Play");
    int eof = 0;
    // At the end, playing again means from the start.
    if (mpv_get_property(m_handle.get(), mpvprop::kEofReached, MPV_FORMAT_FLAG, &eof) >= 0 && eof)
        seekAndWait(0.0);
    setFlag(mpvprop::kPause, false);
    m_status.paused = false;
}

void MpvPlayerEngine::Pause()
{
    if (!m_handle)
        return;
    int wasPaused = 1;
    mpv_get_property(m_handle.get(), mpvprop::kPause, MPV_FORMAT_FLAG, &wasPaused);
    setFlag(mpvprop::kPause, true);
    m_status.paused = true;
    if (!wasPaused && m_status.loaded)
        settleAfterPause();
}

// On pausing, mpv moves time-pos on once more (by up to ~40 ms) to where the
// audio really stopped. Wait for that, so that the first read after Stop
// agrees with every later one. (An exact seek to pin it does not work: right
// after a pause it lands up to 200 ms early.)
void MpvPlayerEngine::settleAfterPause()
{
    mpv_handle* h = m_handle.get();
    const auto deadline = Clock::now() + std::chrono::milliseconds(200);
    const auto stableFor = std::chrono::milliseconds(15);
    double last = -1.0;
    mpv_get_property(h, mpvprop::kTimePos, MPV_FORMAT_DOUBLE, &last);
    auto since = Clock::now();
    while (Clock::now() < deadline && Clock::now() - since < stableFor) {
        handleEvent(*waitEvent(0.005));
        double now = last;
        mpv_get_property(h, mpvprop::kTimePos, MPV_FORMAT_DOUBLE, &now);
        if (now != last) {
            last = now;
            since = Clock::now();
        }
    }
    // Paused again before playback passed a pinned seek target: it resumed
    // from there, so mpv's lagging figure is short of the truth.
    m_pinned = m_pinned ? std::max(*m_pinned, last) : last;
    postDrain();
}

void MpvPlayerEngine::Stop() { Pause(); }

void MpvPlayerEngine::SetSpeed(double factor) { setDouble(mpvprop::kSpeed, factor); }
void MpvPlayerEngine::SetVolume(double percent) { setDouble(mpvprop::kVolume, percent); }
void MpvPlayerEngine::SetMuted(bool muted) { setFlag(mpvprop::kMute, muted); }

void MpvPlayerEngine::setFlag(const char* name, bool value)
{
    int flag = value ? 1 : 0;
    check(mpv_set_property(handle(), name, MPV_FORMAT_FLAG, &flag), std::string("set ") + name);
}

void MpvPlayerEngine::setDouble(const char* name, double value)
{
    check(mpv_set_property(handle(), name, MPV_FORMAT_DOUBLE, &value), std::string("set ") + name);
}
