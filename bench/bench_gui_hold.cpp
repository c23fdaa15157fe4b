// How long each engine operation holds the GUI thread on a 720p H.264 video
// (made here with ffmpeg), with the video shown as the program shows it, and
// the longest the event loop went unserved meanwhile; then the peak memory.
// Needs an X server or QT_QPA_PLATFORM=offscreen:
//   xvfb-run -a build/bench/bench_gui_hold
#include "BenchStats.h"
#include "pane/CMediaplayer1.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {
using Clock = std::chrono::steady_clock;

std::map<std::string, std::vector<double>> g_holds;

template <typename F> void timed(const char* what, F&& operation)
{
    const auto t0 = Clock::now();
    operation();
    g_holds[what].push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
}

// Lets the event loop run for ms, noting the longest gap between its turns.
double runLoop(int ms)
{
    QElapsedTimer clock, sinceLast;
    clock.start();
    sinceLast.start();
    double longest = 0.0;
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longest = std::max(longest, sinceLast.nsecsElapsed() / 1e6);
        sinceLast.restart();
        QTest::qSleep(1);
    }
    return longest;
}

long peakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const std::string video = std::filesystem::temp_directory_path() / "quillora-bench-720p.mp4";
    const std::string make = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=1280x720:rate=30 -f lavfi -i sine=f=440 "
                             "-t 20 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac '" + video + "'";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "ffmpeg could not make the 720p file\n");
        return 1;
    }
    MpvOptions options;
    options.audioOutput = "null";
    CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(options), MakeDefaultMediaReaders());
    player.resize(401, 374);
    player.show();
    runLoop(1500);  // the engine's set-up, begun at the first paint, is done before a user's first Open
    const double shownMiB = peakKiB() / 1024.0;

    timed("SetMediaFile", [&] { player.SetMediaFile(video); });
    timed("Play", [&] { player.Play(); });
    double longestGap = runLoop(2000);
    for (int i = 0; i < 10; ++i) {
        const double target = 1.0 + i * 1.7;
        timed("SetPosition, playing", [&] { player.SetPosition(target); });
        timed("GetPosition", [&] { player.GetPosition(); });
        longestGap = std::max(longestGap, runLoop(300));
        timed("Pause", [&] { player.Pause(); });
        timed("SetPosition, paused", [&] { player.SetPosition(target + 0.5); });
        longestGap = std::max(longestGap, runLoop(100));
        timed("Play", [&] { player.Play(); });
        longestGap = std::max(longestGap, runLoop(200));
    }
    // The play-area command: the file again, on from B, play.
    for (int i = 0; i < 10; ++i) {
        const double b = 2.0 + i * 1.3;
        timed("\"play on from B\" (load, seek, play)", [&] {
            player.SetMediaFile(video);
            player.SetPosition(b);
            player.Play();
        });
        longestGap = std::max(longestGap, runLoop(400));
        timed("Stop", [&] { player.Stop(); });
    }
    player.Play();
    longestGap = std::max(longestGap, runLoop(3000));

    for (const auto& [what, values] : g_holds)
        PrintStats(what.c_str(), values, "ms");
    std::printf("%-40s %.1f ms\n", "longest event loop gap while playing", longestGap);
    std::printf("%-40s %.1f MiB\n", "peak memory, window shown, no media", shownMiB);
    std::printf("%-40s %.1f MiB\n", "peak memory (VmHWM)", peakKiB() / 1024.0);
    std::filesystem::remove(video);
    return 0;
}
