#pragma once

#include "player/MediaError.h"

#include <string>

// The one way an mpv error code becomes a MediaError: the code is kept as
// an unsigned 32-bit value, the text names the operation and says in words
// what went wrong ("loadfile x: the file could not be loaded").
MediaError MpvError(int code, const std::string& operation);
// The same, with the engine's own words for why ("cannot play x: there is
// no such file").
MediaError MpvError(int code, const std::string& operation, const std::string& why);

// Throws MpvError(code, operation) when code is an error (below 0).
void CheckMpv(int code, const std::string& operation);
