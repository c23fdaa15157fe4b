#pragma once

#include "recorder/IAudioEncoder.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct lame_global_struct;
struct LameApi;
struct LameLibrary;

// LAME set up for voice: CBR 128 kbit/s, no Xing/Info header, so that a
// cut-off file keeps its true length and takes can be joined by appending.
// LAME is loaded at the first open(); without it open() fails and
// openError() says why.
class Mp3Encoder : public IAudioEncoder {
public:
    // Without a library, the process's LAME (Lame()).
    explicit Mp3Encoder(const LameLibrary* library = nullptr) : m_library(library) {}
    ~Mp3Encoder() override;

    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    bool open(const CaptureFormat& format) override;
    std::string openError() const override { return m_openError; }
    std::span<const std::uint8_t> encode(std::span<const std::int16_t> samples) override;
    std::span<const std::uint8_t> flush() override;
    void close() override;
    int error() const override { return m_error; }
    int bytesPerSecond() const override { return kKbitPerSecond * 1000 / 8; }
    bool isOpen() const { return m_lame != nullptr; }

private:
    static constexpr int kKbitPerSecond = 128;
    bool refuseOpen(const std::string& why);

    const LameLibrary* m_library;
    const LameApi* m_lib = nullptr;  // set by the first open() that finds LAME
    std::string m_openError;
    lame_global_struct* m_lame = nullptr;
    int m_error = 0;
    int m_channels = 1;
    std::vector<std::uint8_t> m_out;
};
