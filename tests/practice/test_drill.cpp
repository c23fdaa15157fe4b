// The drill's course against a fake player: which state, round and
// sentence each event leads to, and what the player was told to do.
#include "FakePlayerEngine.h"
#include "player/PlayerStatus.h"
#include "practice/Drill.h"

#include <QSignalSpy>
#include <QTest>

namespace {
// Short sentences, so that a gap of one sentence's length is quick to wait.
const std::vector<SubtitleLine> kSentences{{1.0, 1.06, "one"}, {2.0, 2.08, "two"}, {3.0, 3.05, "three"}};

struct Rig {
    FakePlayerEngine player;
    Drill drill{player, player};

    explicit Rig(const DrillSettings& settings)
    {
        drill.setSettings(settings);
        drill.setSentences(SubtitleLines(kSentences));
    }
    const SubtitleLine& line() const { return kSentences[std::size_t(drill.sentence())]; }
    void tell(double position, bool eof = false)
    {
        PlayerStatus status;
        status.loaded = true;
        status.position = position;
        status.paused = !player.playing;
        status.eofReached = eof;
        status.duration = 3.05;
        drill.showStatus(status);
    }
    // The player plays inside the sentence, then stops at its end as the
    // engine does at an armed end.
    void reachEnd()
    {
        tell(line().start + 0.01);
        player.position = line().end;
        player.playing = false;
        tell(line().end, true);
        QCoreApplication::processEvents();
    }
};

// "P2.1": playing round 2 of sentence 1; G gap, H held; "D" done, "I" idle.
QString shown(const Drill& d)
{
    switch (d.state()) {
    case Drill::State::Idle: return "I";
    case Drill::State::Done: return "D";
    case Drill::State::Playing: return QString("P%1.%2").arg(d.round()).arg(d.sentence());
    case Drill::State::Gap: return QString("G%1.%2").arg(d.round()).arg(d.sentence());
    case Drill::State::Take: return QString("T%1.%2").arg(d.round()).arg(d.sentence());
    case Drill::State::Held: return QString("H%1.%2").arg(d.round()).arg(d.sentence());
    }
    return "?";
}

DrillSettings settings(int repeats, double gapFactor, bool goOn)
{
    DrillSettings s;
    s.repeats = repeats;
    s.gap = {gapFactor, 0.0};
    s.goOn = goOn;
    return s;
}
}  // namespace

class DrillTest : public QObject {
    Q_OBJECT
private slots:
    void transitions_data()
    {
        QTest::addColumn<DrillSettings>("settings");
        QTest::addColumn<double>("from");
        // Events: e a round's end reached, g the gap over, h the player's
        // pause, > and < the next and previous sentence, s stop, x ended
        // by a command of the window.
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("states");
        QTest::newRow("two rounds with gaps, then the next from round 1")
            << settings(2, 1.0, true) << 0.0 << "egegeg" << "P1.0 G1.0 P2.0 G2.0 P1.1 G1.1 P2.1";
        QTest::newRow("stop after this one: no gap after the last round")
            << settings(2, 1.5, false) << 2.0 << "ege" << "P1.1 G1.1 P2.1 D";
        QTest::newRow("endless, no gap") << settings(0, 0.0, true) << 1.5 << "eee" << "P1.1 P2.1 P3.1 P4.1";
        QTest::newRow("the last sentence ends the drill") << settings(1, 0.0, true) << 2.9 << "e" << "P1.2 D";
        QTest::newRow("held in a round and in a gap, resumed there")
            << settings(2, 2.0, true) << 1.0 << "hhehhg" << "P1.0 H1.0 P1.0 G1.0 H1.0 G1.0 P2.0";
        QTest::newRow("next and previous at once, the count from 1")
            << settings(3, 1.0, true) << 1.0 << "e>e<<" << "P1.0 G1.0 P1.1 G1.1 P1.0 P1.0";
        QTest::newRow("next past the last, and held then moved")
            << settings(3, 1.0, true) << 2.0 << "h>>" << "P1.1 H1.1 P1.2 D";
        QTest::newRow("stopped in a gap") << settings(3, 2.0, true) << 1.0 << "es" << "P1.0 G1.0 I";
        QTest::newRow("ended by the window while held") << settings(3, 1.0, true) << 1.0 << "hx" << "P1.0 H1.0 I";
    }

