#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The PCM layout a capture source delivers: signed 16-bit, interleaved.
struct CaptureFormat {
    int sampleRate = 44100;
    int channels = 1;
};

// Where the recorder's audio comes from. Every call comes from the engine's
// worker thread, one at a time.
class ICaptureSource {
public:
    // What read() returns when the source has failed for good, and when it
    // captured more than it may hold because its reader fell behind.
    static constexpr std::ptrdiff_t kLost = -1;
    static constexpr std::ptrdiff_t kOverrun = -2;

    virtual ~ICaptureSource() = default;

    // Opens the source for the wanted format. A source that can only give
    // another channel count sets format.channels to what it will deliver.
    virtual bool open(CaptureFormat& format) = 0;
    // Fills the front of buffer (interleaved samples, a whole number of
    // frames) and returns the frames delivered: 0 when none are ready yet
    // (after waiting a little, so callers need not, but never much longer
    // than a chunk, so a stop is noticed), kLost or kOverrun once every frame
    // captured before the failure was delivered.
    virtual std::ptrdiff_t read(std::span<std::int16_t> buffer) = 0;
    virtual void close() = 0;
    // Frames already captured and waiting for read(), which hands them out
    // without waiting.
    virtual std::size_t queuedFrames() const { return 0; }
    // Frames captured since open(), read or not: where in the audio a pause
    // or stop pressed now falls. Safe from any thread. None for a source
    // that only captures as it is read.
    virtual std::optional<std::uint64_t> capturedFrames() const { return std::nullopt; }
    // Why open() or read() failed, in words for the user.
    virtual std::string lastError() const { return "the sound input is not available"; }
};
