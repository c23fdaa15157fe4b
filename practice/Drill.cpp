#include "practice/Drill.h"

#include "player/IPlayerEngine.h"
#include "player/MediaError.h"
#include "player/PlayerStatus.h"
#include "practice/TakePlayer.h"
#include "practice/TakeRecorder.h"

#include <cmath>

namespace {
constexpr int kWatchMs = 100;
// Closer than this to the end of the file counts as there: the player
// reports the last frame's time, a hair short of the duration.
constexpr double kFileEndSlack = 0.05;
// A status this far before the end shows playback inside the sentence.
constexpr double kInside = 0.03;
// A take ends at its gap's end; this much beyond it covers a held gap.
constexpr double kTakeSlackSeconds = 30.0;
// How much longer than the take its playing may take before it is given up.
constexpr double kTakeGuardSeconds = 5.0;
}  // namespace

Drill::Drill(IPlayerEngine& player, IPlayerControls& controls, QObject* parent)
    : QObject(parent), m_player(player), m_controls(controls)
{
    m_gap.setSingleShot(true);
    m_gap.setTimerType(Qt::PreciseTimer);
    connect(&m_gap, &QTimer::timeout, this, [this] { guarded([this] { gapEnded(); }); });
    m_watch.setInterval(kWatchMs);
    m_watch.setTimerType(Qt::PreciseTimer);
    connect(&m_watch, &QTimer::timeout, this, [this] { checkRoundEnd(); });
    m_takeGuard.setSingleShot(true);
    connect(&m_takeGuard, &QTimer::timeout, this, [this] {
        if (m_state != State::Take)
            return;
        if (m_takePlayer)
            m_takePlayer->stop();
        emit notice("我的录音没有放完：声音输出没有回应");
        guarded([this] { afterTake(); });
    });
}

void Drill::setTakes(TakeRecorder* recorder, TakePlayer* player)
{
    m_takes = recorder;
    m_takePlayer = player;
    if (m_takes)
        connect(m_takes, &TakeRecorder::finished, this, &Drill::takeFinished);
    if (m_takePlayer)
        connect(m_takePlayer, &TakePlayer::ended, this, [this](const QString& error) {
            if (m_state != State::Take)
                return;
            if (!error.isEmpty())
                emit notice(error);
            guarded([this] { afterTake(); });
        });
}

bool Drill::takesWanted() const
{
    return m_settings.recordTakes && m_takes;
}

void Drill::stopTakes()
{
    if (m_take == TakeStep::Recording && m_takes)
        m_takes->finish();  // what was said so far is kept
    if (m_takePlayer)
        m_takePlayer->stop();
    m_takeGuard.stop();
    m_take = TakeStep::None;
    m_echo = false;
}

void Drill::setSentences(SubtitleLines sentences)
{
    if (running())
        end();
    m_sentences = std::move(sentences);
}

void Drill::guarded(const std::function<void()>& calls)
{
    try {
        calls();
    } catch (const MediaError& error) {
        finish(State::Idle);
        emit notice(QString::fromStdString(error.what()));
    }
}

bool Drill::start(double position)
{
    if (m_sentences.empty()) {
        emit notice("这个文件没有句子");
        return false;
    }
    const SubtitleLine* line = m_sentences.playingOrNext(position);
    if (!line) {
        emit notice("后面没有句子了");
        return false;
    }
    emit starting();
    if (m_takes)
        m_takes->resetNotices();
    m_chosenSpeed = m_controls.Status().speed;
    m_speedSet.reset();
    // Running from here on, so that the passage it sets is taken as its own.
    m_state = State::Playing;
    const int index = int(line - m_sentences.lines().data());
    guarded([this, index] { beginSentence(index); });
    return running();
}

void Drill::stop()
{
    if (!running())
        return;
    guarded([this] {
        m_player.Pause();
        m_controls.ArmEnd(std::nullopt, std::nullopt);
    });
    finish(State::Idle);
}

void Drill::end()
{
    if (running())
        finish(State::Idle);
}

void Drill::finish(State to)
{
    m_gap.stop();
    m_watch.stop();
    m_checkQueued = false;
    stopTakes();
    if (running())
        restoreSpeed();
    m_index = -1;
    m_round = 0;
    setState(to);
}

void Drill::setState(State state)
{
    m_state = state;
    emit changed();
}