    void transitions()
    {
        QFETCH(DrillSettings, settings);
        QFETCH(double, from);
        QFETCH(QString, events);
        QFETCH(QString, states);
        Rig rig(settings);
        QSignalSpy passages(&rig.drill, &Drill::passageChosen);
        QVERIFY(rig.drill.start(from));
        QStringList seen{shown(rig.drill)};
        for (const QChar event : events) {
            const QString before = shown(rig.drill);
            switch (event.toLatin1()) {
            case 'e': rig.reachEnd(); break;
            case 'g': QTRY_VERIFY(shown(rig.drill) != before); break;
            case 'h': rig.drill.toggleHold(); break;
            case '>': rig.drill.step(1); break;
            case '<': rig.drill.step(-1); break;
            case 's': rig.drill.stop(); break;
            case 'x': rig.drill.end(); break;
            }
            seen << shown(rig.drill);
            // Every round is a replay of its sentence, the end armed after the play.
            if (rig.drill.state() == Drill::State::Playing && event != 'h') {
                QCOMPARE(rig.player.position, rig.line().start);
                QCOMPARE(rig.player.armedEnd, std::optional<double>(rig.line().end));
                QCOMPARE(rig.player.calls.back(), std::string("Play"));
                // The sentence is the passage, as if chosen with L.
                QVERIFY(!passages.isEmpty());
                QCOMPARE(passages.last().at(0).toDouble(), rig.line().start);
                QCOMPARE(passages.last().at(1).toDouble(), rig.line().end);
            }
            // Silent while the learner speaks or holds.
            if (rig.drill.state() == Drill::State::Gap || rig.drill.state() == Drill::State::Held)
                QVERIFY(!rig.player.playing);
        }
        QCOMPARE(seen.join(' '), states);
    }

    // The gap's length, and what is left of it kept while held.
    void gapLengthAndHeldRemainder()
    {
        DrillSettings s = settings(2, 0.0, true);
        s.gap = {0.0, 0.4};
        Rig rig(s);
        QVERIFY(rig.drill.start(1.0));
        rig.reachEnd();
        QCOMPARE(rig.drill.lastGap(), 0.4);
        rig.drill.toggleHold();
        const int left = rig.drill.gapRemainingMs();
        QVERIFY2(left > 0 && left <= 400, qPrintable(QString::number(left)));
        QCoreApplication::processEvents();
        QCOMPARE(rig.drill.gapRemainingMs(), left);  // held: it stands still
        rig.drill.toggleHold();
        QCOMPARE(rig.drill.state(), Drill::State::Gap);
        QVERIFY(rig.drill.gapRemainingMs() <= left);
        QTRY_COMPARE(rig.drill.state(), Drill::State::Playing);
        s.gap = {1.5, 0.0};
        rig.drill.setSettings(s);
        rig.reachEnd();
        QCOMPARE(rig.drill.lastGap(), 1.5 * (1.06 - 1.0));
    }

    // The first round at its own speed, the others at the learner's, and
    // the learner's speed back when the drill ends.
    void firstRoundSpeed()
    {
        DrillSettings s = settings(2, 0.0, true);
        s.firstSpeed = 0.75;
        Rig rig(s);
        rig.player.speed = 1.25;
        QVERIFY(rig.drill.start(1.0));
        QCOMPARE(rig.player.speed, 0.75);
        rig.reachEnd();
        QCOMPARE(shown(rig.drill), QString("P2.0"));
        QCOMPARE(rig.player.speed, 1.25);
        rig.reachEnd();
        QCOMPARE(shown(rig.drill), QString("P1.1"));
        QCOMPARE(rig.player.speed, 0.75);
        rig.drill.end();
        QCOMPARE(rig.player.speed, 1.25);
    }

    // A sentence whose end lies past the sound ends its round where the
    // file ends; a status still telling of the last round's end does not
    // end the next one before it has played.
    void fileEndAndStaleEnd()
    {
        Rig rig(settings(2, 0.0, true));
        QVERIFY(rig.drill.start(3.0));
        rig.tell(3.05, true);  // what the engine said before it sought back
        QCoreApplication::processEvents();
        QCOMPARE(shown(rig.drill), QString("P1.2"));
        rig.tell(3.01);
        rig.player.position = 3.049;
        rig.tell(3.049, true);
        QCoreApplication::processEvents();
        QCOMPARE(shown(rig.drill), QString("P2.2"));
    }

    void nothingToDrillAndFailures()
    {
        Rig rig(settings(2, 0.0, true));
        QSignalSpy notices(&rig.drill, &Drill::notice);
        QVERIFY(!rig.drill.start(4.0));  // after the last sentence
        rig.drill.setSentences(SubtitleLines());
        QVERIFY(!rig.drill.start(0.0));
        QCOMPARE(notices.size(), 2);
        rig.drill.setSentences(SubtitleLines(kSentences));
        rig.player.failOn("Play", 0x80004005u);
        QVERIFY(!rig.drill.start(0.0));
        QCOMPARE(rig.drill.state(), Drill::State::Idle);
        QCOMPARE(notices.size(), 3);
        // New sentences (another file) end a running drill.
        rig.player.failOn("Play", 0);
        QVERIFY(rig.drill.start(0.0));
        rig.drill.setSentences(SubtitleLines(kSentences));
        QCOMPARE(rig.drill.state(), Drill::State::Idle);
    }
};

QTEST_MAIN(DrillTest)
#include "test_drill.moc"
