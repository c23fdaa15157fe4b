#include "mpvengine/MpvArmedEnd.h"

#include "mpvengine/MpvProperties.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {
// mpv holds playback a sample or so short of an end it was given; once
// held there, its last figure at other speeds than 1 is the tempo filter's,
// which lies some ms either side of the end.
constexpr double kEndTolerance = 0.0005;
constexpr double kHeldEndTolerance = 0.1;
constexpr double kMediaEndTolerance = 0.02;

std::string timeText(double seconds)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.9f", seconds);
    return text;
}
}  // namespace

std::optional<MpvArmedEnd::Armed> MpvArmedEnd::Wanted(std::optional<double> end, std::optional<double> loopFrom)
{
    if (!end)
        return std::nullopt;
    return Armed{*end, loopFrom && *loopFrom < *end ? loopFrom : std::nullopt};
}

bool MpvArmedEnd::AtMediaEnd(double position, double duration)
{
    return duration > 0.0 && position >= duration - kMediaEndTolerance;
}

bool MpvArmedEnd::Reached(double mpvSeconds, bool held) const
{
    if (!StopsAtEnd())
        return false;
    const double end = m_armed->end;
    // Held at an end told beyond, mpv's figure is that of its own cut or of
    // the tempo filter's last block, a little past the end.
    if (held && m_beyond > 0.0 && mpvSeconds >= end)
        return mpvSeconds <= end + m_beyond + kHeldEndTolerance;
    return mpvSeconds < end && mpvSeconds >= end - (held ? kHeldEndTolerance : kEndTolerance);
}

bool MpvArmedEnd::StoppedAt(double position, double duration) const
{
    return StopsAtEnd() && position >= m_armed->end - kEndTolerance
           && (duration <= 0.0 || position < duration - kMediaEndTolerance);
}

// ab-loop-a/b and end cut the sound sample-exactly where they lie, which a
// 100 ms watch cannot. By default mpv counts an end as reached once the
// decoder has delivered it, with the sound output's buffer (some 200 ms)
// still to play: it then pauses there, and the next seek drops what was
// left, so the end of every passage went unheard. Without gapless audio it
// waits for the output to play out first. A loop goes back to A without
// draining the output, so there the default keeps the rounds seamless.
void MpvArmedEnd::Apply(mpv_handle* h, MpvRequests& requests, const std::optional<Armed>& armed, double beyond)
{
    const bool loop = armed && armed->loopFrom;
    const std::string end = armed && !loop ? timeText(std::max(0.0, armed->end + beyond)) : "none";
    requests.SetString(h, mpvprop::kGaplessAudio, loop ? "weak" : "no");
    requests.SetString(h, mpvprop::kEnd, end);
    requests.SetString(h, mpvprop::kAbLoopA, loop ? timeText(std::max(0.0, *armed->loopFrom)) : "no");
    requests.SetString(h, mpvprop::kAbLoopB, loop ? timeText(armed->end + beyond) : "no");
    m_armed = armed;
    m_beyond = beyond;
}

// Without gapless audio mpv closes its sound output with the file and opens
// a new stream for the next one. A sound server's sink that runs with a long
// latency (a null sink nobody records from: 2 s) takes a new stream only at
// its next block, and the position stood at 0.1 for up to 2 s after an open.
// The stream kept, the new file plays at once. mpv decides when it sets up
// the new file's sound, which it has done when its playback first restarts.
void MpvArmedEnd::KeepOutputAcrossLoad(mpv_handle* h, MpvRequests& requests)
{
    requests.SetString(h, mpvprop::kGaplessAudio, "weak");
}
