#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The PCM layout a capture source delivers: signed 16-bit, interleaved.
struct CaptureFormat {
    int sampleRate = 44100;
    int channels = 1;
};

// Where the recorder's audio comes from. open() is called by the thread that
// starts a take, read() and close() by the engine's worker thread after it.
class ICaptureSource {
public:
    virtual ~ICaptureSource() = default;

    // Opens the source for the wanted format. A source that can only give
    // another channel count sets format.channels to what it will deliver.
    virtual bool open(CaptureFormat& format) = 0;
    // Fills the front of buffer (interleaved samples, a whole number of
    // frames) and returns the frames delivered: 0 when none are ready yet
    // (after waiting a little, so callers need not, but never much longer
    // than a chunk, so a stop is noticed), negative when the source has
    // failed for good.
    virtual std::ptrdiff_t read(std::span<std::int16_t> buffer) = 0;
    virtual void close() = 0;
    // Why open() or read() failed, in words for the user.
    virtual std::string lastError() const { return "the sound input is not available"; }
};
