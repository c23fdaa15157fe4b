#pragma once

#include "recording/ICaptureSource.h"

#include <cstdint>
#include <span>
#include <vector>

struct lame_global_struct;

// LAME set up for voice: CBR 128 kbit/s, no Xing/Info header, so that a
// cut-off file keeps its true length and takes can be joined by appending.
class Mp3Encoder {
public:
    Mp3Encoder() = default;
    ~Mp3Encoder();

    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    bool open(const CaptureFormat& format);
    // Encodes interleaved frames; the returned bytes are valid until the next
    // call. An empty span can also mean LAME is still filling a frame.
    std::span<const std::uint8_t> encode(std::span<const std::int16_t> samples);
    // Emits the frames LAME still holds; the encoder is closed afterwards.
    std::span<const std::uint8_t> flush();
    void close();
    bool isOpen() const { return m_lame != nullptr; }

private:
    lame_global_struct* m_lame = nullptr;
    int m_channels = 1;
    std::vector<std::uint8_t> m_out;
};
