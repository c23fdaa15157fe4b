// The watches on the real player: the sound ends exactly at the end the
// running watch waits for, and the watch does the rest at its next tick.
#include "DialogHarness.h"
#include "TestMedia.h"
#include "playback/MpvPlayerEngine.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QTest>

namespace {
constexpr int kOpen = 1009, kRepeat = 1012, kEndLater = 1022, kInfinitely = 1025;

void click(CRecorderDlg& d, int id) { static_cast<QAbstractButton*>(d.GetDlgItem(id))->click(); }

MpvPlayerEngine& engineOf(CRecorderDlg& d) { return static_cast<MpvPlayerEngine&>(d.m_player.engine()); }
}  // namespace

class ExactEndTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DialogHarness> m_h;

    // A dialog on the real player with `name` opened and paused, A and B set.
    CRecorderDlg& openWith(const std::string& name, double a, double b)
    {
        m_h = std::make_unique<DialogHarness>(std::string(), true,
                                              [] { return std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()); });
        CRecorderDlg& d = *m_h->dialog;
        const std::string media = m_h->path(name);
        if (name.ends_with(".mp3"))
            WriteToneMp3(media, 8.0);
        else
            WriteToneWav(media, 8.0);
        m_h->prompts.openAnswers.push_back(media);
        click(d, kOpen);
        d.m_player.Pause();
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
};

QTEST_MAIN(ExactEndTest)
#include "test_exact_end.moc"
