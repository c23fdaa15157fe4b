#pragma once

#include <string>

// What the control bar shows, as the engine last heard it from the player.
struct PlayerStatus {
    bool loaded = false;
    double position = 0.0;  // seconds
    double duration = 0.0;  // seconds; 0 while unknown
    bool paused = true;
    bool eofReached = false;
    double speed = 1.0;
    double volume = 100.0;  // percent
    bool muted = false;
    bool hasVideo = false;  // a video picture is being shown
    // Why the last file could not be loaded, when that came out only after
    // SetMediaFile had returned; empty otherwise.
    std::string lateLoadFailure;

    bool operator==(const PlayerStatus&) const = default;
};
