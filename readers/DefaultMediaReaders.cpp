#include "player/MediaReaders.h"
#include "readers/SubtitleLoader.h"
#include "readers/WaveformOverview.h"

MediaReaders MakeDefaultMediaReaders()
{
    MediaReaders readers;
    readers.openOverview = [](const std::string& path, std::function<void()> changed) {
        return std::make_unique<WaveformOverview>(path, std::move(changed));
    };
    readers.openSubtitles = [](const std::string& mediaPath, std::function<void()> done) {
        return std::make_unique<SubtitleLoader>(mediaPath, std::move(done));
    };
    return readers;
}
