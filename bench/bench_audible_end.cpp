// What is heard past B: the engine replays A = 1.0 to B = 3.0 on a file that
// is silent before 3.0 s and a loud tone after it, into a private PulseAudio
// server's null sink, whose monitor is recorded. Every loud sample recorded
// is sound played past B. A 100 ms watch like the program's stops each
// replay; with the end armed, as the dialog arms it, and without (the watch
// alone), 20 replays each, on a WAV and on an MP3 made from it by ffmpeg.
//   build/bench/bench_audible_end
#include "BenchStats.h"
#include "support/PulseTestServer.h"
#include "playback/MpvPlayerEngine.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr double kA = 1.0, kB = 3.0;
constexpr int kRate = 44100;
constexpr int kRuns = 20;

void writeSilenceThenTone(const std::string& path)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(6.0 * kRate));
    for (std::size_t i = static_cast<std::size_t>(kB * kRate); i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(12000.0 * std::sin(2.0 * M_PI * 440.0 * double(i) / kRate));
    std::ofstream out(path, std::ios::binary);
    auto put = [&](std::uint32_t v, int bytes) {
        for (int b = 0; b < bytes; ++b)
            out.put(static_cast<char>(v >> (8 * b)));
    };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4); put(36 + dataBytes, 4); out.write("WAVEfmt ", 8); put(16, 4); put(1, 2); put(1, 2);
    put(kRate, 4); put(kRate * 2, 4); put(2, 2); put(16, 2); out.write("data", 4); put(dataBytes, 4);
    out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
}

// Records the sink's monitor on a thread of its own, counting loud samples.
class MonitorRecorder {
public:
    bool start()
    {
        pa_sample_spec format{PA_SAMPLE_S16LE, kRate, 1};
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.fragsize = kRate / 100 * 2;  // 10 ms
        int error = 0;
        m_pa = pa_simple_new(nullptr, "bench", PA_STREAM_RECORD, "null.monitor", "monitor", &format, nullptr, &attr, &error);
        if (!m_pa)
            return false;
        m_thread = std::thread([this] {
            std::vector<std::int16_t> chunk(kRate / 100);
            int error = 0;
            while (!m_stop && pa_simple_read(m_pa, chunk.data(), chunk.size() * 2, &error) >= 0) {
                long loud = 0;
                for (std::int16_t s : chunk)
                    loud += std::abs(int(s)) > 2000 ? 1 : 0;
                m_loud += loud;
            }
        });
        return true;
    }
    ~MonitorRecorder()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_pa)
            pa_simple_free(m_pa);
    }
    long loud() const { return m_loud; }

private:
    pa_simple* m_pa = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_loud{0};
};

struct Figures {
    std::vector<double> heardMs, positionMs;
};

// 20 replays, each stopped by a 100 ms watch at its first tick at or past B.
Figures replay(MpvPlayerEngine& engine, MonitorRecorder& monitor, bool armed)
{
    Figures figures;
    QEventLoop loop;
    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    int run = 0;
    long loudBefore = 0;
    auto startRun = [&] {
        loudBefore = monitor.loud();
        engine.SetPosition(kA);
        engine.Play();
        engine.ArmEnd(armed ? std::optional<double>(kB) : std::nullopt, std::nullopt);
        watch.start(100);
    };
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (engine.GetPosition() < kB)
            return;
        watch.stop();
        engine.Stop();
        engine.ArmEnd(std::nullopt, std::nullopt);
        figures.positionMs.push_back((engine.GetPosition() - kB) * 1000.0);
        // What was still in the sound server's buffers arrives meanwhile.
        QTimer::singleShot(600, [&] {
            figures.heardMs.push_back((monitor.loud() - loudBefore) * 1000.0 / kRate);
            if (++run == kRuns)
                loop.quit();
            else
                QTimer::singleShot(run * 37 % 100, startRun);  // varying phases of the watch
        });
    });
    QTimer::singleShot(0, startRun);
    loop.exec();
    return figures;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    PulseTestServer pulse;
    if (!pulse.start()) {
        std::fprintf(stderr, "cannot start pulseaudio\n");
        return 1;
    }
    const auto dir = std::filesystem::temp_directory_path() / "quillora-bench-audible";
    std::filesystem::create_directories(dir);
    const std::string wav = dir / "silence-then-tone.wav", mp3 = dir / "silence-then-tone.mp3";
    writeSilenceThenTone(wav);
    const std::string encode = "ffmpeg -loglevel error -y -i '" + wav + "' -c:a libmp3lame -b:a 128k '" + mp3 + "'";
    if (std::system(encode.c_str()) != 0)
        std::fprintf(stderr, "ffmpeg failed: no MP3 figures\n");

    MonitorRecorder monitor;
    if (!monitor.start()) {
        std::fprintf(stderr, "cannot record the null sink's monitor\n");
        return 1;
    }
    MpvOptions options = MpvOptions::NullOutputs();
    options.audioOutput = "pulse";
    for (const std::string& file : {wav, mp3}) {
        if (!std::filesystem::exists(file))
            continue;
        MpvPlayerEngine engine(options);
        engine.SetMediaFile(file);
        const char* kind = file == wav ? "WAV" : "MP3";
        for (bool armed : {true, false}) {
            const Figures f = replay(engine, monitor, armed);
            const std::string what = std::string(kind) + (armed ? ", end armed" : ", 100 ms watch alone");
            PrintStats((what + ": heard past B").c_str(), f.heardMs, "ms");
            PrintStats((what + ": position past B").c_str(), f.positionMs, "ms");
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
