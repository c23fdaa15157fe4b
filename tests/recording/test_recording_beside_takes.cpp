// The recorder against a real sound server while the learner's takes are
// recorded from the same input: its file, its size and its time are as
// without them, and the take is a file of its own.
#include "RecorderFixture.h"
#include "practice/TakeRecorder.h"
#include "recorder/PulseCaptureSource.h"
#include "support/PulseTestServer.h"

#include <QSignalSpy>
#include <QtTest>

class RecordingBesideTakesTest : public QObject {
    Q_OBJECT
private slots:
    void takeDuringARecording()
    {
        PulseTestServer server;
        QVERIFY2(server.start(), qPrintable(server.log()));
        QTemporaryDir dir;
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        auto* backend = new Mp3RecorderBackend(std::make_unique<PulseCaptureSource>());
        CMP3Enc engine{std::unique_ptr<IRecorderBackend>(backend)};
        const std::string path = dir.filePath("live.mp3").toStdString();
        std::string copy = path;
        engine.SetFileName(copy.data());
        QVERIFY(engine.StartRec());

        TakeRecorder takes;
        QSignalSpy finished(&takes, &TakeRecorder::finished);
        takes.setMedia(dir.filePath("lesson1.mp3"));
        // The test server hands out its input in blocks of 2 s.
        QVERIFY(takes.record(1.0, 3.0));
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 20000);
        QVERIFY(engine.GetFileSize() > 0);
        engine.StopRec();
        QVERIFY(backend->WaitSettled());

        QCOMPARE(finished.first().at(1).toBool(), true);
        const auto take = decodeMp3(takes.latestTake(1.0).toStdString());
        QVERIFY(take);
        QVERIFY2(std::abs(take->seconds() - 3.0) < 0.1, qPrintable(QString::number(take->seconds())));
        QVERIFY(std::abs(toneFrequency(*take, 0.2, 2.8) - 440.0) < 5.0);

        const auto audio = decodeMp3(path);
        QVERIFY(audio);
        QVERIFY2(audio->seconds() >= engine.GetRSec() && audio->seconds() < engine.GetRSec() + 1.1,
                 qPrintable(QString("%1 s shown, %2 s in the file").arg(engine.GetRSec()).arg(audio->seconds())));
        // As without takes: the server's 2 s blocks make the length known from below.
        QVERIFY2(audio->seconds() > 1.8, qPrintable(QString::number(audio->seconds())));
        QCOMPARE(qint64(engine.GetFileSize()), fileSize(QString::fromStdString(path)));
        QVERIFY(std::abs(toneFrequency(*audio, 0.3, audio->seconds() - 0.2) - 440.0) < 5.0);
    }
};

QTEST_MAIN(RecordingBesideTakesTest)
#include "test_recording_beside_takes.moc"
