#pragma once

#include "player/SubtitleLines.h"
#include "practice/DrillSettings.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class IPlayerControls;
class TakePlayer;
class TakeRecorder;
class IPlayerEngine;
struct PlayerStatus;

// The drill's course, sentence after sentence: each sentence is played
// from its start to its end a number of rounds, each round followed by a
// silent gap, then on to the next sentence or done. It drives the player
// through its contract: a round is a replay as 复读 makes it (seek, play,
// the end armed so that the engine cuts there), and the gap is a timer
// while playback waits at the sentence's end. With takes, each gap records
// the learner, and the take may be played right after it, followed by the
// sentence once more.
class Drill : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Playing, Gap, Take, Held, Done };

    Drill(IPlayerEngine& player, IPlayerControls& controls, QObject* parent = nullptr);

    // Applies from the next round on.
    void setSettings(const DrillSettings& settings) { m_settings = settings; }
    const DrillSettings& settings() const { return m_settings; }
    // Where the gaps' takes go and what plays them; without, no takes.
    void setTakes(TakeRecorder* recorder, TakePlayer* player);
    // New sentences (another file): a running drill ends.
    void setSentences(SubtitleLines sentences);
    const SubtitleLines& sentences() const { return m_sentences; }

    // Starts at the sentence playing at `position` (between sentences: the
    // next one); false, and notice() told, when there is none.
    bool start(double position);
    // Stops and pauses playback where it is.
    void stop();
    // Ends at once, leaving playback to a command that takes over.
    void end();
    // The previous (-1) or next (+1) sentence, from its first round; past
    // the last sentence the drill is done.
    void step(int direction);
    // Holds a round or a gap where it is, or resumes it.
    void toggleHold();
    // What the player reports: where a round ends is watched from it.
    void showStatus(const PlayerStatus& status);

    State state() const { return m_state; }
    bool running() const { return m_state != State::Idle && m_state != State::Done; }
    // The round playing is the sentence once more after a take.
    bool replayingAfterTake() const { return m_echo; }
    // 1-based; 0 when idle.
    int round() const { return m_round; }
    // Index into sentences().lines(); -1 when idle.
    int sentence() const { return m_index; }
    // The gap's length as last started, seconds.
    double lastGap() const { return m_lastGap; }
    // What is left of the gap, running or held; ms.
    int gapRemainingMs() const;

signals:
    void changed();
    // The drill is about to take over playback.
    void starting();
    // The sentence now drilled, as the passage.
    void passageChosen(double start, double end);
    void notice(const QString& text);

private:
    void beginSentence(int index);
    void playRound();
    // The player's position at or past the sentence's end (or the file's):
    // the round is over.
    void checkRoundEnd();
    void roundEnded();
    void gapEnded();
    // On to the next round, the next sentence or the end.
    void advance();
    bool takesWanted() const;
    void takeFinished(double sentenceStart, bool kept);
    // Plays the take just written, or without one goes on to the sentence.
    void playWrittenTake();
    void afterTake();
    void stopTakes();
    void applySpeed();
    void restoreSpeed();
    // Runs player calls; a failure ends the drill and is told.
    void guarded(const std::function<void()>& calls);
    void finish(State to);
    void setState(State state);

    IPlayerEngine& m_player;
    IPlayerControls& m_controls;
    DrillSettings m_settings;
    SubtitleLines m_sentences;
    State m_state = State::Idle;
    State m_heldFrom = State::Idle;
    int m_index = -1;
    int m_round = 0;
    // A status after the round began has shown playback inside the
    // sentence: a later one at its end is the round's end, not the last
    // round's end still reported.
    bool m_seenInside = false;
    bool m_checkQueued = false;
    double m_lastGap = 0.0;
    QTimer m_gap;
    int m_gapLeftMs = 0;
    // Beside the statuses, as the window's own watch does: a position
    // reached without a status telling of it is found within 100 ms.
    QTimer m_watch;
    double m_chosenSpeed = 1.0;
    std::optional<double> m_speedSet;  // what the drill last set
    double m_duration = 0.0;
    bool m_atFileEnd = false;
    TakeRecorder* m_takes = nullptr;
    TakePlayer* m_takePlayer = nullptr;
    // The gap's take: recorded, ended and waited for, written (kept or not).
    enum class TakeStep { None, Recording, Waiting, Kept, Lost };
    TakeStep m_take = TakeStep::None;
    // A take that a stalled sound server never lets end is given up on.
    QTimer m_takeGuard;
    bool m_echo = false;         // the round after a take
};
