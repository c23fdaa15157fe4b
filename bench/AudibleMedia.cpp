#include "AudibleMedia.h"

#include "support/TestMedia.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {
constexpr double kShortSeconds = 6.0, kLongSeconds = 1800.0, kDeepStart = 1500.0;

struct Encoding {
    const char* name;
    const char* extension;
    const char* command;  // %1$s the WAV, %2$s the output
    bool inQuick;
};

constexpr Encoding kEncodings[] = {
    {"WAV", "wav", nullptr, true},
    {"MP3 CBR", "cbr.mp3", "lame --quiet -b 128 '%1$s' '%2$s'", true},
    {"MP3 VBR", "vbr.mp3", "lame --quiet -V 2 '%1$s' '%2$s'", false},
    {"AAC", "m4a", "ffmpeg -loglevel error -y -i '%1$s' -c:a aac -b:a 128k '%2$s'", false},
    {"Vorbis", "ogg", "ffmpeg -loglevel error -y -i '%1$s' -c:a libvorbis -q:a 4 '%2$s'", false},
    {"Opus", "opus", "ffmpeg -loglevel error -y -i '%1$s' -c:a libopus -b:a 96k '%2$s'", false},
    {"FLAC", "flac", "ffmpeg -loglevel error -y -i '%1$s' -c:a flac '%2$s'", false},
};
// Encoded from the 30-minute WAV as well.
constexpr const char* kDeep[] = {"MP3 VBR", "AAC"};

bool make(const Encoding& e, const std::string& wav, const std::string& out)
{
    if (std::filesystem::exists(out))
        return true;
    if (!e.command)
        return std::filesystem::copy_file(wav, out);
    // Made under another name first, so that a run cut short leaves no half file.
    const std::filesystem::path target(out);
    const std::string part = (target.parent_path() / ("part-" + target.filename().string())).string();
    char command[1024];
    std::snprintf(command, sizeof command, e.command, wav.c_str(), part.c_str());
    if (std::system(command) != 0) {
        std::fprintf(stderr, "cannot make %s: %s\n", out.c_str(), command);
        return false;
    }
    std::filesystem::rename(part, out);
    return true;
}
}  // namespace

std::vector<AudibleMedia> PrepareAudibleMedia(const std::string& folder, bool quick)
{
    std::filesystem::create_directories(folder);
    ToneCode shortCode, deepCode;
    // Sweeping tones, so that a stretch heard at another speed is placed by
    // its own pitch.
    shortCode.sweep = deepCode.sweep = 30.0;
    deepCode.start = kDeepStart;
    const std::string shortWav = folder + "/tones-source.wav", deepWav = folder + "/deep-source.wav";
    if (!std::filesystem::exists(shortWav))
        WriteSamplesWav(shortWav, shortCode.Render(kShortSeconds, false), shortCode.rate);
    if (!quick && !std::filesystem::exists(deepWav)) {
        std::printf("making the 30-minute media once (kept in %s)\n", folder.c_str());
        std::fflush(stdout);
        WriteSamplesWav(deepWav, deepCode.Render(kLongSeconds, true), deepCode.rate);
    }
    std::vector<AudibleMedia> media;
    for (const Encoding& e : kEncodings) {
        if (quick && !e.inQuick)
            continue;
        const std::string out = folder + "/tones." + e.extension;
        if (make(e, shortWav, out))
            media.push_back({e.name, out, shortCode, false});
    }
    for (const char* name : kDeep) {
        for (const Encoding& e : kEncodings) {
            if (quick || std::string(e.name) != name)
                continue;
            const std::string out = folder + "/deep." + e.extension;
            if (make(e, deepWav, out))
                media.push_back({std::string(e.name) + " at 25 min", out, deepCode, true});
        }
    }
    return media;
}
