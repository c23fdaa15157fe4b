#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class IMediaEngine;
class QWidget;
class SubtitleLines;
struct PlayerStatus;

// A drill that plays the file's sentences (the lines of the pane's
// subtitle track) by itself, each a number of rounds with a gap to speak
// into. The player pane holds it, places its bar and hands it what it
// hears from the engine; the drill drives the engine itself.
class IPlayerDrill {
public:
    virtual ~IPlayerDrill() = default;

    // The bar with the drill's choices and its round; the pane places it.
    virtual QWidget* Bar() = 0;
    // A sentence is being drilled (playing, in a gap or held).
    virtual bool Running() const = 0;
    // Starts at the sentence playing (between sentences: the next one), or
    // stops, pausing playback where it is.
    virtual void Toggle() = 0;
    // Ends the drill at once and leaves playback as it is, for a command
    // of the window that takes over.
    virtual void End() = 0;
    // On to the previous (-1) or next (+1) sentence at once.
    virtual void Step(int direction) = 0;
    // The player's own pause while the drill runs: holds or resumes it.
    virtual void ToggleHold() = 0;
    virtual void SetSentences(const SubtitleLines& lines) = 0;
    virtual void ShowStatus(const PlayerStatus& status) = 0;
    // The file opened, whose takes the drill keeps beside it.
    virtual void SetMedia(const std::string& path) { (void)path; }
    // Outside a drill: starts a take of the passage, or ends the one being
    // recorded; false when there is no passage or no takes.
    virtual bool ToggleTake(double start, double end) { (void)start, (void)end; return false; }
    // Plays the newest take of the passage starting at start.
    virtual bool PlayTake(double start) { (void)start; return false; }
};

// What the drill asks of the pane.
struct PlayerDrillHooks {
    // The sentence becomes the passage, as if it was chosen with L.
    std::function<void(double start, double end)> passageChosen;
    // The drill is about to take over playback.
    std::function<void()> starting;
    // A short notice for the user ("no sentences").
    std::function<void(const std::string& text)> tell;
    // The newest take, to be drawn under its sentence from `start`: its
    // peaks (0..1), one for each `step` seconds from its first sound.
    std::function<void(double start, std::vector<float> peaks, double step)> takeShown;
    // Where in the take playback is, seconds from its start; negative when
    // it is not playing.
    std::function<void(double seconds)> takePlaying;
};

using PlayerDrillMaker = std::function<std::unique_ptr<IPlayerDrill>(IMediaEngine& engine, PlayerDrillHooks hooks)>;
