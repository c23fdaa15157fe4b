#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Media whose sound says where it is, and the reading of a recording of it.
// From `start` on, kTones tones of kToneSeconds each, every one at a
// frequency of its own, with silence around them. A recording's first and
// last heard samples are placed in the file by naming the tone there and
// finding the sample where that tone changes into its neighbour. Tones
// that sweep instead say where they are by their pitch alone: a tempo
// filter copies the sound in stretches at its own pace, so the change
// point, stretched by the speed, misplaces the ends by a few ms.
struct ToneCode {
    static constexpr int kTones = 80;
    static constexpr double kToneSeconds = 0.05;
    static constexpr double kAmplitude = 0.4;  // of full scale

    double start = 1.0;
    int rate = 44100;
    // Hz each tone rises by across its slot, centred on its frequency;
    // below the 40 Hz between tones, so that no two tones share a pitch.
    double sweep = 0.0;

    // Neighbours lie far apart in frequency, so that a short window tells
    // them apart sharply; all are 40 Hz apart from 400 Hz up.
    double Frequency(int tone) const;
    // The pitch sounding `intoSlot` seconds into a tone.
    double FrequencyAt(int tone, double intoSlot) const;
    double SlotStart(int tone) const { return start + tone * kToneSeconds; }
    double End() const { return SlotStart(kTones); }
    // The tone playing at file time t, or -1 outside the tones.
    int ToneAt(double t) const;

    // Mono 16-bit samples of `seconds`. With noise, the time before
    // start - 1 s and after End() + 1 s holds bursts of pink noise and
    // silence, so that a variable-rate encoder varies its frames there.
    std::vector<std::int16_t> Render(double seconds, bool noise) const;
};

// A stretch of sound in a recording, placed in the file it came from.
struct HeardPiece {
    std::size_t first = 0, last = 0;  // sample indices in the recording, inclusive
    double start = -1.0, end = -1.0;  // file seconds heard at first and just past last; -1: not placed
    // Silence before it in the recording, in seconds; 0 when it follows
    // the previous piece without any (a jump in the file).
    double silenceBefore = 0.0;
};

// The recording (mono, code.rate), played at `speed`, cut into pieces: a
// piece ends at a silence of gapMs or more, or where the sound jumps in
// the file. Pieces shorter than 60 ms of sound are not placed.
std::vector<HeardPiece> ReadHeardPieces(const std::vector<std::int16_t>& recording, const ToneCode& code,
                                        double speed, double gapMs = 2.0);
