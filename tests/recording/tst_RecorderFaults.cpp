// A live take (a private PulseAudio server's sine input, LAME) while the
// sound server, the disk or the encoder fails. Whatever holds, the window's
// calls return without waiting for it, the display shows what the file
// holds, and the take keeps the sound captured up to its end or says why
// it ended.
#include "RecorderFixture.h"
#include "recorder/BackgroundTakes.h"
#include "recorder/Mp3Encoder.h"
#include "recorder/PulseCaptureSource.h"
#include "support/FaultyOutputFile.h"
#include "support/PulseTestServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {
// LAME that can be made to hang in encode() until released.
struct EncoderGate {
    std::mutex mutex;
    std::condition_variable changed;
    bool stalled = false;
    void set(bool value)
    {
        std::lock_guard lock(mutex);
        stalled = value;
        changed.notify_all();
    }
};

class StallingEncoder : public Mp3Encoder {
public:
    explicit StallingEncoder(std::shared_ptr<EncoderGate> gate) : m_gate(std::move(gate)) {}
    std::span<const std::uint8_t> encode(std::span<const std::int16_t> samples) override
    {
        std::unique_lock lock(m_gate->mutex);
        m_gate->changed.wait(lock, [this] { return !m_gate->stalled; });
        lock.unlock();
        return Mp3Encoder::encode(samples);
    }

private:
    std::shared_ptr<EncoderGate> m_gate;
};

enum class Fault { ServerFrozenAtStart, ServerFrozen, DiskStalled, SyncStalledAtEnd, DiskFull, EncoderStalled };
enum class Ending { ByItself, Stop, CloseWindow };

constexpr std::uint64_t kFullDiskBytes = 40000;  // 2.5 s at 128 kbit/s
constexpr auto kBacklog = std::chrono::seconds(3);

void sleepSeconds(double seconds) { std::this_thread::sleep_for(std::chrono::milliseconds(qint64(seconds * 1000))); }

double msOf(const std::function<void()>& call)
{
    QElapsedTimer clock;
    clock.start();
    call();
    return double(clock.nsecsElapsed()) / 1e6;
}
}

// The recorder on the shared server with every fault at hand; lift() ends
// them all, and a watchdog does so late if the test hangs on one.
struct FaultRig {
    PulseTestServer& server;
    std::shared_ptr<DiskFaults> disk = std::make_shared<DiskFaults>();
    std::shared_ptr<EncoderGate> encoder = std::make_shared<EncoderGate>();
    Mp3RecorderBackend* backend = nullptr;
    std::unique_ptr<CMP3Enc> engine;
    std::atomic<bool> lifted{false};
    std::thread watchdog;

    FaultRig(PulseTestServer& s, std::uint64_t diskBytes) : server(s)
    {
        disk->capacity = diskBytes;
        backend = new Mp3RecorderBackend(std::make_unique<PulseCaptureSource>(std::chrono::seconds(1), nullptr, kBacklog),
                                         std::make_unique<StallingEncoder>(encoder),
                                         std::make_unique<FaultyOutputFile>(disk));
        engine = std::make_unique<CMP3Enc>(std::unique_ptr<IRecorderBackend>(backend));
        watchdog = std::thread([this] {
            for (int i = 0; i < 200 && !lifted.load(); ++i) sleepSeconds(0.05);
            lift();
        });
    }
    ~FaultRig()
    {
        lift();
        watchdog.join();
    }

    void apply(Fault fault)
    {
        switch (fault) {
        case Fault::ServerFrozenAtStart:
        case Fault::ServerFrozen: server.suspend(); break;
        case Fault::DiskStalled: hold(&DiskFaults::holdWrites); break;
        case Fault::SyncStalledAtEnd: hold(&DiskFaults::holdSync); break;
        case Fault::EncoderStalled: encoder->set(true); break;
        case Fault::DiskFull: break;
        }
    }
    void hold(bool DiskFaults::*what)
    {
        std::lock_guard lock(disk->mutex);
        (*disk).*what = true;
    }
    void lift()
    {
        lifted.store(true);
        server.resume();
        disk->release();
        encoder->set(false);
    }
};

