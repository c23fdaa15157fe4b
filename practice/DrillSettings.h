#pragma once

#include <QString>
#include <vector>

// The gap after each round, for the learner to speak into: a multiple of
// the sentence's length, or a fixed number of seconds (both 0: none).
struct DrillGap {
    double factor = 0.0;
    double seconds = 0.0;

    double For(double sentenceSeconds) const { return seconds > 0.0 ? seconds : factor * sentenceSeconds; }
    bool operator==(const DrillGap&) const = default;
};

// The learner's choices for the drill, kept in a settings file of its own.
struct DrillSettings {
    int repeats = 3;  // rounds per sentence; 0: endless
    DrillGap gap{1.0, 0.0};
    double firstSpeed = 0.0;  // speed of each sentence's first round; 0: as the others
    bool goOn = true;  // on to the next sentence by itself, or stop after this one
    bool recordTakes = false;  // each gap records the learner into a take
    bool playTake = false;  // a take is played right after its gap, then the sentence once more

    bool operator==(const DrillSettings&) const = default;
};

// The choices the drill bar offers; a stored value outside them is not used.
struct DrillGapChoice {
    const char* key;  // as stored: "none", "1.5x", "3s"
    const char* label;
    DrillGap gap;
};
const std::vector<int>& DrillRepeatChoices();
const std::vector<DrillGapChoice>& DrillGapChoices();
const std::vector<double>& DrillFirstSpeedChoices();

// $XDG_CONFIG_HOME/quillora/practice.conf (~/.config/quillora/practice.conf).
QString DrillSettingsPath();
// The defaults for what is missing, unreadable or not among the choices.
DrillSettings LoadDrillSettings(const QString& path);
// False when the file could not be written.
bool SaveDrillSettings(const QString& path, const DrillSettings& settings);
