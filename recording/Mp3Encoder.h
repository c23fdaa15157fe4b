#pragma once

#include "recording/IAudioEncoder.h"

#include <cstdint>
#include <span>
#include <vector>

struct lame_global_struct;

// LAME set up for voice: CBR 128 kbit/s, no Xing/Info header, so that a
// cut-off file keeps its true length and takes can be joined by appending.
class Mp3Encoder : public IAudioEncoder {
public:
    Mp3Encoder() = default;
    ~Mp3Encoder() override;

    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    bool open(const CaptureFormat& format) override;
    std::span<const std::uint8_t> encode(std::span<const std::int16_t> samples) override;
    std::span<const std::uint8_t> flush() override;
    void close() override;
    int error() const override { return m_error; }
    int bytesPerSecond() const override { return kKbitPerSecond * 1000 / 8; }
    bool isOpen() const { return m_lame != nullptr; }

private:
    static constexpr int kKbitPerSecond = 128;
    lame_global_struct* m_lame = nullptr;
    int m_error = 0;
    int m_channels = 1;
    std::vector<std::uint8_t> m_out;
};
