#include "mpvengine/MpvMediaPath.h"

#include "mpvengine/MpvError.h"
#include "mpvengine/MpvLibrary.h"
#include "player/MediaFile.h"

#include <filesystem>
#include <system_error>

namespace {
constexpr const char* kNoSuchFile = "there is no such file";
}  // namespace

// mpv would read "scheme://..." as a URL and a folder as a playlist of its
// files; the program only ever means one local file. A pipe or a device is
// refused too: opening one can block for good.
std::string mpvmediapath::Local(const std::string& path)
{
    if (!path.empty() && !mediafile::IsThere(path))
        throw MpvFailure(MPV_ERROR_LOADING_FAILED, "cannot play " + path + ": " + kNoSuchFile);
    if (!mediafile::IsRegular(path))
        throw MpvFailure(MPV_ERROR_LOADING_FAILED, "not a media file: " + path);
    std::error_code error;
    // An absolute path starts with "/", which mpv always takes as a file.
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

MediaError mpvmediapath::LoadFailure(const std::string& path, int code)
{
    if (!mediafile::IsThere(path))
        return MpvFailure(code, "cannot play " + path + ": " + kNoSuchFile);
    return MpvError(code, "cannot play " + path);
}
