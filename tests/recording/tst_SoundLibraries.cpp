// The recorder's libraries are loaded at run time: a missing one, or one
// that lacks a function, fails the start of a take with the reason instead
// of crashing.
#include "recorder/LameLibrary.h"
#include "recorder/Mp3Encoder.h"
#include "recorder/Mp3RecorderBackend.h"
#include "recorder/PulseCaptureSource.h"
#include "recorder/PulseLibrary.h"
#include "support/SineCaptureSource.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr char kAbsent[] = "libquillora-absent.so.0";
// Present everywhere, and without any of the sound functions.
constexpr char kUnrelated[] = "libm.so.6";
}

class TestSoundLibraries : public QObject {
    Q_OBJECT
private slots:
    void loaderSaysWhatIsMissing_data()
    {
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pulse absent") << QString::fromStdString(LoadPulseLibrary(kAbsent).error)
                                      << QString("cannot load %1: ").arg(kAbsent);
        QTest::newRow("pulse lacks") << QString::fromStdString(LoadPulseLibrary(kUnrelated).error)
                                     << QString("the library lacks pa_threaded_mainloop_new");
        QTest::newRow("lame absent") << QString::fromStdString(LoadLameLibrary(kAbsent).error)
                                     << QString("cannot load %1: ").arg(kAbsent);
        QTest::newRow("lame lacks") << QString::fromStdString(LoadLameLibrary(kUnrelated).error)
                                    << QString("the library lacks lame_init");
        QTest::newRow("pulse real") << QString::fromStdString(Pulse().error) << QString();
        QTest::newRow("lame real") << QString::fromStdString(Lame().error) << QString();
    }
    void loaderSaysWhatIsMissing()
    {
        QFETCH(QString, error);
        QFETCH(QString, expected);
        if (expected.isEmpty())
            QCOMPARE(error, expected);
        else
            QVERIFY2(error.startsWith(expected), qPrintable(error));
    }

    void missingPulseFailsTheOpen()
    {
        const PulseLibrary missing = LoadPulseLibrary(kAbsent);
        PulseCaptureSource source(std::chrono::milliseconds(300), &missing);
        CaptureFormat format;
        QVERIFY(!source.open(format));
        const QString why = QString::fromStdString(source.lastError());
        QVERIFY2(why.startsWith(QString("the sound library could not be loaded (cannot load %1: ").arg(kAbsent)),
                 qPrintable(why));
        std::int16_t buffer[64];
        QCOMPARE(source.read(buffer), std::ptrdiff_t(-1));
        source.close();
    }

    void missingLameRefusesTheTake()
    {
        const LameLibrary missing = LoadLameLibrary(kUnrelated);
        SineCaptureSource* sine = nullptr;
        auto source = std::make_unique<SineCaptureSource>(SineOptions{});
        sine = source.get();
        Mp3RecorderBackend backend(std::move(source), std::make_unique<Mp3Encoder>(&missing));
        QTemporaryDir dir;
        const QString path = dir.filePath("take.mp3");
        backend.SetFileName(path.toStdString());
        QVERIFY(backend.StartRec());
        QVERIFY(backend.WaitSettled());
        QVERIFY(!backend.IsRecording());
        QVERIFY(!sine->isOpen());
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(QString::fromStdString(backend.TakeFailureMessage()),
                 QString("The MP3 encoder could not be started: the LAME library could not be loaded "
                         "(the library lacks lame_init). Nothing was recorded."));
    }
};

QTEST_GUILESS_MAIN(TestSoundLibraries)
#include "tst_SoundLibraries.moc"
