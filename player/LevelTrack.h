#pragma once

#include <vector>

// How loud a file's audio is, frame by frame: the RMS (0..1) of each
// `frameSeconds` of it, in order from the start.
struct LevelTrack {
    double frameSeconds = 0.0;
    std::vector<float> levels;
    bool empty() const { return levels.empty(); }
};
