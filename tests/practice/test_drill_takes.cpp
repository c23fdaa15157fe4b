// The drill with takes against a fake player, a scripted input and an
// output that hears at once: the course it takes, which takes are kept and
// which are played.
#include "FakePlayerEngine.h"
#include "SineCaptureSource.h"
#include "player/PlayerStatus.h"
#include "practice/Drill.h"
#include "practice/TakePlayer.h"
#include "practice/TakeRecorder.h"
#include "recorder/ISoundOutput.h"
#include "recorder/Mp3Encoder.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

namespace {
const std::vector<SubtitleLine> kSentences{{1.0, 1.1, "one"}, {2.0, 2.12, "two"}, {3.0, 3.1, "three"}};

// Hears whatever it is handed at once.
class InstantOutput : public ISoundOutput {
public:
    explicit InstantOutput(std::atomic<int>& played) : m_played(played) {}
    bool open(int, int) override { return true; }
    bool write(std::span<const std::int16_t>) override { return true; }
    bool drain() override { ++m_played; return true; }
    void flush() override {}
    void close() override {}
    std::string lastError() const override { return {}; }

private:
    std::atomic<int>& m_played;
};

// A sound server that stalls: nothing written is ever heard, until released.
std::atomic<bool> g_stalled{false};
class StalledOutput : public InstantOutput {
public:
    using InstantOutput::InstantOutput;
    bool drain() override
    {
        while (g_stalled)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return true;  // heard by nobody: the rig may be gone by now
    }
};

// Gives nothing but silence, as fast as it is read.
class MutedSource : public ICaptureSource {
public:
    bool open(CaptureFormat&) override { return true; }
    std::ptrdiff_t read(std::span<std::int16_t> buffer) override
    {
        std::fill(buffer.begin(), buffer.end(), std::int16_t{0});
        return std::ptrdiff_t(buffer.size());
    }
    void close() override {}
};

struct Rig {
    QTemporaryDir dir;
    FakePlayerEngine player;
    std::atomic<int> played{0};
    TakeRecorder takes;
    TakePlayer output{[this]() -> std::unique_ptr<ISoundOutput> {
        if (g_stalled)
            return std::make_unique<StalledOutput>(played);
        return std::make_unique<InstantOutput>(played);
    }};
    Drill drill{player, player};
    QSignalSpy finished{&takes, &TakeRecorder::finished};
    QSignalSpy notices{&takes, &TakeRecorder::notice};
    QStringList seen;

    Rig(const DrillSettings& settings, bool muted)
        : takes([muted]() -> std::unique_ptr<ICaptureSource> {
                    if (muted)
                        return std::make_unique<MutedSource>();
                    SineOptions tone;
                    tone.realTime = true;
                    return std::make_unique<SineCaptureSource>(tone);
                },
                [] { return std::make_unique<Mp3Encoder>(); })
    {
        qputenv("XDG_DATA_HOME", (dir.path() + "/data").toUtf8());
        takes.setMedia(dir.path() + "/lesson1.mp3");
        drill.setSettings(settings);
        drill.setTakes(&takes, &output);
        drill.setSentences(SubtitleLines(kSentences));
        QObject::connect(&drill, &Drill::changed, [this] {
            const QString now = shown();
            if (seen.isEmpty() || seen.last() != now)
                seen << now;
        });
    }
    QString shown() const
    {
        const QString at = QString("%1.%2").arg(drill.round()).arg(drill.sentence());
        switch (drill.state()) {
        case Drill::State::Idle: return "I";
        case Drill::State::Done: return "D";
        case Drill::State::Playing: return "P" + at;
        case Drill::State::Gap: return "G" + at;
        case Drill::State::Take: return "T" + at;
        case Drill::State::Held: return "H" + at;
        }
        return "?";
    }
    void tell(double position, bool eof)
    {
        PlayerStatus status;
        status.loaded = true;
        status.position = position;
        status.paused = !player.playing;
        status.eofReached = eof;
        status.duration = 3.1;
        drill.showStatus(status);
    }
    // The round plays inside its sentence and stops at its end.
    void reachEnd()
    {
        const SubtitleLine& line = kSentences[std::size_t(drill.sentence())];
        tell(line.start + 0.01, false);
        player.position = line.end;
        player.playing = false;
        tell(line.end, true);
        QCoreApplication::processEvents();
    }
    int keptFiles() const { return int(QDir(dir.path() + "/lesson1.takes").entryList({"*.mp3"}, QDir::Files).size()); }
};

DrillSettings withTakes(int repeats, bool goOn, bool play)
{
    DrillSettings s;
    s.repeats = repeats;
    s.gap = {1.0, 0.0};
    s.goOn = goOn;
    s.recordTakes = true;
    s.playTake = play;
    return s;
}
}  // namespace

