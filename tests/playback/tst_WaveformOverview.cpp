// The waveform overview: FFmpeg decoding on its own thread into bounded peaks.
#include "support/TestMedia.h"
#include "player/LevelMeter.h"
#include "player/PeakStore.h"
#include "readers/WaveformOverview.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <cmath>
#include <sys/stat.h>
#include <thread>

namespace {
using State = WaveformOverview::State;

State waitWhileBusy(const WaveformOverview& overview)
{
    QElapsedTimer timer;
    timer.start();
    while ((overview.state() == State::Opening || overview.state() == State::Decoding) && timer.elapsed() < 20000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return overview.state();
}

float peakOf(const Peak& p) { return p.empty() ? 0.0f : std::max(std::abs(p.low), std::abs(p.high)); }
}  // namespace

class TstWaveformOverview : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    std::string path(const char* name) const { return m_dir.filePath(name).toStdString(); }

private slots:
    void quietColumnsLieWhereTheSilencesAre_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("mp3") << "lesson.mp3";
        QTest::newRow("wav") << "lesson.wav";
    }

    void quietColumnsLieWhereTheSilencesAre()
    {
        QFETCH(QString, name);
        // Tone, pause, tone, pause, tone: one second each.
        const std::vector<ToneSpan> spans = {{1, 220}, {1, 0}, {1, 330}, {1, 0}, {1, 260}};
        const std::string file = path(qPrintable(name));
        if (name.endsWith(".mp3"))
            WriteSpansMp3(file, spans);
        else
            WriteSpansWav(file, spans);
        std::atomic<int> changes{0};
        WaveformOverview overview(file, [&] { ++changes; });
        QCOMPARE(waitWhileBusy(overview), State::Done);
        QVERIFY(changes >= 2);  // decoding began, and ended
        QVERIFY(std::abs(overview.decodedSeconds() - 5.0) < 0.1);

        // Ten columns a second; those well inside a span tell its kind.
        const auto columns = overview.columns(0.0, 5.0, 50);
        for (int c = 0; c < 50; ++c) {
            const int inSpan = c % 10;
            if (inSpan < 2 || inSpan > 7)
                continue;
            const bool silence = (c / 10) % 2 == 1;
            const float peak = peakOf(columns[std::size_t(c)]);
            QVERIFY2(silence ? peak < 0.01f : peak > 0.2f, qPrintable(QString("column %1: %2").arg(c).arg(peak)));
        }
        QVERIFY(overview.loudest() > 0.2f && overview.loudest() < 0.3f);
        // The levels of the same pass: 10 ms frames, a tone's RMS (0.25 / sqrt 2) and silence.
        const LevelTrack levels = overview.levels();
        QCOMPARE(levels.frameSeconds, LevelMeter::kFrameSeconds);
        QVERIFY(std::abs(double(levels.levels.size()) * levels.frameSeconds - overview.decodedSeconds()) < 0.011);
        QVERIFY2(std::abs(levels.levels[50] - 0.177f) < 0.01f, qPrintable(QString::number(levels.levels[50])));
        QVERIFY(levels.levels[150] < 0.001f);
        // Beyond the end there is nothing to show.
        QVERIFY(overview.columns(6.0, 7.0, 4)[0].empty());
    }

    void mediaWithoutDecodableAudioGivesNoPeaks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("garbage") << "garbage.mp3" << QByteArray(4096, '\x5a');
        QTest::newRow("empty") << "empty.wav" << QByteArray();
        QTest::newRow("header only") << "cut.wav" << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16);
        QTest::newRow("missing") << "missing.mp3" << QByteArray();
        QTest::newRow("pipe") << "pipe.mp3" << QByteArray();
        QTest::newRow("more channels than a resampler takes") << "channels.wav" << QByteArray();
    }

    void mediaWithoutDecodableAudioGivesNoPeaks()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const std::string file = path(qPrintable(name));
        if (name == "pipe.mp3")
            QCOMPARE(mkfifo(file.c_str(), 0600), 0);  // no writer: an open would block
        else if (name == "channels.wav")
            WriteToneWavChannels(file, 0.5, 255, 8000);
        else if (name != "missing.mp3")
            WriteBytes(file, bytes.toStdString());
        WaveformOverview overview(file, nullptr);
        QCOMPARE(waitWhileBusy(overview), State::Failed);
        QCOMPARE(overview.decodedSeconds(), 0.0);
        QVERIFY(overview.columns(0.0, 1.0, 3)[1].empty());
    }

    void videoIsToldAndNotDecoded()
    {
        WaveformOverview overview(QUILLORA_FIXTURES_DIR "/testsrc.mpg", nullptr);
        QCOMPARE(waitWhileBusy(overview), State::Video);
        QCOMPARE(overview.bytesReserved(), std::size_t(0));
    }

    void destroyingStopsTheDecodingPromptly()
    {
        const std::string file = path("long.wav");
        WriteSpansWav(file, {{120, 300}}, 8000);
        for (int wait : {0, 2, 20}) {
            auto overview = std::make_unique<WaveformOverview>(file, nullptr);
            std::this_thread::sleep_for(std::chrono::milliseconds(wait));
            QElapsedTimer timer;
            timer.start();
            overview.reset();
            QVERIFY(timer.elapsed() < 1000);  // a hang, not a goal
        }
    }

    // A file far longer than announced keeps to the fixed number of buckets.
    // Past its bound the meter merges frames: the levels keep their place
    // and their power; a sample that is not finite silences only its frame.
    void levelsStayBoundedAndInPlace()
    {
        LevelMeter meter(100);  // one sample a frame
        std::vector<float> samples(LevelMeter::kMaxFrames + 10, 0.0f);
        samples[1000] = 0.8f;
        samples[2000] = NAN;
        meter.add(samples.data(), samples.size());
        meter.finish();
        const LevelTrack track = meter.track();
        QVERIFY(track.levels.size() <= LevelMeter::kMaxFrames);
        QCOMPARE(track.frameSeconds, 0.02);
        QVERIFY(std::abs(track.levels[500] - 0.8f / std::sqrt(2.0f)) < 1e-4f);
        for (std::size_t i : {std::size_t(499), std::size_t(501), std::size_t(1000)})
            QCOMPARE(track.levels[i], 0.0f);
    }

    void peaksStayBoundedAndInPlace()
    {
        PeakStore store(1000, 1000);
        std::vector<float> second(1000, 0.0f);
        const int seconds = 20000;  // well past kMaxBuckets buckets of the first guess
        for (int s = 0; s < seconds; ++s) {
            second[500] = s == 15000 ? 0.9f : 0.0f;
            store.add(second.data(), second.size());
        }
        store.finish();
        QVERIFY(store.bucketCount() <= PeakStore::kMaxBuckets);
        QVERIFY(store.bytesReserved() <= PeakStore::kMaxBuckets * sizeof(Peak));
        QVERIFY(std::abs(store.coveredSeconds() - seconds) < 1.0);
        const auto columns = store.columns(0.0, seconds, 200);  // 100 s each
        for (int c = 0; c < 200; ++c)
            QCOMPARE(peakOf(columns[std::size_t(c)]) > 0.5f, c == 150);
    }
};

QTEST_GUILESS_MAIN(TstWaveformOverview)
#include "tst_WaveformOverview.moc"
