#include "mpvengine/MpvError.h"

#include "mpvengine/MpvLibrary.h"

namespace {
const char* inWords(int code)
{
    switch (code) {
    case MPV_ERROR_LOADING_FAILED: return "the file could not be loaded";
    case MPV_ERROR_UNKNOWN_FORMAT: return "the file is in no format the player knows";
    case MPV_ERROR_NOTHING_TO_PLAY: return "the file has nothing to play";
    case MPV_ERROR_AO_INIT_FAILED: return "the sound output could not be opened";
    case MPV_ERROR_VO_INIT_FAILED: return "the video output could not be opened";
    case MPV_ERROR_UNSUPPORTED: return "the player cannot do that";
    case MPV_ERROR_PROPERTY_UNAVAILABLE: return "no media is loaded";
    case MPV_ERROR_NOMEM: return "the player ran out of memory";
    default: return nullptr;
    }
}
}  // namespace

MediaError MpvError(int code, const std::string& operation)
{
    const char* words = inWords(code);
    std::string text = words ? words : "error " + std::to_string(code);
    if (!words) {
        try {
            text = Mpv().error_string(code);
        } catch (const MediaError&) {
        }
    }
    return MpvError(code, operation, text);
}

MediaError MpvError(int code, const std::string& operation, const std::string& why)
{
    return MediaError(static_cast<std::uint32_t>(code), operation + ": " + why);
}

void CheckMpv(int code, const std::string& operation)
{
    if (code < 0)
        throw MpvError(code, operation);
}
