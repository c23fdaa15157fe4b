// Loading a file, and what the engine does when a load fails or mpv
// finds nothing to play in it.
#include "mpvengine/MpvPlayerEngine.h"

#include "mpvengine/MpvError.h"
#include "mpvengine/MpvMediaPath.h"
#include "mpvengine/MpvProperties.h"
#include "player/MediaFile.h"

#include <QMetaObject>
#include <QTimer>
#include <chrono>

void MpvPlayerEngine::SetMediaFile(const std::string& requested)
{
    mpv_handle* h = handle();
    drainEvents();
    m_log.EndFile();
    m_armed.Apply(h, m_requests, std::nullopt);  // a new file plays freely until a watch arms an end again
    MpvArmedEnd::KeepOutputAcrossLoad(h, m_requests);  // until the new file's sound is set up
    m_outputKeptForLoad = true;
    m_cutFrom.reset();
    tellSoundChain();
    m_state.ForgetRequests();
    std::string path;
    try {
        path = mpvmediapath::Local(requested);
    } catch (const MediaError& error) {
        unloadQuietly();  // a failed load leaves no media, as with mpv's own failures
        m_state.Unload(error.what());
        throw;
    }
    // Paused before the load, so the new file starts paused at 0.
    m_resumePending = false;
    m_requests.SetFlag(h, mpvprop::kPause, true);
    const std::string stamp = mediafile::Stamp(path);
    if (m_state.Loaded() && !stamp.empty() && stamp == m_loadedStamp) {
        m_state.Status().paused = true;
        seek(0.0, 0);
        return;
    }
    m_loadedStamp.clear();

    // loadfile succeeds even for a bad file; only mpv's events tell. Its
    // reply names the playlist entry the events of the new file carry.
    m_state.BeginLoad(-1, path);
    m_loadReply = m_requests.Command(h, {MpvStringNode(mpvprop::kCmdLoadFile), MpvStringNode(path.c_str()),
                                         MpvStringNode(mpvprop::kLoadReplace)});
    if (!m_loadReply)
        m_state.LoadRefused(MPV_ERROR_INVALID_PARAMETER);
    m_state.WaitForLoad(path, stamp, Clock::now() + std::chrono::milliseconds(m_options.loadTimeoutMs));
    // The duration comes in an event of its own, soon after the load.
    waitUntil([this] { return !m_state.WaitingLoad() && (!m_state.Loaded() || m_state.Status().duration > 0.0); },
              m_options.loadWaitMs);
    postDrain();  // what the wait consumed still reaches the listener from the event loop
    if (m_state.WaitingLoad()) {
        m_state.LoadReturned();
        // A load that never ends is given up even if nothing else calls in.
        QTimer::singleShot(m_options.loadTimeoutMs + 1, this, [this] { drainEvents(); });
    } else if (!m_state.Loaded())
        throw mpvmediapath::LoadFailure(path, m_state.LoadError());
}

// A load that SetMediaFile did not wait out has ended: what came meanwhile
// is carried out now, in the order mpv takes its requests.
void MpvPlayerEngine::settleLoad()
{
    const MpvEventState::Waiting loading = m_state.TakeWaitingLoad();
    if (m_state.LoadState() == MpvEventState::Load::Failed) {
        endLoadFailed(loading, mpvmediapath::LoadFailure(loading.path, m_state.LoadError()));
        return;
    }
    m_loadedStamp = loading.stamp;
    mpv_handle* h = m_mpv.Existing();
    if (loading.seek) {
        const double target = clampToMedia(*loading.seek);
        cutFrom(target);
        tellSoundChain();
        m_state.Pin(target);
        m_state.Status().position = target;
        m_state.BeginSeek();
        m_seekReply = m_requests.Command(h, {MpvStringNode(mpvprop::kCmdSeek), MpvDoubleNode(target),
                                             MpvStringNode(mpvprop::kSeekAbsoluteExact)});
        if (!m_seekReply)
            m_state.SeekRefused();
    }
    if (loading.play)
        m_requests.SetFlag(h, mpvprop::kPause, false);
}

// A load that has gone on for longer than options.loadTimeoutMs is given up.
void MpvPlayerEngine::giveUpLateLoad()
{
    if (!m_state.WaitingLoad() || Clock::now() < m_state.WaitingLoad()->deadline)
        return;
    const MpvEventState::Waiting loading = m_state.TakeWaitingLoad();
    unloadQuietly();
    endLoadFailed(loading, MpvFailure(MPV_ERROR_LOADING_FAILED,
                                      "loading " + loading.path + ": the player did not answer in time"));
}

// No media is left; once SetMediaFile has returned, only the listener can tell.
void MpvPlayerEngine::endLoadFailed(const MpvEventState::Waiting& loading, const MediaError& error)
{
    m_state.Unload(error.what());
    if (loading.returned)
        tellLateFailure(error);
}

void MpvPlayerEngine::SetLateFailureListener(std::function<void(const MediaError&)> listener)
{
    m_lateFailureListener = std::move(listener);
}

void MpvPlayerEngine::tellLateFailure(const MediaError& error)
{
    m_state.Status().lateLoadFailure = error.what();
    if (m_lateFailureListener)
        m_lateFailureListener(error);
}

// mpv opens some files it can play nothing of and, kept open, holds them in
// silence with no word: a WAV of more channels than it takes, or without a
// sample, reaches its end with nothing decoded; a file whose one stream is
// a cover picture holds no sound and nothing that moves. Either is a failed
// load, told as one that fails after SetMediaFile has returned. Playback
// held at an end a watch armed is left alone: it stopped there on purpose.
void MpvPlayerEngine::failIfNothingRenders(const std::string& path)
{
    const MpvEventState::Unplayable unplayable = m_state.WhyUnplayable();
    if (unplayable == MpvEventState::Unplayable::No || m_state.Path() != path
        || (unplayable == MpvEventState::Unplayable::NothingDecoded && m_armed.Current()))
        return;
    const std::string why = "cannot play " + path
                            + (unplayable == MpvEventState::Unplayable::OnlyStills
                                   ? ": the file holds no sound, only a still picture"
                                   : ": the player can render neither its sound nor its picture");
    // Paused after any Play asked for meanwhile, so that mpv's own state,
    // which the bar follows, does not say it plays.
    m_resumePending = false;
    m_requests.SetFlag(m_mpv.Existing(), mpvprop::kPause, true);
    unloadQuietly();
    m_state.NothingToRender(why);
    tellLateFailure(MpvFailure(MPV_ERROR_NOTHING_TO_PLAY, why));
    notify();
}

void MpvPlayerEngine::unloadQuietly()
{
    // The failure that leads here is the one to tell, not the stop's.
    m_requests.Command(m_mpv.Existing(), {MpvStringNode(mpvprop::kCmdStop)});
}
