#pragma once

#include "recorder/ICaptureSource.h"

#include <cstdint>
#include <span>
#include <string>

// Turns the recorder's PCM into the bytes of its output file.
class IAudioEncoder {
public:
    virtual ~IAudioEncoder() = default;

    virtual bool open(const CaptureFormat& format) = 0;
    // Why the last open() failed, in words; empty after one that worked.
    virtual std::string openError() const = 0;
    // Encodes interleaved frames; the returned bytes are valid until the next
    // call. An empty span can also mean the encoder is still filling a frame;
    // error() tells the two apart.
    virtual std::span<const std::uint8_t> encode(std::span<const std::int16_t> samples) = 0;
    // Emits what the encoder still holds; it is closed afterwards.
    virtual std::span<const std::uint8_t> flush() = 0;
    virtual void close() = 0;
    // The encoder's error code of the last failed call (negative), 0 if none.
    virtual int error() const = 0;
    // Output bytes per second of audio (constant bit rate).
    virtual int bytesPerSecond() const = 0;
};
