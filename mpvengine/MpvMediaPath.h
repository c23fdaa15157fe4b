#pragma once

#include "player/MediaError.h"

#include <string>

// What the engine hands mpv as a media file, and what it says when mpv
// cannot play one: mpv alone would take some paths for something else.
namespace mpvmediapath {
// The path as an absolute local file. Throws MediaError (mpv's loading
// failed) when it names no regular file.
std::string Local(const std::string& path);
// The failure of a load of path that mpv ended with code.
MediaError LoadFailure(const std::string& path, int code);
}  // namespace mpvmediapath
