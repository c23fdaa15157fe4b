#pragma once

#include "player/LevelTrack.h"
#include "player/SubtitleLines.h"

#include <vector>

// How sentences are told apart, in seconds.
struct SentenceRules {
    // A pause at least this long ends a sentence; a shorter one (a comma,
    // a breath, the closure of a stop) does not.
    double sentencePause = 0.28;
    // A stretch shorter than this joins its neighbour.
    double shortest = 0.6;
    // A stretch longer than this is split at its longest inner pause.
    double longest = 12.0;
    // How far a sentence reaches into the pause before its first sound and
    // after its last, at most; never more than half the pause.
    double leadIn = 0.10;
    double tailOut = 0.15;
};

// The sentences of a file found from its pauses: `levels` are the RMS
// levels (0..1) of consecutive frames of `frameSeconds` each. What counts
// as a pause follows the file's own noise floor and loudness, so a quiet
// room recording and a loud broadcast are read alike. The sentences come in
// order, without text, each starting a little before its first sound and
// ending a little after its last, inside the pauses around it. A file
// without any pause to tell (silence, or sound throughout) has none.
std::vector<SubtitleLine> FindSentences(const std::vector<float>& levels, double frameSeconds,
                                        const SentenceRules& rules = {});
SubtitleLines FindSentences(const LevelTrack& track);
