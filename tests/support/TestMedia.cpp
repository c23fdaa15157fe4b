#include "TestMedia.h"

#include <lame/lame.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {
std::vector<std::int16_t> tone(double seconds, int sampleRate)
{
    const auto count = static_cast<std::size_t>(seconds * sampleRate);
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(8000.0 * std::sin(2.0 * M_PI * 440.0 * double(i) / sampleRate));
    return samples;
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
}  // namespace

void WriteToneWav(const std::string& path, double seconds, int sampleRate)
{
    const auto samples = tone(seconds, sampleRate);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    auto out = openOut(path);
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, static_cast<std::uint32_t>(sampleRate));
    put32(out, static_cast<std::uint32_t>(sampleRate * 2));
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
    out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);  // little-endian host
}

void WriteToneMp3(const std::string& path, double seconds, int sampleRate)
{
    auto samples = tone(seconds, sampleRate);
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
    lame_close(lame);
    if (n < 0)
        throw std::runtime_error("lame_encode_flush failed");
    used += static_cast<std::size_t>(n);
    auto out = openOut(path);
    out.write(reinterpret_cast<const char*>(mp3.data()), static_cast<std::streamsize>(used));
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    auto out = openOut(path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
