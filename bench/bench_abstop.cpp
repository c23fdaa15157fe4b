// Plays through the real engine (null outputs) from A with a 100 ms watch
// like the program's, stops at B = 12.5 s, 20 times, and prints how far past
// B playback got, and how long a seek-and-play takes until the position moves.
#include "BenchStats.h"
#include "support/TestMedia.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <clocale>
#include <vector>
#include <filesystem>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    constexpr double kA = 11.0, kB = 12.5;
    constexpr int kRuns = 20;
    const std::string media = std::filesystem::temp_directory_path() / "quillora-bench-abstop.wav";
    WriteToneWav(media, 20.0);

    // What a settings file naming media adds to start-up: the handle is
    // created by the first SetMediaFile.
    std::vector<double> createMs, firstLoadMs;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        MpvPlayerEngine fresh(MpvOptions::NullOutputs());
        fresh.handle();
        const auto t1 = std::chrono::steady_clock::now();
        fresh.SetMediaFile(media);
        const auto t2 = std::chrono::steady_clock::now();
        createMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        firstLoadMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }

    MpvPlayerEngine engine(MpvOptions::NullOutputs());
    engine.SetMediaFile(media);
    std::vector<double> overshootMs, startMs;
    // The watch runs on its own like the program's; runs start at varying
    // phases of it, so the overshoot samples the whole 100 ms period.
    QEventLoop loop;
    QTimer watch;
    watch.setInterval(100);
    bool running = false;
    int run = 0;
    auto startRun = [&] {
        const auto t0 = std::chrono::steady_clock::now();
        engine.SetPosition(kA);
        engine.Play();
        while (engine.GetPosition() <= kA + 1e-4)
            QCoreApplication::processEvents();
        startMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        running = true;
    };
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!running || engine.GetPosition() < kB)
            return;
        engine.Stop();
        overshootMs.push_back((engine.GetPosition() - kB) * 1000.0);
        running = false;
        if (++run == kRuns)
            loop.quit();
        else
            QTimer::singleShot(10 + run * 37 % 100, startRun);
    });
    watch.start();
    QTimer::singleShot(10, startRun);
    loop.exec();
    PrintStats("mpv handle creation", createMs, "ms");
    PrintStats("SetMediaFile of a WAV, fresh handle", firstLoadMs, "ms");
    PrintStats("overshoot past B, 100 ms watch", overshootMs, "ms");
    PrintStats("seek-and-play until position advances", startMs, "ms");
    std::filesystem::remove(media);
    return 0;
}
