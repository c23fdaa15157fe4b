#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IAudioEncoder;
class ICaptureSource;

// What one take came to.
struct TakeResult {
    enum class Outcome { Kept, NoSound, Unwritable, NoInput };
    Outcome outcome = Outcome::NoSound;
    std::string path;     // the file, when kept
    std::string error;    // why not, in words
    int sampleRate = 44100;
    // Mono, from the first sound on; empty for a take longer than
    // TakeCapture::kHeldSeconds, which is played from its file.
    std::vector<std::int16_t> samples;
};

// The take's peaks, one for each `step` seconds, 0..1.
std::vector<float> TakePeaks(const TakeResult& take, double step);

// One take's capture, run on a thread of its own: reads the source until
// stopped or maxSeconds, drops what comes before the first sound (keeping a
// few milliseconds before it, so no onset is cut), encodes the rest and
// writes it to a new file in the first folder that takes it. The file is
// created only once sound came in, and never over an existing one.
class TakeCapture {
public:
    TakeCapture(std::unique_ptr<ICaptureSource> source, std::unique_ptr<IAudioEncoder> encoder,
                std::vector<std::string> folders, std::string fileName, double maxSeconds);
    ~TakeCapture();

    TakeResult run();
    void stop() { m_stop = true; }
    // The input's peak level of the last chunk, 0..1; safe from any thread.
    float level() const { return m_level.load(); }

    // A sample at or above this (of 32767) counts as sound.
    static constexpr int kSoundThreshold = 1000;
    static constexpr double kPreRollSeconds = 0.005;
    // The longest take also held in memory for playing it back at once.
    static constexpr double kHeldSeconds = 300.0;

private:
    bool openFile(TakeResult& result);
    bool write(const std::uint8_t* data, std::size_t size);

    std::unique_ptr<ICaptureSource> m_source;
    std::unique_ptr<IAudioEncoder> m_encoder;
    std::vector<std::string> m_folders;
    std::string m_fileName;
    double m_maxSeconds;
    std::atomic<bool> m_stop{false};
    std::atomic<float> m_level{0.0f};
    int m_fd = -1;
};
