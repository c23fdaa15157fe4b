// A lesson with a huge subtitle file beside it, opened in the player, then
// eight opens of other lessons: the memory resident after each, and the
// lines read. Once with the whole player (libmpv and the lines' reader),
// once with the lines' reader alone, to tell who holds what.
//   xvfb-run -a build/bench/bench_large_subtitles [MiB]
#include "ProcStatus.h"
#include "support/TestMedia.h"
#include "pane/CMediaplayer1.h"
#include "pane/SubtitleTrack.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "player/MediaReaders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;
constexpr int kLaterOpens = 8;

void runLoop(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(2);
    }
}

// Until `done` holds, or 60 s; the time taken in ms.
qint64 runUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(2);
    }
    return clock.elapsed();
}

std::string clock(long ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld,%03ld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

// SubRip cues of a sentence each, one a second, until the file has `mib`.
void writeLargeSrt(const std::string& path, double mib)
{
    std::ofstream out(path, std::ios::binary);
    const auto bytes = static_cast<std::streamoff>(mib * (1 << 20));
    for (long i = 0; out.tellp() < bytes; ++i)
        out << i + 1 << "\r\n" << clock(i * 1000) << " --> " << clock(i * 1000 + 800) << "\r\n"
            << "你好，世界。Line " << i << " of a very long transcript, as some lessons have.\r\n\r\n";
}

void printRss(const char* what)
{
    std::printf("  %-34s VmRSS %7.1f MiB  VmHWM %7.1f MiB\n", what, ProcStatusMiB("VmRSS"), ProcStatusMiB("VmHWM"));
}

struct Lessons {
    std::string large;               // with the huge .srt beside it
    std::vector<std::string> others;  // with a small one or none
};

// `open` opens a lesson and returns once its lines are read; it returns
// how many lines it has.
void measure(const char* title, const Lessons& lessons, const std::function<std::size_t(const std::string&)>& open)
{
    std::printf("%s\n", title);
    open(lessons.others[0]);
    printRss("before");
    QElapsedTimer clock;
    clock.start();
    const std::size_t lines = open(lessons.large);
    std::printf("  %-34s %zu lines, read in %lld ms\n", "the large file", lines, static_cast<long long>(clock.elapsed()));
    printRss("with the large file's lines");
    for (int i = 1; i <= kLaterOpens; ++i) {
        open(lessons.others[std::size_t(i) % lessons.others.size()]);
        const std::string what = "after " + std::to_string(i) + " other opens";
        if (i == 1 || i == kLaterOpens) printRss(what.c_str());
    }
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const double mib = argc > 1 ? std::atof(argv[1]) : 50.0;
    const fs::path dir = fs::temp_directory_path() / ("quillora-bench-large-srt-" + std::to_string(getpid()));
    fs::create_directories(dir);
    Lessons lessons{(dir / "large.mp3").string(), {(dir / "a.mp3").string(), (dir / "b.wav").string()}};
    WriteToneMp3(lessons.large, 4.0);
    WriteToneMp3(lessons.others[0], 4.0);
    WriteToneWav(lessons.others[1], 4.0);
    writeLargeSrt((dir / "large.srt").string(), mib);
    std::ofstream(dir / "a.srt") << "1\n00:00:01,000 --> 00:00:02,000\nsmall\n\n";
    std::printf("subtitle file: %.1f MiB\n", double(fs::file_size(dir / "large.srt")) / (1 << 20));

    {
        SubtitleTrack track(MakeDefaultMediaReaders().openSubtitles);
        measure("the lines' reader alone", lessons, [&](const std::string& path) {
            track.open(path);
            runUntil([&] { return !track.loading(); });
            return track.lines().lines().size();
        });
    }
    {
        MpvOptions options;
        options.audioOutput = "null";
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(options), MakeDefaultMediaReaders());
        player.resize(401, 374);
        player.show();
        runLoop(1500);  // the engine's set-up, begun at the first paint
        measure("the player (libmpv and the lines' reader)", lessons, [&](const std::string& path) {
            player.SetMediaFile(path);
            player.Play();
            runUntil([&] { return !player.subtitles().loading(); });
            runLoop(500);  // mpv's own loading of the file
            player.Stop();
            return player.subtitles().lines().lines().size();
        });
    }
    fs::remove_all(dir);
    return 0;
}
