// Writes a 16-bit mono 44.1 kHz WAV of a sine tone, for tests that need a
// media file: make_wav PATH SECONDS [FREQUENCY]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>

namespace {
void put32(std::ofstream& out, std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); }
void put16(std::ofstream& out, std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); }
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PATH SECONDS [FREQUENCY]\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[2]);
    const double frequency = argc > 3 ? std::atof(argv[3]) : 440.0;
    constexpr std::uint32_t rate = 44100;
    const auto samples = static_cast<std::uint32_t>(seconds * rate);
    std::ofstream out(argv[1], std::ios::binary);
    out.write("RIFF", 4);
    put32(out, 36 + samples * 2);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i)
        put16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(
                       8000.0 * std::sin(2.0 * std::numbers::pi * frequency * i / rate))));
    return out ? 0 : 1;
}
