#pragma once

#include "player/LevelTrack.h"
#include "player/PeakStore.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The peaks of a media file's audio as far as they have been read; they
// are read on a thread of the overview's own, which its destruction stops
// and waits for. Every call is safe on the GUI thread while reading goes on.
class IWaveformOverview {
public:
    enum class State { Opening, Decoding, Done, Failed, Video };

    virtual ~IWaveformOverview() = default;

    virtual State state() const = 0;
    // See PeakStore::columns; empty columns until decoding has begun.
    virtual std::vector<Peak> columns(double from, double to, int count) const = 0;
    virtual double decodedSeconds() const = 0;
    virtual float loudest() const = 0;
    // The level of every short frame of the file, taken in the same pass
    // as the peaks; empty until the state is Done.
    virtual LevelTrack levels() const { return {}; }
};

// Starts the overview of a file; `changed` runs on the reading thread
// whenever there is more to show or the state changes, and must only post.
using OverviewOpener =
    std::function<std::unique_ptr<IWaveformOverview>(const std::string& path, std::function<void()> changed)>;