class DrillTakesTest : public QObject {
    Q_OBJECT
private slots:
    void course_data()
    {
        QTest::addColumn<DrillSettings>("settings");
        QTest::addColumn<bool>("muted");
        QTest::addColumn<double>("from");
        // e a round's end reached (after a take's replay: on at once); w
        // the gap (and the take) over, until a round plays or the drill is
        // done; l sound comes in; s stop.
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("states");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("played");
        QTest::newRow("sentence, recorded gap, the take, the sentence, the next")
            << withTakes(1, true, true) << false << 0.0 << "eweewe"
            << "P1.0 G1.0 T1.0 P1.0 P1.1 G1.1 T1.1 P1.1 P1.2" << 2 << 2;
        QTest::newRow("recorded, not played: on to the next round")
            << withTakes(2, true, false) << false << 0.0 << "ew" << "P1.0 G1.0 P2.0" << 1 << 0;
        QTest::newRow("stop after the last sentence: its gap is recorded too")
            << withTakes(1, false, true) << false << 2.9 << "ewe" << "P1.2 G1.2 T1.2 P1.2 D" << 1 << 1;
        QTest::newRow("no sound came in: nothing kept or played, the sentence again")
            << withTakes(1, true, true) << true << 0.0 << "ew" << "P1.0 G1.0 T1.0 P1.0" << 0 << 0;
        QTest::newRow("stopped in the gap: what was said is kept")
            << withTakes(3, true, true) << false << 0.0 << "els" << "P1.0 G1.0 I" << 1 << 0;
    }

    void course()
    {
        QFETCH(DrillSettings, settings);
        QFETCH(bool, muted);
        QFETCH(double, from);
        QFETCH(QString, events);
        QFETCH(QString, states);
        QFETCH(int, kept);
        QFETCH(int, played);
        Rig rig(settings, muted);
        QVERIFY(rig.drill.start(from));
        for (const QChar event : events) {
            switch (event.toLatin1()) {
            case 'e': rig.reachEnd(); break;
            case 'w':
                QTRY_VERIFY_WITH_TIMEOUT(rig.drill.state() == Drill::State::Done
                                             || (rig.drill.state() == Drill::State::Playing && rig.seen.size() > 1
                                                 && !rig.seen.last().startsWith("G")
                                                 && !rig.seen.last().startsWith("T")),
                                         20000);
                break;
            case 'l': QTRY_VERIFY(rig.takes.level() > 0.0f); break;
            case 's': rig.drill.stop(); break;
            }
        }
        QCOMPARE(rig.seen.join(' '), states);
        // Every take begun has been written before it is counted.
        QTRY_COMPARE_WITH_TIMEOUT(rig.finished.size(), rig.seen.filter(QRegularExpression("^G")).size(), 20000);
        QCOMPARE(rig.keptFiles(), kept);
        QCOMPARE(rig.played.load(), played);
        QCOMPARE(rig.notices.size(), muted ? 1 : 0);
    }

    // A take that the output never finishes is given up on, told, and the
    // drill goes on with the sentence.
    void stalledOutput()
    {
        g_stalled = true;
        Rig rig(withTakes(1, true, true), false);
        QSignalSpy told(&rig.drill, &Drill::notice);
        QVERIFY(rig.drill.start(0.0));
        rig.reachEnd();
        QTRY_COMPARE_WITH_TIMEOUT(rig.drill.state(), Drill::State::Take, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(rig.drill.state(), Drill::State::Playing, 20000);
        QVERIFY(rig.drill.replayingAfterTake());
        QCOMPARE(told.size(), 1);
        g_stalled = false;
    }
};

QTEST_GUILESS_MAIN(DrillTakesTest)
#include "test_drill_takes.moc"
