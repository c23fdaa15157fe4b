#pragma once

#include <optional>
#include <string>
#include <vector>

// An MP3 file decoded with libmpg123, mixed down to mono.
struct DecodedAudio {
    long sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;  // mono, -1..1
    double seconds() const { return sampleRate ? double(samples.size()) / double(sampleRate) : 0.0; }
};

// Empty when the file cannot be opened or holds no decodable frame.
std::optional<DecodedAudio> decodeMp3(const std::string& path);

// The tone's frequency from rising zero crossings between two times (s).
double toneFrequency(const DecodedAudio& audio, double from, double to);