void Drill::step(int direction)
{
    if (!running())
        return;
    const int index = m_index + (direction < 0 ? -1 : 1);
    if (index >= int(m_sentences.lines().size())) {
        guarded([this] { m_player.Pause(); });
        finish(State::Done);
        return;
    }
    m_gap.stop();
    stopTakes();
    guarded([this, index] { beginSentence(index < 0 ? 0 : index); });
}

void Drill::toggleHold()
{
    if (m_state == State::Playing) {
        guarded([this] { m_player.Pause(); });
        m_watch.stop();
        m_heldFrom = State::Playing;
        setState(State::Held);
    } else if (m_state == State::Gap) {
        m_gapLeftMs = m_gap.isActive() ? m_gap.remainingTime() : 0;
        m_gap.stop();
        m_heldFrom = State::Gap;
        setState(State::Held);
    } else if (m_state == State::Take) {
        if (m_takePlayer)
            m_takePlayer->stop();
        m_takeGuard.stop();
        m_heldFrom = State::Take;
        setState(State::Held);
    } else if (m_state == State::Held) {
        if (m_heldFrom == State::Take) {
            // Resumed with the sentence once more, or still waiting for
            // the take to be written.
            setState(State::Take);
            if (m_take == TakeStep::Kept || m_take == TakeStep::Lost)
                guarded([this] { playWrittenTake(); });
            else if (m_take != TakeStep::Waiting)
                guarded([this] { afterTake(); });
        } else if (m_heldFrom == State::Playing) {
            setState(State::Playing);
            m_watch.start();
            guarded([this] { m_player.Play(); });
        } else {
            setState(State::Gap);
            m_gap.start(m_gapLeftMs);
        }
    }
}

int Drill::gapRemainingMs() const
{
    if (m_state == State::Held && m_heldFrom == State::Gap)
        return m_gapLeftMs;
    return m_state == State::Gap && m_gap.isActive() ? m_gap.remainingTime() : 0;
}

void Drill::beginSentence(int index)
{
    m_index = index;
    m_round = 1;
    const SubtitleLine& line = m_sentences.lines()[std::size_t(index)];
    // As between two passages of the window's own: the old end is let go
    // while playback stands, then the new one is armed after the play.
    m_player.Pause();
    m_controls.ArmEnd(std::nullopt, std::nullopt);
    emit passageChosen(line.start, line.end);
    playRound();
}

// As 复读 does it: to the start, play, and the end armed after, which the
// engine needs in that order to cut the sound at the end at any speed.
void Drill::playRound()
{
    const SubtitleLine& line = m_sentences.lines()[std::size_t(m_index)];
    applySpeed();
    m_seenInside = false;
    m_atFileEnd = false;
    setState(State::Playing);
    m_player.SetPosition(line.start);
    m_player.Play();
    m_controls.ArmEnd(line.end, std::nullopt);
    m_watch.start();
}

void Drill::applySpeed()
{
    if (m_settings.firstSpeed <= 0.0 && !m_speedSet)
        return;  // the learner's own speed throughout
    const double current = m_controls.Status().speed;
    // A speed the learner chose while the drill ran is kept for the
    // rounds after the first.
    if (m_speedSet && current != *m_speedSet)
        m_chosenSpeed = current;
    const double wanted = m_round == 1 && m_settings.firstSpeed > 0.0 ? m_settings.firstSpeed : m_chosenSpeed;
    if (wanted != current)
        m_controls.SetSpeed(wanted);
    m_speedSet = wanted;
}

void Drill::restoreSpeed()
{
    if (!m_speedSet)
        return;
    try {
        if (m_controls.Status().speed != m_chosenSpeed || *m_speedSet != m_chosenSpeed)
            m_controls.SetSpeed(m_chosenSpeed);
    } catch (const MediaError&) {
        // The player will not take it: its own speed stays.
    }
    m_speedSet.reset();
}

// The listener is called from inside the engine's own event handling, so
// the position is asked for once that has returned.
void Drill::showStatus(const PlayerStatus& status)
{
    if (status.duration > 0.0)
        m_duration = status.duration;
    if (m_state != State::Playing)
        return;
    const double end = m_sentences.lines()[std::size_t(m_index)].end;
    if (!m_seenInside) {
        if (!status.eofReached && status.position < end - kInside)
            m_seenInside = true;
        return;
    }
    if (status.eofReached)
        m_atFileEnd = status.duration > 0.0 && status.position >= status.duration - kFileEndSlack;
    if ((status.position >= end || status.eofReached) && !m_checkQueued) {
        m_checkQueued = true;
        QMetaObject::invokeMethod(this, [this] {
            if (m_checkQueued) {
                m_checkQueued = false;
                checkRoundEnd();
            }
        }, Qt::QueuedConnection);
    }
}

