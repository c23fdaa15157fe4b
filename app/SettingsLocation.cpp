#include "app/SettingsLocation.h"

#include "app/SettingsFile.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string folderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}
}  // namespace

std::string SettingsFileLocation(const std::string& executablePath)
{
    const std::string beside = SettingsPathFor(executablePath);
    if (beside.empty())
        return beside;
    if (::access(beside.c_str(), F_OK) == 0 || ::access(folderOf(beside).c_str(), W_OK) == 0)
        return beside;
    return UserSettingsPath();
}

std::string UserSettingsPath()
{
    std::string base = environment("XDG_CONFIG_HOME");
    if (base.empty() || base.front() != '/') {
        const std::string home = environment("HOME");
        if (home.empty())
            return std::string();
        base = home + "/.config";
    }
    return base + "/quillora/quillini";
}

bool CreateParentFolders(const std::string& path)
{
    std::filesystem::path folder;
    for (const std::filesystem::path& part : std::filesystem::path(path).parent_path()) {
        folder /= part;
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}
