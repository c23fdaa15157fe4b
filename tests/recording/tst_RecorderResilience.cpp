// A recording survives the program being killed, hitting a file size
// limit or ending while its disk is slow. Each case records in a child
// forked while this process is still single-threaded; the child leaves with
// _exit so nothing of the test runs twice, unless the way it exits is what
// the case is about.
#include "RecorderFixture.h"
#include "support/FaultyOutputFile.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
// Exit codes of the file-size child: which expectation failed.
enum ChildResult { Ok = 0, StartFailed = 10, StillRecording, NothingWritten, OverLimit, WrongAfterStop, NotTold, WrongLength };

[[noreturn]] void recordUntilFileSizeLimit(const QString& path, rlim_t limit)
{
    const rlimit fsize{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &fsize) != 0) _exit(StartFailed);
    RecorderRig rig{SineOptions{}};  // as fast as it is read
    rig.setFile(path);
    if (!rig.engine->StartRec()) _exit(StartFailed);
    for (int i = 0; i < 500 && rig.backend->IsRecording(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (rig.backend->IsRecording()) _exit(StillRecording);
    const int size = rig.engine->GetFileSize();
    if (size <= 0) _exit(NothingWritten);
    if (rlim_t(size) > limit) _exit(OverLimit);
    const std::string told = rig.engine->TakeFailureMessage();
    const std::string expected = "Recording stopped: the file has reached the largest size allowed. The first 0:0";
    if (told.rfind(expected, 0) != 0 || told.find(path.toStdString()) == std::string::npos) _exit(NotTold);
    // The display's figure is what the file really holds.
    const auto audio = decodeMp3(path.toStdString());
    if (!audio || std::abs(audio->seconds() - rig.engine->GetRSec()) >= 1.0) _exit(WrongLength);
    rig.engine->PauseRec();
    rig.engine->StopRec();
    if (rig.engine->GetFileSize() != size || rig.backend->IsRecording()) _exit(WrongAfterStop);
    rig.engine.reset();
    _exit(Ok);
}

// Closes the recorder while the take's last write is slow, and exits as the
// program does when its window is gone.
[[noreturn]] void closeOnSlowDiskAndExit(const QString& path)
{
    auto disk = std::make_shared<DiskFaults>();
    auto sine = std::make_unique<SineCaptureSource>(RecorderRig::gatedTone());
    SineCaptureSource* source = sine.get();
    auto backend = std::make_unique<Mp3RecorderBackend>(std::move(sine), nullptr, std::make_unique<FaultyOutputFile>(disk));
    backend->SetFileName(path.toStdString());
    if (!backend->StartRec()) _exit(StartFailed);
    source->grant(2.0);
    if (!source->waitDrained()) _exit(NothingWritten);
    {
        std::lock_guard lock(disk->mutex);
        disk->writeDelay = std::chrono::milliseconds(1500);
    }
    backend.reset();
    std::exit(Ok);
}

[[noreturn]] void recordInRealTime(const QString& path)
{
    SineOptions options;
    options.realTime = true;
    RecorderRig rig(options);
    rig.setFile(path);
    if (!rig.engine->StartRec()) _exit(StartFailed);
    std::this_thread::sleep_for(std::chrono::seconds(30));
    _exit(StillRecording);
}
}

class TestRecorderResilience : public QObject {
    Q_OBJECT
private slots:
    void killedProgramLeavesAllButTheLastSecond()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("killed.mp3");
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) recordInRealTime(path);
        std::this_thread::sleep_for(std::chrono::seconds(3));
        QCOMPARE(kill(child, SIGKILL), 0);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the child ended before it was killed");

        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QVERIFY2(audio->seconds() >= 1.9, qPrintable(QString::number(audio->seconds())));
        QVERIFY(std::abs(toneFrequency(*audio, 0.2, audio->seconds() - 0.2) - 440) < 5);
    }

    void fileSizeLimitStopsCleanlyKeepingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("limited.mp3");
        const rlim_t limit = 100000;  // about 6 s at 128 kbit/s
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) recordUntilFileSizeLimit(path, limit);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), qPrintable(QString("child died of signal %1").arg(WTERMSIG(status))));
        QCOMPARE(WEXITSTATUS(status), int(Ok));

        QVERIFY(fileSize(path) <= qint64(limit));
        QVERIFY(fileSize(path) > qint64(limit) - 2000);
        const auto audio = decodeMp3(path.toStdString());
        QVERIFY(audio);
        QVERIFY2(audio->seconds() > 5.5, qPrintable(QString::number(audio->seconds())));
        QVERIFY(std::abs(toneFrequency(*audio, 0.2, 5.0) - 440) < 5);
    }

    // Last: the reference take leaves this process with threads.
    void exitWaitsForTheFileOfAClosedTake()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("closed.mp3");
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) closeOnSlowDiskAndExit(path);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), int(Ok));

        // The same 2 s recorded and stopped here, on a good disk.
        const QString reference = dir.filePath("reference.mp3");
        RecorderRig rig;
        rig.setFile(reference);
        QVERIFY(rig.engine->StartRec());
        QVERIFY(rig.feed(2.0));
        QVERIFY(rig.stop());
        QCOMPARE(fileSize(path), fileSize(reference));
    }
};

QTEST_GUILESS_MAIN(TestRecorderResilience)
#include "tst_RecorderResilience.moc"
