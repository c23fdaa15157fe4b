// The user's main job on the real player: open a file through the open
// command, mark A and B while it plays, repeat, and the watch stops at B.
#include "DialogHarness.h"
#include "TestMedia.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QLineEdit>
#include <QTest>

class RepeatEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void repeatStopsAtB()
    {
        DialogHarness h(std::string(), true,
                        [] { return std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()); });
        CRecorderDlg& d = *h.dialog;
        const std::string media = h.path("lesson.wav");
        WriteToneWav(media, 30.0);
        h.prompts.openAnswers.push_back(media);
        d.OnOpenMedia();
        QVERIFY(h.prompts.messages.empty());
        QCOMPARE(static_cast<QLineEdit*>(d.GetDlgItem(1001))->text(), QString::fromStdString(media));

        QTRY_VERIFY_WITH_TIMEOUT(d.m_player.GetPosition() >= 2.0, 10000);
        d.OnSetStart();
        QTRY_VERIFY_WITH_TIMEOUT(d.m_player.GetPosition() >= 4.0, 10000);
        d.OnSetEnd();
        const double a = d.m_segStart;
        const double b = d.m_segEnd;
        QVERIFY2(a >= 2.0 && a < 3.0, qPrintable(QString::number(a)));
        QVERIFY2(b >= 4.0 && b < 5.0, qPrintable(QString::number(b)));
        QCOMPARE(static_cast<QLineEdit*>(d.GetDlgItem(1002))->text().toDouble(), a);

        d.OnRepeat();
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QVERIFY(d.m_player.GetPosition() < b);
        QTRY_VERIFY_WITH_TIMEOUT(!d.IsTimerRunning(kSegmentTimer), 15000);
        const double stoppedAt = d.m_player.GetPosition();
        QVERIFY2(stoppedAt >= b, qPrintable(QString("%1 < %2").arg(stoppedAt).arg(b)));
        // Within a few 100 ms ticks of B, with room for a loaded machine.
        QVERIFY2(stoppedAt - b < 0.8, qPrintable(QString("overshoot %1 s").arg(stoppedAt - b)));
        QTest::qWait(300);
        QCOMPARE(d.m_player.GetPosition(), stoppedAt);  // stopped, not playing on
        QVERIFY(h.prompts.messages.empty());
    }
};

QTEST_MAIN(RepeatEndToEndTest)
#include "test_repeat_end_to_end.moc"
