// CPU share of one core while the default recorder captures live audio from
// a private PulseAudio test server (sine source), measured with getrusage
// over the whole process: worker thread, libpulse's thread and encoder.
// Then how long StopRec and the destructor take while the server hangs
// (SIGSTOP), which should stay under 200 ms.
#include "recorder/BackgroundTakes.h"
#include "recorder/CMP3Enc.h"
#include "support/Mp3Decode.h"
#include "support/PulseTestServer.h"

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <thread>

namespace {
double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Records a little, freezes the server, and times the end of the take.
double stallAndEnd(PulseTestServer& server, const std::string& path, bool byDestructor)
{
    auto engine = std::make_unique<CMP3Enc>();
    std::string copy = path;
    engine->SetFileName(copy.data());
    if (!engine->StartRec()) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    server.suspend();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    if (byDestructor)
        engine.reset();
    else
        engine->StopRec();
    const double ms = millisecondsSince(start);
    server.resume();
    return ms;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
}

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    PulseTestServer server;
    if (!server.start()) {
        std::fprintf(stderr, "cannot start the PulseAudio test server:\n%s\n", qPrintable(server.log()));
        return 1;
    }
    QTemporaryDir dir;
    std::string path = dir.filePath("capture.mp3").toStdString();
    auto engine = std::make_unique<CMP3Enc>();
    engine->SetFileName(path.data());

    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    if (!engine->StartRec()) {
        std::fprintf(stderr, "StartRec failed\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    engine->StopRec();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The file is finished in the background; its length tells whether a
    // gap was left anywhere.
    engine.reset();
    WaitForBackgroundTakes(std::chrono::seconds(10));
    const double cpu = cpuSeconds() - cpuStart;
    const auto audio = decodeMp3(path);

    std::printf("live capture: %.2f s wall, %.2f s in the file\n", wall, audio ? audio->seconds() : 0.0);
    std::printf("CPU: %.3f s = %.2f %% of one core\n", cpu, 100.0 * cpu / wall);

    const double stop = stallAndEnd(server, dir.filePath("stop.mp3").toStdString(), false);
    const double destroy = stallAndEnd(server, dir.filePath("destroy.mp3").toStdString(), true);
    std::printf("with the server hung: StopRec %.1f ms, destructor %.1f ms\n", stop, destroy);
    return 0;
}
