#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Sound decoded from an MP3 file, mixed down to mono.
struct DecodedSound {
    int sampleRate = 44100;
    std::vector<std::int16_t> samples;
};

// Decodes an MP3 file with LAME's decoder; nothing for a file that is
// missing, larger than maxBytes or holds no frame. Blocks on the file: for
// a worker thread.
std::optional<DecodedSound> DecodeMp3File(const std::string& path, std::size_t maxBytes = 64u << 20);
