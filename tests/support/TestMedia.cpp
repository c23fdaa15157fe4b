#include "TestMedia.h"

#include <lame/lame.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {
std::vector<std::int16_t> render(const std::vector<ToneSpan>& spans, int sampleRate)
{
    std::vector<std::int16_t> samples;
    double phase = 0.0;
    for (const ToneSpan& span : spans) {
        const auto count = static_cast<std::size_t>(span.seconds * sampleRate);
        for (std::size_t i = 0; i < count; ++i) {
            phase += 2.0 * M_PI * span.frequency / sampleRate;
            const double t = double(i) / sampleRate;
            const double envelope = span.syllables ? 0.25 + 0.75 * std::abs(std::sin(M_PI * 3.7 * t + 0.4 * std::sin(9.0 * t)))
                                                   : 1.0;
            const double v = span.frequency > 0.0 ? span.amplitude * envelope * std::sin(phase) : 0.0;
            samples.push_back(static_cast<std::int16_t>(32767.0 * v));
        }
    }
    return samples;
}

std::vector<std::int16_t> tone(double seconds, int sampleRate)
{
    return render({ToneSpan{seconds, 440.0, 8000.0 / 32767.0}}, sampleRate);
}

void put32(std::ofstream& out, std::uint32_t v)
{
    const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.write(b, 4);
}

void put16(std::ofstream& out, std::uint16_t v)
{
    const char b[2] = {char(v), char(v >> 8)};
    out.write(b, 2);
}

std::ofstream openOut(const std::string& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return out;
}

// samples interleaved, channels of them a frame.
void writeWav(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate, int channels = 1)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    const auto frameBytes = static_cast<std::uint16_t>(2 * channels);
    auto out = openOut(path);
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, static_cast<std::uint16_t>(channels));
    put32(out, static_cast<std::uint32_t>(sampleRate));
    put32(out, static_cast<std::uint32_t>(sampleRate) * frameBytes);
    put16(out, frameBytes);
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
    out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);  // little-endian host
}

// With the tag, the first frame says how many samples the encoder added
// before and after the sound, so that a decoder can drop them again.
void writeMp3(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate, bool tagged = false)
{
    lame_t lame = lame_init();
    lame_set_in_samplerate(lame, sampleRate);
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_brate(lame, 64);
    lame_set_quality(lame, 7);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        throw std::runtime_error("lame_init_params failed");
    }
    std::vector<unsigned char> mp3(samples.size() * 5 / 4 + 7200 + 1);
    int n = lame_encode_buffer(lame, samples.data(), nullptr, static_cast<int>(samples.size()), mp3.data(),
                               static_cast<int>(mp3.size()));
    if (n < 0) {
        lame_close(lame);
        throw std::runtime_error("lame_encode_buffer failed");
    }
    std::size_t used = static_cast<std::size_t>(n);
    n = lame_encode_flush(lame, mp3.data() + used, static_cast<int>(mp3.size() - used));
    if (n < 0) {
        lame_close(lame);
        throw std::runtime_error("lame_encode_flush failed");
    }
    used += static_cast<std::size_t>(n);
    if (tagged) {
        // lame left room for the tag in front; it can only be filled in now.
        const std::size_t tag = lame_get_lametag_frame(lame, mp3.data(), used);
        if (tag == 0 || tag > used) {
            lame_close(lame);
            throw std::runtime_error("lame_get_lametag_frame failed");
        }
    }
    lame_close(lame);
    auto out = openOut(path);
    out.write(reinterpret_cast<const char*>(mp3.data()), static_cast<std::streamsize>(used));
}

}  // namespace

void WriteToneWav(const std::string& path, double seconds, int sampleRate)
{
    writeWav(path, tone(seconds, sampleRate), sampleRate);
}

void WriteToneMp3(const std::string& path, double seconds, int sampleRate)
{
    writeMp3(path, tone(seconds, sampleRate), sampleRate);
}

void WriteSpansWav(const std::string& path, const std::vector<ToneSpan>& spans, int sampleRate)
{
    writeWav(path, render(spans, sampleRate), sampleRate);
}

void WriteSpansMp3(const std::string& path, const std::vector<ToneSpan>& spans, int sampleRate)
{
    writeMp3(path, render(spans, sampleRate), sampleRate);
}

std::vector<ToneSpan> LessonSpans(double seconds)
{
    std::vector<ToneSpan> spans;
    std::uint32_t seed = 12345;
    auto next = [&seed](double low, double high) {
        seed = seed * 1664525u + 1013904223u;
        return low + (high - low) * double(seed >> 8) / double(1u << 24);
    };
    double total = 0.0;
    while (total < seconds) {
        const ToneSpan phrase{next(0.3, 2.0), next(140.0, 320.0), next(0.15, 0.6), true};
        const ToneSpan pause{next(0.3, 1.2), 0.0};
        spans.push_back(phrase);
        spans.push_back(pause);
        total += phrase.seconds + pause.seconds;
    }
    return spans;
}

void WriteSamplesWav(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate)
{
    writeWav(path, samples, sampleRate);
}

void WriteSamplesMp3(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate)
{
    writeMp3(path, samples, sampleRate, true);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    auto out = openOut(path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteToneWavChannels(const std::string& path, double seconds, int channels, int sampleRate)
{
    std::vector<std::int16_t> frames;
    for (std::int16_t sample : tone(seconds, sampleRate))
        frames.insert(frames.end(), static_cast<std::size_t>(channels), sample);
    writeWav(path, frames, sampleRate, channels);
}

namespace {
// Runs one of the media tools (ffmpeg, sox) on a command line of the
// caller's, whose paths are quoted; throws when it fails.
void runTool(const std::string& commandLine)
{
    const std::string line = "timeout 60 " + commandLine + " </dev/null";
    if (std::system(line.c_str()) != 0)
        throw std::runtime_error("failed: " + line);
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }
}  // namespace

void WriteCoverPicture(const std::string& path)
{
    runTool("ffmpeg -v error -y -f lavfi -i color=c=teal:s=96x96 -frames:v 1 " + quoted(path));
}

void WriteCoverOnly(const std::string& path)
{
    const std::string picture = path + ".cover.png";
    WriteCoverPicture(picture);
    // MP4 keeps the picture as a cover; Matroska takes it as a track of one frame.
    runTool("ffmpeg -v error -y -i " + quoted(picture) + " -map 0 -c:v mjpeg -disposition:v attached_pic "
            + quoted(path));
    std::remove(picture.c_str());
}

void WriteSoxToneWav(const std::string& path, double seconds, int channels, int sampleRate)
{
    runTool("sox -n -b 16 -r " + std::to_string(sampleRate) + " -c " + std::to_string(channels) + " " + quoted(path)
            + " synth " + std::to_string(seconds) + " sine 440");
}
