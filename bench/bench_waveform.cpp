// The waveform overview of a 30-minute MP3 lesson: how long it takes, how
// long the GUI thread is held while it fills the pane, how much memory it
// keeps, and what the moving position line costs while playing.
//   xvfb-run -a build/bench/bench_waveform [lesson.mp3]
#include "BenchStats.h"
#include "support/TestMedia.h"
#include "player/MediaReaders.h"
#include "readers/WaveformOverview.h"
#include "pane/WaveformView.h"

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

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
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

bool busy(const IWaveformOverview& o)
{
    return o.state() == WaveformOverview::State::Opening || o.state() == WaveformOverview::State::Decoding;
}

// The view with its paints counted and timed.
struct TimedView : WaveformView {
    TimedView() : WaveformView(MakeDefaultMediaReaders().openOverview) {}
    int paints = 0;
    std::vector<double> paintMs;
    void paintEvent(QPaintEvent* event) override
    {
        const auto t = Clock::now();
        WaveformView::paintEvent(event);
        paintMs.push_back(msSince(t));
        ++paints;
    }
};

// Runs the event loop for that long, sleeping while there is nothing to do.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Plays the view for `seconds` from its reports alone, as the engine would
// send them every 50 ms, and returns the share of one core used.
double playFor(TimedView& view, double seconds, double* paintsPerSecond)
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
    view.paints = 0;
    const double cpu0 = processCpuMs();
    QElapsedTimer wall;
    wall.start();
    runFor(static_cast<int>(seconds * 1000));
    const double share = (processCpuMs() - cpu0) / wall.elapsed() * 100.0;
    *paintsPerSecond = view.paints * 1000.0 / wall.elapsed();
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

    // In the pane: what the GUI thread spends at a time while the overview
    // fills the view. A 1 ms timer's gaps show how long the thread was away;
    // the thread's own CPU time within a gap shows how much of that it was
    // working rather than waiting for a core on a busy machine.
    TimedView view;
    view.resize(401, 330);
    view.show();
    runFor(200);
    std::vector<double> gaps, busyInGap;
    auto last = Clock::now();
    double lastCpu = threadCpuMs();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        gaps.push_back(msSince(last));
        busyInGap.push_back(threadCpuMs() - lastCpu);
        last = Clock::now();
        lastCpu = threadCpuMs();
    });
    ticker.start(1);
    view.paints = 0;
    view.paintMs.clear();
    const double guiCpu0 = threadCpuMs();
    view.open(media);
    const auto t = Clock::now();
    last = Clock::now();
    while (busy(*view.overview()))
        runFor(10);
    const double filled = msSince(t);
    runFor(50);
    ticker.stop();
    std::printf("pane filled in %.0f ms with %d paints, GUI thread busy %.0f ms of it\n", filled, view.paints,
                threadCpuMs() - guiCpu0);
    PrintStats("GUI thread gap while filling", gaps, "ms");
    PrintStats("GUI thread working within a gap", busyInGap, "ms");
    PrintStats("one paint while filling", view.paintMs, "ms");

    double rate = 0.0;
    view.paintMs.clear();
    const double whole = playFor(view, 5.0, &rate);
    std::printf("%-40s %.2f %% of a core, %.1f paints/s\n", "playing, whole file in view", whole, rate);
    QWheelEvent zoomIn(QPointF(10, 10), QPointF(10, 10), {}, QPoint(0, 120 * 12), Qt::NoButton, {},
                       Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &zoomIn);
    std::printf("zoomed in to %.1f s across the pane\n", view.viewSpan());
    view.paintMs.clear();
    const double zoomed = playFor(view, 5.0, &rate);
    std::printf("%-40s %.2f %% of a core, %.1f paints/s\n", "playing, zoomed in (line moves each frame)", zoomed, rate);
    PrintStats("one paint while playing zoomed in", view.paintMs, "ms");
    return 0;
}
