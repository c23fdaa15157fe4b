#pragma once

#include "mpvengine/MpvLibrary.h"

#include <cstdint>

// How many threads decode a file's video. Each thread that decodes frames
// ahead holds frames and tables of its own (about 5 MiB apiece at 1080p)
// and delays the picture by a frame; mpv's choice is one per core and one
// more, so its memory grows with the machine. One core decodes an H.264
// video up to 1080p in real time (some 200 frames a second here, 80 at
// 40 Mbit/s), so such a video gets one thread; a larger one gets mpv's
// choice. A core that falls behind costs pictures, never sound.
namespace decoderthreads {

// The reply id mpv's question comes with; the engine's other ids differ.
inline constexpr std::uint64_t kHookReply = 0x7468;

// 1 for a picture of at most 1920 x 1088 pixels (or none), 0 (mpv's "auto") above.
int ThreadsFor(std::int64_t pixels);

// The largest picture of the video tracks in an mpv track list; cover art
// (one still picture) does not count, a video of a size not yet known
// counts as larger than any. 0 when there is no video.
std::int64_t LargestPicture(const mpv_node& trackList);

// Asks mpv to wait, before it makes each file's decoders, for Choose.
// Throws MediaError when mpv refuses.
void AskBeforeDecoders(mpv_handle* handle);

// For mpv's question (event is the hook that AskBeforeDecoders set up):
// sets the thread count for the file's video and lets mpv go on. Returns
// false, doing nothing, for any other event.
bool Choose(mpv_handle* handle, const mpv_event& event);

}  // namespace decoderthreads
