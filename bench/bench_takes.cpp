// The learner's takes as they are heard and what they cost. The program's
// own dialog on the real engine drills one sentence of tone-coded media with
// "record me in the gap" and "then play my take" into a private PulseAudio
// server (its default input a sine), whose null sink's monitor parec
// records: the take must begin within 150 ms of the gap's end and the
// sentence resume within 150 ms of the take's end. A scripted input with a
// known first sound gives where a take's first sample lies (goal: within
// 20 ms before it, nothing of it cut); the CPU of recording a take beside
// playback (goal: at most 2% of a core) and memory over many takes follow.
//   build/bench/bench_takes [runs]
#include "DialogHarness.h"
#include "MonitorCapture.h"
#include "Mp3Decode.h"
#include "ProcStatus.h"
#include "PulseTestServer.h"
#include "TestMedia.h"
#include "ToneCode.h"
#include "app/TextFile.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "pane/SubtitleTrack.h"
#include "practice/DrillBar.h"
#include "recorder/ICaptureSource.h"
#include "recorder/Mp3Encoder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <sys/resource.h>

namespace {
constexpr double kSentence[2] = {1.513, 2.237};

// Silence, then a tone from `onset` on, as fast as it is read.
class OnsetSource : public ICaptureSource {
public:
    explicit OnsetSource(double onset) : m_onset(onset) {}
    bool open(CaptureFormat& format) override { format.channels = 1; m_rate = format.sampleRate; return true; }
    std::ptrdiff_t read(std::span<std::int16_t> buffer) override
    {
        const auto from = std::int64_t(m_onset * m_rate);
        for (auto& s : buffer) {
            const double t = double(m_at - from) / m_rate;
            s = m_at >= from ? std::int16_t(std::lround(8000.0 * std::sin(2.0 * std::numbers::pi * 220.0 * t))) : 0;
            ++m_at;
        }
        return std::ptrdiff_t(buffer.size());
    }
    void close() override {}

private:
    double m_onset;
    int m_rate = 44100;
    std::int64_t m_at = 0;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Share of a core the process used over `seconds` of its event loop.
double cpuShare(double seconds)
{
    const double before = cpuSeconds();
    QTest::qWait(int(seconds * 1000));
    return (cpuSeconds() - before) / seconds;
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

void firstSample()
{
    QTemporaryDir dir;
    double worst = 0.0, worstFile = 0.0;
    bool cut = false;
    for (int run = 0; run < 10; ++run) {
        const double onset = 0.3 + 0.0137 * run;  // a different place in a chunk each run
        TakeCapture capture(std::make_unique<OnsetSource>(onset), std::make_unique<Mp3Encoder>(),
                            {dir.path().toStdString()}, "take" + std::to_string(run) + ".mp3", onset + 0.5);
        const TakeResult result = capture.run();
        // Samples held before the tone's first one above the threshold.
        std::size_t first = 0;
        while (first < result.samples.size() && std::abs(int(result.samples[first])) < TakeCapture::kSoundThreshold)
            ++first;
        const double lead = double(first) / result.sampleRate;
        // All from the onset to the end is there.
        cut = cut || double(result.samples.size()) / result.sampleRate < 0.5;
        worst = std::max(worst, lead);
        if (const auto audio = decodeMp3(result.path)) {
            std::size_t i = 0;
            while (i < audio->samples.size() && std::abs(audio->samples[i]) < float(TakeCapture::kSoundThreshold) / 32768.0f)
                ++i;
            worstFile = std::max(worstFile, double(i) / double(audio->sampleRate));
        }
    }
    std::printf("take's first sample before the first sound: max %.1f ms over 10 takes, speech cut: %s (goal <= 20 ms: %s)\n",
                worst * 1000.0, cut ? "yes" : "no", verdict(worst <= 0.020 && !cut));
    std::printf("  in the MP3 file, with the encoder's fixed priming: max %.1f ms\n", worstFile * 1000.0);
}

struct Heard {
    double takeAfterGap = NAN, resumeAfterTake = NAN;
};

Heard heardDrill(DialogHarness& h, CRecorderDlg& d, MonitorCapture& capture, const ToneCode& code)
{
    Heard figures;
    Drill& drill = static_cast<DrillBar*>(d.m_player.drill())->drill();
    d.m_player.SetPosition(1.0);
    if (!capture.Start())
        return figures;
    QTest::keyClick(&d, Qt::Key_D);
    if (!QTest::qWaitFor([&] { return drill.state() == Drill::State::Done; }, 20000))
        std::printf("  the drill did not end\n");
    QTest::qWait(300);
    const auto pieces = ReadHeardPieces(capture.Stop(), code, 1.0);
    (void)h;
    // The sentence, the take, the sentence again.
    if (pieces.size() != 3) {
        std::printf("  heard %zu pieces, not 3\n", pieces.size());
        return figures;
    }
    figures.takeAfterGap = pieces[1].silenceBefore - (kSentence[1] - kSentence[0]);
    figures.resumeAfterTake = pieces[2].silenceBefore;
    return figures;
}
}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    firstSample();

