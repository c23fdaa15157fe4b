#pragma once

#include <string>

// How an MpvPlayerEngine's mpv handle is set up. The program keeps the
// defaults; tests pick null outputs so that nothing is shown or heard.
struct MpvOptions {
    // "libmpv" renders the frames into the engine's VideoFrames; "null" drops them.
    std::string videoOutput = "libmpv";
    // The desktop's sound servers and the kernel's devices, in turn; without
    // any of them the media plays silently. mpv's other outputs are left out:
    // SDL's probe can block on the session bus for many seconds, holding up
    // the handle's destruction and so the end of the program.
    std::string audioOutput = "pulse,pipewire,alsa";
    // Bounded waits on mpv's own events, in milliseconds, short enough never
    // to hold the GUI thread noticeably. A seek that takes longer than its
    // wait goes on without holding the GUI thread; the position reads as
    // its target.
    int loadTimeoutMs = 5000;
    int seekWaitMs = 5;
    // How long Pause waits for mpv to say where the sound stopped; past it
    // (a sound server that does not answer) the position mpv reported last
    // stands.
    int pauseWaitMs = 30;
    // How long SetMediaFile waits for the file to open. One that takes
    // longer (the first video after start-up) goes on loading without
    // holding the GUI thread: a seek, Play or Stop that comes meanwhile is
    // carried out once it has loaded, and the first call after a failed
    // load reports the failure.
    int loadWaitMs = 5;

    static MpvOptions NullOutputs()
    {
        MpvOptions options;
        options.videoOutput = "null";
        options.audioOutput = "null";
        // Every load settled on return, so that a test meets a bad file's
        // error in SetMediaFile itself.
        options.loadWaitMs = options.loadTimeoutMs;
        return options;
    }
};
