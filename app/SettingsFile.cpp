#include "app/SettingsFile.h"

#include "app/NumberText.h"
#include "app/TextFile.h"

#include <algorithm>

namespace {
constexpr std::size_t kNumberLineLimit = 80;
}

std::string SettingsPathFor(const std::string& executablePath)
{
    if (executablePath.size() < 3 || executablePath.size() >= kModulePathLimit)
        return std::string();
    std::string path = executablePath.substr(0, executablePath.size() - 3) + "ini";
    return path == executablePath ? std::string() : path;
}

std::optional<Settings> ParseSettings(std::string_view bytes)
{
    TextLineReader reader(bytes);
    Settings settings;
    for (double* value : {&settings.segStart, &settings.segEnd, &settings.segNudge, &settings.pauseNudge,
                          &settings.markLag}) {
        const std::optional<std::string> line = reader.ReadLine(kNumberLineLimit);
        if (!line)
            return std::nullopt;
        *value = ReadLeadingNumber(*line);
    }
    // One character more than the path may have shows whether it ended.
    std::optional<std::string> path = reader.ReadLine(kMediaPathLineLimit + 1);
    if (!path)
        return std::nullopt;
    // The line is taken as a C string: up to a zero byte, if there is one.
    if (const auto zero = path->find('\0'); zero != std::string::npos)
        path->resize(zero);
    else if (!path->empty() && path->back() == '\n')
        path->pop_back();
    else if (path->size() > kMaxMediaPathLength)
        settings.mediaPathCut = true;
    path->resize(std::min(path->size(), kMaxMediaPathLength));
    settings.mediaPath = std::move(*path);
    return settings;
}

std::string FormatSettings(const Settings& settings)
{
    std::string text;
    for (double value : {settings.segStart, settings.segEnd, settings.segNudge, settings.pauseNudge, settings.markLag})
        text += FormatFileNumber(value) + "\n";
    return ToWindowsText(text) + settings.mediaPath;
}
