#pragma once

#include "mpvengine/MpvRequests.h"

#include <mpv/client.h>
#include <optional>
#include <string>

// The sound filters mpv is told to use for the speed. At other speeds
// than 1 a tempo filter copies the sound in stretches at its own pace, and
// the times it reports wander from what it plays by up to a stretch, so
// that mpv, which cuts the sound at an end by those times, cut a passage
// short or long. Cut ahead of the filter instead, the sound it is given
// starts and ends exactly at the passage's ends, and so does what it plays.
class MpvTempoFilter {
public:
    // Seconds past an end that mpv is told while the chain cuts the sound
    // there itself: mpv's own cut must fall after the filter's last block.
    static constexpr double kBeyondCut = 0.02;

    // The tempo filter for factor; "" (none) at 1.
    static const char* For(double factor);
    // The whole chain for factor: the sound before `from` and from `to` on
    // is cut away ahead of the tempo filter. "" at 1, where mpv's own cut is
    // exact.
    static std::string Chain(double factor, std::optional<double> from, std::optional<double> to);
    // Seconds past an armed end to tell mpv at factor.
    static double Beyond(double factor) { return factor == 1.0 ? 0.0 : kBeyondCut; }
    // Tells mpv chain unless it has it already; does not wait for mpv to
    // rebuild its sound chain. Says whether it told.
    bool Tell(mpv_handle* handle, MpvRequests& requests, const std::string& chain);
    const std::string& Told() const { return m_told; }

private:
    std::string m_told;  // what mpv has been told
};
