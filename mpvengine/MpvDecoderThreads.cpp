#include "mpvengine/MpvDecoderThreads.h"

#include "mpvengine/MpvError.h"
#include "mpvengine/MpvHandle.h"
#include "mpvengine/MpvProperties.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace decoderthreads {
namespace {
constexpr char kBeforeDecoders[] = "on_preloaded";  // the file is open, its decoders not yet made
constexpr std::int64_t kOneCoreLimit = 1920 * 1088;  // 1080p as H.264 codes it

bool flagAt(const mpv_node& map, const char* key)
{
    const mpv_node* value = MpvMapValue(map, key);
    return value && value->format == MPV_FORMAT_FLAG && value->u.flag;
}

bool isVideo(const mpv_node& track)
{
    const mpv_node* type = MpvMapValue(track, "type");
    return type && type->format == MPV_FORMAT_STRING && std::strcmp(type->u.string, "video") == 0;
}
}  // namespace

int ThreadsFor(std::int64_t pixels) { return pixels <= kOneCoreLimit ? 1 : 0; }

std::int64_t LargestPicture(const mpv_node& trackList)
{
    if (trackList.format != MPV_FORMAT_NODE_ARRAY || !trackList.u.list)
        return 0;
    std::int64_t largest = 0;
    const mpv_node_list* tracks = trackList.u.list;
    for (int i = 0; i < tracks->num; ++i) {
        const mpv_node& track = tracks->values[i];
        if (!isVideo(track) || flagAt(track, "albumart") || flagAt(track, "image"))
            continue;
        // mpv's sizes are ints, so the product fits; a size not known yet counts as large.
        const std::int64_t w = std::clamp<std::int64_t>(MpvInt64At(track, "demux-w", 0), 0, INT32_MAX);
        const std::int64_t h = std::clamp<std::int64_t>(MpvInt64At(track, "demux-h", 0), 0, INT32_MAX);
        largest = std::max(largest, w > 0 && h > 0 ? w * h : INT64_MAX);
    }
    return largest;
}

void AskBeforeDecoders(mpv_handle* handle)
{
    CheckMpv(Mpv().hook_add(handle, kHookReply, kBeforeDecoders, 0), "mpv hook before the decoders");
}

bool Choose(mpv_handle* handle, const mpv_event& event)
{
    if (event.event_id != MPV_EVENT_HOOK || event.reply_userdata != kHookReply)
        return false;
    const auto* hook = static_cast<const mpv_event_hook*>(event.data);
    MpvNodeGuard tracks;
    std::int64_t pixels = 0;
    if (Mpv().get_property(handle, mpvprop::kTrackList, MPV_FORMAT_NODE, tracks.get()) >= 0)
        pixels = LargestPicture(*tracks.get());
    // A refusal leaves mpv's own choice, which plays as well, with more memory.
    Mpv().set_property_string(handle, mpvprop::kDecoderThreads, std::to_string(ThreadsFor(pixels)).c_str());
    Mpv().hook_continue(handle, hook->id);
    return true;
}

}  // namespace decoderthreads
