// The default engine against a real sound server: a private PulseAudio
// with a 440 Hz sine source as its default input.
#include "RecorderFixture.h"
#include "recorder/BackgroundTakes.h"
#include "recorder/PulseCaptureSource.h"
#include "support/PulseTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {
int threadCount() { return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()); }

void sleepSeconds(double seconds) { std::this_thread::sleep_for(std::chrono::milliseconds(qint64(seconds * 1000))); }

void setFile(CMP3Enc& engine, const QString& path)
{
    std::string copy = path.toStdString();
    engine.SetFileName(copy.data());
}

// The default engine, with its backend at hand to wait for the worker.
struct LiveEngine {
    Mp3RecorderBackend* backend = new Mp3RecorderBackend(std::make_unique<PulseCaptureSource>());
    CMP3Enc engine{std::unique_ptr<IRecorderBackend>(backend)};
};
}

class TestPulseRecording : public QObject {
    Q_OBJECT
private slots:
    void recordsDefaultInput()
    {
        PulseTestServer server;
        QVERIFY2(server.start(), qPrintable(server.log()));
        QTemporaryDir dir;
        const QString path = dir.filePath("live.mp3");
        LiveEngine live;
        CMP3Enc& engine = live.engine;
        setFile(engine, path);
        QVERIFY(engine.StartRec());
        sleepSeconds(2.0);
        QVERIFY(engine.GetFileSize() > 0);  // written while recording, not at the end
        engine.StopRec();
        QVERIFY(live.backend->WaitSettled());

        // The test server's sine source has a fixed 2 s latency and hands out
        // audio in 2 s blocks, so the length is only known from below.
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QCOMPARE(audio->channels, 1);
        QVERIFY2(audio->seconds() > 1.8, qPrintable(QString::number(audio->seconds())));
        // The engine counts whole seconds; the file holds LAME's start delay
        // and the padding of its last frame on top, well under 0.1 s.
        QVERIFY2(audio->seconds() >= engine.GetRSec() && audio->seconds() < engine.GetRSec() + 1.1,
                 qPrintable(QString("%1 s shown, %2 s in the file").arg(engine.GetRSec()).arg(audio->seconds())));
        QCOMPARE(qint64(engine.GetFileSize()), fileSize(path));
        const double frequency = toneFrequency(*audio, 0.3, audio->seconds() - 0.2);
        QVERIFY2(std::abs(frequency - 440) < 5, qPrintable(QString::number(frequency)));
    }

    void serverLostMidwayEndsTakeKeepingFile()
    {
        auto server = std::make_unique<PulseTestServer>();
        QVERIFY2(server->start(), qPrintable(server->log()));
        QTemporaryDir dir;
        const QString path = dir.filePath("lost.mp3");
        CMP3Enc engine;
        setFile(engine, path);
        const int threadsBefore = threadCount();
        QVERIFY(engine.StartRec());
        sleepSeconds(1.5);
        server.reset();
        // The worker notices within a read and ends with its stream; later
        // calls act as after a stop.
        QTRY_VERIFY_WITH_TIMEOUT(threadCount() == threadsBefore, 5000);
        QVERIFY(QString::fromStdString(engine.TakeFailureMessage()).startsWith("Recording stopped: the sound input was lost"));
        const int size = engine.GetFileSize();
        engine.PauseRec();
        engine.StopRec();
        QCOMPARE(engine.GetFileSize(), size);
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QVERIFY2(audio->seconds() > 1.2, qPrintable(QString::number(audio->seconds())));
    }

    // A hung server must not hold up a stop or the end of the program; the
    // bound only catches a hang, the latency itself is benchmarked.
    void stalledServerLetsStopAndExitReturn_data()
    {
        QTest::addColumn<bool>("byDestructor");
        QTest::newRow("StopRec") << false;
        QTest::newRow("destructor") << true;
    }

    void stalledServerLetsStopAndExitReturn()
    {
        QFETCH(bool, byDestructor);
        PulseTestServer server;
        QVERIFY2(server.start(), qPrintable(server.log()));
        QTemporaryDir dir;
        const QString path = dir.filePath("stalled.mp3");
        auto live = std::make_unique<LiveEngine>();
        CMP3Enc* engine = &live->engine;
        setFile(*engine, path);
        QVERIFY(engine->StartRec());
        QTRY_VERIFY_WITH_TIMEOUT(engine->GetRSec() >= 1, 10000);
        QVERIFY(server.suspend());
        // Thaws the server late, so that a stop that waits for it fails the
        // test instead of hanging it.
        std::atomic<bool> ended{false};
        std::thread thaw([&] {
            for (int i = 0; i < 60 && !ended.load(); ++i) sleepSeconds(0.05);
            server.resume();
        });
        sleepSeconds(0.3);
        QElapsedTimer clock;
        clock.start();
        if (byDestructor) {
            live.reset();
        } else {
            engine->StopRec();
        }
        const qint64 elapsed = clock.elapsed();
        if (!byDestructor) {
            // A new start against the hung server gives up at its deadline.
            PulseCaptureSource source(std::chrono::milliseconds(300));
            CaptureFormat format;
            QVERIFY(!source.open(format));
            QCOMPARE(QString::fromStdString(source.lastError()), QStringLiteral("the sound server does not answer"));
        }
        ended.store(true);
        thaw.join();
        QVERIFY2(elapsed < 2000, qPrintable(QString::number(elapsed)));
        QVERIFY(byDestructor ? WaitForBackgroundTakes(std::chrono::seconds(10)) : live->backend->WaitSettled());
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QVERIFY2(audio->seconds() >= 1.0, qPrintable(QString::number(audio->seconds())));
        if (!byDestructor) QCOMPARE(qint64(engine->GetFileSize()), fileSize(path));
    }

    void noServerFailsQuickly()
    {
        QTemporaryDir dir;
        PulseTestServer::forbidAutospawn(dir.path());
        qputenv("PULSE_SERVER", QFile::encodeName("unix:" + dir.filePath("nobody-listens")));
        const int threadsBefore = threadCount();
        const QString path = dir.filePath("none.mp3");
        {
            LiveEngine live;
            CMP3Enc& engine = live.engine;
            setFile(engine, path);
            QElapsedTimer clock;
            clock.start();
            QVERIFY(engine.StartRec());
            QVERIFY(live.backend->WaitSettled());
            QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
            const QString message = QString::fromStdString(engine.TakeFailureMessage());
            QVERIFY2(message.startsWith("No sound input could be opened: ") && message.endsWith(". Nothing was recorded."),
                     qPrintable(message));
            QTRY_COMPARE_WITH_TIMEOUT(threadCount(), threadsBefore, 2000);
            engine.StopRec();
            QCOMPARE(engine.GetFileSize(), 0);
        }
        QVERIFY(!QFile::exists(path));
        qunsetenv("PULSE_SERVER");
    }
};

QTEST_GUILESS_MAIN(TestPulseRecording)
#include "tst_PulseRecording.moc"
