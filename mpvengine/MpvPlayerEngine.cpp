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
#include <string_view>
#include <utility>

MpvPlayerEngine::MpvPlayerEngine(MpvOptions options)
    : m_options(std::move(options)), m_frames(std::make_unique<VideoFrames>()),
      m_mpv(m_options, [this](mpv_handle* h) {
          if (m_options.videoOutput == "libmpv")
              m_renderer = std::make_unique<MpvVideoRenderer>(h, *m_frames);
          Mpv().set_wakeup_callback(h, &MpvPlayerEngine::onWakeup, this);
          // The layout asked for before is told once a picture's aspect is
          // known: lines are drawn only into a picture.
          try {
              MpvSubtitleLayout::Observe(h);
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
        const auto& message = *static_cast<const mpv_event_log_message*>(event.data);
        // The sound output has lost its server (killed, or restarted): mpv
        // does not open it again by itself.
        if (std::string_view(message.prefix).substr(0, 2) == "ao")
            m_soundOutputFailed = true;
        m_log.Print(message);
        return;
    }
    if (decoderthreads::Choose(m_mpv.Existing(), event))
        return;
    if (m_subtitleLayout.Apply(event)) {
        m_subtitleLayout.Tell(m_mpv.Existing(), m_requests);
        return;
    }
    if (m_requests.Answer(event))
        answered(event);
    const bool playableBefore = m_state.WhyUnplayable() == MpvEventState::Unplayable::No;
    m_state.Apply(event);
    if (event.event_id == MPV_EVENT_PLAYBACK_RESTART && std::exchange(m_outputKeptForLoad, false))
        m_armed.Apply(m_mpv.Existing(), m_requests, m_armed.Current(), m_armed.Beyond());
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

void MpvPlayerEngine::answered(const mpv_event& event)
{
    const std::uint64_t id = event.reply_userdata;
    if (id == m_seekReply) {
        if (event.error < 0)
            m_state.SeekRefused();
    } else if (id == m_loadReply) {
        const auto* command = static_cast<const mpv_event_command*>(event.data);
        if (event.error < 0)
            m_state.LoadRefused(event.error);
        else if (command)
            m_state.LoadEntry(MpvInt64At(command->result, mpvprop::kPlaylistEntryId, -1));
    } else if (id == m_stoppedPtsReply || id == m_stoppedTimeReply) {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        if (event.error >= 0 && property && property->format == MPV_FORMAT_DOUBLE && property->data)
            (id == m_stoppedPtsReply ? m_stoppedPts : m_stoppedTime) = *static_cast<const double*>(property->data);
    }
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

// A duration not reported yet leaves the target as it is: GetPosition
// clamps it once the duration is known.
double MpvPlayerEngine::clampToMedia(double seconds) const
{
    const double duration = m_state.Status().duration;
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

bool MpvPlayerEngine::tellSoundChain()
{
    return m_mpv.Existing() && m_tempo.Tell(m_mpv.Existing(), m_requests, soundChain());
}

void MpvPlayerEngine::seek(double seconds, int waitMs)
{
    const double target = clampToMedia(seconds);
    // A seek rebuilds mpv's sound chain anyway: the new cut costs nothing.
    cutFrom(target);
    tellSoundChain();
    if (!m_soughtThisTurn) {
        m_soughtThisTurn = true;
        QMetaObject::invokeMethod(this, [this] { m_soughtThisTurn = false; }, Qt::QueuedConnection);
    }
    m_state.BeginSeek();
    m_seekReply = m_requests.Command(m_mpv.Existing(), {MpvStringNode(mpvprop::kCmdSeek), MpvDoubleNode(target),
                                                       MpvStringNode(mpvprop::kSeekAbsoluteExact)});
    if (!m_seekReply)
        m_state.SeekRefused();
    m_state.Pin(target);
    m_state.Status().position = target;
    // mpv takes the seek in its own time. A short one is waited for, so that
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
    if (std::exchange(m_soundOutputFailed, false))
        m_requests.Command(m_mpv.Existing(), {MpvStringNode(mpvprop::kCmdReloadSoundOutput)});
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
        m_requests.SetFlag(handle(), mpvprop::kPause, false);
        return;
    }
    if (m_resumePending)
        return;
    m_resumePending = true;
    QMetaObject::invokeMethod(this, [this] {
        if (!m_resumePending || !m_mpv.Existing())
            return;
        m_resumePending = false;
        m_requests.SetFlag(m_mpv.Existing(), mpvprop::kPause, false);
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
    m_requests.SetFlag(m_mpv.Existing(), mpvprop::kPause, true);
    m_state.Status().paused = true;
    // While a seek goes on the position is its target already.
    if (wasPlaying && m_state.Loaded() && !m_state.SeekPending())
        pinWhereSoundStopped();
}

// Once the output is paused, audio-pts is the position of the last sample
// played; time-pos catches up with it only at mpv's next round, up to some
// 50 ms later. Without sound (a video alone, or held at an end) time-pos
// is all there is. mpv answers both after the pause, which it takes first;
// when it does not answer in time (its sound server is stalled), the
// position it reported last is where the sound stands.
void MpvPlayerEngine::pinWhereSoundStopped()
{
    mpv_handle* h = m_mpv.Existing();
    m_stoppedPts.reset();
    m_stoppedTime.reset();
    m_stoppedPtsReply = m_requests.Get(h, mpvprop::kAudioPts, MPV_FORMAT_DOUBLE);
    m_stoppedTimeReply = m_requests.Get(h, mpvprop::kTimePos, MPV_FORMAT_DOUBLE);
    const std::uint64_t last = m_stoppedTimeReply;
    waitUntil([this, last] { return !m_requests.Unanswered(last); }, m_options.pauseWaitMs);
    m_stoppedPtsReply = m_stoppedTimeReply = 0;  // an answer later than that is not used
    double stopped = m_stoppedPts.value_or(m_stoppedTime.value_or(m_state.Status().position));
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
        m_armed.Apply(m_mpv.Existing(), m_requests, wanted, MpvTempoFilter::Beyond(m_speed));
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
    // mpv's own range; a refusal from mpv would come only after the return.
    if (!(factor >= 0.01 && factor <= 100.0))
        throw MpvError(MPV_ERROR_PROPERTY_FORMAT, "set speed");
    // The filter goes first, so that mpv rebuilds its sound chain once, not
    // for a filter of its own choice and again for this one.
    mpv_handle* h = handle();
    const std::optional<MpvArmedEnd::Armed> armed = m_armed.Current();
    m_speed = factor;
    tellSoundChain();
    if (MpvTempoFilter::Beyond(factor) != m_armed.Beyond())
        m_armed.Apply(h, m_requests, armed, MpvTempoFilter::Beyond(factor));
    m_requests.SetDouble(h, mpvprop::kSpeed, factor);
}

void MpvPlayerEngine::SetVolume(double percent)
{
    if (!(percent >= 0.0))
        throw MpvError(MPV_ERROR_PROPERTY_FORMAT, "set volume");
    m_requests.SetDouble(handle(), mpvprop::kVolume, percent);
}

void MpvPlayerEngine::SetMuted(bool muted) { m_requests.SetFlag(handle(), mpvprop::kMute, muted); }
void MpvPlayerEngine::SetSubtitlesShown(bool shown) { m_requests.SetFlag(handle(), mpvprop::kSubVisibility, shown); }

void MpvPlayerEngine::SetSubtitleLayout(const SubtitleLayout& layout)
{
    m_subtitleLayout.Want(layout);
    if (m_mpv.Existing())
        m_subtitleLayout.Tell(m_mpv.Existing(), m_requests);
}
