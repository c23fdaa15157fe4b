// The waveform overview of a 30-minute MP3 lesson: how long it takes, how
// long the GUI thread is held while it fills the pane, how much memory it
// keeps, and what the moving position line costs while playing.
//   xvfb-run -a build/bench/bench_waveform [lesson.mp3]
#include "BenchStats.h"
#include "support/TestMedia.h"
#include "playback/WaveformOverview.h"
#include "playback/WaveformView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWheelEvent>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
constexpr double kLessonSeconds = 1800.0;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double residentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0.0;
}

bool busy(const WaveformOverview& o)
{
    return o.state() == WaveformOverview::State::Opening || o.state() == WaveformOverview::State::Decoding;
}

// Counts the view's paint events.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Plays the view for `seconds` from its reports alone, as the engine would
// send them every 50 ms, and returns the share of one core used.
double playFor(WaveformView& view, PaintCounter& counter, double seconds, double* paintsPerSecond)
{
    PlayerStatus status;
    status.loaded = true;
    status.paused = false;
    status.duration = kLessonSeconds;
    status.position = 600.0;
    const auto start = Clock::now();
    QTimer reports;
    QObject::connect(&reports, &QTimer::timeout, [&] {
        status.position = 600.0 + msSince(start) / 1000.0;
        view.showStatus(status);
    });
    view.showStatus(status);
    reports.start(50);
    counter.paints = 0;
    const double cpu0 = processCpuMs();
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < seconds * 1000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double share = (processCpuMs() - cpu0) / wall.elapsed() * 100.0;
    *paintsPerSecond = counter.paints * 1000.0 / wall.elapsed();
    reports.stop();
    return share;
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    std::string media = argc > 1 ? argv[1] : "";
    if (media.empty()) {
        media = (std::filesystem::temp_directory_path() / "quillora-bench-lesson-30min.mp3").string();
        if (!std::filesystem::exists(media)) {
            const auto t = Clock::now();
            WriteSpansMp3(media, LessonSpans(kLessonSeconds));
            std::printf("generated %s in %.1f s\n", media.c_str(), msSince(t) / 1000.0);
        }
    }

    // The overview alone, three times.
    std::vector<double> wallMs, cpuMs, keptMiB, rssMiB;
    for (int run = 0; run < 3; ++run) {
        const double rss0 = residentMiB();
        const double cpu0 = processCpuMs();
        const auto t = Clock::now();
        WaveformOverview overview(media, nullptr);
        double rssPeak = rss0;
        while (busy(overview)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            rssPeak = std::max(rssPeak, residentMiB());
        }
        wallMs.push_back(msSince(t));
        cpuMs.push_back(processCpuMs() - cpu0);
        keptMiB.push_back(overview.bytesReserved() / 1048576.0);
        rssMiB.push_back(rssPeak - rss0);
        if (run == 0)
            std::printf("decoded %.1f s of audio\n", overview.decodedSeconds());
    }
    PrintStats("overview complete, wall", wallMs, "ms");
    PrintStats("overview complete, cpu", cpuMs, "ms");
    PrintStats("peaks kept", keptMiB, "MiB");
    PrintStats("resident growth while decoding", rssMiB, "MiB");

    // In the pane: the gaps between ticks of a 1 ms timer on the GUI thread
    // while the overview fills the view.
    WaveformView view;
    view.resize(401, 330);
    view.show();
    PaintCounter counter;
    view.installEventFilter(&counter);
    std::vector<double> gaps;
    auto last = Clock::now();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        gaps.push_back(msSince(last));
        last = Clock::now();
    });
    ticker.start(1);
    view.open(media);
    const auto t = Clock::now();
    last = Clock::now();
    while (busy(*view.overview()))
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double filled = msSince(t);
    QApplication::processEvents();
    ticker.stop();
    std::printf("pane filled in %.0f ms with %d paints\n", filled, counter.paints);
    PrintStats("GUI thread gap while filling", gaps, "ms");

    double rate = 0.0;
    const double whole = playFor(view, counter, 5.0, &rate);
    std::printf("%-40s %.2f %% of a core, %.1f paints/s\n", "playing, whole file in view", whole, rate);
    QWheelEvent zoomIn(QPointF(10, 10), QPointF(10, 10), {}, QPoint(0, 120 * 12), Qt::NoButton, {},
                       Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &zoomIn);
    std::printf("zoomed in to %.1f s across the pane\n", view.viewSpan());
    const double zoomed = playFor(view, counter, 5.0, &rate);
    std::printf("%-40s %.2f %% of a core, %.1f paints/s\n", "playing, zoomed in (line moves each frame)", zoomed, rate);
    return 0;
}
