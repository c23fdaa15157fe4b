#pragma once

#include <chrono>

// Where playback is between two reports of the player: the last reported
// position carried forward at the playback speed on a steady clock, so
// that the position line moves smoothly instead of in steps of a report.
class PositionClock {
public:
    using Clock = std::chrono::steady_clock;

    // A report of the player. A report that repeats the last position while
    // playing (one sent for some other change) does not restart the clock.
    void report(double position, bool playing, double speed, double duration, Clock::time_point now = Clock::now());
    // Moves at once, e.g. to where a seek has just gone.
    void jumpTo(double position, Clock::time_point now = Clock::now());
    // The position now, within [0, duration] when the duration is known.
    // While playing it never steps back by less than a small amount (a late
    // report), only by a real move.
    double at(Clock::time_point now = Clock::now());
    bool playing() const { return m_playing; }

private:
    double m_position = 0.0;
    Clock::time_point m_since{};
    bool m_playing = false;
    double m_speed = 1.0;
    double m_duration = 0.0;
    double m_lastShown = 0.0;
};
