// Files libmpv opens but can play nothing of, against real libmpv with
// null outputs, on media the test writes itself.
#include "support/TestMedia.h"
#include "player/MediaError.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <string>
#include <vector>

namespace {
enum class Media { Channels255, SoxChannels255, NoSamples, CoverM4a, CoverMka, Tone, SilentVideo };
}
Q_DECLARE_METATYPE(Media)

class TstMpvNothingToRender : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string m_good;

    std::string write(Media media, const QString& folder)
    {
        const QString dir = m_dir.filePath(folder);
        QDir().mkpath(dir);
        const auto at = [&](const char* name) { return QDir(dir).filePath(name).toStdString(); };
        switch (media) {
        case Media::Channels255: WriteToneWavChannels(at("many.wav"), 0.5, 255, 8000); return at("many.wav");
        case Media::SoxChannels255: WriteSoxToneWav(at("many.wav"), 1.0, 255); return at("many.wav");
        case Media::NoSamples: WriteToneWavChannels(at("empty.wav"), 0.0, 1, 8000); return at("empty.wav");
        case Media::CoverM4a: WriteCoverOnly(at("cover.m4a")); return at("cover.m4a");
        case Media::CoverMka: WriteCoverOnly(at("cover.mka")); return at("cover.mka");
        case Media::Tone: WriteToneWav(at("tone.wav"), 3.0); return at("tone.wav");
        case Media::SilentVideo: return QUILLORA_FIXTURES_DIR "/testsrc.mpg";
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_good = m_dir.filePath("good.wav").toStdString();
        WriteToneWav(m_good, 3.0);
    }

    // Files mpv opens but can play nothing of are told once, as a late
    // failure, also with a cover picture beside them, which mpv would take
    // for something to show; a file that plays, or that only reaches an
    // armed end at once, is not one; nor is a video without sound.
    void filesWithNothingToPlayAreToldOnce_data()
    {
        QTest::addColumn<Media>("media");
        QTest::addColumn<bool>("coverBeside");
        QTest::addColumn<bool>("endArmedAtZero");
        QTest::addColumn<bool>("told");
        QTest::newRow("255 channels") << Media::Channels255 << false << false << true;
        QTest::newRow("255 channels, a cover beside") << Media::Channels255 << true << false << true;
        QTest::newRow("255 channels by sox") << Media::SoxChannels255 << false << false << true;
        QTest::newRow("no samples") << Media::NoSamples << false << false << true;
        QTest::newRow("no samples, a cover beside") << Media::NoSamples << true << false << true;
        QTest::newRow("a cover alone, M4A") << Media::CoverM4a << false << false << true;
        QTest::newRow("a cover alone, MKA") << Media::CoverMka << false << false << true;
        QTest::newRow("a tone, a cover beside") << Media::Tone << true << false << false;
        QTest::newRow("a video without sound") << Media::SilentVideo << false << false << false;
        QTest::newRow("an end armed at 0") << Media::Tone << false << true << false;
    }

    void filesWithNothingToPlayAreToldOnce()
    {
        QFETCH(Media, media);
        QFETCH(bool, coverBeside);
        QFETCH(bool, endArmedAtZero);
        QFETCH(bool, told);
        const QString folder = QString::fromUtf8(QTest::currentDataTag());
        const std::string file = write(media, folder);
        if (coverBeside)
            WriteCoverPicture(m_dir.filePath(folder + "/cover.jpg").toStdString());
        MpvOptions options = MpvOptions::NullOutputs();
        options.loadWaitMs = 0;
        MpvPlayerEngine engine(options);
        std::vector<MediaError> failures;
        engine.SetLateFailureListener([&failures](const MediaError& e) { failures.push_back(e); });
        engine.SetMediaFile(m_good);  // the one playing before
        QTRY_VERIFY_WITH_TIMEOUT(engine.Status().loaded, 5000);
        // As the open command does it.
        engine.SetMediaFile(file);
        if (endArmedAtZero)
            engine.ArmEnd(0.0, std::nullopt);
        engine.Play();
        if (told) {
            QTRY_COMPARE_WITH_TIMEOUT(failures.size(), std::size_t(1), 5000);
            QVERIFY2(std::string(failures[0].what()).find("cannot play " + file) == 0, failures[0].what());
            QVERIFY(!engine.Status().loaded);
            QVERIFY(engine.Status().paused);
            QVERIFY_THROWS_EXCEPTION(MediaError, engine.Play());
        } else {
            // What would have told it has come and gone: the end, or sound.
            if (endArmedAtZero)
                QTRY_VERIFY_WITH_TIMEOUT(engine.Status().eofReached, 5000);
            else
                QTRY_VERIFY_WITH_TIMEOUT(engine.Status().position > 0.3, 5000);
            QCoreApplication::processEvents();
            QVERIFY(failures.empty());
            QVERIFY(engine.Status().loaded);
        }
        engine.SetMediaFile(m_good);
        QTRY_VERIFY_WITH_TIMEOUT(engine.Status().loaded, 5000);
        QCOMPARE(engine.GetPosition(), 0.0);
        QCOMPARE(failures.size(), std::size_t(told ? 1 : 0));
    }
};

QTEST_GUILESS_MAIN(TstMpvNothingToRender)
#include "tst_MpvNothingToRender.moc"
