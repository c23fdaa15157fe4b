#pragma once

#include <string>

// How an MpvPlayerEngine's mpv handle is set up. The program keeps the
// defaults; tests pick null outputs so that nothing is shown or heard.
struct MpvOptions {
    // "libmpv" hands the frames to the widget's render context; "null" drops them.
    std::string videoOutput = "libmpv";
    // Empty lets mpv pick the default audio output.
    std::string audioOutput;
    // Bounded waits on mpv's own events, in milliseconds.
    int loadTimeoutMs = 5000;
    int seekTimeoutMs = 3000;

    static MpvOptions NullOutputs()
    {
        MpvOptions options;
        options.videoOutput = "null";
        options.audioOutput = "null";
        return options;
    }
};
