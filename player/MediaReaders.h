#pragma once

#include "player/ISubtitleLoader.h"
#include "player/IWaveformOverview.h"

#include <functional>

// What the player pane reads from a media file beside the engine that
// plays it: handed in as the engine is, so that the pane knows no reader.
struct MediaReaders {
    OverviewOpener openOverview;
    SubtitlesOpener openSubtitles;
    // The sentences of a file without lines of its own, found from its
    // levels once the overview is done; none when not set.
    std::function<SubtitleLines(const LevelTrack&)> findSentences;
};

// The readers the program uses (without the sentence finder, which is
// not the readers' part: the dialog's services add it).
MediaReaders MakeDefaultMediaReaders();
