#pragma once

#include "mpvengine/MpvRequests.h"

#include <mpv/client.h>
#include <optional>

// The end or A-B loop mpv has been told to stop or turn at, and the
// tolerances with which a position counts as having reached it.
class MpvArmedEnd {
public:
    struct Armed {
        double end;
        std::optional<double> loopFrom;
        bool operator==(const Armed&) const = default;
    };

    // What ArmEnd asks for: a loop only where A lies before B.
    static std::optional<Armed> Wanted(std::optional<double> end, std::optional<double> loopFrom);
    // Play this close to the end of the media starts again from the start.
    static bool AtMediaEnd(double position, double duration);

    const std::optional<Armed>& Current() const { return m_armed; }
    // An end to stop at (not a loop) is armed.
    bool StopsAtEnd() const { return m_armed && !m_armed->loopFrom; }
    // mpvSeconds lies at the armed end, as far as mpv comes: held says that
    // playback is held at an end, where mpv's figure lies further short, or
    // past it when mpv was told an end beyond.
    bool Reached(double mpvSeconds, bool held) const;
    // Playback stopped at the armed end, not at the end of the media.
    bool StoppedAt(double position, double duration) const;
    // Tells mpv the end or loop to keep (none: play freely), `beyond`
    // seconds further on where the sound is cut at the end ahead of mpv;
    // does not wait for mpv to take it.
    void Apply(mpv_handle* handle, MpvRequests& requests, const std::optional<Armed>& armed, double beyond = 0.0);
    double Beyond() const { return m_beyond; }
    // Tells mpv to keep its sound output open when the file it plays is
    // replaced; Apply tells it again what the armed end needs.
    static void KeepOutputAcrossLoad(mpv_handle* handle, MpvRequests& requests);

private:
    std::optional<Armed> m_armed;  // what mpv has been told, less m_beyond
    double m_beyond = 0.0;
};
