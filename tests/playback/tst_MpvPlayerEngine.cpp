// The libmpv engine against real libmpv with null outputs, on media the
// test writes itself.
#include "MpvEngineTestMedia.h"
#include "support/TestMedia.h"
#include "player/MediaError.h"
#include "mpvengine/MpvLibrary.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <sys/stat.h>

class TstMpvPlayerEngine : public QObject, private MpvEngineTestMedia {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(writeMedia()); }

    void loadsPausedAtZeroThenPlaysAtRealSpeed()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav6);
        QCOMPARE(engine.GetPosition(), 0.0);
        QCOMPARE(positionAfter(engine, 300), 0.0);  // loaded paused

        engine.Play();
        QElapsedTimer wall;
        wall.start();
        const double start = engine.GetPosition();
        const double end = positionAfter(engine, 1500);
        const double elapsed = wall.elapsed() / 1000.0;
        QVERIFY2(std::abs((end - start) - elapsed) < 0.3,
                 qPrintable(QString("advanced %1 s in %2 s").arg(end - start).arg(elapsed)));
    }

    void playsOnWithoutASoundDevice()
    {
        const QByteArray saved = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/quillora-no-server");
        MpvOptions options = MpvOptions::NullOutputs();
        options.audioOutput = "pulse";
        MpvPlayerEngine engine(options);
        engine.SetMediaFile(m_wav3);
        engine.Play();
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetPosition() > 0.3, 5000);
        if (saved.isNull())
            qunsetenv("PULSE_SERVER");
        else
            qputenv("PULSE_SERVER", saved);
    }

    void setUpInTheBackgroundTellsTheGuiThreadWhenReady()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        int calls = 0;
        bool onGuiThread = false;
        engine.PrepareInBackground([&] {
            ++calls;
            onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
        QCOMPARE(calls, 0);
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 10000);
        QVERIFY(onGuiThread);
        engine.PrepareInBackground([&] { ++calls; });  // set up already
        QTRY_COMPARE(calls, 2);
        engine.SetMediaFile(m_wav3);
        QCOMPARE(engine.GetPosition(), 0.0);
    }

    void newFileTakesSeekAndPlayAtOnce()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav3);
        engine.Play();
        QTRY_VERIFY(engine.GetPosition() > 0.3);

        engine.SetMediaFile(m_mp3);
        engine.SetPosition(2.5);
        engine.Play();
        const double now = positionAfter(engine, 400);
        QVERIFY2(now >= 2.5 && now < 3.4, qPrintable(QString::number(now)));
        QVERIFY(std::abs(engine.Status().duration - 8.0) < 0.1);
    }

    void sameFileAgainStartsOverAndAChangedOneIsRead()
    {
        const std::string file = at("again.wav");
        WriteToneWav(file, 3.0);
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(file);
        engine.Play();
        QTRY_VERIFY(engine.GetPosition() > 0.3);
        engine.SetMediaFile(file);
        QCOMPARE(engine.GetPosition(), 0.0);
        QVERIFY(engine.Status().paused);
        QCOMPARE(positionAfter(engine, 200), 0.0);

        QThread::msleep(20);  // a later modification time
        WriteToneWav(file, 6.0);
        engine.SetMediaFile(file);
        QVERIFY(std::abs(engine.Status().duration - 6.0) < 0.1);
    }

    void pausedSeekReadsBack_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("wav") << QString::fromStdString(m_wav6);
        QTest::newRow("mp3") << QString::fromStdString(m_mp3);
    }

    void pausedSeekReadsBack()
    {
        QFETCH(QString, file);
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(file.toStdString());
        for (double target : {3.217, 0.75, 5.5}) {
            engine.SetPosition(target);
            QVERIFY2(std::abs(engine.GetPosition() - target) < 0.001,
                     qPrintable(QString("%1 read back as %2").arg(target).arg(engine.GetPosition())));
        }
    }

    void seekJustAfterStopIsExact()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav6);
        for (double target : {4.5, 1.25}) {
            engine.Play();
            QTRY_VERIFY(engine.GetPosition() > 0.3);
            engine.Stop();
            engine.SetPosition(target);
            QVERIFY2(std::abs(engine.GetPosition() - target) < 0.001,
                     qPrintable(QString("%1 read back as %2").arg(target).arg(engine.GetPosition())));
        }
    }

    void quickPauseAfterSeekKeepsTheTarget()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav6);
        engine.Play();
        QTRY_VERIFY(engine.GetPosition() > 0.3);
        engine.Stop();
        engine.SetPosition(3.0);
        engine.Play();
        engine.Pause();  // before mpv's own figure has caught up with 3.0
        const double at = engine.GetPosition();
        QVERIFY2(at >= 3.0 && at < 3.1, qPrintable(QString::number(at)));
        QCOMPARE(positionAfter(engine, 200), at);
    }

    void seekWhilePlayingGoesOn()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav6);
        engine.Play();
        QTRY_VERIFY(engine.GetPosition() > 0.1);
        engine.SetPosition(4.0);
        QVERIFY(engine.GetPosition() >= 4.0);
        QTRY_VERIFY(engine.GetPosition() > 4.2);  // played on from the target
        QVERIFY2(engine.GetPosition() < 4.9, qPrintable(QString::number(engine.GetPosition())));
    }

    void stopKeepsPositionAndPlayResumes()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav6);
        engine.Play();
        QTRY_VERIFY(engine.GetPosition() > 0.4);
        engine.Stop();
        const double stoppedAt = engine.GetPosition();
        QVERIFY(stoppedAt > 0.3);
        QCOMPARE(positionAfter(engine, 300), stoppedAt);

        engine.Play();
        QVERIFY(positionAfter(engine, 500) > stoppedAt + 0.2);
        engine.Pause();
        const double pausedAt = engine.GetPosition();
        QCOMPARE(positionAfter(engine, 200), pausedAt);
    }

};

QTEST_GUILESS_MAIN(TstMpvPlayerEngine)
#include "tst_MpvPlayerEngine.moc"
