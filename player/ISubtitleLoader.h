#pragma once

#include "player/SubtitleLines.h"

#include <functional>
#include <memory>
#include <string>

// A media file's subtitle lines, read on a thread of the loader's own,
// which its destruction stops and waits for.
class ISubtitleLoader {
public:
    virtual ~ISubtitleLoader() = default;

    virtual bool finished() const = 0;
    // The lines read, handed over once; empty until finished.
    virtual SubtitleLines takeLines() = 0;
    // Why the lines of a subtitle file that is there were not read, for the
    // user ("字幕文件太大…"); empty when they were, or there is none.
    virtual std::string problem() const = 0;
    // The text file beside the media that was read but gave no line
    // (damaged, empty, or of no known form); empty otherwise. Once finished.
    virtual std::string unreadFile() const { return {}; }
};

// Starts reading the lines of a media file; `done` runs on the reading
// thread once they are there (or there are none), and must only post.
using SubtitlesOpener =
    std::function<std::unique_ptr<ISubtitleLoader>(const std::string& mediaPath, std::function<void()> done)>;
