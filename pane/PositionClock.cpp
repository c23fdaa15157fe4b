#include "pane/PositionClock.h"

#include <algorithm>

namespace {
// A report this far behind what was shown is a late one, not a move back.
constexpr double kLateReportSeconds = 0.1;
}

void PositionClock::report(double position, bool playing, double speed, double duration, Clock::time_point now)
{
    const bool same = playing && m_playing && position == m_position && speed == m_speed;
    m_duration = duration;
    if (same)
        return;
    if (playing != m_playing || speed != m_speed)
        m_lastShown = position;  // a new run: no hold against the old one
    m_position = position;
    m_since = now;
    m_playing = playing;
    m_speed = speed > 0.0 ? speed : 1.0;
}

void PositionClock::jumpTo(double position, Clock::time_point now)
{
    m_position = position;
    m_lastShown = position;
    m_since = now;
}

double PositionClock::at(Clock::time_point now)
{
    double p = m_position;
    if (m_playing)
        p += std::chrono::duration<double>(now - m_since).count() * m_speed;
    if (m_duration > 0.0)
        p = std::min(p, m_duration);
    p = std::max(p, 0.0);
    if (m_playing && p < m_lastShown && p > m_lastShown - kLateReportSeconds)
        p = m_lastShown;
    m_lastShown = p;
    return p;
}
