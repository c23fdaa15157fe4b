// The player's memory, as the program shows it (the pane at its size, the
// libmpv renderer, the waveform), on media made here:
//   xvfb-run -a build/bench/bench_player_memory peak [seconds [video]]
//     a 1080p H.264 video (made here, or the one given) played for a while:
//     the peak (VmHWM) beside mpv's own window playing the same file as long
//   xvfb-run -a build/bench/bench_player_memory opens [count]
//     count opens (200 by default) of a WAV, an MP3 and a small video in
//     turn, each played briefly: VmRSS and VmHWM as they go
#include "ProcStatus.h"
#include "support/TestMedia.h"
#include "pane/CMediaplayer1.h"
#include "mpvengine/MpvLibrary.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
namespace fs = std::filesystem;

void runLoop(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(2);
    }
}

bool makeVideo(const std::string& path, int width, int height, int seconds)
{
    const std::string make = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=" + std::to_string(width) + "x"
                             + std::to_string(height) + ":rate=30 -f lavfi -i sine=f=440 -t " + std::to_string(seconds)
                             + " -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac '" + path + "'";
    if (std::system(make.c_str()) == 0)
        return true;
    std::fprintf(stderr, "ffmpeg could not make %s\n", path.c_str());
    return false;
}

// mpv's own program in its own window on the file, with the same silent
// sound output (and the video output given, if any); its peak, read while
// it runs.
double mpvPeakMiB(const std::string& file, int seconds, const char* videoOutput)
{
    const std::string length = "--length=" + std::to_string(seconds);
    std::vector<const char*> args = {"mpv", "--no-config", "--really-quiet", "--ao=null", length.c_str()};
    if (videoOutput)
        args.push_back(videoOutput);
    args.push_back(file.c_str());
    args.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execvp("mpv", const_cast<char* const*>(args.data()));
        _exit(127);
    }
    long peak = -1;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        peak = std::max(peak, ProcStatusKiB("VmHWM", child));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? peak / 1024.0 : -1.0;
}

std::unique_ptr<CMediaplayer1> shownPlayer()
{
    MpvOptions options;
    options.audioOutput = "null";
    auto player = std::make_unique<CMediaplayer1>(std::make_unique<MpvPlayerEngine>(options), MakeDefaultMediaReaders());
    player->resize(401, 374);  // its size in the window
    player->show();
    runLoop(1500);  // the engine's set-up, begun at the first paint
    return player;
}

int peak(const fs::path& dir, int seconds, std::string video)
{
    if (video.empty()) {
        video = dir / "1080p.mp4";
        if (!makeVideo(video, 1920, 1080, seconds + 5))
            return 1;
    }
    const double mpvOwn = mpvPeakMiB(video, seconds, nullptr);
    const double mpvX11 = mpvPeakMiB(video, seconds, "--vo=x11");
    auto player = shownPlayer();
    const double shown = ProcStatusMiB("VmHWM");
    player->SetMediaFile(video);
    player->Play();
    runLoop(seconds * 1000);
    std::printf("%-46s %.1f MiB\n", "quillora, window shown, no media", shown);
    std::printf("%-46s %.1f MiB\n", ("quillora, 1080p H.264 played " + std::to_string(seconds) + " s").c_str(),
                ProcStatusMiB("VmHWM"));
    // Fewer decoding threads must not cost pictures.
    if (auto* engine = dynamic_cast<MpvPlayerEngine*>(&player->engine())) {
        std::int64_t dropped = -1, decoderDropped = -1;
        Mpv().get_property(engine->handle(), "frame-drop-count", MPV_FORMAT_INT64, &dropped);
        Mpv().get_property(engine->handle(), "decoder-frame-drop-count", MPV_FORMAT_INT64, &decoderDropped);
        std::printf("%-46s %lld by the output, %lld by the decoder\n", "frames dropped", static_cast<long long>(dropped),
                    static_cast<long long>(decoderDropped));
    }
    // Without a graphics card mpv passes over a software OpenGL and its
    // other outputs for its window and settles on the last; x11 scales in
    // software, as the player does.
    const std::pair<const char*, double> mpvs[] = {{"mpv's own window, same file and time", mpvOwn},
                                                   {"mpv's own window, --vo=x11", mpvX11}};
    for (const auto& [what, mib] : mpvs) {
        if (mib < 0)
            std::printf("%-46s could not be run\n", what);
        else
            std::printf("%-46s %.1f MiB\n", what, mib);
    }
    return 0;
}

void printMemory(int opens, double startMiB)
{
    const double rss = ProcStatusMiB("VmRSS");
    std::printf("after %4d opens: VmRSS %6.1f MiB (anonymous %6.1f, files %5.1f)  VmHWM %6.1f MiB  %+6.1f KiB an open\n",
                opens, rss, ProcStatusMiB("RssAnon"), ProcStatusMiB("RssFile"), ProcStatusMiB("VmHWM"),
                opens ? (rss - startMiB) * 1024.0 / opens : 0.0);
}

int opens(const fs::path& dir, int count)
{
    const std::vector<std::string> files = {dir / "tone.wav", dir / "tone.mp3", dir / "small.mp4"};
    WriteToneWav(files[0], 4.0);
    WriteToneMp3(files[1], 4.0);
    if (!makeVideo(files[2], 320, 240, 4))
        return 1;
    auto player = shownPlayer();
    // One round first: what every later open finds already there (libraries,
    // decoders, caches) is not counted as growth.
    for (const std::string& file : files) {
        player->SetMediaFile(file);
        player->Play();
        runLoop(300);
    }
    const double start = ProcStatusMiB("VmRSS");
    printMemory(0, start);
    for (int i = 1; i <= count; ++i) {
        player->SetMediaFile(files[i % files.size()]);
        player->Play();
        runLoop(150);
        player->Stop();
        if (i % 50 == 0 || i == count)
            printMemory(i, start);
    }
    runLoop(6000);  // every load's own timer has run out
    printMemory(count, start);
    malloc_trim(0);
    std::printf("%-46s VmRSS %6.1f MiB\n", "after malloc_trim (freed, not yet returned)", ProcStatusMiB("VmRSS"));
    return 0;
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const std::string mode = argc > 1 ? argv[1] : "peak";
    const int figure = argc > 2 ? std::atoi(argv[2]) : 0;
    const fs::path dir = fs::temp_directory_path() / ("quillora-bench-memory-" + std::to_string(getpid()));
    fs::create_directories(dir);
    int result = 2;
    if (mode == "peak")
        result = peak(dir, figure > 0 ? figure : 10, argc > 3 ? argv[3] : "");
    else if (mode == "opens")
        result = opens(dir, figure > 0 ? figure : 200);
    else
        std::fprintf(stderr, "usage: %s peak [seconds] | opens [count]\n", argv[0]);
    fs::remove_all(dir);
    return result;
}
