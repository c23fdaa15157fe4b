// What a take's file may be opened on: only a regular file, never through a
// symbolic link, and never waiting for a FIFO's reader. Real links, FIFOs
// and folders in a temporary folder.
#include "RecorderFixture.h"
#include "recorder/BackgroundTakes.h"
#include "recorder/OutputFile.h"

#include <QElapsedTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
enum class Setup { Nothing, File, Link, DanglingLink, Fifo, FifoWithReader, Folder, Device };

const std::string kVictimBytes = "not yours to overwrite";

std::string slurp(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<unreadable>");
}

bool spit(const std::string& path, const std::string& bytes)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) && file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

mode_t kindAt(const std::string& path)
{
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// Puts the setup at `target` (beside it, `victim` for the links); a FIFO's
// reader is held open in `reader`.
bool prepare(Setup setup, const std::string& target, const std::string& victim, int& reader)
{
    switch (setup) {
    case Setup::Nothing: return true;
    case Setup::File: return spit(target, "an earlier take");
    case Setup::Link: return spit(victim, kVictimBytes) && ::symlink(victim.c_str(), target.c_str()) == 0;
    case Setup::DanglingLink: return ::symlink(victim.c_str(), target.c_str()) == 0;
    case Setup::Fifo: return ::mkfifo(target.c_str(), 0644) == 0;
    case Setup::FifoWithReader:
        reader = ::mkfifo(target.c_str(), 0644) == 0 ? ::open(target.c_str(), O_RDONLY | O_NONBLOCK) : -1;
        return reader >= 0;
    case Setup::Folder: return ::mkdir(target.c_str(), 0755) == 0;
    case Setup::Device: return true;  // /dev/null itself
    }
    return false;
}
}  // namespace

class TestOutputFileTargets : public QObject {
    Q_OBJECT
private slots:
    void openOn_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<OpenMode>("mode");
        QTest::addColumn<QString>("refusal");  // empty: opened
        QTest::addColumn<QString>("before");   // what the file held, for an opened one
        QTest::newRow("nothing there") << Setup::Nothing << OpenMode::Create << "" << "";
        QTest::newRow("a file, first take") << Setup::File << OpenMode::Create << "" << "";
        QTest::newRow("a file, replaced") << Setup::File << OpenMode::Replace << "" << "";
        QTest::newRow("a file, added to") << Setup::File << OpenMode::Append << "" << "an earlier take";
        QTest::newRow("a link, replaced") << Setup::Link << OpenMode::Replace << "" << "";
        const QString link = "it is a symbolic link, which is not followed; choose it again to replace the link";
        QTest::newRow("a link, unasked") << Setup::Link << OpenMode::Create << link << "";
        QTest::newRow("a link, added to") << Setup::Link << OpenMode::Append << link << "";
        QTest::newRow("a dangling link, replaced") << Setup::DanglingLink << OpenMode::Replace << "" << "";
        QTest::newRow("a dangling link, unasked") << Setup::DanglingLink << OpenMode::Create << link << "";
        const std::pair<OpenMode, QByteArray> modes[] = {
            {OpenMode::Create, "first take"}, {OpenMode::Replace, "replaced"}, {OpenMode::Append, "added to"}};
        for (const auto& [mode, m] : modes) {
            QTest::newRow(("a FIFO, " + m).constData()) << Setup::Fifo << mode << "it is a FIFO (named pipe), not a file" << "";
            QTest::newRow(("a folder, " + m).constData()) << Setup::Folder << mode << "it is a folder, not a file" << "";
        }
        QTest::newRow("a FIFO with a reader") << Setup::FifoWithReader << OpenMode::Replace
                                              << "it is a FIFO (named pipe), not a file" << "";
        QTest::newRow("a device") << Setup::Device << OpenMode::Replace << "it is a device, not a file" << "";
    }

    void openOn()
    {
        QFETCH(Setup, setup);
        QFETCH(OpenMode, mode);
        QFETCH(QString, refusal);
        QFETCH(QString, before);
        QTemporaryDir dir;
        const std::string victim = dir.filePath("victim").toStdString();
        const std::string target = setup == Setup::Device ? "/dev/null" : dir.filePath("take.mp3").toStdString();
        int reader = -1;
        QVERIFY(prepare(setup, target, victim, reader));
        const mode_t kindBefore = kindAt(target);

        OutputFile file;
        QElapsedTimer clock;
        clock.start();
        const bool opened = file.open(target, mode);
        QVERIFY2(clock.elapsed() < 1000, "the open waited");
        if (reader >= 0) ::close(reader);

        QCOMPARE(QString::fromStdString(file.openFailure()), refusal.isEmpty() ? QString() : refusal);
        QCOMPARE(opened, refusal.isEmpty());
        if (opened) {
            QCOMPARE(file.size(), std::uint64_t(before.size()));
            const std::uint8_t audio[] = {0xFF, 0xFB, 0x90, 0x64};
            QVERIFY(file.write(audio));
            file.close();
            QCOMPARE(kindAt(target), mode_t(S_IFREG));
            QCOMPARE(slurp(target), before.toStdString() + std::string(reinterpret_cast<const char*>(audio), 4));
        } else {
            QCOMPARE(kindAt(target), kindBefore);  // left as it was
            QVERIFY(!file.isOpen());
        }
        // What a link pointed to is never touched, nor made.
        if (setup == Setup::Link) QCOMPARE(slurp(victim), kVictimBytes);
        if (setup == Setup::DanglingLink) QCOMPARE(kindAt(victim), mode_t(0));
    }

    // The whole engine: a FIFO as the target is told at once, the sound
    // input is never opened, and nothing is left for the exit to wait on.
    void fifoTargetIsRefusedBeforeTheTakeStarts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("pipe.mp3");
        QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0644), 0);
        {
            RecorderRig rig;
            rig.setFile(path);
            QVERIFY(rig.engine->StartRec());
            QVERIFY(rig.backend->WaitSettled(std::chrono::seconds(5)));
            QCOMPARE(QString::fromStdString(rig.engine->TakeFailureMessage()),
                     "The recording could not be written to " + path
                         + ": it is a FIFO (named pipe), not a file. Nothing was recorded.");
            QVERIFY(!rig.backend->IsRecording());
            QVERIFY(!rig.source->isOpen());
            QCOMPARE(rig.engine->GetFileSize(), 0);
        }
        QVERIFY(WaitForBackgroundTakes(std::chrono::milliseconds(0)));
        QCOMPARE(kindAt(path.toStdString()), mode_t(S_IFIFO));
    }
};

QTEST_GUILESS_MAIN(TestOutputFileTargets)
#include "tst_OutputFileTargets.moc"
