#pragma once

#include "recording/ICaptureSource.h"

struct pa_simple;

// Captures the sound server's default input through libpulse's simple API.
// The stream follows the server's default source.
class PulseCaptureSource : public ICaptureSource {
public:
    PulseCaptureSource() = default;
    ~PulseCaptureSource() override;

    PulseCaptureSource(const PulseCaptureSource&) = delete;
    PulseCaptureSource& operator=(const PulseCaptureSource&) = delete;

    bool open(CaptureFormat& format) override;
    std::ptrdiff_t read(std::span<std::int16_t> buffer) override;
    void close() override;

private:
    pa_simple* m_stream = nullptr;
    int m_channels = 1;
};
