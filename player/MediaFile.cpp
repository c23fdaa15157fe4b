#include "player/MediaFile.h"

#include <filesystem>
#include <system_error>

namespace mediafile {
bool IsThere(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool IsRegular(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string Stamp(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return std::string();
    const auto time = std::filesystem::last_write_time(path, error);
    if (error)
        return std::string();
    return path + '\n' + std::to_string(size) + '\n' + std::to_string(time.time_since_epoch().count());
}
}  // namespace mediafile
