#include "mpvengine/MpvPlayerEngine.h"

#include "mpvengine/LargeBuffers.h"
#include "mpvengine/MpvDecoderThreads.h"
#include "mpvengine/MpvError.h"
#include "mpvengine/MpvProperties.h"
#include "mpvengine/MpvVideoRenderer.h"
#include "player/VideoFrames.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>

MpvPlayerEngine::MpvPlayerEngine(MpvOptions options)
    : m_options(std::move(options)), m_frames(std::make_unique<VideoFrames>()),
      m_mpv(m_options, [this](mpv_handle* h) {
          if (m_options.videoOutput == "libmpv")
              m_renderer = std::make_unique<MpvVideoRenderer>(h, *m_frames);
          Mpv().set_wakeup_callback(h, &MpvPlayerEngine::onWakeup, this);
          try {
              MpvSubtitleLayout::Observe(h);
              m_subtitleLayout.Tell(h);
          } catch (const MediaError&) {
              // The lines keep mpv's own place and size.
          }
      })
{
    ReturnLargeBuffersWhenFreed();
}

MpvPlayerEngine::~MpvPlayerEngine()
{
    m_renderer.reset();  // the render context goes before the handle
    m_mpv.Reset();
}

void MpvPlayerEngine::PrepareInBackground(std::function<void()> ready) { m_mpv.PrepareInBackground(std::move(ready)); }

bool MpvPlayerEngine::HasRenderer() const { return m_renderer && m_renderer->HasContext(); }

void MpvPlayerEngine::SetStatusListener(std::function<void(const PlayerStatus&)> listener)
{
    m_listener = std::move(listener);
    m_told.reset();
}

// Runs on one of mpv's threads: it may only post.
void MpvPlayerEngine::onWakeup(void* self) { static_cast<MpvPlayerEngine*>(self)->postDrain(); }

void MpvPlayerEngine::postDrain()
{
    // One queued call at a time is enough: the drain empties the whole queue.
    if (!m_drainPosted.exchange(true))
        QMetaObject::invokeMethod(this, [this] { drainEvents(); }, Qt::QueuedConnection);
}

