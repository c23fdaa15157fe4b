// Files libmpv opens but can render nothing of, against real libmpv with
// null outputs, on media the test writes itself.
#include "support/TestMedia.h"
#include "player/MediaError.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QTemporaryDir>
#include <QtTest>
#include <string>
#include <vector>

class TstMpvNothingToRender : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string m_good;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_good = m_dir.filePath("good.wav").toStdString();
        WriteToneWav(m_good, 3.0);
    }

    // Files mpv opens but can render nothing of are told once, as a late
    // failure; a file that only reaches an armed end at once is not one.
    void filesWithNothingToRenderAreToldOnce_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("endArmedAtZero");
        QTest::addColumn<bool>("told");
        QTest::newRow("255 channels") << 255 << 0.5 << false << true;
        QTest::newRow("no samples") << 1 << 0.0 << false << true;
        QTest::newRow("an end armed at 0") << 2 << 2.0 << true << false;
    }

    void filesWithNothingToRenderAreToldOnce()
    {
        QFETCH(int, channels);
        QFETCH(double, seconds);
        QFETCH(bool, endArmedAtZero);
        QFETCH(bool, told);
        const std::string file = m_dir.filePath("nothing.wav").toStdString();
        WriteToneWavChannels(file, seconds, channels, 8000);
        MpvOptions options = MpvOptions::NullOutputs();
        options.loadWaitMs = 0;
        MpvPlayerEngine engine(options);
        std::vector<std::string> failures;
        engine.SetStatusListener([&failures](const PlayerStatus& s) {
            if (!s.lateLoadFailure.empty() && (failures.empty() || failures.back() != s.lateLoadFailure))
                failures.push_back(s.lateLoadFailure);
        });
        engine.SetMediaFile(m_good);  // the one playing before
        QTRY_VERIFY_WITH_TIMEOUT(engine.Status().loaded, 5000);
        // As the open command does it.
        engine.SetMediaFile(file);
        if (endArmedAtZero)
            engine.ArmEnd(0.0, std::nullopt);
        engine.Play();
        QTest::qWait(700);
        QCOMPARE(failures.size(), std::size_t(told ? 1 : 0));
        QCOMPARE(engine.Status().loaded, !told);
        if (told) {
            QVERIFY2(failures[0].find("cannot play " + file) == 0, failures[0].c_str());
            QVERIFY(engine.Status().paused);
            QVERIFY_THROWS_EXCEPTION(MediaError, engine.Play());
        }
        engine.SetMediaFile(m_good);
        QTRY_VERIFY_WITH_TIMEOUT(engine.Status().loaded, 5000);
        QCOMPARE(engine.GetPosition(), 0.0);
    }
};

QTEST_GUILESS_MAIN(TstMpvNothingToRender)
#include "tst_MpvNothingToRender.moc"
