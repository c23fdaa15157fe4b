#include "playback/MpvStatusObserver.h"

#include "playback/MediaError.h"
#include "playback/MpvProperties.h"

#include <string>

namespace {
enum ObservedId : std::uint64_t { kTimePos = 1, kDuration, kPause, kEof, kSpeed, kVolume, kMute };

struct Observed {
    ObservedId id;
    const char* name;
    mpv_format format;
};

constexpr Observed kObserved[] = {
    {kTimePos, mpvprop::kTimePos, MPV_FORMAT_DOUBLE}, {kDuration, mpvprop::kDuration, MPV_FORMAT_DOUBLE},
    {kPause, mpvprop::kPause, MPV_FORMAT_FLAG},       {kEof, mpvprop::kEofReached, MPV_FORMAT_FLAG},
    {kSpeed, mpvprop::kSpeed, MPV_FORMAT_DOUBLE},     {kVolume, mpvprop::kVolume, MPV_FORMAT_DOUBLE},
    {kMute, mpvprop::kMute, MPV_FORMAT_FLAG},
};
}  // namespace

void MpvStatusObserver::ObserveAll(mpv_handle* handle)
{
    for (const Observed& o : kObserved) {
        const int rc = mpv_observe_property(handle, o.id, o.name, o.format);
        if (rc < 0)
            throw MediaError(static_cast<std::uint32_t>(rc),
                             std::string("observe ") + o.name + ": " + mpv_error_string(rc));
    }
}

void MpvStatusObserver::Apply(const mpv_event& event, PlayerStatus& status)
{
    if (event.event_id != MPV_EVENT_PROPERTY_CHANGE)
        return;
    const auto* prop = static_cast<const mpv_event_property*>(event.data);
    // MPV_FORMAT_NONE: the property is unavailable now (e.g. no file).
    const bool has = prop->format != MPV_FORMAT_NONE && prop->data;
    const double number = has && prop->format == MPV_FORMAT_DOUBLE ? *static_cast<double*>(prop->data) : 0.0;
    const bool flag = has && prop->format == MPV_FORMAT_FLAG && *static_cast<int*>(prop->data) != 0;
    switch (event.reply_userdata) {
    case kTimePos: if (has) status.position = number; break;
    case kDuration: status.duration = number; break;
    case kPause: status.paused = flag; break;
    case kEof: status.eofReached = flag; break;
    case kSpeed: if (has) status.speed = number; break;
    case kVolume: if (has) status.volume = number; break;
    case kMute: status.muted = flag; break;
    default: break;
    }
}
