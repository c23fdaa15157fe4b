// The watches on the real player: the sound ends exactly at the end the
// running watch waits for, and the watch does the rest at its next tick.
#include "DialogHarness.h"
#include "TestMedia.h"
#include "app/TextFile.h"
#include "pausepoints/PausePointFile.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "pane/SubtitleTrack.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QListWidget>
#include <QTest>
#include <vector>

namespace {
constexpr int kOpen = 1009, kRepeat = 1012, kAddPoint = 1013, kPlayPoint = 1017, kEndLater = 1022, kInfinitely = 1025;

void click(CRecorderDlg& d, int id) { static_cast<QAbstractButton*>(d.GetDlgItem(id))->click(); }

MpvPlayerEngine& engineOf(CRecorderDlg& d) { return static_cast<MpvPlayerEngine&>(d.m_player.engine()); }
}  // namespace

class ExactEndTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DialogHarness> m_h;

    // A dialog on the real player with `name` opened and paused, its
    // pause-point file holding `points`.
    CRecorderDlg& open(const std::string& name, const std::vector<double>& points = {})
    {
        m_h = std::make_unique<DialogHarness>(std::string(), true,
                                              [] { return std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()); });
        CRecorderDlg& d = *m_h->dialog;
        const std::string media = m_h->path(name);
        if (name.ends_with(".mp3"))
            WriteToneMp3(media, 8.0);
        else
            WriteToneWav(media, 8.0);
        if (!points.empty())
            WriteFileBytes(PausePointPathFor(media), FormatPausePoints(points.data(), int(points.size())));
        m_h->prompts.openAnswers.push_back(media);
        click(d, kOpen);
        d.m_player.Pause();
        return d;
    }

    // The same with A and B set.
    CRecorderDlg& openWith(const std::string& name, double a, double b)
    {
        CRecorderDlg& d = open(name);
        d.m_segStart = a;
        d.m_segEnd = b;
        d.m_editStart = a;
        d.m_editEnd = b;
        d.DoDataExchange(false);
        return d;
    }