    PulseTestServer pulse;
    if (!pulse.start()) {
        std::fprintf(stderr, "cannot start pulseaudio\n");
        return 1;
    }
    ToneCode code;
    DialogHarness h(std::string(), false);
    qputenv("XDG_DATA_HOME", h.dir.filePath("data").toUtf8());
    const QString settings = h.dir.filePath("practice.conf");
    h.services.makePlayerEngine = [] {
        MpvOptions options = MpvOptions::NullOutputs();
        options.audioOutput = "pulse";
        return std::make_unique<MpvPlayerEngine>(options);
    };
    h.services.makeDrill = [settings](IMediaEngine& engine, PlayerDrillHooks hooks) {
        return std::make_unique<DrillBar>(engine, std::move(hooks), settings);
    };
    h.dialog = std::make_unique<CRecorderDlg>(h.services);
    CRecorderDlg& d = *h.dialog;
    d.OnInitDialog();
    const std::string media = h.path("tones.wav");
    WriteSamplesWav(media, code.Render(code.End() + 12.0, false), code.rate);
    WriteFileBytes(h.path("tones.srt"), "1\n00:00:01,513 --> 00:00:02,237\none\n\n");
    h.prompts.openAnswers.push_back(media);
    static_cast<QAbstractButton*>(d.GetDlgItem(1009))->click();
    static_cast<QAbstractButton*>(d.GetDlgItem(1011))->click();
    if (!QTest::qWaitFor([&] { return !d.m_player.subtitles().lines().empty(); }, 10000)) {
        std::fprintf(stderr, "the lesson's sentence was not read\n");
        return 1;
    }
    auto* bar = static_cast<DrillBar*>(d.m_player.drill());
    DrillSettings chosen;
    chosen.repeats = 1;
    chosen.gap = {1.0, 0.0};
    chosen.goOn = false;
    chosen.recordTakes = true;
    chosen.playTake = true;
    bar->drill().setSettings(chosen);

    MonitorCapture capture(code.rate);
    std::vector<double> starts, resumes;
    for (int run = 0; run < runs; ++run) {
        const Heard f = heardDrill(h, d, capture, code);
        std::printf("run %d: take heard %.1f ms after the gap's end, sentence %.1f ms after the take's end\n", run,
                    f.takeAfterGap * 1000.0, f.resumeAfterTake * 1000.0);
        starts.push_back(f.takeAfterGap);
        resumes.push_back(f.resumeAfterTake);
    }
    const auto worst = [](const std::vector<double>& v) {
        double w = 0.0;
        for (double x : v)
            w = std::isfinite(x) && std::isfinite(w) ? std::max(w, x) : NAN;
        return w;
    };
    std::printf("take after the gap: worst %.1f ms (goal <= 150 ms: %s)\n", worst(starts) * 1000.0,
                verdict(worst(starts) <= 0.150));
    std::printf("sentence after the take: worst %.1f ms (goal <= 150 ms: %s)\n", worst(resumes) * 1000.0,
                verdict(worst(resumes) <= 0.150));

    // CPU beside playback: the lesson playing alone, then with a take recorded.
    d.m_player.SetPosition(code.End());
    d.m_player.Play();
    QTest::qWait(500);
    const double playing = cpuShare(4.0);
    bar->takes().record(99.0, 10.0);
    QTest::qWait(500);
    const double withTake = cpuShare(4.0);
    bar->takes().finish();
    d.m_player.Pause();
    std::printf("CPU: playback %.2f%% of a core, with a take recorded %.2f%%: the take costs %.2f%% (goal <= 2%%: %s)\n",
                playing * 100.0, withTake * 100.0, (withTake - playing) * 100.0, verdict(withTake - playing <= 0.02));

    // Memory over many takes of scripted sound.
    TakeRecorder many([] { return std::make_unique<OnsetSource>(0.1); }, [] { return std::make_unique<Mp3Encoder>(); });
    many.setMedia(h.dir.filePath("many.wav"));
    QSignalSpy finished(&many, &TakeRecorder::finished);
    double after5 = 0.0;
    for (int i = 0; i < 40; ++i) {
        many.record(double(i), 2.0);
        if (!QTest::qWaitFor([&] { return finished.size() > i; }, 10000))
            std::printf("  take %d did not end\n", i);
        if (i == 4)
            after5 = ProcStatusMiB("VmRSS");
    }
    std::printf("memory: %.1f MiB after 5 takes of 2 s, %.1f MiB after 40\n", after5, ProcStatusMiB("VmRSS"));
    return 0;
}
