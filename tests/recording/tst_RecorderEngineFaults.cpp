// The recorder engine's commands against a synthetic source, fed in
// measured portions so the recorded length does not depend on timing.
#include "RecorderFixture.h"
#include "recorder/BackgroundTakes.h"
#include "recorder/Mp3Encoder.h"
#include "support/FaultyOutputFile.h"

#include <QFile>
#include <QtTest>

#include <cmath>
#include <thread>

class TestRecorderEngine : public QObject {
    Q_OBJECT
private slots:
    void startFailsCleanly_data()
    {
        QTest::addColumn<bool>("deviceMissing");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("told");
        QTest::newRow("unwritable path") << false << "no-such-dir/take.mp3" << "The recording could not be written to ";
        QTest::newRow("empty name") << false << "" << "No file was named";
        QTest::newRow("no capture device") << true << "take.mp3" << "No sound input could be opened: ";
    }

    void startFailsCleanly()
    {
        QFETCH(bool, deviceMissing);
        QFETCH(QString, file);
        QFETCH(QString, told);
        QTemporaryDir dir;
        SineOptions options = RecorderRig::gatedTone();
        options.failOpen = deviceMissing;
        RecorderRig rig(options);
        rig.setFile(file.isEmpty() ? file : dir.filePath(file));
        // Only a missing name is known at once; the rest is found by the
        // worker and told afterwards.
        QCOMPARE(rig.engine->StartRec(), !file.isEmpty());
        QVERIFY(rig.backend->WaitSettled());
        const QString message = QString::fromStdString(rig.engine->TakeFailureMessage());
        QVERIFY2(message.startsWith(told) && message.endsWith(". Nothing was recorded."), qPrintable(message));
        QVERIFY(rig.engine->TakeFailureMessage().empty());  // told once
        QVERIFY(!rig.backend->IsRecording());
        QVERIFY(!rig.source->isOpen());
        QVERIFY(!QFile::exists(dir.filePath("take.mp3")));
        rig.engine->PauseRec();
        QVERIFY(rig.stop());
        QCOMPARE(rig.engine->GetFileSize(), 0);
    }

    void failedStartShowsNothingOfTheLastTake()
    {
        QTemporaryDir dir;
        RecorderRig rig;
        rig.setFile(dir.filePath("good.mp3"));
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(2.0));
        QVERIFY(rig.stop());
        QVERIFY(rig.engine->GetFileSize() > 0);
        rig.setFile(dir.filePath("missing/bad.mp3"));
        QVERIFY(rig.start());
        QVERIFY(!rig.backend->IsRecording());
        QCOMPARE(rig.engine->GetFileSize(), 0);
        QCOMPARE(rig.engine->GetRSec(), 0);
    }

    void replacedFileStartsAnewAndLaterTakesAppend()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("voice.mp3");
        RecorderRig rig;
        rig.setFile(path);
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(1.0));
        QVERIFY(rig.stop());
        std::string copy = path.toStdString();
        rig.engine->ReplaceFile(copy.c_str());
        for (int take = 1; take <= 2; ++take) {
            QVERIFY(rig.engine->StartRec());
            QVERIFY(rig.feed(1.0));
            QVERIFY(rig.stop());
            QCOMPARE(rig.engine->GetRSec(), take);
            const auto audio = decodeMp3(copy);
            QVERIFY(audio);
            QVERIFY2(near(audio->seconds(), take, 0.1), qPrintable(QString::number(audio->seconds())));
        }
    }

    void encoderErrorEndsTakeAndIsTold()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("encoder.mp3");
        auto source = std::make_unique<SineCaptureSource>(SineOptions{});
        Mp3RecorderBackend backend(std::move(source), std::make_unique<FailingEncoder>(50));  // 2.5 s
        std::string copy = path.toStdString();
        backend.SetFileName(copy);
        QVERIFY(backend.StartRec());
        QTRY_VERIFY_WITH_TIMEOUT(!backend.IsRecording(), 5000);
        QCOMPARE(QString::fromStdString(backend.TakeFailureMessage()),
                 "Recording stopped: the MP3 encoder failed (error -3). The first 0:02 are kept in " + path + ".");
        QCOMPARE(backend.GetRSec(), 2);
        QCOMPARE(qint64(backend.GetFileSize()), fileSize(path));
        const auto audio = decodeMp3(copy);
        QVERIFY(audio);
        QVERIFY2(near(audio->seconds(), 2.5, 0.1), qPrintable(QString::number(audio->seconds())));
    }

    void missingDeviceLeavesEarlierFileAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.mp3");
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(5000, 'k'));
        }
        SineOptions options = RecorderRig::gatedTone();
        options.failOpen = true;
        RecorderRig rig(options);
        rig.setFile(path);
        QVERIFY(rig.start());
        QVERIFY(!rig.engine->TakeFailureMessage().empty());
        QCOMPARE(fileSize(path), qint64(5000));
    }

    void destructorFinishesFile_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::newRow("recording") << false;
        QTest::newRow("paused") << true;
    }

    void destructorFinishesFile()
    {
        QFETCH(bool, paused);
        QTemporaryDir dir;
        const QString path = dir.filePath("exit.mp3");
        {
            RecorderRig rig;
            rig.setFile(path);
            QVERIFY(rig.engine->StartRec());
            QVERIFY(rig.feed(2.0));
            if (paused) rig.engine->PauseRec();
        }
        QVERIFY(WaitForBackgroundTakes(std::chrono::seconds(10)));
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QVERIFY2(near(audio->seconds(), 2.0, 0.1), qPrintable(QString::number(audio->seconds())));
        // Flushed: the file ends on a whole frame (418 or 417 bytes each).
        QVERIFY(fileSize(path) > 2 * 16000);
    }

    void sourceFailureEndsTakeAndKeepsFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("lost.mp3");
        SineOptions options;
        options.failAfterSeconds = 1.0;
        RecorderRig rig(options);
        rig.setFile(path);
        QVERIFY(rig.engine->StartRec());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.backend->IsRecording(), 5000);
        const QString message = QString::fromStdString(rig.engine->TakeFailureMessage());
        QVERIFY2(message.startsWith("Recording stopped: the sound input was lost")
                     && message.endsWith(". The first 0:01 are kept in " + path + "."),
                 qPrintable(message));
        QCOMPARE(rig.engine->GetRSec(), 1);
        QCOMPARE(qint64(rig.engine->GetFileSize()), fileSize(path));
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QVERIFY(near(audio->seconds(), 1.0, 0.1));
        // Afterwards the engine acts as after a stop.
        rig.engine->PauseRec();
        QVERIFY(!rig.backend->IsPaused());
        QVERIFY(rig.stop());
        QCOMPARE(rig.engine->GetRSec(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRecorderEngine)
#include "tst_RecorderEngineFaults.moc"
