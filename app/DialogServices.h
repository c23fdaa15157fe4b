#pragma once

#include "player/IPlayerDrill.h"
#include "player/IPlayerEngine.h"
#include "player/MediaReaders.h"
#include "recorder/IRecorderBackend.h"

#include <functional>
#include <memory>
#include <string>

class IUserPrompts;

// What the main dialog takes from outside: its engines and the player's
// readers, the seam for modal
// boxes, where the executable lies and how the application is ended. Tests
// fill it with fakes; the program with DialogServices::ForProgram.
struct DialogServices {
    std::function<std::unique_ptr<IMediaEngine>()> makePlayerEngine;
    MediaReaders mediaReaders;
    // The player pane's drill; none when empty.
    PlayerDrillMaker makeDrill;
    std::function<std::unique_ptr<IRecorderBackend>()> makeRecorderBackend;
    IUserPrompts* prompts = nullptr;  // not owned; outlives the dialog
    std::string executablePath;
    std::function<void(int)> quitApplication;

    static DialogServices ForProgram(IUserPrompts& prompts);
};

// The running executable's full path as the system reports it.
std::string RunningExecutablePath();
// The executable's file name without its extension: the title of the
// program's own message boxes.
std::string ApplicationTitle(const std::string& executablePath);
