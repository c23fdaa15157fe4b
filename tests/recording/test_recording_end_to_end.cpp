// Recording through the commands with the real engine on a synthetic
// voice: choose a file, record, watch the display grow, stop.
#include "DialogHarness.h"
#include "Mp3Decode.h"
#include "SineCaptureSource.h"
#include "recording/Mp3RecorderBackend.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

class RecordingEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void recordThreeSecondsThroughTheCommands()
    {
        DialogHarness h(std::string(), true, {}, [] {
            SineOptions options;
            options.realTime = true;
            return std::make_unique<Mp3RecorderBackend>(std::make_unique<SineCaptureSource>(options));
        });
        CRecorderDlg& d = *h.dialog;
        const std::string chosen = h.path("voice");
        h.prompts.saveAnswers.push_back(chosen);
        d.OnChooseOutputFile();
        d.OnRecord();
        QVERIFY(d.IsTimerRunning(kRecordTimer));

        auto* size = static_cast<QLabel*>(d.GetDlgItem(1030));
        auto* time = static_cast<QLabel*>(d.GetDlgItem(1029));
        QStringList sizes;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 3000) {
            QTest::qWait(250);
            if (sizes.isEmpty() || sizes.last() != size->text())
                sizes << size->text();
        }
        d.OnStopRecord();
        QVERIFY(d.GetDlgItem(1032)->isEnabled());
        QTest::qWait(150);  // a tick after the stop shows the final figures
        QVERIFY2(sizes.size() >= 4, qPrintable(sizes.join(" | ")));  // it grew while recording
        QVERIFY2(time->text() == "3 s" || time->text() == "2 s", qPrintable(time->text()));

        const auto audio = decodeMp3(chosen + ".mp3");
        QVERIFY(audio);
        QVERIFY2(std::abs(audio->seconds() - 3.0) < 0.35, qPrintable(QString::number(audio->seconds())));
        QVERIFY(std::abs(toneFrequency(*audio, 0.5, 2.5) - 440.0) < 5.0);
    }
};

QTEST_MAIN(RecordingEndToEndTest)
#include "test_recording_end_to_end.moc"
