// The passage as it is heard. The program's own dialog on the real engine
// plays tone-coded media (tones of 50 ms, each sweeping 30 Hz about a
// frequency of its own) into a private PulseAudio server's null sink,
// whose monitor parec records at 5 ms latency. Every heard stretch is
// placed in the file by the tone and the pitch at its ends: heard start -
// A and heard end - B of a replay (复读), the walk's gap at B (播放 plays
// on from B) and the paused position against where the sound stopped
// (暂停), per format and speed; the "Infinitely" loop's rounds and the
// silence between them; median and max over 5 runs. mpv's own command
// line (--start/--end) and paplay of the exact cut are measured in the same
// run, as references for the method and the sound server.
//   build/bench/bench_audible_end [quick] [media name...], e.g. "MP3 VBR at 25 min"
#include "AudibleMedia.h"
#include "DialogHarness.h"
#include "MonitorCapture.h"
#include "PulseTestServer.h"
#include "support/TestMedia.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {
constexpr int kRuns = 5;
constexpr int kOpen = 1009, kPlay = 1010, kPause = 1011, kRepeat = 1012, kInfinitely = 1025;
// A and B lie inside tones, 1.013 s and 2.537 s after the first.
constexpr double kAAfter = 1.013, kBAfter = 2.537, kPlayOnSeconds = 0.6;

// Median and the value furthest from zero, in ms.
std::string summary(std::vector<double> ms)
{
    std::erase_if(ms, [](double v) { return !std::isfinite(v); });
    if (ms.empty())
        return "     -   (none)   ";
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2.0;
    const double worst = std::abs(ms.front()) > std::abs(ms.back()) ? ms.front() : ms.back();
    char text[64];
    std::snprintf(text, sizeof text, "%+7.1f %+7.1f%s", median, worst, n < kRuns ? "*" : " ");
    return text;
}

double ms(double seconds) { return std::isfinite(seconds) && seconds > -0.5 ? seconds * 1000.0 : NAN; }

struct Figures {
    std::vector<double> start, end, walk, playOn, pause, position;
};

void printHeader()
{
    std::printf("\nfigures in ms: median, then the one furthest from 0 (* fewer than %d runs placed)\n", kRuns);
    std::printf("%-24s %5s | %-15s | %-15s | %-15s | %-15s | %-15s | %-15s\n", "media", "speed", "start - A",
                "end - B", "walk gap at B", "play-on - B", "pause pos-heard", "pos at end - B");
}

void printRow(const std::string& what, double speed, const Figures& f)
{
    std::printf("%-24s %5.2f | %-15s | %-15s | %-15s | %-15s | %-15s | %-15s\n", what.c_str(), speed,
                summary(f.start).c_str(), summary(f.end).c_str(), summary(f.walk).c_str(),
                summary(f.playOn).c_str(), summary(f.pause).c_str(), summary(f.position).c_str());
    std::fflush(stdout);
}

void click(CRecorderDlg& d, int id) { static_cast<QAbstractButton*>(d.GetDlgItem(id))->click(); }

void setPassage(CRecorderDlg& d, double a, double b)
{
    d.m_segStart = d.m_editStart = a;
    d.m_segEnd = d.m_editEnd = b;
    d.DoDataExchange(false);
}

// The program's dialog on the real engine, sounding into the null sink.
std::unique_ptr<DialogHarness> openDialog(const AudibleMedia& media, double speed)
{
    auto h = std::make_unique<DialogHarness>(std::string(), true, [] {
        MpvOptions options = MpvOptions::NullOutputs();
        options.audioOutput = "pulse";
        return std::make_unique<MpvPlayerEngine>(options);
    });
    h->prompts.openAnswers.push_back(media.path);
    click(*h->dialog, kOpen);
    click(*h->dialog, kPause);
    h->dialog->m_player.engine().SetSpeed(speed);
    QTest::qWait(300);
    return h;
}

// 复读 to B, 播放 on from B, 暂停: the walk, five times.
Figures walk(const AudibleMedia& media, double speed, MonitorCapture& capture)
{
    const double a = media.code.start + kAAfter, b = media.code.start + kBAfter;
    auto h = openDialog(media, speed);
    CRecorderDlg& d = *h->dialog;
    Figures f;
    std::vector<double> pausedAt;
    if (!capture.Start())
        return f;
    for (int run = 0; run < kRuns; ++run) {
        setPassage(d, a, b);
        click(d, kRepeat);
        if (!QTest::qWaitFor([&] { return !d.IsTimerRunning(kSegmentTimer); }, 30000))
            std::fprintf(stderr, "the replay did not stop at B\n");
        f.position.push_back(ms(d.m_player.GetPosition() - b));
        QTest::qWait(300);
        click(d, kPlay);
        QTest::qWait(int(kPlayOnSeconds * 1000.0 / speed));
        click(d, kPause);
        pausedAt.push_back(d.m_segEnd);
        QTest::qWait(400);
    }
    const auto pieces = ReadHeardPieces(capture.Stop(), media.code, speed);
    // Each run is heard as a passage from about A, then a play-on from about B.
    double passageEnd = NAN;
    std::size_t playOns = 0;
    for (const HeardPiece& p : pieces) {
        if (std::abs(p.start - a) < 0.25) {
            f.start.push_back(ms(p.start - a));
            f.end.push_back(ms(p.end - b));
            passageEnd = p.end;
        } else if (std::abs(p.start - b) < 0.25 && playOns < pausedAt.size()) {
            f.playOn.push_back(ms(p.start - b));
            f.walk.push_back(ms(p.start - passageEnd));
            f.pause.push_back(ms(pausedAt[playOns++] - p.end));
            passageEnd = NAN;
        }
    }
    return f;
}

