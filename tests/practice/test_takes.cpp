// Takes against a scripted input: what is kept, where, from which sample,
// and what the learner is told when nothing can be kept.
#include "Mp3Decode.h"
#include "practice/TakePlayer.h"
#include "practice/TakeRecorder.h"
#include "recorder/ICaptureSource.h"
#include "recorder/ISoundOutput.h"
#include "recorder/Mp3Encoder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <numbers>
#include <thread>

namespace {
// Silence, then a tone, then silence again, delivered as fast as it is read.
class SpokenSource : public ICaptureSource {
public:
    SpokenSource(double lead, double tone, int channels) : m_lead(lead), m_tone(tone), m_channels(channels) {}
    bool open(CaptureFormat& format) override
    {
        format.channels = m_channels;
        m_rate = format.sampleRate;
        return true;
    }
    std::ptrdiff_t read(std::span<std::int16_t> buffer) override
    {
        const std::size_t frames = buffer.size() / std::size_t(m_channels);
        const auto from = std::int64_t(m_lead * m_rate), to = from + std::int64_t(m_tone * m_rate);
        for (std::size_t i = 0; i < frames; ++i, ++m_at) {
            const bool on = m_at >= from && m_at < to;
            const double v = on ? 12000.0 * std::sin(2.0 * std::numbers::pi * 440.0 * double(m_at - from) / m_rate) : 0.0;
            for (int c = 0; c < m_channels; ++c)
                buffer[i * std::size_t(m_channels) + std::size_t(c)] = std::int16_t(std::lround(v));
        }
        return std::ptrdiff_t(frames);
    }
    void close() override {}

private:
    double m_lead, m_tone;
    int m_channels;
    int m_rate = 44100;
    std::int64_t m_at = 0;
};

// Keeps what it is handed, heard at once.
class KeptOutput : public ISoundOutput {
public:
    explicit KeptOutput(std::vector<std::int16_t>& kept) : m_kept(kept) {}
    bool open(int, int) override { return true; }
    bool write(std::span<const std::int16_t> samples) override
    {
        m_kept.insert(m_kept.end(), samples.begin(), samples.end());
        return true;
    }
    bool drain() override { return true; }
    void flush() override {}
    void close() override {}
    std::string lastError() const override { return {}; }

private:
    std::vector<std::int16_t>& m_kept;
};

struct Rig {
    QTemporaryDir dir;
    QString media;
    TakeRecorder takes;
    QSignalSpy finished{&takes, &TakeRecorder::finished};
    QSignalSpy notices{&takes, &TakeRecorder::notice};

    Rig(double lead, double tone, int channels = 1)
        : takes([=] { return std::make_unique<SpokenSource>(lead, tone, channels); },
                [] { return std::make_unique<Mp3Encoder>(); })
    {
        qputenv("XDG_DATA_HOME", (dir.path() + "/data").toUtf8());
        QDir(dir.path()).mkpath("lesson");
        media = dir.path() + "/lesson/lesson1.mp3";
        takes.setMedia(media);
    }
    QString beside() const { return dir.path() + "/lesson/lesson1.takes"; }
    QString fallback() const { return dir.path() + "/data/quillora/takes/lesson1.takes"; }
    bool take(double start, double seconds)
    {
        const qsizetype before = finished.size();
        return takes.record(start, seconds) && QTest::qWaitFor([&] { return finished.size() > before; }, 20000);
    }
};

// Where the tone begins in the decoded file, seconds.
double soundStart(const DecodedAudio& audio)
{
    for (std::size_t i = 0; i < audio.samples.size(); ++i)
        if (std::abs(audio.samples[i]) > 0.05f)
            return double(i) / double(audio.sampleRate);
    return -1.0;
}
}  // namespace

class TakesTest : public QObject {
    Q_OBJECT
private slots:
    void kept_data()
    {
        QTest::addColumn<double>("lead");
        QTest::addColumn<double>("tone");
        QTest::addColumn<int>("channels");
        QTest::newRow("speech after a silence") << 0.6 << 0.4 << 1;
        QTest::newRow("speech from the first sample") << 0.0 << 0.5 << 1;
        QTest::newRow("stereo input, one voice") << 0.3 << 0.3 << 2;
    }
    void kept()
    {
        QFETCH(double, lead);
        QFETCH(double, tone);
        QFETCH(int, channels);
        Rig rig(lead, tone, channels);
        QVERIFY(rig.take(12.5, lead + tone + 0.2));
        QCOMPARE(rig.finished.last().at(1).toBool(), true);
        const QString path = rig.takes.latestTake(12.5);
        QVERIFY2(path.startsWith(rig.beside() + "/00012.500-"), qPrintable(path));
        // What the take holds starts a hair before the first sound and
        // keeps all of it and what came after.
        const TakeResult* last = rig.takes.lastTake();
        QVERIFY(last);
        const double held = double(last->samples.size()) / last->sampleRate;
        QVERIFY2(std::abs(held - (tone + 0.2 + std::min(lead, TakeCapture::kPreRollSeconds))) < 0.002, qPrintable(QString::number(held)));
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        // LAME's fixed priming (about 25 ms) lies before every MP3's sound.
        const double start = soundStart(*audio);
        QVERIFY2(start >= 0.0 && start < 0.04, qPrintable(QString::number(start)));
        QVERIFY(std::abs(toneFrequency(*audio, start + 0.05, start + tone - 0.05) - 440.0) < 5.0);
        QVERIFY(rig.notices.isEmpty());
    }

