#pragma once

#include "app/TextFile.h"

#include <optional>
#include <string>
#include <string_view>

// The working state kept between runs, six lines beside the executable.
struct Settings {
    double segStart = 0.0;
    double segEnd = 0.0;
    double segNudge = 0.0;
    double pauseNudge = 0.0;
    double markLag = 0.0;
    std::string mediaPath;
    // Line 6 went on beyond what its line holds: mediaPath is only its start
    // and names some other file.
    bool mediaPathCut = false;
};

// The executable's path fits a 250-byte buffer (249 characters).
inline constexpr std::size_t kModulePathLimit = 250;

// The executable's path with its last three characters replaced by "ini".
// "" when there is no safe settings path: an executable path too long to
// fetch whole, too short to replace, or one that would name the executable
// itself.
std::string SettingsPathFor(const std::string& executablePath);

// Line 6, the media path, is read into 250 bytes: 249 characters.
inline constexpr std::size_t kMediaPathLineLimit = 250;
inline constexpr std::size_t kMaxMediaPathLength = kMediaPathLineLimit - 1;
// What ParseSettings can use: five number lines of at most 79 characters,
// the path and one character to tell whether the path ended.
inline constexpr std::size_t kSettingsReadLimit = BytesForChars(5 * 79 + kMediaPathLineLimit);

// Nothing when the data ends before the sixth line starts. One line break
// at the end of the path is not part of it.
std::optional<Settings> ParseSettings(std::string_view bytes);
// Five "%f" lines with CR LF, then the media path without a line break.
std::string FormatSettings(const Settings& settings);
