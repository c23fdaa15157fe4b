#include "mpvengine/MpvSubtitleLayout.h"

#include "mpvengine/MpvError.h"
#include "mpvengine/MpvHandle.h"
#include "mpvengine/MpvProperties.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {
// Apart from the ids of the engine's other observed properties.
constexpr std::uint64_t kAspectObserved = 0x5B100001;
constexpr double kUnitsPerPicture = 720.0;
constexpr double kRedrawNudge = 1e-6;
}  // namespace

void MpvSubtitleLayout::Observe(mpv_handle* handle)
{
    CheckMpv(Mpv().observe_property(handle, kAspectObserved, mpvprop::kVideoAspect, MPV_FORMAT_DOUBLE),
             std::string("observe ") + mpvprop::kVideoAspect);
}

bool MpvSubtitleLayout::Apply(const mpv_event& event)
{
    if (event.event_id != MPV_EVENT_PROPERTY_CHANGE || event.reply_userdata != kAspectObserved)
        return false;
    const auto& prop = *static_cast<const mpv_event_property*>(event.data);
    m_aspect = prop.format == MPV_FORMAT_DOUBLE && prop.data ? *static_cast<const double*>(prop.data) : 0.0;
    return true;
}

int MpvSubtitleLayout::MarginFor(const SubtitleLayout& layout, double aspect)
{
    double picture = layout.frameHeight;
    if (aspect > 0.0 && std::isfinite(aspect) && layout.frameWidth > 0)
        picture = std::min(picture, layout.frameWidth / aspect);
    if (layout.clearBottom <= 0 || picture < 1.0)
        return kOwnMargin;
    const double margin = kOwnMargin + std::ceil(layout.clearBottom * kUnitsPerPicture / picture);
    return static_cast<int>(std::min<double>(margin, kLargestMargin));
}

// libass keeps its last drawing of the lines until one of its own settings
// changes, and mpv's margin is not one: a paused picture would keep its
// lines where they were. A change of the scale far too small to see is,
// so that it draws them again at once.
void MpvSubtitleLayout::Tell(mpv_handle* handle, MpvRequests& requests)
{
    const int margin = MarginFor(m_wanted, m_aspect);
    const bool moved = margin != m_toldMargin;
    if (moved) {
        requests.SetInt(handle, mpvprop::kSubMarginY, margin);
        m_toldMargin = margin;
    }
    double scale = m_wanted.scale;
    if (moved && m_toldScale == scale)
        scale *= 1.0 + kRedrawNudge;
    if (scale != m_toldScale) {
        requests.SetDouble(handle, mpvprop::kSubScale, scale);
        m_toldScale = scale;
    }
}
