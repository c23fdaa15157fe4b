// The engine's one state, row by row, on a stand-in for mpv that answers
// as mpv does or, stalled, not at all (its core held by a sound server
// that does not answer): whatever mpv does, the engine never waits for it
// with a synchronous request, and it answers from what it knows.
#include "FakeMpv.h"
#include "player/MediaError.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <fstream>

using Phase = MpvEventState::Phase;
Q_DECLARE_METATYPE(Phase)

class TstMpvPlayerEngineStates : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string m_media, m_other;

    // Runs steps such as "open play report:1.5 stall pause" on engine and mpv.
    void run(MpvPlayerEngine& engine, FakeMpv& mpv, const QString& steps)
    {
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            const QString name = step.section(':', 0, 0);
            const double value = step.section(':', 1).toDouble();
            if (name == "open" || name == "opennext") {
                try {
                    engine.SetMediaFile(name == "open" ? m_media : m_other);
                } catch (const MediaError&) {
                    // the row's state says what became of it
                }
            } else if (name == "play") engine.Play();
            else if (name == "pause") engine.Pause();
            else if (name == "seek") engine.SetPosition(value);
            else if (name == "speed") engine.SetSpeed(value);
            else if (name == "arm") engine.ArmEnd(value, std::nullopt);
            else if (name == "report") mpv.Report(value);
            else if (name == "end") mpv.ReachEnd();
            else if (name == "stall") mpv.stalled = true;
            else if (name == "thaw") mpv.Thaw();
            else if (name == "failloads") mpv.failLoads = true;
            else QFAIL(qPrintable("no such step " + step));
            engine.drainEvents();
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_media = m_dir.filePath("lesson.mp3").toStdString();
        std::ofstream(m_media) << "stands in for a lesson";
        m_other = m_dir.filePath("next.mp3").toStdString();
        std::ofstream(m_other) << "stands in for the next lesson";
    }

    void answersFromItsStateAndNeverWaits_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<Phase>("phase");
        QTest::addColumn<double>("position");  // NaN: none to read
        QTest::addColumn<bool>("paused");      // as the status tells it

        QTest::newRow("nothing asked") << "" << Phase::Idle << double(NAN) << true;
        QTest::newRow("opened") << "open" << Phase::Paused << 0.0 << true;
        QTest::newRow("open unanswered") << "stall open" << Phase::Loading << 0.0 << true;
        QTest::newRow("open answered late") << "stall open thaw" << Phase::Paused << 0.0 << true;
        QTest::newRow("open that fails") << "failloads open" << Phase::Failed << double(NAN) << true;
        QTest::newRow("playing") << "open play report:0.5" << Phase::Playing << 0.5 << false;
        QTest::newRow("paused where the sound stopped") << "open play report:1.5 pause" << Phase::Paused << 1.5 << true;
        QTest::newRow("paused, mpv stalled: where it was last")
            << "open play report:1.5 stall pause" << Phase::Paused << 1.5 << true;
        QTest::newRow("seek unanswered reads its target") << "open stall seek:2.5" << Phase::Seeking << 2.5 << true;
        QTest::newRow("seek answered") << "open stall seek:2.5 thaw" << Phase::Paused << 2.5 << true;
        QTest::newRow("seek past the end") << "open seek:12" << Phase::Paused << 10.0 << true;
        QTest::newRow("play, stalled, answered: plays on")
            << "open play report:1 stall pause play thaw report:1.2" << Phase::Playing << 1.2 << false;
        QTest::newRow("held at the armed end") << "open arm:3 play report:3 end" << Phase::HeldAtEnd << 3.0 << false;
        QTest::newRow("play at the armed end goes on from it")
            << "open arm:3 play report:3 end arm:5 play" << Phase::Playing << 3.0 << false;
        QTest::newRow("another speed while stalled") << "open play stall speed:1.5 pause" << Phase::Paused << 0.0 << true;
    }

    void answersFromItsStateAndNeverWaits()
    {
        QFETCH(QString, steps);
        QFETCH(Phase, phase);
        QFETCH(double, position);
        QFETCH(bool, paused);
        FakeMpv mpv;
        MpvOptions options;
        options.videoOutput = "null";
        {
            MpvPlayerEngine engine(options);
            run(engine, mpv, steps);
            QCOMPARE(engine.Phase(), phase);
            if (!std::isnan(position))
                QCOMPARE(engine.GetPosition(), position);
            QCOMPARE(engine.Status().paused, paused);
            QCOMPARE(engine.RequestsAnswered(), mpv.heldBack.empty());
        }
        QString waited;
        for (const std::string& call : mpv.waitedFor)
            waited += QString::fromStdString(call) + " ";
        QVERIFY2(waited.isEmpty(), qPrintable("waited for mpv in " + waited));
    }

    // What mpv is told, in the order it carries it out: the cut of the
    // sound before the seek, the seek before the unpause.
    void requestsReachMpvInOrder()
    {
        FakeMpv mpv;
        MpvOptions options;
        options.videoOutput = "null";
        MpvPlayerEngine engine(options);
        run(engine, mpv, "open speed:1.5 stall");
        mpv.asked.clear();
        engine.SetPosition(2.0);
        engine.Pause();
        engine.Play();
        const auto at = [&](const std::string& prefix) {
            for (std::size_t i = 0; i < mpv.asked.size(); ++i)
                if (mpv.asked[i].rfind(prefix, 0) == 0)
                    return int(i);
            return -1;
        };
        QVERIFY(at("set af=") >= 0);
        QVERIFY(at("set af=") < at("cmd seek 2.0"));
        QTRY_VERIFY(at("set pause=no") > at("cmd seek 2.0"));
        QCOMPARE(engine.GetPosition(), 2.0);
    }

    // A new stream for every file waited for a sink's next block (2 s on a
    // null sink nobody records from): the output is kept across the load,
    // and only then does mpv again wait for it to play out at an end.
    void soundOutputIsKeptAcrossALoad()
    {
        FakeMpv mpv;
        MpvOptions options;
        options.videoOutput = "null";
        MpvPlayerEngine engine(options);
        run(engine, mpv, "open arm:3 stall");
        mpv.asked.clear();
        run(engine, mpv, "opennext");
        const auto last = [&](const std::string& what) {
            for (std::size_t i = mpv.asked.size(); i-- > 0;)
                if (mpv.asked[i] == what)
                    return int(i);
            return -1;
        };
        QVERIFY(last("set gapless-audio=weak") >= 0);
        QVERIFY(last("set gapless-audio=weak") < last("cmd loadfile " + m_other + " replace"));
        // Not again before the file's sound is set up.
        QVERIFY(last("set gapless-audio=no") < last("set gapless-audio=weak"));
        run(engine, mpv, "thaw");
        QVERIFY(last("set gapless-audio=no") > last("cmd loadfile " + m_other + " replace"));
    }

    void outOfRangeValuesAreRefusedAtOnce()
    {
        FakeMpv mpv;
        MpvOptions options;
        options.videoOutput = "null";
        MpvPlayerEngine engine(options);
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.SetSpeed(0.0));
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.SetSpeed(NAN));
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.SetVolume(-1.0));
        QVERIFY(mpv.asked.empty());
    }
};

QTEST_GUILESS_MAIN(TstMpvPlayerEngineStates)
#include "tst_MpvPlayerEngineStates.moc"
