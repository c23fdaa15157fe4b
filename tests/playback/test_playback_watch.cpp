// The 100 ms watch: the segment watch, the pause-point watch and the
// recording display refresh that every tick runs first.
#include "DialogHarness.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <optional>

namespace {
void setPausePoints(CRecorderDlg& d, std::initializer_list<double> points, int selected)
{
    d.m_listPausePoints->clear();
    d.m_lastPauseIndex = -1;
    for (double p : points) {
        d.m_pausePoints[++d.m_lastPauseIndex] = p;
        d.m_listPausePoints->addItem(QString::number(p));
    }
    d.m_listPausePoints->setCurrentRow(selected);
}
void setInfinitely(CRecorderDlg& d, bool on) { static_cast<QCheckBox*>(d.GetDlgItem(1025))->setChecked(on); }
void click(CRecorderDlg& d, int id) { static_cast<QAbstractButton*>(d.GetDlgItem(id))->click(); }
}

class PlaybackWatchTest : public QObject {
    Q_OBJECT
private slots:
    void segmentWatchStopsAtTheFirstTickAtOrPastB()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_segStart = 10.0;
        d.m_segEnd = 12.5;
        d.OnRepeat();
        h.player().calls.clear();
        h.player().position = 12.4999;
        d.OnTimer(kSegmentTimer);
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QCOMPARE(h.player().calls, std::vector<std::string>{"GetPosition"});
        h.player().position = 12.5;  // equal counts as reached
        d.OnTimer(kSegmentTimer);
        QVERIFY(!d.IsTimerRunning(kSegmentTimer));
        QCOMPARE(h.player().calls.back(), std::string("Stop"));
        QCOMPARE(d.m_segStart, 10.0);
        QCOMPARE(d.m_segEnd, 12.5);
    }

    void notANumberCountsAsBelow()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_segEnd = 1.0;
        d.OnRepeat();
        h.player().position = std::numeric_limits<double>::quiet_NaN();
        d.OnTimer(kSegmentTimer);
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QCOMPARE(h.player().count("Stop"), 0);
    }

    void infinitelyLoopsBackToAAndKeepsWatching()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        setInfinitely(d, true);
        d.m_segStart = 2.0;
        d.m_segEnd = 4.0;
        d.OnRepeat();
        h.player().position = 4.1;
        d.OnTimer(kSegmentTimer);
        QCOMPARE(h.player().position, 2.0);
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QCOMPARE(h.player().count("Stop"), 0);
    }

    void bAtOrBeforeAStopsAtOnce()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_segStart = 5.0;
        d.m_segEnd = 3.0;
        d.OnRepeat();  // plays from A = 5
        d.OnTimer(kSegmentTimer);
        QVERIFY(!d.IsTimerRunning(kSegmentTimer));
    }

    void pausePointWatchStopsAtTheNextPoint()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        setPausePoints(d, {1.0, 5.0, 9.0}, 0);
        d.OnPlayPausePoint();
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
        h.player().position = 4.9;
        d.OnTimer(kPausePointTimer);
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
        h.player().position = 5.0;
        d.OnTimer(kPausePointTimer);
        QVERIFY(!d.IsTimerRunning(kPausePointTimer));
        QCOMPARE(h.player().calls.back(), std::string("Stop"));
        QCOMPARE(d.m_listPausePoints->currentRow(), 0);  // the watch never moves it

        // The last point selected: no end, playback runs on.
        d.m_listPausePoints->setCurrentRow(2);
        d.OnPlayPausePoint();
        h.player().calls.clear();
        h.player().position = 1000.0;
        d.OnTimer(kPausePointTimer);
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
        QVERIFY(h.player().calls.empty());
    }

    void pausePointWatchLoopsWithInfinitely()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        setInfinitely(d, true);
        setPausePoints(d, {1.0, 5.0}, 0);
        d.OnPlayPausePoint();
        h.player().position = 6.0;
        d.OnTimer(kPausePointTimer);
        QCOMPARE(h.player().position, 1.0);
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
    }

    void bothWatchesRunSideBySideAndStopOnlyTheirOwnTimer()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        setPausePoints(d, {1.0, 5.0, 9.0}, -1);
        d.m_segStart = 0.0;
        d.m_segEnd = 3.0;
        d.OnRepeat();
        d.OnNextPausePoint();  // row 0, does not stop timer 1
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
        h.player().position = 3.0;
        d.OnTimer(kPausePointTimer);  // below 5: only its own watch runs
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
        d.OnTimer(kSegmentTimer);
        QVERIFY(!d.IsTimerRunning(kSegmentTimer));
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
        h.player().position = 5.0;
        d.OnTimer(kPausePointTimer);
        QVERIFY(!d.IsTimerRunning(kPausePointTimer));
    }

    void recordingTimerTicksNeverTouchPlayback()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        setPausePoints(d, {0.0, 0.1}, 0);
        d.m_segEnd = 0.0;
        h.player().position = 50.0;
        d.OnTimer(kRecordTimer);
        QVERIFY(h.player().calls.empty());
    }

    void everyTickRefreshesTheRecordingDisplayFirst()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        auto* time = static_cast<QLabel*>(d.GetDlgItem(1029));
        auto* size = static_cast<QLabel*>(d.GetDlgItem(1030));
        QVERIFY(time->text().isEmpty());
        QVERIFY(size->text().isEmpty());
        int expectedSeconds = 0;
        for (unsigned id : {kRecordTimer, kSegmentTimer, kPausePointTimer}) {
            h.recorder->seconds = ++expectedSeconds;
            h.recorder->fileSize = 1024 * expectedSeconds;
            h.recorder->calls.clear();
            d.OnTimer(id);
            QCOMPARE(time->text(), QString("%1 s").arg(expectedSeconds));
            QCOMPARE(size->text(), QString("%1 KB").arg(expectedSeconds));
            QCOMPARE(h.recorder->calls, (std::vector<std::string>{"GetFileSize", "GetRSec"}));
        }
    }

    void aFailingTickIsReportedOnceNotEveryTick()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_segEnd = 5.0;
        d.OnRepeat();
        h.player().failOn("GetPosition", 0xFFFFFFF3u);
        for (int i = 0; i < 5; ++i)
            d.DeliverTimer(kSegmentTimer);
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QVERIFY(d.IsTimerRunning(kSegmentTimer));  // the next tick tries again
        h.player().failOn("GetPosition", 0);
        d.DeliverTimer(kSegmentTimer);
        h.player().failOn("GetPosition", 0xFFFFFFF3u);
        d.DeliverTimer(kSegmentTimer);
        QCOMPARE(h.prompts.messages.size(), std::size_t(2));
    }

    void ticksGoOnWhileABoxIsOpen()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.SetTimer(kRecordTimer, 20);
        int ticksSeen = 0;
        h.recorder->seconds = 7;
        h.prompts.whileOpen = [&] {
            QTest::qWait(200);
            ticksSeen = static_cast<QLabel*>(d.GetDlgItem(1029))->text() == "7 s";
        };
        d.OnRecord();  // no path: the message box is "open" for 200 ms
        QVERIFY(ticksSeen);
    }

    // After every command and tick the player knows where the running watch
    // ends playback, and nothing when no watch runs.
    void thePlayerIsToldTheEndOfTheRunningWatch()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        FakePlayerEngine& player = h.player();
        d.EnablePlaybackControls(true);
        d.m_segStart = d.m_editStart = 1.0;
        d.m_segEnd = d.m_editEnd = 2.5;
        d.DoDataExchange(false);
        using End = std::optional<double>;
        const auto armed = [&] { return std::make_pair(player.armedEnd, player.armedLoopFrom); };

        click(d, 1012);  // replay
        QCOMPARE(armed(), std::make_pair(End(2.5), End()));
        click(d, 1022);  // B one step later
        QCOMPARE(armed(), std::make_pair(End(3.0), End()));
        setInfinitely(d, true);
        click(d, 1021);  // and back
        QCOMPARE(armed(), std::make_pair(End(2.5), End(1.0)));
        setInfinitely(d, false);
        player.position = 2.5;
        d.DeliverTimer(kSegmentTimer);  // the watch stops the replay
        QCOMPARE(armed(), std::make_pair(End(), End()));

        setPausePoints(d, {1.0, 5.0, 9.0}, 0);
        click(d, 1017);  // the section from row 0
        QCOMPARE(armed(), std::make_pair(End(5.0), End()));
        click(d, 1012);
        click(d, 1018);  // both watches: the earlier end counts
        QCOMPARE(armed(), std::make_pair(End(2.5), End()));
        click(d, 1010);  // play on from B stops both
        QCOMPARE(armed(), std::make_pair(End(), End()));
        d.m_listPausePoints->setCurrentRow(1);
        click(d, 1018);  // the last row: its section has no end
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
        QCOMPARE(armed(), std::make_pair(End(), End()));
    }
};

QTEST_MAIN(PlaybackWatchTest)
#include "test_playback_watch.moc"