class TestRecorderFaults : public QObject {
    Q_OBJECT
    PulseTestServer m_server;

private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.log())); }

    void faultDuringTake_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<double>("faultSeconds");  // how long the fault holds before the take's end
        QTest::addColumn<bool>("keepsUntilEnd");   // all captured before the end is in the file
        QTest::addColumn<QString>("told");
        QTest::newRow("server frozen at Record") << Fault::ServerFrozenAtStart << Ending::ByItself << 0.0 << false
            << "No sound input could be opened: the sound server does not answer. Nothing was recorded.";
        QTest::newRow("server frozen, Stop") << Fault::ServerFrozen << Ending::Stop << 2.0 << false << "";
        QTest::newRow("server frozen, window closed") << Fault::ServerFrozen << Ending::CloseWindow << 2.0 << false << "";
        QTest::newRow("disk stalled, Stop") << Fault::DiskStalled << Ending::Stop << 3.0 << true << "";
        QTest::newRow("disk stalled, window closed") << Fault::DiskStalled << Ending::CloseWindow << 3.0 << true << "";
        QTest::newRow("sync stalled at the end") << Fault::SyncStalledAtEnd << Ending::CloseWindow << 0.0 << true << "";
        QTest::newRow("disk full") << Fault::DiskFull << Ending::ByItself << 0.0 << false
            << "Recording stopped: the disk is full. The first 0:02 are kept in ";
        QTest::newRow("encoder stalled within the backlog, Stop") << Fault::EncoderStalled << Ending::Stop << 3.0 << true << "";
        QTest::newRow("encoder stalled past the backlog") << Fault::EncoderStalled << Ending::ByItself << 6.0 << false
            << "Recording stopped: the recording fell more than 3 s behind the sound input. The first ";
    }

    void faultDuringTake()
    {
        QFETCH(Fault, fault);
        QFETCH(Ending, ending);
        QFETCH(double, faultSeconds);
        QFETCH(bool, keepsUntilEnd);
        QFETCH(QString, told);
        QTemporaryDir dir;
        const QString path = dir.filePath("take.mp3");
        FaultRig rig(m_server, fault == Fault::DiskFull ? kFullDiskBytes : std::numeric_limits<std::uint64_t>::max());
        std::vector<double> holds;
        QElapsedTimer sinceRecord;

        if (fault == Fault::ServerFrozenAtStart) rig.apply(fault);
        std::string copy = path.toStdString();
        rig.engine->SetFileName(copy.data());
        sinceRecord.start();
        holds.push_back(msOf([&] { rig.engine->StartRec(); }));
        if (fault == Fault::ServerFrozenAtStart) {
            // The start is still pending on the worker, not refused on the spot.
            QVERIFY(rig.backend->IsRecording());
            QVERIFY(rig.engine->TakeFailureMessage().empty());
        } else if (fault != Fault::DiskFull) {
            sleepSeconds(2.5);
            if (fault != Fault::SyncStalledAtEnd) rig.apply(fault);
            sleepSeconds(faultSeconds);
        }
        const double endedAt = double(sinceRecord.elapsed()) / 1000;
        if (fault == Fault::SyncStalledAtEnd) rig.apply(fault);
        if (ending == Ending::Stop) holds.push_back(msOf([&] { rig.engine->StopRec(); }));
        if (ending == Ending::CloseWindow) holds.push_back(msOf([&] { rig.engine.reset(); }));
        holds.push_back(msOf([&] { rig.engine ? rig.engine->GetFileSize() + rig.engine->GetRSec() : 0; }));
        if (ending == Ending::ByItself && fault != Fault::EncoderStalled)
            QTRY_VERIFY_WITH_TIMEOUT(!rig.backend->IsRecording(), 8000);
        rig.lift();
        if (ending == Ending::CloseWindow) QVERIFY(WaitForBackgroundTakes(std::chrono::seconds(10)));
        else QTRY_VERIFY_WITH_TIMEOUT(!rig.backend->IsRecording() && rig.backend->WaitSettled(), 8000);

        for (double ms : holds) QVERIFY2(ms < 1000, qPrintable(QString("a call held the window %1 ms").arg(ms)));
        if (rig.engine) {
            const QString message = QString::fromStdString(rig.engine->TakeFailureMessage());
            QVERIFY2(told.isEmpty() ? message.isEmpty() : message.startsWith(told), qPrintable(message));
            QVERIFY(rig.engine->TakeFailureMessage().empty());  // once
        }
        if (fault == Fault::ServerFrozenAtStart) {
            QVERIFY(!QFile::exists(path));
            QCOMPARE(rig.engine->GetFileSize(), 0);
            return;
        }
        const auto audio = decodeMp3(copy);
        QVERIFY(audio);
        // The sine input is handed out in 2 s blocks as each begins, so by
        // its end the take has had at least as much audio as time.
        const double atLeast = keepsUntilEnd ? endedAt - 0.5 : 1.5;
        QVERIFY2(audio->seconds() >= atLeast, qPrintable(QString("%1 s kept of %2 s").arg(audio->seconds()).arg(endedAt)));
        if (rig.engine) {
            QCOMPARE(qint64(rig.engine->GetFileSize()), fileSize(path));
            QVERIFY2(audio->seconds() >= rig.engine->GetRSec() && audio->seconds() < rig.engine->GetRSec() + 1.1,
                     qPrintable(QString("%1 s shown, %2 s in the file").arg(rig.engine->GetRSec()).arg(audio->seconds())));
        }
        if (fault == Fault::DiskFull) QCOMPARE(fileSize(path), qint64(kFullDiskBytes));
    }
};

QTEST_GUILESS_MAIN(TestRecorderFaults)
#include "tst_RecorderFaults.moc"
