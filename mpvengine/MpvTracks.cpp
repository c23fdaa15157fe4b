#include "mpvengine/MpvTracks.h"

#include "mpvengine/MpvHandle.h"

#include <cstring>
#include <mpv/client.h>

namespace {
bool flagAt(const mpv_node& map, const char* key)
{
    const mpv_node* value = MpvMapValue(map, key);
    return value && value->format == MPV_FORMAT_FLAG && value->u.flag != 0;
}

double doubleAt(const mpv_node& map, const char* key)
{
    const mpv_node* value = MpvMapValue(map, key);
    return value && value->format == MPV_FORMAT_DOUBLE ? value->u.double_ : 0.0;
}

bool typeIs(const mpv_node& map, const char* type)
{
    const mpv_node* value = MpvMapValue(map, "type");
    return value && value->format == MPV_FORMAT_STRING && std::strcmp(value->u.string, type) == 0;
}
}  // namespace

MpvTracks MpvTracks::From(const mpv_node& trackList)
{
    MpvTracks tracks;
    if (trackList.format != MPV_FORMAT_NODE_ARRAY || !trackList.u.list)
        return tracks;
    const mpv_node_list& list = *trackList.u.list;
    for (int i = 0; i < list.num; ++i) {
        const mpv_node& track = list.values[i];
        tracks.listed = true;
        if (typeIs(track, "audio"))
            tracks.sound = true;
        if (typeIs(track, "video") && !flagAt(track, "image") && !flagAt(track, "albumart") && !tracks.movingPicture) {
            tracks.movingPicture = true;
            tracks.fps = doubleAt(track, "demux-fps");
        }
    }
    return tracks;
}

bool MpvTracks::OnlyStills(double duration) const
{
    if (!listed || sound)
        return false;
    if (!movingPicture)
        return true;
    // One frame lasts 1 / fps; below one and a half of them there is no second.
    return duration > 0.0 && fps > 0.0 && duration * fps < 1.5;
}