void Drill::checkRoundEnd()
{
    if (m_state != State::Playing)
        return;
    guarded([this] {
        const double end = m_sentences.lines()[std::size_t(m_index)].end;
        const double p = m_player.GetPosition();
        // A sentence that runs past the sound ends where the file does.
        const bool fileEnd = m_atFileEnd && m_duration > 0.0 && p >= m_duration - kFileEndSlack;
        if (p >= end || fileEnd)
            roundEnded();
    });
}

void Drill::roundEnded()
{
    m_watch.stop();
    const SubtitleLine& line = m_sentences.lines()[std::size_t(m_index)];
    const bool lastRound = m_settings.repeats > 0 && m_round >= m_settings.repeats;
    const bool lastSentence = m_index + 1 >= int(m_sentences.lines().size());
    m_lastGap = m_settings.gap.For(line.end - line.start);
    const int ms = int(std::lround(m_lastGap * 1000.0));
    if (m_echo) {
        // The sentence once more after the take: no gap of its own.
        m_echo = false;
        m_player.Pause();
        advance();
        return;
    }
    // The last round has its gap too when the learner is recorded in it.
    const bool recorded = takesWanted() && ms > 0;
    if (lastRound && (!m_settings.goOn || lastSentence) && !recorded) {
        m_player.Pause();
        m_controls.ArmEnd(std::nullopt, std::nullopt);
        finish(State::Done);
        return;
    }
    // Held at the end while the learner speaks: the player stays silent.
    m_player.Pause();
    setState(State::Gap);
    m_take = TakeStep::None;
    if (recorded && m_takes->record(line.start, m_lastGap + kTakeSlackSeconds))
        m_take = TakeStep::Recording;
    if (ms > 0)
        m_gap.start(ms);
    else
        gapEnded();
}

void Drill::gapEnded()
{
    const bool play = m_settings.playTake && m_takePlayer;
    if (m_take == TakeStep::Recording) {
        m_takes->finish();
        m_take = play ? TakeStep::Waiting : TakeStep::None;
    }
    if (m_take == TakeStep::Waiting) {
        // Played once it is written, which the recorder tells.
        setState(State::Take);
        return;
    }
    if (play && (m_take == TakeStep::Kept || m_take == TakeStep::Lost)) {
        setState(State::Take);
        playWrittenTake();
        return;
    }
    m_take = TakeStep::None;
    advance();
}

// A take may also end before its gap does, by itself (its input gone).
void Drill::takeFinished(double, bool kept)
{
    if (m_take != TakeStep::Recording && m_take != TakeStep::Waiting)
        return;
    const bool waited = m_take == TakeStep::Waiting;
    m_take = kept ? TakeStep::Kept : TakeStep::Lost;
    if (waited && m_state == State::Take)
        guarded([this] { playWrittenTake(); });
}

void Drill::playWrittenTake()
{
    const TakeResult* take = m_takes ? m_takes->lastTake() : nullptr;
    const bool kept = m_take == TakeStep::Kept;
    m_take = TakeStep::None;
    if (kept && take && m_takePlayer) {
        if (!take->samples.empty())
            m_takeGuard.start(int((double(take->samples.size()) / take->sampleRate + kTakeGuardSeconds) * 1000.0));
        if (take->samples.empty())
            m_takePlayer->playFile(QString::fromStdString(take->path));
        else
            m_takePlayer->play(take->samples, take->sampleRate);
        return;
    }
    afterTake();
}

void Drill::afterTake()
{
    m_takeGuard.stop();
    m_echo = true;
    playRound();
}

void Drill::advance()
{
    const bool lastRound = m_settings.repeats > 0 && m_round >= m_settings.repeats;
    if (lastRound) {
        const bool lastSentence = m_index + 1 >= int(m_sentences.lines().size());
        if (!m_settings.goOn || lastSentence) {
            m_controls.ArmEnd(std::nullopt, std::nullopt);
            finish(State::Done);
            return;
        }
        beginSentence(m_index + 1);
        return;
    }
    ++m_round;
    playRound();
}
