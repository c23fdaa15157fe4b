// How long the recorder's calls hold the GUI thread: Record, Pause and Stop
// on a private PulseAudio test server, a Record while that server is frozen
// (SIGSTOP), 15 s of a frozen server in the middle of a take with the 100 ms
// display refresh going on, a Stop and a destruction during the freeze, and
// a Stop while the disk does not answer for 3 s (a stand-in file's writes).
//   build/bench/bench_recorder_hold
#include "recorder/BackgroundTakes.h"
#include "recorder/CMP3Enc.h"
#include "recorder/Mp3RecorderBackend.h"
#include "recorder/PulseCaptureSource.h"
#include "support/FaultyOutputFile.h"
#include "support/Mp3Decode.h"
#include "support/PulseTestServer.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

template <typename F> double timed(F&& call)
{
    const auto start = Clock::now();
    call();
    return msSince(start);
}

// The window's side of a take: the commands and the refresh every 100 ms.
struct Window {
    std::unique_ptr<CMP3Enc> engine;
    Window() : engine(std::make_unique<CMP3Enc>()) {}
    explicit Window(std::unique_ptr<IRecorderBackend> backend) : engine(std::make_unique<CMP3Enc>(std::move(backend))) {}
    int messages = 0;
    std::string lastMessage;

    double record(const std::string& path)
    {
        std::string copy = path;
        return timed([&] {
            engine->SetFileName(copy.data());
            engine->StartRec();
            tell();
        });
    }
    double pause() { return timed([&] { engine->PauseRec(); }); }
    double stop() { return timed([&] { engine->StopRec(); }); }
    double destroy() { return timed([&] { engine.reset(); }); }

    // Refreshes for ms; the longest single refresh.
    double ticks(int ms)
    {
        double longest = 0;
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) {
            longest = std::max(longest, timed([&] {
                engine->GetFileSize();
                engine->GetRSec();
                tell();
            }));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return longest;
    }

    void tell()
    {
        const std::string text = engine->TakeFailureMessage();
        if (text.empty()) return;
        ++messages;
        lastMessage = text;
    }
};

double secondsIn(const std::string& path)
{
    const auto audio = decodeMp3(path);
    return audio ? audio->seconds() : 0.0;
}
}

int main()
{
    PulseTestServer server;
    if (!server.start()) {
        std::fprintf(stderr, "cannot start the PulseAudio test server:\n%s\n", qPrintable(server.log()));
        return 1;
    }
    QTemporaryDir dir;
    const auto file = [&](const char* name) { return dir.filePath(name).toStdString(); };

    for (const char* name : {"plain.mp3", "again.mp3"}) {
        Window w;
        const double record = w.record(file(name));
        const double running = w.ticks(2500);
        const double pause = w.pause();
        const double paused = w.ticks(1000);
        const double resume = w.pause();
        w.ticks(1000);
        const double stop = w.stop();
        const double after = w.ticks(500);
        std::printf("%-18s Record %.1f ms, Pause %.1f ms, resume %.1f ms, Stop %.1f ms; "
                    "longest refresh %.1f ms (recording), %.1f ms (paused), %.1f ms (stopped)\n",
                    name == std::string("plain.mp3") ? "first take:" : "second take:", record, pause, resume, stop, running, paused, after);
    }
    {
        Window w;
        server.suspend();
        const double record = w.record(file("frozen-start.mp3"));
        const double waiting = w.ticks(4000);
        server.resume();
        const double stop = w.stop();
        std::printf("Record, frozen:    Record %.1f ms, longest refresh %.1f ms, Stop %.1f ms; %d message(s): %s\n",
                    record, waiting, stop, w.messages, w.lastMessage.c_str());
    }
    {
        Window w;
        const std::string path = file("stall.mp3");
        w.record(path);
        w.ticks(2500);
        server.suspend();
        const double stalled = w.ticks(15000);
        const double stop = w.stop();
        const double afterStop = w.ticks(1000);
        server.resume();
        w.ticks(1500);
        std::printf("15 s stall:        longest refresh %.1f ms, Stop in the stall %.1f ms, refresh after %.1f ms; "
                    "%d s shown, %.2f s in the file; %d message(s) %s\n",
                    stalled, stop, afterStop, w.engine->GetRSec(), secondsIn(path), w.messages, w.lastMessage.c_str());
    }
    {
        Window w;
        w.record(file("destroyed.mp3"));
        w.ticks(2500);
        server.suspend();
        w.ticks(500);
        const double destroy = w.destroy();
        server.resume();
        std::printf("destroyed, frozen: destructor %.1f ms\n", destroy);
    }
    {
        auto disk = std::make_shared<DiskFaults>();
        Window w(std::make_unique<Mp3RecorderBackend>(std::make_unique<PulseCaptureSource>(), nullptr,
                                                      std::make_unique<FaultyOutputFile>(disk)));
        const std::string path = file("stalled-disk.mp3");
        w.record(path);
        w.ticks(2500);
        {
            std::lock_guard lock(disk->mutex);
            disk->holdWrites = disk->holdSync = true;
        }
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::seconds(3));
            disk->release();
        });
        const double stalled = w.ticks(1500);
        const double stop = w.stop();
        const double afterStop = w.ticks(2500);
        release.join();
        const int shown = w.engine->GetRSec();
        const double destroy = w.destroy();
        WaitForBackgroundTakes(std::chrono::seconds(10));
        std::printf("disk stalled 3 s:  longest refresh %.1f ms, Stop %.1f ms, refresh after %.1f ms, destructor %.1f ms; "
                    "%d s shown, %.2f s in the file; %d message(s) %s\n",
                    stalled, stop, afterStop, destroy, shown, secondsIn(path), w.messages, w.lastMessage.c_str());
    }
    return 0;
}