void MpvPlayerEngine::drainEvents()
{
    m_drainPosted = false;
    if (!m_mpv.Existing())
        return;
    for (;;) {
        const mpv_event* event = Mpv().wait_event(m_mpv.Existing(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
    giveUpLateLoad();
    notify();
}

void MpvPlayerEngine::notify()
{
    PlayerStatus status = m_state.Status();
    // Paused, the position is the one GetPosition gives, not mpv's figure,
    // which can lie a hair short of a seek's target.
    if (m_state.Pinned() && status.paused)
        status.position = *m_state.Pinned();
    if (!m_listener || (m_told && *m_told == status))
        return;
    m_told = status;
    m_listener(status);
}

void MpvPlayerEngine::handleEvent(const mpv_event& event)
{
    if (event.event_id == MPV_EVENT_LOG_MESSAGE) {
        m_log.Print(*static_cast<const mpv_event_log_message*>(event.data));
        return;
    }
    if (decoderthreads::Choose(m_mpv.Existing(), event))
        return;
    if (m_subtitleLayout.Apply(event)) {
        try {
            m_subtitleLayout.Tell(m_mpv.Existing());
        } catch (const MediaError&) {
            // The lines keep their place; nothing else depends on it.
        }
        return;
    }
    if (event.event_id == MPV_EVENT_COMMAND_REPLY && event.reply_userdata == kDeferredSeekReply && event.error < 0)
        m_state.SeekRefused();
    const bool playableBefore = m_state.WhyUnplayable() == MpvEventState::Unplayable::No;
    m_state.Apply(event);
    if (playableBefore && m_state.WhyUnplayable() != MpvEventState::Unplayable::No) {
        // From the event loop: an operation under way goes on with the file
        // as mpv still has it, and the failure is told once, as a late one.
        QMetaObject::invokeMethod(this, [this, path = m_state.Path()] { failIfNothingRenders(path); },
                                  Qt::QueuedConnection);
    }
    // The frames' lock is the renderer's while it draws: taken only for a change.
    if (m_state.Status().hasVideo != m_videoTold) {
        m_videoTold = m_state.Status().hasVideo;
        m_frames->SetHasVideo(m_videoTold);
    }
    if (m_state.WaitingLoad() && m_state.LoadState() != MpvEventState::Load::Pending)
        settleLoad();
}

void MpvPlayerEngine::requireLoaded(const char* operation) const
{
    if (!m_mpv.Existing() || !m_state.Loaded())
        throw MpvFailure(MPV_ERROR_PROPERTY_UNAVAILABLE, std::string(operation) + ": " + m_state.WhyNotLoaded());
}

bool MpvPlayerEngine::atArmedEnd(double mpvSeconds) const
{
    return m_armed.Reached(mpvSeconds, m_state.Status().eofReached && !m_state.SeekPending());
}

double MpvPlayerEngine::GetPosition()
{
    drainEvents();  // what mpv has ended must not pass for loaded
    const std::optional<double>& pinned = m_state.Pinned();
    if (m_state.WaitingLoad())
        return pinned.value_or(0.0);
    requireLoaded("GetPosition");
    // A target set while the file loaded may lie past the end it turned out to have.
    if (pinned && m_state.Status().duration > 0.0)
        m_state.Pin(std::min(*pinned, m_state.Status().duration));
    if (m_state.SeekPending() && pinned)
        return *pinned;  // mpv's figure is from before the seek
    // mpv's time-pos as it last reported it: what has been heard, never
    // what is still queued for the sound device.
    const double seconds = m_state.Status().position;
    if (atArmedEnd(seconds))
        m_state.Pin(m_armed.Current()->end);  // held there: the watch must find its end reached
    if (!pinned)
        return seconds;
    // Until playback has passed the pinned position, mpv's figure is the
    // audio output's buffer short of it.
    if (!m_state.Status().paused && seconds >= *pinned) {
        m_state.Unpin();
        return seconds;
    }
    return *pinned;
}

void MpvPlayerEngine::SetPosition(double seconds)
{
    drainEvents();
    if (m_state.WaitingLoad()) {
        m_state.SeekWhileLoading(seconds);
        return;
    }
    requireLoaded("SetPosition");
    seek(seconds, m_options.seekWaitMs);
}

double MpvPlayerEngine::clampToMedia(double seconds, bool mayAskMpv)
{
    const double known = m_state.Status().duration;
    const double duration = known > 0.0 || !mayAskMpv ? known : MpvDoubleOr(handle(), mpvprop::kDuration, 0.0);
    // mpv reads a negative absolute target as counted from the end.
    const double target = std::max(0.0, seconds);
    return duration > 0.0 ? std::min(target, duration) : target;
}

void MpvPlayerEngine::cutFrom(double target)
{
    const std::optional<MpvArmedEnd::Armed>& armed = m_armed.Current();
    // The rounds of a loop start at its own start, which may lie before.
    m_cutFrom = armed && armed->loopFrom ? std::min(target, *armed->loopFrom) : target;
}

std::string MpvPlayerEngine::soundChain() const
{
    const std::optional<MpvArmedEnd::Armed>& armed = m_armed.Current();
    return MpvTempoFilter::Chain(m_speed, m_cutFrom, armed ? std::optional<double>(armed->end) : std::nullopt);
}

bool MpvPlayerEngine::tellSoundChain() { return m_mpv.Existing() && m_tempo.Tell(m_mpv.Existing(), soundChain()); }

void MpvPlayerEngine::seek(double seconds, int waitMs)
{
    const double target = clampToMedia(seconds, true);
    // A seek rebuilds mpv's sound chain anyway: the new cut costs nothing.
    cutFrom(target);
    tellSoundChain();
    if (!m_soughtThisTurn) {
        m_soughtThisTurn = true;
        QMetaObject::invokeMethod(this, [this] { m_soughtThisTurn = false; }, Qt::QueuedConnection);
    }
    m_state.BeginSeek();
    RunMpvCommand(m_mpv.Existing(), {MpvStringNode(mpvprop::kCmdSeek), MpvDoubleNode(target),
                                   MpvStringNode(mpvprop::kSeekAbsoluteExact)}, nullptr, "seek");
    m_state.Pin(target);
    m_state.Status().position = target;
    // The command only queues the seek. A short one is waited for, so that
    // mpv's own figures are the new ones at once; a long one goes on alone.
    const bool done = waitUntil([this] { return m_state.SeekDone(); }, waitMs);
    postDrain();
    requireLoaded("SetPosition");
    // After audio has played, mpv reports a paused seek's position short by
    // the audio output's buffer (0.2 s with ao=null) although it resumes from
    // the target: the engine keeps the target as the position instead.
    if (done && m_state.Status().eofReached)
        m_state.Unpin();
}

void MpvPlayerEngine::Play()
{
    drainEvents();
    if (m_state.WaitingLoad()) {
        m_state.AskPlay();
        return;
    }
    requireLoaded("Play");
    const double position = GetPosition();
    const double duration = m_state.Status().duration;
    if (MpvArmedEnd::AtMediaEnd(position, duration))
        seek(0.0, m_options.seekWaitMs);  // at the end of the media, playing again means from the start
    else if (m_state.Status().eofReached && !m_state.SeekPending())
        seek(position, m_options.seekWaitMs);  // held at an end a watch armed: on from there
    resume();
    m_state.Status().paused = false;
    m_state.AskPlay();
}

// 复读 seeks, plays, and only then does its watch arm the end, which at
// other speeds than 1 the sound chain must cut before any of the passage
// sounds: unpaused at once, mpv would sound the start of the passage for
// a moment before the seek that the new cut takes.
void MpvPlayerEngine::resume()
{
    if (!m_soughtThisTurn || m_speed == 1.0) {
        SetMpvFlag(handle(), mpvprop::kPause, false);
        return;
    }
    if (m_resumePending)
        return;
    m_resumePending = true;
    QMetaObject::invokeMethod(this, [this] {
        if (!m_resumePending || !m_mpv.Existing())
            return;
        m_resumePending = false;
        try {
            SetMpvFlag(m_mpv.Existing(), mpvprop::kPause, false);
        } catch (const MediaError&) {
            // The next command or tick finds out what is wrong with the player.
        }
    }, Qt::QueuedConnection);
}

void MpvPlayerEngine::Pause()
{
    m_resumePending = false;
    m_state.AskPause();
    if (!m_mpv.Existing() || m_state.WaitingLoad())
        return;  // a file that is still loading is paused already
    drainEvents();  // mpv may have paused itself at an end
    const bool wasPlaying = !m_state.Status().paused;
    SetMpvFlag(handle(), mpvprop::kPause, true);
    m_state.Status().paused = true;
    // While a seek goes on the position is its target already.
    if (wasPlaying && m_state.Loaded() && !m_state.SeekPending())
        pinWhereSoundStopped();
}

// Once the output is paused, audio-pts is the position of the last sample
// played; time-pos catches up with it only at mpv's next round, up to some
// 50 ms later. Without sound (a video alone, or held at an end) time-pos
// is all there is.
void MpvPlayerEngine::pinWhereSoundStopped()
{
    double stopped = m_state.Status().position;
    if (Mpv().get_property(m_mpv.Existing(), mpvprop::kAudioPts, MPV_FORMAT_DOUBLE, &stopped) < 0)
        Mpv().get_property(m_mpv.Existing(), mpvprop::kTimePos, MPV_FORMAT_DOUBLE, &stopped);
    if (atArmedEnd(stopped))
        stopped = m_armed.Current()->end;
    // Paused again before playback passed a pinned seek target: it resumed
    // from there, so mpv's lagging figure is short of the truth.
    const std::optional<double>& pinned = m_state.Pinned();
    m_state.Pin(pinned ? std::max(*pinned, stopped) : stopped);
    m_state.Status().position = *pinned;
}

void MpvPlayerEngine::Stop() { Pause(); }

void MpvPlayerEngine::ArmEnd(std::optional<double> end, std::optional<double> loopFrom)
{
    const std::optional<MpvArmedEnd::Armed> wanted = MpvArmedEnd::Wanted(end, loopFrom);
    if (wanted == m_armed.Current() || !m_mpv.Existing())
        return;
    try {
        // Playback that stopped at the end armed before goes on when the new
        // end lies further on; at the end of the media it stays there.
        bool held = false;
        double position = 0.0;
        if (m_state.WantsPlay() && m_armed.StopsAtEnd() && m_state.Loaded() && m_state.Status().eofReached) {
            position = GetPosition();
            held = m_armed.StoppedAt(position, m_state.Status().duration);
        }
        m_armed.Apply(m_mpv.Existing(), wanted, MpvTempoFilter::Beyond(m_speed));
        if (held && (!wanted || wanted->loopFrom || position < wanted->end))
            Play();  // from a seek, which cuts the sound at the new end
        else
            recutSound();
    } catch (const MediaError&) {
        // The next command or tick finds out what is wrong with the player.
    }
}

// The end moved while mpv's sound chain still cuts at the old one. Changed
// on its own, the chain drops the sound it holds, and mpv would play on
// with a gap: a seek to where playback stands restarts the sound there
// instead. Held at an end, the next Play or seek does that anyway.
void MpvPlayerEngine::recutSound()
{
    if (soundChain() == m_tempo.Told())
        return;
    const bool heldAtEnd = m_state.Status().eofReached && !m_state.SeekPending();
    if (!m_state.Loaded() || m_state.WaitingLoad() || heldAtEnd) {
        tellSoundChain();
        return;
    }
    seek(GetPosition(), 0);
}

void MpvPlayerEngine::SetSpeed(double factor)
{
    // The filter goes first, so that mpv rebuilds its sound chain once, not
    // for a filter of its own choice and again for this one.
    mpv_handle* h = handle();
    const double before = m_speed;
    const std::optional<MpvArmedEnd::Armed> armed = m_armed.Current();
    const auto tell = [&](double speed) {
        m_speed = speed;
        tellSoundChain();
        if (MpvTempoFilter::Beyond(speed) != m_armed.Beyond())
            m_armed.Apply(h, armed, MpvTempoFilter::Beyond(speed));
    };
    tell(factor);
    try {
        SetMpvDouble(handle(), mpvprop::kSpeed, factor);
    } catch (const MediaError&) {
        tell(before);  // the speed stays as it was
        throw;
    }
}
void MpvPlayerEngine::SetVolume(double percent) { SetMpvDouble(handle(), mpvprop::kVolume, percent); }
void MpvPlayerEngine::SetMuted(bool muted) { SetMpvFlag(handle(), mpvprop::kMute, muted); }
void MpvPlayerEngine::SetSubtitlesShown(bool shown) { SetMpvFlag(handle(), mpvprop::kSubVisibility, shown); }

void MpvPlayerEngine::SetSubtitleLayout(const SubtitleLayout& layout)
{
    m_subtitleLayout.Want(layout);
    if (m_mpv.Existing())
        m_subtitleLayout.Tell(m_mpv.Existing());
}
