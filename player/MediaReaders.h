#pragma once

#include "player/ISubtitleLoader.h"
#include "player/IWaveformOverview.h"

// What the player pane reads from a media file beside the engine that
// plays it: handed in as the engine is, so that the pane knows no reader.
struct MediaReaders {
    OverviewOpener openOverview;
    SubtitlesOpener openSubtitles;
};

// The readers the program uses.
MediaReaders MakeDefaultMediaReaders();
