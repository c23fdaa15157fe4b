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
    void recordsToneWithPitchAndLength()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tone.mp3");
        RecorderRig rig;
        QCOMPARE(rig.engine->GetFileSize(), 0);
        QCOMPARE(rig.engine->GetRSec(), 0);
        rig.setFile(path);
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(3.0));
        QCOMPARE(rig.engine->GetRSec(), 3);
        QVERIFY(rig.stop());
        QVERIFY(!rig.source->isOpen());

        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QCOMPARE(audio->channels, 1);
        QVERIFY2(near(toneFrequency(*audio, 0.2, 2.8), 440, 5), qPrintable(QString::number(toneFrequency(*audio, 0.2, 2.8))));
        QVERIFY2(near(audio->seconds(), 3.0, 0.1), qPrintable(QString::number(audio->seconds())));
        // The getters keep their last values after the stop.
        QCOMPARE(rig.engine->GetRSec(), 3);
        QCOMPARE(qint64(rig.engine->GetFileSize()), fileSize(path));
    }

    void stereoSourceRecordsStereo()
    {
        QTemporaryDir dir;
        SineOptions options = RecorderRig::gatedTone();
        options.channels = 2;
        RecorderRig rig(options);
        rig.setFile(dir.filePath("stereo.mp3"));
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(2.0));
        QVERIFY(rig.stop());
        const auto audio = decodeMp3(dir.filePath("stereo.mp3").toStdString());
        QVERIFY(audio);
        QCOMPARE(audio->channels, 2);
        QVERIFY(near(toneFrequency(*audio, 0.2, 1.8), 440, 5));
        QCOMPARE(rig.engine->GetRSec(), 2);
    }

    void pausedAudioIsNeitherRecordedNorCounted()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("paused.mp3");
        RecorderRig rig;
        rig.setFile(path);
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(1.0));
        rig.engine->PauseRec();
        QVERIFY(rig.backend->IsPaused());
        const int sizeAtPause = rig.engine->GetFileSize();
        QVERIFY(rig.feed(1.0));  // offered while paused: dropped
        QCOMPARE(rig.engine->GetRSec(), 1);
        QCOMPARE(rig.engine->GetFileSize(), sizeAtPause);
        rig.engine->PauseRec();
        QVERIFY(!rig.backend->IsPaused());
        QVERIFY(rig.feed(2.0));
        QVERIFY(rig.stop());
        QCOMPARE(rig.engine->GetRSec(), 3);
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QVERIFY2(near(audio->seconds(), 3.0, 0.1), qPrintable(QString::number(audio->seconds())));
    }

    // The worker falls behind a live input while the disk stalls; a pause,
    // a resume and a stop pressed meanwhile take effect where they were
    // pressed in the audio, not where the worker is when it catches up.
    void pressesDuringAStallTakeEffectWhereMade()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("stall.mp3").toStdString();
        SineOptions options;
        options.realTime = true;
        auto sine = std::make_unique<SineCaptureSource>(options);
        SineCaptureSource* source = sine.get();
        auto disk = std::make_shared<DiskFaults>();
        Mp3RecorderBackend backend(std::move(sine), nullptr, std::make_unique<FaultyOutputFile>(disk));
        backend.SetFileName(path);
        QVERIFY(backend.StartRec());
        QVERIFY(backend.WaitSettled());
        const auto wait = [] { std::this_thread::sleep_for(std::chrono::milliseconds(500)); };
        const auto press = [&](auto command) {
            const std::uint64_t at = source->capturedFrames().value_or(0);
            (backend.*command)();
            return double(at) / 44100;
        };
        wait();
        {
            std::lock_guard lock(disk->mutex);
            disk->holdWrites = true;
        }
        QVERIFY(disk->waitHeld());
        wait();
        const double paused = press(&Mp3RecorderBackend::PauseRec);
        wait();
        const double resumed = press(&Mp3RecorderBackend::PauseRec);
        wait();
        const double stopped = press(&Mp3RecorderBackend::StopRec);
        wait();  // the input runs on past the stop
        disk->release();
        QVERIFY(backend.WaitSettled());

        const double expected = paused + stopped - resumed;
        const auto audio = decodeMp3(path);
        QVERIFY(audio);
        QVERIFY2(near(audio->seconds(), expected, 0.1),
                 qPrintable(QString("%1 s in the file, %2 s recorded").arg(audio->seconds()).arg(expected)));
        QCOMPARE(qint64(backend.GetFileSize()), fileSize(QString::fromStdString(path)));
    }

    void secondStartWhileRecordingCarriesOn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("twice.mp3");
        RecorderRig rig;
        rig.setFile(path);
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(1.0));
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(1.0));
        QVERIFY(rig.stop());
        QCOMPARE(rig.source->opens(), 1);
        QCOMPARE(rig.engine->GetRSec(), 2);
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QVERIFY2(near(audio->seconds(), 2.0, 0.1), qPrintable(QString::number(audio->seconds())));
    }

    void startWhilePausedResumes()
    {
        QTemporaryDir dir;
        RecorderRig rig;
        rig.setFile(dir.filePath("resume.mp3"));
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(1.0));
        rig.engine->PauseRec();
        QVERIFY(rig.engine->StartRec());
        QVERIFY(!rig.backend->IsPaused());
        QVERIFY(rig.feed(1.0));
        QCOMPARE(rig.engine->GetRSec(), 2);
        QVERIFY(rig.stop());
        QCOMPARE(rig.source->opens(), 1);
    }

    void recordStopRecordKeepsBothTakes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("takes.mp3");
        RecorderRig rig;
        rig.setFile(path);
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(1.0));
        QVERIFY(rig.stop());
        const qint64 firstTake = fileSize(path);
        QCOMPARE(rig.engine->GetRSec(), 1);

        QVERIFY(rig.start());
        QCOMPARE(rig.engine->GetRSec(), 1);  // counts the earlier take
        QVERIFY(rig.feed(2.0));
        QVERIFY(rig.stop());
        QCOMPARE(rig.engine->GetRSec(), 3);
        QCOMPARE(qint64(rig.engine->GetFileSize()), fileSize(path));
        QVERIFY(fileSize(path) > firstTake * 2);
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QVERIFY2(audio->seconds() > 2.9 && audio->seconds() < 3.2, qPrintable(QString::number(audio->seconds())));
        QVERIFY(near(toneFrequency(*audio, 1.3, 2.9), 440, 5));
    }

    void firstRecordingOfRunTruncates()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.mp3");
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(100000, 'x'));
        }
        RecorderRig rig;
        rig.setFile(path);
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(1.0));
        QVERIFY(rig.stop());
        QVERIFY(fileSize(path) < 30000);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.read(16).contains('x'));
    }

    void otherPathEndsTakeAndStartsNewFile()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath("a.mp3"), second = dir.filePath("b.mp3");
        RecorderRig rig;
        rig.setFile(first);
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(1.0));
        rig.setFile(second);
        QVERIFY(rig.start());
        QCOMPARE(rig.engine->GetRSec(), 0);
        QVERIFY(rig.feed(2.0));
        QVERIFY(rig.stop());
        const auto a = decodeMp3(first.toStdString());
        const auto b = decodeMp3(second.toStdString());
        QVERIFY(a && b);
        QVERIFY(near(a->seconds(), 1.0, 0.1));
        QVERIFY(near(b->seconds(), 2.0, 0.1));
        QCOMPARE(rig.engine->GetRSec(), 2);
    }

    void commandsWithoutStartAreHarmless()
    {
        QTemporaryDir dir;
        RecorderRig rig;
        rig.setFile(dir.filePath("never.mp3"));
        QVERIFY(rig.stop());
        rig.engine->PauseRec();
        QVERIFY(rig.stop());
        QVERIFY(!rig.backend->IsRecording());
        QCOMPARE(rig.engine->GetFileSize(), 0);
        QCOMPARE(rig.engine->GetRSec(), 0);
        QVERIFY(!QFile::exists(dir.filePath("never.mp3")));
        // A pause toggled while stopped must not leave the next take paused.
        QVERIFY(rig.engine->StartRec());
        QVERIFY(!rig.backend->IsPaused());
    }

};

QTEST_GUILESS_MAIN(TestRecorderEngine)
#include "tst_RecorderEngine.moc"
