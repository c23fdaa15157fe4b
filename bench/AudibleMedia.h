#pragma once

#include "support/ToneCode.h"

#include <string>
#include <vector>

// The tone-coded files (sweeping tones) the audible-end benchmark plays, made once into a
// folder of their own and kept there for later runs: a 6-second file in
// every format, and 30-minute ones whose tones start at 25 minutes, after
// bursts of noise that make a variable-rate encoder vary its frames.
struct AudibleMedia {
    std::string name;  // "WAV", "MP3 VBR at 25 min", ...
    std::string path;
    ToneCode code;
    bool deep = false;  // the tones lie 25 minutes in
};

// Makes what is missing with ffmpeg and lame; a file whose encoder fails
// is left out with a message. quick: the WAV and the CBR MP3 only.
std::vector<AudibleMedia> PrepareAudibleMedia(const std::string& folder, bool quick);
