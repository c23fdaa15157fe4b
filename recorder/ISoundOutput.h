#pragma once

#include <cstdint>
#include <span>
#include <string>

// A stream to the default sound output, for playing back sound held in
// memory. Every call comes from one worker thread; write() may block until
// the output takes the samples.
class ISoundOutput {
public:
    virtual ~ISoundOutput() = default;

    virtual bool open(int sampleRate, int channels) = 0;
    virtual bool write(std::span<const std::int16_t> samples) = 0;
    // Waits until what was written has been heard.
    virtual bool drain() = 0;
    // Drops what was written and not yet heard.
    virtual void flush() = 0;
    virtual void close() = 0;
    virtual std::string lastError() const = 0;
};
