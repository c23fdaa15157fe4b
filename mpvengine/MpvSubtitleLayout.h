#pragma once

#include "mpvengine/MpvLibrary.h"
#include "mpvengine/MpvRequests.h"
#include "player/IPlayerEngine.h"

#include <cstdint>
#include <optional>

// Places the subtitle lines mpv draws into the picture: clear of what
// covers the bottom of the frame, at the size asked for. mpv measures its
// margin in 720ths of the picture's height (not the frame's: a wide picture
// on a tall screen has black bands), counted from the frame's bottom, so the
// margin that clears a bar depends on the picture's aspect, which mpv tells
// once it has decoded the video.
class MpvSubtitleLayout {
public:
    // mpv's own margin, kept between the lines and the bar.
    static constexpr int kOwnMargin = 22;
    static constexpr int kLargestMargin = 600;  // mpv refuses more

    static void Observe(mpv_handle* handle);
    // Whether the event is the aspect's change, taken in.
    bool Apply(const mpv_event& event);
    void Want(const SubtitleLayout& layout) { m_wanted = layout; }
    // Tells mpv what has changed since it was last told, without waiting
    // for its answer.
    void Tell(mpv_handle* handle, MpvRequests& requests);

    // The margin, in mpv's units, that keeps the lines clear of the covered
    // bottom of a frame showing a picture of this aspect (0: not known, the
    // picture then taken to fill the frame's height).
    static int MarginFor(const SubtitleLayout& layout, double aspect);

private:
    SubtitleLayout m_wanted;
    double m_aspect = 0.0;
    std::optional<int> m_toldMargin;
    std::optional<double> m_toldScale;
};
