// Encoding speed of the recorder's encoder path (LAME through Mp3Encoder in
// 50 ms chunks, written with OutputFile) against the lame command line tool
// with the same settings, on the same 60 s WAV file.
#include "recorder/Mp3Encoder.h"
#include "recorder/OutputFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

// Voice-like test signal: a gliding harmonic series with a syllable-rate
// envelope and a little noise, so the encoder does real work.
std::vector<std::int16_t> makeSignal(double seconds)
{
    const auto frames = static_cast<std::size_t>(seconds * 44100);
    std::vector<std::int16_t> pcm(frames);
    unsigned noise = 12345;
    double phase = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = double(i) / 44100;
        const double pitch = 140 + 40 * std::sin(2 * std::numbers::pi * 0.7 * t);
        phase += 2 * std::numbers::pi * pitch / 44100;
        double v = 0;
        for (int h = 1; h <= 8; ++h) v += std::sin(phase * h) / h;
        const double envelope = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * 4 * t);
        noise = noise * 1103515245 + 12345;
        v = v * envelope * 0.3 + (double((noise >> 16) & 0x7fff) / 32768.0 - 0.5) * 0.02;
        pcm[i] = static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32000));
    }
    return pcm;
}

void writeWav(const std::string& path, const std::vector<std::int16_t>& pcm)
{
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const auto bytes = static_cast<std::uint32_t>(pcm.size() * 2);
    out.write("RIFF", 4); u32(36 + bytes); out.write("WAVEfmt ", 8);
    u32(16); u16(1); u16(1); u32(44100); u32(44100 * 2); u16(2); u16(16);
    out.write("data", 4); u32(bytes);
    out.write(reinterpret_cast<const char*>(pcm.data()), bytes);
}

double encodeWithEngine(const std::vector<std::int16_t>& pcm, const std::string& path)
{
    const auto start = Clock::now();
    Mp3Encoder encoder;
    OutputFile file;
    if (!encoder.open({44100, 1}) || !file.open(path, OpenMode::Create)) return -1;
    for (std::size_t at = 0; at < pcm.size(); at += 2205)
        file.write(encoder.encode({pcm.data() + at, std::min<std::size_t>(2205, pcm.size() - at)}));
    file.write(encoder.flush());
    file.close();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double encodeWithLameTool(const std::string& wav, const std::string& mp3)
{
    const std::string command = "lame --quiet -b 128 --cbr -m m '" + wav + "' '" + mp3 + "'";
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}
}

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const std::string dir = argc > 2 ? argv[2] : "/tmp";
    const std::string wav = dir + "/quillora-bench.wav";
    const auto pcm = makeSignal(seconds);
    writeWav(wav, pcm);

    double engine = 1e9, tool = 1e9;
    for (int round = 0; round < 3; ++round) {
        engine = std::min(engine, encodeWithEngine(pcm, dir + "/quillora-bench-engine.mp3"));
        const double t = encodeWithLameTool(wav, dir + "/quillora-bench-tool.mp3");
        if (t < 0) {
            std::fprintf(stderr, "the lame tool failed (is the lame package installed?)\n");
            return 1;
        }
        tool = std::min(tool, t);
    }
    std::printf("audio: %.0f s mono 44.1 kHz, CBR 128 kbit/s, best of 3\n", seconds);
    std::printf("engine encoder path: %.3f s (%.0fx real time)\n", engine, seconds / engine);
    std::printf("lame tool          : %.3f s (%.0fx real time)\n", tool, seconds / tool);
    std::printf("engine / tool time : %.2f\n", engine / tool);
    std::remove(wav.c_str());
    std::remove((dir + "/quillora-bench-engine.mp3").c_str());
    std::remove((dir + "/quillora-bench-tool.mp3").c_str());
    return 0;
}