// "Infinitely": four rounds and more, then 暂停.
void loop(const AudibleMedia& media, double speed, MonitorCapture& capture)
{
    const double a = media.code.start + kAAfter, b = media.code.start + kBAfter;
    auto h = openDialog(media, speed);
    CRecorderDlg& d = *h->dialog;
    if (!capture.Start())
        return;
    setPassage(d, a, b);
    static_cast<QCheckBox*>(d.GetDlgItem(kInfinitely))->setChecked(true);
    click(d, kRepeat);
    QTest::qWait(int((b - a) * 4300.0 / speed));
    click(d, kPause);
    QTest::qWait(400);
    const auto pieces = ReadHeardPieces(capture.Stop(), media.code, speed);
    std::vector<double> starts, ends, gaps;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0 && i + 1 < pieces.size())
            starts.push_back(ms(pieces[i].start - a));
        if (i + 1 < pieces.size()) {
            ends.push_back(ms(pieces[i].end - b));
            gaps.push_back(pieces[i + 1].silenceBefore * 1000.0);
        }
    }
    std::printf("%-24s %5.2f | rounds heard %zu; round start - A %s | end - B %s | silence between %s\n",
                (media.name + " loop").c_str(), speed, pieces.size(), summary(starts).c_str(),
                summary(ends).c_str(), summary(gaps).c_str());
}

// Whatever plays a whole stretch itself, five times: its heard ends.
Figures reference(const QString& program, const QStringList& arguments, const ToneCode& code, double a, double b,
                  double speed, MonitorCapture& capture)
{
    Figures f;
    if (!capture.Start())
        return f;
    for (int run = 0; run < kRuns; ++run) {
        QProcess::execute(program, arguments);
        QTest::qWait(300);
    }
    for (const HeardPiece& p : ReadHeardPieces(capture.Stop(), code, speed)) {
        f.start.push_back(ms(p.start - a));
        f.end.push_back(ms(p.end - b));
    }
    return f;
}

Figures mpvCommandLine(const AudibleMedia& media, double speed, MonitorCapture& capture)
{
    const double a = media.code.start + kAAfter, b = media.code.start + kBAfter;
    return reference("mpv", {"--no-config", "--really-quiet", "--no-video", "--ao=pulse", "--speed=" + QString::number(speed),
                              "--start=" + QString::number(a, 'f', 3), "--end=" + QString::number(b, 'f', 3),
                              QString::fromStdString(media.path)},
                     media.code, a, b, speed, capture);
}

// The exact cut, at another speed stretched by ffmpeg's own tempo filter.
Figures paplayCut(const AudibleMedia& wav, const std::string& folder, double speed, MonitorCapture& capture)
{
    const ToneCode& code = wav.code;
    const double a = code.start + kAAfter, b = code.start + kBAfter;
    const auto all = code.Render(code.End() + 1.0, false);
    const std::vector<std::int16_t> cut(all.begin() + long(std::lround(a * code.rate)), all.begin() + long(std::lround(b * code.rate)));
    const std::string exact = folder + "/cut.wav", path = folder + "/cut-" + std::to_string(speed) + ".wav";
    WriteSamplesWav(exact, cut, code.rate);
    const std::string stretch = "ffmpeg -loglevel error -y -i '" + exact + "' -af atempo=" + std::to_string(speed) + " '" + path + "'";
    if (std::system(stretch.c_str()) != 0)
        return {};
    return reference("paplay", {QString::fromStdString(path)}, code, a, b, speed, capture);
}
}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    bool quick = false;
    std::vector<std::string> only;  // names of the media to measure; none: all
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "quick") == 0)
            quick = true;
        else
            only.emplace_back(argv[i]);
    }
    PulseTestServer pulse;
    if (!pulse.start()) {
        std::fprintf(stderr, "cannot start pulseaudio\n");
        return 1;
    }
    const std::string folder = (std::filesystem::temp_directory_path() / "quillora-bench-audible-2").string();
    auto media = PrepareAudibleMedia(folder, quick);
    if (!only.empty())
        std::erase_if(media, [&](const AudibleMedia& m) { return std::find(only.begin(), only.end(), m.name) == only.end(); });
    if (media.empty())
        return 1;
    MonitorCapture capture(media.front().code.rate);

    std::printf("references (start - A, end - B):\n");
    const auto printReference = [](const std::string& what, double speed, const Figures& f) {
        std::printf("  %-30s %5.2f | %s | %s\n", what.c_str(), speed, summary(f.start).c_str(), summary(f.end).c_str());
    };
    for (double speed : {1.0, 0.5, 1.5}) {
        printReference("paplay of the cut", speed, paplayCut(media.front(), folder, speed, capture));
        printReference("mpv CLI, " + media.front().name, speed, mpvCommandLine(media.front(), speed, capture));
    }
    for (std::size_t i = 1; i < media.size(); ++i)
        printReference("mpv CLI, " + media[i].name, 1.0, mpvCommandLine(media[i], 1.0, capture));

    printHeader();
    for (const AudibleMedia& m : media) {
        const bool speeds = m.name == "WAV" || m.name.starts_with("MP3") || !quick;
        for (double speed : {1.0, 0.5, 1.5}) {
            if (speed != 1.0 && !speeds)
                continue;
            printRow(m.name, speed, walk(m, speed, capture));
        }
    }
    std::printf("\nthe \"Infinitely\" loop, ms:\n");
    for (const AudibleMedia& m : media)
        if (!m.deep && (m.name == "WAV" || m.name == "MP3 CBR" || m.name == "AAC"))
            for (double speed : {1.0, 0.5, 1.5})
                loop(m, speed, capture);
    return 0;
}
