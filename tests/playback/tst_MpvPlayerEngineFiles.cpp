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

    void unplayableFilesRaise_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "missing.mp3";
        QTest::newRow("text named .mp3") << "text.mp3";
        QTest::newRow("zero bytes") << "empty.mp3";
    }

    void unplayableFilesRaise()
    {
        QFETCH(QString, name);
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav3);
        try {
            engine.SetMediaFile(at(name.toUtf8().constData()));
            QFAIL("no MediaError");
        } catch (const MediaError& e) {
            const auto code = static_cast<std::int32_t>(e.code());
            QVERIFY2(code == MPV_ERROR_LOADING_FAILED || code == MPV_ERROR_UNKNOWN_FORMAT,
                     qPrintable(QString("code %1: %2").arg(code).arg(e.what())));
        }
        // The old file was replaced: nothing is loaded any more.
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.GetPosition());
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.Play());
        // And the engine is still fit for the next file.
        engine.SetMediaFile(m_wav3);
        QCOMPARE(engine.GetPosition(), 0.0);
    }

    // A file that is still loading when SetMediaFile returns takes the
    // commands that follow as if it had loaded.
    void loadingFileTakesCommandsMeanwhile_data()
    {
        QTest::addColumn<double>("seekTo");  // below 0: no seek
        QTest::addColumn<bool>("play");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::newRow("play") << -1.0 << true << false << 0.2 << 1.0;
        QTest::newRow("seek, play") << 2.5 << true << false << 2.7 << 3.5;
        QTest::newRow("seek") << 2.5 << false << false << 2.5 << 2.5;
        QTest::newRow("play, stop") << -1.0 << true << true << 0.0 << 0.0;
        QTest::newRow("seek past the end") << 100.0 << false << false << 7.9 << 8.1;
    }

    void loadingFileTakesCommandsMeanwhile()
    {
        QFETCH(double, seekTo);
        QFETCH(bool, play);
        QFETCH(bool, stop);
        QFETCH(double, from);
        QFETCH(double, to);
        MpvOptions options = MpvOptions::NullOutputs();
        options.loadWaitMs = 0;
        MpvPlayerEngine engine(options);
        engine.SetMediaFile(m_mp3);
        QVERIFY(!engine.Status().loaded);
        QCOMPARE(engine.GetPosition(), 0.0);
        if (seekTo >= 0.0) {
            engine.SetPosition(seekTo);
            QCOMPARE(engine.GetPosition(), seekTo);  // while it loads
        }
        if (play)
            engine.Play();
        if (stop)
            engine.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(engine.Status().loaded, 5000);
        const double now = positionAfter(engine, 500);
        QVERIFY2(now >= from - 0.001 && now <= to + 0.001, qPrintable(QString::number(now)));
        QCOMPARE(engine.Status().paused, !play || stop);
    }

    void failedLoadAfterTheReturnIsToldByTheNextCall()
    {
        MpvOptions options = MpvOptions::NullOutputs();
        options.loadWaitMs = 0;
        MpvPlayerEngine engine(options);
        engine.SetMediaFile(at("text.mp3"));
        engine.Play();
        QString message;
        QTRY_VERIFY_WITH_TIMEOUT(positionFails(engine, message), 5000);
        QVERIFY2(message.contains("cannot play") && message.contains("text.mp3"), qPrintable(message));
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.Play());
        engine.SetMediaFile(m_wav3);
        QTRY_VERIFY_WITH_TIMEOUT(engine.Status().loaded, 5000);
        QCOMPARE(engine.GetPosition(), 0.0);
    }

    void pipesAreRefusedAndLoadsThatNeverEndAreGivenUp()
    {
        const std::string fifo = at("never.mp3");
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        MpvOptions options = MpvOptions::NullOutputs();
        options.loadWaitMs = 0;
        {
            MpvPlayerEngine engine(options);
            QVERIFY_THROWS_EXCEPTION(MediaError, engine.SetMediaFile(fifo));
        }
        // Given up when its time is out, even with nobody calling in.
        options.loadTimeoutMs = 0;
        MpvPlayerEngine engine(options);
        engine.SetMediaFile(m_mp3);
        QTRY_VERIFY_WITH_TIMEOUT(!engine.Status().lateLoadFailure.empty(), 2000);
        QVERIFY2(engine.Status().lateLoadFailure.find("did not answer in time") != std::string::npos,
                 engine.Status().lateLoadFailure.c_str());
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.GetPosition());
    }

    void folderIsNoPlaylist()
    {
        QVERIFY(QDir(QString::fromStdString(m_dir.path().toStdString())).mkpath("folder"));
        WriteToneWav(at("folder/inside.wav"), 3.0);
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav3);
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.SetMediaFile(at("folder")));
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.SetMediaFile(""));
        QThread::msleep(300);
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.GetPosition());
    }

    void relativePathIsALocalFile()
    {
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile("three.wav");
        QDir::setCurrent(before);
        engine.SetPosition(1.0);
        QVERIFY(std::abs(engine.GetPosition() - 1.0) < 0.001);
    }

    void noMediaRaises()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.GetPosition());
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.SetPosition(1.0));
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.Play());
    }

    void endOfMediaKeepsPositionAtEnd()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_short);
        engine.Play();
        waitForEof(engine, 5000);
        QVERIFY(engine.Status().eofReached);
        const double atEnd = engine.GetPosition();
        QVERIFY2(std::abs(atEnd - 1.5) < 0.1, qPrintable(QString::number(atEnd)));
        QCOMPARE(positionAfter(engine, 200), atEnd);

        // Play at the end starts over rather than doing nothing.
        engine.Play();
        const double again = positionAfter(engine, 300);
        QVERIFY2(again > 0.05 && again < 1.0, qPrintable(QString::number(again)));
    }

    void playAtTheEndStartsOverEveryTime()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav3);
        for (int round = 0; round < 3; ++round) {
            engine.Pause();
            engine.SetPosition(engine.Status().duration);
            engine.Play();
            const double again = positionAfter(engine, 300);
            QVERIFY2(again > 0.05 && again < 1.0, qPrintable(QString("round %1: %2").arg(round).arg(again)));
        }
    }

    // mpv ending the media mid-playback: the next call says why, and a new
    // file loads as ever.
    void mediaEndedByThePlayer_data()
    {
        QTest::addColumn<bool>("removeFile");
        QTest::addColumn<QString>("why");
        QTest::newRow("file removed while playing") << true << "the file is gone";
        QTest::newRow("mpv's own stop") << false << "the player has closed the file";
    }

    void mediaEndedByThePlayer()
    {
        QFETCH(bool, removeFile);
        QFETCH(QString, why);
        const std::string doomed = at("doomed.wav");
        WriteToneWav(doomed, 6.0);
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(doomed);
        engine.Play();
        QTRY_VERIFY(engine.GetPosition() > 0.2);
        if (removeFile) {
            // Its contents go with it, as when the medium is taken away.
            std::filesystem::resize_file(doomed, 0);
            std::filesystem::remove(doomed);
        } else {
            const char* stop[] = {"stop", nullptr};
            QCOMPARE(Mpv().command(engine.handle(), stop), 0);
        }
        QString told;
        QTRY_VERIFY_WITH_TIMEOUT(positionFails(engine, told), 5000);
        QVERIFY2(told.contains(why), qPrintable(told));
        QVERIFY(!engine.Status().loaded);
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.Play());

        engine.SetMediaFile(m_wav3);
        engine.Play();
        QTRY_VERIFY(engine.GetPosition() > 0.2);
    }

    void outOfRangePositionsAreClamped()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        engine.SetMediaFile(m_wav3);
        engine.SetPosition(2.0);
        engine.SetPosition(-5.0);  // mpv alone would count this from the end
        QVERIFY(engine.GetPosition() < 0.001);
        engine.SetPosition(1000.0);
        QVERIFY(std::abs(engine.GetPosition() - 3.0) < 0.1);
    }

    void listenerHearsPropertyChanges()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        PlayerStatus heard;
        int calls = 0;
        engine.SetStatusListener([&](const PlayerStatus& s) { heard = s; ++calls; });
        engine.SetMediaFile(m_mp3);
        QTRY_VERIFY(calls > 0 && std::abs(heard.duration - 8.0) < 0.1);
        QVERIFY(heard.loaded && heard.paused);
        // Paused and unchanged: the calls of a watch's ticks are not news.
        QTest::qWait(300);
        const int settled = calls;
        for (int i = 0; i < 20; ++i)
            engine.GetPosition();
        QTest::qWait(200);
        QCOMPARE(calls, settled);
        engine.SetSpeed(1.5);
        engine.SetVolume(40.0);
        engine.SetMuted(true);
        QTRY_COMPARE(heard.speed, 1.5);
        QTRY_COMPARE(heard.volume, 40.0);
        QTRY_VERIFY(heard.muted);
        QVERIFY_THROWS_EXCEPTION(MediaError, engine.SetSpeed(-1.0));
    }
};

QTEST_GUILESS_MAIN(TstMpvPlayerEngine)
#include "tst_MpvPlayerEngineFiles.moc"
