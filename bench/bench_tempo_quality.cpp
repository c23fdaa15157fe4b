// How clean a voice sounds at the other speeds, against mpv's own choice
// of tempo filter. A vowel-like sound (ten harmonics, a slow vibrato) at
// pitches from a low male voice up is stretched by mpv, with the filter
// the engine tells it for each speed, into raw samples; in windows of
// 40 ms the share of the energy that does not lie at the pitch's
// harmonics is what the filter's joins added: roughness, in dB, lower is
// cleaner. The source's own figure is the method's floor.
//   build/bench/bench_tempo_quality
#include "support/TestMedia.h"
#include "mpvengine/MpvTempoFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
constexpr int kRate = 44100;
constexpr int kHarmonics = 10;
constexpr double kSeconds = 4.0, kVibrato = 0.03, kVibratoHz = 3.0;
constexpr double kPitches[] = {85, 100, 120, 140, 170, 200, 250};
constexpr double kSpeeds[] = {0.5, 0.6, 0.75, 0.9, 1.25, 1.5, 2.0};
using Samples = std::vector<std::int16_t>;

Samples vowel(double pitch)
{
    Samples out(std::size_t(kSeconds * kRate));
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        phase += 2.0 * M_PI * pitch * (1.0 + kVibrato * std::sin(2.0 * M_PI * kVibratoHz * t)) / kRate;
        double v = 0.0;
        for (int k = 1; k <= kHarmonics; ++k)
            v += std::sin(k * phase) / k;
        out[i] = std::int16_t(std::lround(32767.0 * std::clamp(0.25 * v, -1.0, 1.0)));
    }
    return out;
}

double power(const Samples& x, std::size_t from, std::size_t n, double frequency)
{
    const double c = 2.0 * std::cos(2.0 * M_PI * frequency / kRate);
    double s1 = 0.0, s2 = 0.0;
    for (std::size_t i = from; i < from + n; ++i) {
        const double s0 = x[i] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return (s1 * s1 + s2 * s2 - c * s1 * s2) * 2.0 / double(n);
}

// The pitch drifts within a window by the vibrato: the best of a few
// pitches near the nominal one counts as the harmonic part.
double roughness(const Samples& x, double pitch)
{
    const std::size_t window = kRate / 25, margin = std::size_t(0.3 * kRate);
    double total = 0.0, rest = 0.0;
    for (std::size_t a = margin; a + window + margin < x.size(); a += window) {
        double energy = 0.0;
        for (std::size_t i = a; i < a + window; ++i)
            energy += double(x[i]) * x[i];
        if (energy <= 0.0)
            continue;
        double harmonic = 0.0;
        for (int step = -4; step <= 4; ++step) {
            double h = 0.0;
            for (int k = 1; k <= kHarmonics; ++k)
                h += power(x, a, window, k * pitch * (1.0 + 0.01 * step));
            harmonic = std::max(harmonic, h);
        }
        total += energy;
        rest += std::max(energy - harmonic, 0.0);
    }
    return total > 0.0 ? 10.0 * std::log10(rest / total + 1e-12) : NAN;
}

// mpv's stretch of the file, as mono 16-bit samples; filter "" is mpv's own choice.
Samples stretched(const std::string& wav, double speed, const std::string& filter, const std::string& folder)
{
    const std::string raw = folder + "/stretched.raw";
    std::string command = "mpv --no-config --really-quiet --no-video --ao=pcm --ao-pcm-waveheader=no"
                          " --audio-format=s16 --audio-channels=mono --audio-samplerate=" + std::to_string(kRate) +
                          " --ao-pcm-file='" + raw + "' --speed=" + std::to_string(speed);
    if (!filter.empty())
        command += " --af='" + filter + "'";
    command += " '" + wav + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    std::ifstream in(raw, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Samples samples(bytes.size() / 2);
    std::copy_n(bytes.data(), samples.size() * 2, reinterpret_cast<char*>(samples.data()));
    return samples;
}

struct Row {
    double mean = 0.0, worst = -1e9;
    int count = 0;
    void add(double v)
    {
        mean += v;
        worst = std::max(worst, v);
        ++count;
    }
};

void print(const char* what, double speed, Row r)
{
    std::printf("  %-52s %5.2f | mean %6.1f | worst %6.1f\n", what, speed, r.count ? r.mean / r.count : NAN,
                r.count ? r.worst : NAN);
}
}  // namespace

int main()
{
    const std::string folder = (std::filesystem::temp_directory_path() / "quillora-bench-tempo").string();
    std::filesystem::create_directories(folder);
    std::vector<std::string> sources;
    Row source;
    for (double pitch : kPitches) {
        sources.push_back(folder + "/vowel-" + std::to_string(int(pitch)) + ".wav");
        const Samples s = vowel(pitch);
        WriteSamplesWav(sources.back(), s, kRate);
        source.add(roughness(s, pitch));
    }
    std::printf("roughness in dB over pitches %g..%g Hz (lower is cleaner)\n", kPitches[0],
                kPitches[std::size(kPitches) - 1]);
    print("the source itself", 1.0, source);
    for (double speed : kSpeeds) {
        Row ours, mpvs;
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const Samples a = stretched(sources[i], speed, MpvTempoFilter::For(speed), folder);
            const Samples b = stretched(sources[i], speed, "", folder);
            if (!a.empty())
                ours.add(roughness(a, kPitches[i]));
            if (!b.empty())
                mpvs.add(roughness(b, kPitches[i]));
        }
        print(("ours: " + std::string(MpvTempoFilter::For(speed))).c_str(), speed, ours);
        print("mpv's own choice", speed, mpvs);
        std::fflush(stdout);
    }
    return 0;
}
