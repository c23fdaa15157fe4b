#pragma once

#include "playback/PlayerStatus.h"

#include <mpv/client.h>

// Asks mpv to report the properties behind PlayerStatus, and folds mpv's
// property-change events into a PlayerStatus.
class MpvStatusObserver {
public:
    // Throws MediaError with mpv's code when mpv refuses an observation.
    static void ObserveAll(mpv_handle* handle);
    // Ignores every event that is not one of these property changes.
    static void Apply(const mpv_event& event, PlayerStatus& status);
};