private slots:
    void replayEndsAtBAndTheTickStopsTheWatch_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("wav") << "lesson.wav";
        QTest::newRow("mp3") << "lesson.mp3";
    }

    void replayEndsAtBAndTheTickStopsTheWatch()
    {
        QFETCH(QString, file);
        CRecorderDlg& d = openWith(file.toStdString(), 1.0, 1.6);
        click(d, kRepeat);
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QTRY_VERIFY_WITH_TIMEOUT(!d.IsTimerRunning(kSegmentTimer), 10000);
        QCOMPARE(d.m_player.GetPosition(), 1.6);
        QVERIFY(engineOf(d).Status().paused);
        QTest::qWait(200);
        QCOMPARE(d.m_player.GetPosition(), 1.6);  // nothing armed, nothing playing
        QVERIFY(m_h->prompts.messages.empty());

        // Again from A: the same end, the same way.
        click(d, kRepeat);
        QTRY_VERIFY_WITH_TIMEOUT(!d.IsTimerRunning(kSegmentTimer), 10000);
        QCOMPARE(d.m_player.GetPosition(), 1.6);
    }

    // L, pressed anywhere in the window, makes the line playing the passage;
    // the repeat's key R then plays exactly that line.
    void lineTakenAsThePassageReplaysExactlyThatLine()
    {
        m_h = std::make_unique<DialogHarness>(std::string(), true,
                                              [] { return std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()); });
        CRecorderDlg& d = *m_h->dialog;
        const std::string media = m_h->path("lined.wav");
        WriteToneWav(media, 8.0);
        WriteFileBytes(m_h->path("lined.srt"), "1\n00:00:01,200 --> 00:00:01,900\nfirst\n\n"
                                                "2\n00:00:03,000 --> 00:00:03,500\nsecond\n\n");
        m_h->prompts.openAnswers.push_back(media);
        click(d, kOpen);
        d.m_player.Pause();
        QTRY_VERIFY(!d.m_player.subtitles().lines().empty());
        d.m_player.SetPosition(1.5);
        QTest::keyClick(d.GetDlgItem(kOpen), Qt::Key_L);  // a button passes it on to the window
        QCOMPARE(d.m_segStart, 1.2);
        QCOMPARE(d.m_segEnd, 1.9);

        QTest::keyClick(&d.m_player, Qt::Key_R);
        const double from = d.m_player.GetPosition();  // already playing
        QVERIFY2(from >= 1.2 && from < 1.4, qPrintable(QString::number(from)));
        QTRY_VERIFY_WITH_TIMEOUT(!d.IsTimerRunning(kSegmentTimer), 10000);
        QCOMPARE(d.m_player.GetPosition(), 1.9);
        QVERIFY(m_h->prompts.messages.empty());
    }

    void infinitelyGoesOnFromA()
    {
        CRecorderDlg& d = openWith("loop.wav", 1.0, 1.5);
        static_cast<QCheckBox*>(d.GetDlgItem(kInfinitely))->setChecked(true);
        click(d, kRepeat);
        QTest::qWait(1800);  // three rounds and more
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QVERIFY(!engineOf(d).Status().paused);
        const double p = d.m_player.GetPosition();
        // Just after a loop mpv's figure lags by its audio buffer.
        QVERIFY2(p >= 0.6 && p <= 1.5, qPrintable(QString::number(p)));
    }

    void movingBDuringAReplayMovesTheEnd()
    {
        CRecorderDlg& d = openWith("moved.wav", 1.0, 2.0);
        click(d, kRepeat);
        QTest::qWait(150);
        QVERIFY(d.m_player.GetPosition() < 1.9);
        click(d, kEndLater);  // the nudge is 0.5: B = 2.5
        QCOMPARE(d.m_segEnd, 2.5);
        QTRY_VERIFY_WITH_TIMEOUT(!d.IsTimerRunning(kSegmentTimer), 10000);
        QCOMPARE(d.m_player.GetPosition(), 2.5);
    }

    // The section from the selected point ends at the next one; what the
    // user does while it plays moves that end or takes it away.
    void pausePointSectionEndsAtTheNextPoint_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<double>("end");  // below 0: none, playback runs on
        QTest::newRow("as started") << QString() << 1.8;
        QTest::newRow("next row selected") << "select" << 2.4;
        QTest::newRow("last point added") << "add" << -1.0;
    }

    void pausePointSectionEndsAtTheNextPoint()
    {
        QFETCH(QString, meanwhile);
        QFETCH(double, end);
        CRecorderDlg& d = open("points.wav", {1.0, 1.8, 2.4});
        QCOMPARE(d.m_listPausePoints->currentRow(), 0);  // as the load leaves it
        click(d, kPlayPoint);
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
        QTest::qWait(150);
        QVERIFY(d.m_player.GetPosition() < 1.7);
        if (meanwhile == "select")
            d.m_listPausePoints->setCurrentRow(1);  // a click on the row runs no command
        else if (meanwhile == "add")
            click(d, kAddPoint);  // selects the new last row, whose section has no end

        if (end < 0) {
            QTRY_VERIFY_WITH_TIMEOUT(d.m_player.GetPosition() > 2.6, 10000);
            QVERIFY(d.IsTimerRunning(kPausePointTimer));
            QVERIFY(!engineOf(d).Status().paused);
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(!d.IsTimerRunning(kPausePointTimer), 10000);
        QCOMPARE(d.m_player.GetPosition(), end);
        QVERIFY(engineOf(d).Status().paused);
        QTest::qWait(200);
        QCOMPARE(d.m_player.GetPosition(), end);
        QVERIFY(m_h->prompts.messages.empty());
    }
};

QTEST_MAIN(ExactEndTest)
#include "test_exact_end.moc"