    void never_overwritten_and_the_newest_played()
    {
        Rig rig(0.1, 0.2);
        QVERIFY(rig.take(3.0, 0.4));
        const QString first = rig.takes.latestTake(3.0);
        QVERIFY(rig.take(3.0, 0.4));
        const QString second = rig.takes.latestTake(3.0);
        QVERIFY(first != second);
        QVERIFY(QFile::exists(first) && QFile::exists(second));
        // A later session finds the newest on disk.
        TakeRecorder again;
        again.setMedia(rig.media);
        QCOMPARE(again.latestTake(3.0), second);
        QCOMPARE(again.latestTake(4.0), QString());

        // Played from its file: the whole take (0.305 s), from its first sound on
        // (after the encoder's priming); a file that is gone is told.
        std::vector<std::int16_t> heard;
        TakePlayer player([&heard] { return std::make_unique<KeptOutput>(heard); });
        QSignalSpy ended(&player, &TakePlayer::ended);
        player.playFile(second);
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended.last().at(0).toString(), QString());
        const double seconds = double(heard.size()) / 44100.0;
        QVERIFY2(seconds > 0.305 && seconds < 0.4, qPrintable(QString::number(seconds)));
        const auto loud = std::find_if(heard.begin(), heard.end(), [](std::int16_t v) { return std::abs(int(v)) > 1000; });
        QVERIFY(loud != heard.end() && double(loud - heard.begin()) / 44100.0 < 0.04);
        player.playFile(rig.dir.path() + "/gone.mp3");
        QTRY_COMPARE(ended.size(), 2);
        QVERIFY(!ended.last().at(0).toString().isEmpty());
    }

    // A take still being written when another lesson opens stays the old
    // lesson's: on its disk, never the new one's latest.
    void another_lesson_meanwhile()
    {
        Rig rig(0.0, 600.0);
        QVERIFY(rig.takes.record(1.0, 600.0));
        QTRY_VERIFY(rig.takes.level() > 0.0f);  // sound came in: the file is there
        rig.takes.setMedia(rig.dir.path() + "/lesson/lesson2.mp3");
        QVERIFY(!rig.takes.recording());
        QVERIFY(rig.take(2.0, 0.5));
        QTRY_VERIFY(QDir(rig.beside()).entryList({"*.mp3"}, QDir::Files).size() == 1);
        QCOMPARE(rig.takes.latestTake(1.0), QString());
        QCOMPARE(rig.takes.lastTakeStart(), 2.0);
        QVERIFY(rig.takes.latestTake(2.0).contains("/lesson2.takes/"));
    }

    void silence_is_not_kept()
    {
        Rig rig(2.0, 0.0);
        QVERIFY(rig.take(1.0, 0.5));
        QCOMPARE(rig.finished.last().at(1).toBool(), false);
        QCOMPARE(rig.notices.size(), 1);
        QCOMPARE(rig.notices.last().at(0).toString(), QString("no sound came in"));
        QVERIFY(!QDir(rig.beside()).exists() || QDir(rig.beside()).isEmpty());
        QCOMPARE(rig.takes.latestTake(1.0), QString());
    }

    void unwritable_folders()
    {
        Rig rig(0.1, 0.2);
        // Beside the media cannot be written (a file stands where the
        // folder would): the takes go to the data folder. Permissions would
        // not hold back a test run with every right.
        const auto block = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
        };
        QVERIFY(block(rig.beside()));
        QVERIFY(rig.take(2.0, 0.4));
        QVERIFY2(rig.takes.latestTake(2.0).startsWith(rig.fallback() + "/"), qPrintable(rig.takes.latestTake(2.0)));
        QVERIFY(rig.notices.isEmpty());
        // Neither can: told once, however many takes fail.
        QVERIFY(QDir(rig.fallback()).removeRecursively());
        QVERIFY(block(rig.fallback()));
        QVERIFY(rig.take(5.0, 0.4));
        QVERIFY(rig.take(5.0, 0.4));
        QCOMPARE(rig.finished.last().at(1).toBool(), false);
        QCOMPARE(rig.notices.size(), 1);
        QVERIFY(rig.notices.first().at(0).toString().startsWith("录音没有保存"));
        QCOMPARE(rig.takes.latestTake(5.0), QString());
    }
};

QTEST_GUILESS_MAIN(TakesTest)
#include "test_takes.moc"
