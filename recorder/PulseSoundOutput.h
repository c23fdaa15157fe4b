#pragma once

#include "recorder/ISoundOutput.h"

struct pa_simple;

// A playback stream on the sound server's default output through libpulse's
// blocking API, loaded at the first open(); meant for a worker thread, as
// every call may wait on the server.
class PulseSoundOutput : public ISoundOutput {
public:
    PulseSoundOutput() = default;
    ~PulseSoundOutput() override;

    PulseSoundOutput(const PulseSoundOutput&) = delete;
    PulseSoundOutput& operator=(const PulseSoundOutput&) = delete;

    bool open(int sampleRate, int channels) override;
    bool write(std::span<const std::int16_t> samples) override;
    bool drain() override;
    void flush() override;
    void close() override;
    std::string lastError() const override { return m_error; }

private:
    bool failed(int code);

    pa_simple* m_stream = nullptr;
    std::string m_error;
};
