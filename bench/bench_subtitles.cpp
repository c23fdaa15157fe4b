// Reading a 100,000-line SubRip file (25,000 cues, Chinese text): how long
// FFmpeg's reader takes in UTF-8 and in GBK, what building the lookup takes,
// what a lookup costs, the memory the lines keep, and how long the GUI
// thread is held when the player starts reading them in the background.
//   build/bench/bench_subtitles
#include "BenchStats.h"
#include "player/MediaReaders.h"
#include "readers/SubtitleReader.h"
#include "pane/SubtitleTrack.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kCues = 25000;  // four lines each

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double statusMiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key)
        if (key == field) {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
    return 0.0;
}

std::string clock(int ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

// The same text in UTF-8 or in GBK ("你好，世界" and a running number).
void writeSrt(const std::string& path, bool gbk)
{
    const std::string hello = gbk ? "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7" : "你好，世界";
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < kCues; ++i)
        out << i + 1 << "\r\n" << clock(i * 2000) << " --> " << clock(i * 2000 + 1500) << "\r\n"
            << hello << " " << i << "\r\n\r\n";
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const auto dir = std::filesystem::temp_directory_path() / "quillora-bench-subtitles";
    std::filesystem::create_directories(dir);
    const std::string utf8 = (dir / "lesson.srt").string();
    const std::string gbk = (dir / "gbk.srt").string();
    writeSrt(utf8, false);
    writeSrt(gbk, true);
    std::printf("file: %d cues, %d lines, %.1f MiB\n", kCues, 4 * kCues,
                double(std::filesystem::file_size(utf8)) / (1 << 20));

    const std::atomic<bool> going{false};
    // FFmpeg's libraries are loaded first, so the growth is the lines' own.
    const std::string tiny = (dir / "tiny.srt").string();
    std::ofstream(tiny) << "1\n00:00:01,000 --> 00:00:02,000\nx\n\n";
    subtitles::ReadSubtitleFile(tiny, going);
    const double rssBefore = statusMiB("VmRSS:");
    SubtitleLines kept(subtitles::ReadSubtitleFile(utf8, going));
    std::printf("%-40s %.1f MiB resident (%.1f with the libraries alone), peak %.1f MiB\n", "one file's lines kept",
                statusMiB("VmRSS:") - rssBefore, rssBefore, statusMiB("VmHWM:"));
    std::vector<double> readMs, gbkMs, buildMs;
    for (int run = 0; run < 3; ++run) {
        auto t = Clock::now();
        std::vector<SubtitleLine> read = subtitles::ReadSubtitleFile(utf8, going);
        readMs.push_back(msSince(t));
        if (read.size() != std::size_t(kCues))
            std::printf("read %zu lines, expected %d\n", read.size(), kCues);
        t = Clock::now();
        const SubtitleLines built(std::move(read));
        buildMs.push_back(msSince(t));
        t = Clock::now();
        const std::size_t gbkLines = subtitles::ReadSubtitleFile(gbk, going).size();
        gbkMs.push_back(msSince(t));
        if (gbkLines != std::size_t(kCues))
            std::printf("read %zu GBK lines, expected %d\n", gbkLines, kCues);
    }
    PrintStats("read, UTF-8", readMs, "ms");
    PrintStats("read, GBK", gbkMs, "ms");
    PrintStats("lookup built", buildMs, "ms");
    std::size_t bytes = 0;
    for (const SubtitleLine& line : kept.lines())
        bytes += sizeof line + (line.text.capacity() > 15 ? line.text.capacity() + 1 : 0);
    std::printf("%-40s %.1f MiB\n", "the lines' own bytes (without lookup)", double(bytes) / (1 << 20));

    constexpr int kLookups = 1000000;
    auto t = Clock::now();
    std::size_t found = 0;
    for (int i = 0; i < kLookups; ++i)
        found += kept.playingAt((i % (kCues * 2)) * 1.0) != nullptr;
    std::printf("%-40s %.3f us each (%zu found)\n", "line playing lookup", msSince(t) * 1000.0 / kLookups, found);

    // The player's way: the GUI thread only starts the reading.
    SubtitleTrack track(MakeDefaultMediaReaders().openSubtitles);
    QEventLoop loop;
    QObject::connect(&track, &SubtitleTrack::linesChanged, &loop, &QEventLoop::quit);
    const std::string media = (dir / "lesson.mp3").string();
    std::ofstream(media) << "x";
    t = Clock::now();
    track.open(media);
    const double held = msSince(t);
    loop.exec();
    std::printf("%-40s %.2f ms held, lines there after %.0f ms\n", "background read (GUI thread)", held, msSince(t));
    std::filesystem::remove_all(dir);
    return track.lines().lines().size() == std::size_t(kCues) ? 0 : 1;
}
