// CPU of full-screen 1080p playback with subtitles: the player pane full
// screen (software rendering into the widget) beside mpv's own window with
// its X11 software output, on the same file, one after the other. Needs
// an X server as large as the picture, the mpv and ffmpeg programs:
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/bench_fullscreen [MEDIA] [seconds]
// Without MEDIA it makes a 1080p H.264 test picture of its own.
#include "BenchStats.h"
#include "pane/CMediaplayer1.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "pane/VideoView.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QScreen>
#include <QWidget>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// User and system CPU of a process so far, in seconds.
double cpuSeconds(const std::string& statPath)
{
    std::ifstream stat(statPath);
    std::string field;
    std::getline(stat, field, ')');  // past the command name, which may hold blanks
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && stat >> field; ++i) {
        if (i == 14)
            utime = std::atoll(field.c_str());
        if (i == 15)
            stime = std::atoll(field.c_str());
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// Runs the event loop, blocking between events as the program does: a
// loop of processEvents calls would spin and count as the player's CPU.
void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU share (of one core) over `seconds`, after a second to settle.
double sampleShare(pid_t pid, double seconds, bool inProcess)
{
    auto pause = [&](int ms) { inProcess ? waitMs(ms) : std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    pause(1000);
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const double before = cpuSeconds(path);
    pause(int(seconds * 1000));
    return (cpuSeconds(path) - before) / seconds * 100.0;
}

std::string makeMedia(const std::filesystem::path& dir)
{
    const std::string media = (dir / "fullhd.mp4").string();
    const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=30 "
                                "-c:v libx264 -preset veryfast -pix_fmt yuv420p '" + media + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    return media;
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const auto dir = std::filesystem::temp_directory_path() / "quillora-bench-fullscreen";
    std::filesystem::create_directories(dir);
    const std::string media = argc > 1 && argv[1][0] ? std::string(argv[1]) : makeMedia(dir);
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    if (media.empty()) {
        std::fprintf(stderr, "cannot make the test picture (is ffmpeg there?)\n");
        return 2;
    }
    std::ofstream(std::filesystem::path(media).replace_extension(".srt"))
        << "1\n00:00:00,000 --> 01:00:00,000\nA subtitle row to draw on every frame\nand a second one\n\n";

    // The player pane in its dialog-sized window, full screen; it pauses
    // while mpv's own window plays, in turn, so that both meet the same load.
    QWidget window;
    window.resize(686, 395);
    MpvOptions options;
    options.audioOutput = "null";
    auto* player = new CMediaplayer1(std::make_unique<MpvPlayerEngine>(options), MakeDefaultMediaReaders(), &window);
    player->setGeometry(0, 0, 401, 374);
    window.show();
    waitMs(300);
    player->SetMediaFile(media);
    waitMs(300);
    std::vector<double> mpvShares, ourShares;
    for (int round = 0; round < 2; ++round) {
        const pid_t mpv = fork();
        if (mpv == 0) {
            execlp("mpv", "mpv", "--really-quiet", "--no-config", "--vo=x11", "--ao=null", "--fs", "--loop-file=inf",
                   "--hwdec=no", media.c_str(), nullptr);
            _exit(127);
        }
        mpvShares.push_back(sampleShare(mpv, seconds, false));
        kill(mpv, SIGTERM);
        waitpid(mpv, nullptr, 0);

        player->toggleFullScreen();
        player->Play();
        ourShares.push_back(sampleShare(getpid(), seconds, true));
        if (std::getenv("QUILLORA_BENCH_THREADS"))
            std::printf("  round %d: picture %dx%d\n", round, player->videoView()->width(), player->videoView()->height());
        player->Pause();
        player->toggleFullScreen();
        waitMs(300);
    }
    std::printf("full-screen %s, %.0f s each, twice in turn; CPU of one core:\n",
                qPrintable(QString("%1x%2").arg(player->screen()->size().width()).arg(player->screen()->size().height())),
                seconds);
    PrintStats("  mpv --vo=x11 --fs", mpvShares, "%");
    PrintStats("  Quillora's player, full screen", ourShares, "%");
    if (std::getenv("QUILLORA_BENCH_THREADS")) {
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            std::ifstream comm(task.path() / "comm");
            std::string name;
            std::getline(comm, name);
            std::printf("  thread %-16s %.2f s\n", name.c_str(), cpuSeconds((task.path() / "stat").string()));
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
