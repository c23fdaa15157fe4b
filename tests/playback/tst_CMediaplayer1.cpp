// The player widget: software-rendered video, and the control bar driving
// the engine. Runs against real libmpv with null audio output.
#include "support/FakePlayerEngine.h"
#include "support/TestMedia.h"
#include "playback/CMediaplayer1.h"
#include "playback/MpvPlayerEngine.h"
#include "playback/MpvLibrary.h"
#include "playback/MpvProperties.h"
#include "playback/PlayerControlBar.h"
#include "playback/VideoView.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cmath>

namespace {
const std::string kFixture = QUILLORA_FIXTURES_DIR "/testsrc.mpg";

MpvOptions withVideo()
{
    MpvOptions options = MpvOptions::NullOutputs();
    options.videoOutput = "libmpv";
    return options;
}

// Share of pixels in the video area that are not (nearly) black.
double litShare(CMediaplayer1& player)
{
    const QRect area = player.videoView()->geometry();
    const QImage shot = player.grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    int lit = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            lit += qGray(shot.pixel(x, y)) > 40 ? 1 : 0;
    return shot.isNull() ? 0.0 : double(lit) / (shot.width() * shot.height());
}

double mpvDouble(MpvPlayerEngine& engine, const char* name)
{
    double value = -1.0;
    Mpv().get_property(engine.handle(), name, MPV_FORMAT_DOUBLE, &value);
    return value;
}

int mpvFlag(MpvPlayerEngine& engine, const char* name)
{
    int value = -1;
    Mpv().get_property(engine.handle(), name, MPV_FORMAT_FLAG, &value);
    return value;
}
}  // namespace

class TstCMediaplayer1 : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string m_mp3;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_mp3 = m_dir.filePath("eight.mp3").toStdString();
        WriteToneMp3(m_mp3, 8.0);
    }

    void rendersTheVideoPicture()
    {
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(withVideo()));
        player.resize(401, 374);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QCOMPARE(litShare(player), 0.0);  // black before any media

        player.SetMediaFile(kFixture);
        QVERIFY(static_cast<MpvPlayerEngine&>(player.engine()).HasRenderer());
        QTRY_VERIFY_WITH_TIMEOUT(litShare(player) > 0.3, 5000);

        // Audio-only media leaves the picture black again.
        player.SetMediaFile(m_mp3);
        QTest::qWait(200);
        QCOMPARE(litShare(player), 0.0);
    }

    void seekShowsItsFrame()
    {
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(withVideo()));
        player.resize(401, 374);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        player.SetMediaFile(kFixture);
        QTRY_VERIFY_WITH_TIMEOUT(litShare(player) > 0.3, 5000);
        const QImage atStart = player.grab(player.videoView()->geometry()).toImage();

        // The frame is rendered off the GUI thread: the seek returns with
        // the position at its target and the frame follows.
        player.SetPosition(2.0);
        QVERIFY(std::abs(player.GetPosition() - 2.0) < 0.001);
        QTRY_VERIFY_WITH_TIMEOUT(player.grab(player.videoView()->geometry()).toImage() != atStart, 5000);
        QVERIFY(litShare(player) > 0.3);
    }

    void barStaysClearOfTheDialogButtons()
    {
        CMediaplayer1 player(std::make_unique<FakePlayerEngine>());
        player.resize(401, 374);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        const auto controls = player.controlBar()->findChildren<QWidget*>();
        QVERIFY(controls.size() >= 7);
        for (QWidget* control : controls) {
            const QRect r(control->mapTo(&player, QPoint(0, 0)), control->size());
            QVERIFY2(r.bottom() < player.height() - 8, qPrintable(control->metaObject()->className()));
            QVERIFY(r.right() < player.width());
        }
        QVERIFY(player.videoView()->height() > 200);
    }

    void buttonsDriveTheEngine()
    {
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()));
        auto& engine = static_cast<MpvPlayerEngine&>(player.engine());
        PlayerControlBar& bar = *player.controlBar();
        player.SetMediaFile(m_mp3);

        bar.playPauseButton()->click();
        QTRY_VERIFY(!engine.Status().paused);
        QTRY_VERIFY(player.GetPosition() > 0.1);
        bar.playPauseButton()->click();
        QTRY_VERIFY(engine.Status().paused);
        bar.playPauseButton()->click();
        QTRY_VERIFY(!engine.Status().paused);
        bar.stopButton()->click();
        QCOMPARE(mpvFlag(engine, mpvprop::kPause), 1);
        const double stoppedAt = player.GetPosition();
        QTest::qWait(200);
        QCOMPARE(player.GetPosition(), stoppedAt);
    }

    void sliderSpeedAndVolumeDriveTheEngine()
    {
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()));
        auto& engine = static_cast<MpvPlayerEngine&>(player.engine());
        PlayerControlBar& bar = *player.controlBar();
        player.SetMediaFile(m_mp3);
        QTRY_VERIFY(bar.positionSlider()->maximum() > 7900);  // LAME pads a little

        // A drag seeks where it is let go.
        QSlider* slider = bar.positionSlider();
        slider->setSliderDown(true);
        slider->setSliderPosition(2500);
        slider->setSliderDown(false);
        QVERIFY(std::abs(player.GetPosition() - 2.5) < 0.001);
        QTRY_COMPARE(bar.timeLabel()->text(), QString("0:02 / 0:08"));
        // A click beside the handle steps 5 s.
        slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QVERIFY(std::abs(player.GetPosition() - 7.5) < 0.001);

        const int fast = bar.speedChoice()->findData(1.5);
        QVERIFY(fast >= 0);
        bar.speedChoice()->setCurrentIndex(fast);
        QCOMPARE(mpvDouble(engine, mpvprop::kSpeed), 1.5);
        QCOMPARE(mpvFlag(engine, mpvprop::kAudioPitchCorrection), 1);

        bar.volumeSlider()->setValue(30);
        QCOMPARE(mpvDouble(engine, mpvprop::kVolume), 30.0);
        bar.muteButton()->click();
        QCOMPARE(mpvFlag(engine, mpvprop::kMute), 1);
        QTRY_VERIFY(engine.Status().muted && bar.muteButton()->isChecked());
    }

    void barReportsWhatTheEngineCannotDo()
    {
        auto fake = std::make_unique<FakePlayerEngine>();
        FakePlayerEngine* engine = fake.get();
        CMediaplayer1 player(std::move(fake));
        QSignalSpy failures(player.controlBar(), &PlayerControlBar::failed);

        player.controlBar()->playPauseButton()->click();
        player.controlBar()->stopButton()->click();
        QCOMPARE(engine->calls, (std::vector<std::string>{"Play", "Stop"}));

        engine->failOn("SetSpeed", 0x80000001u);
        player.controlBar()->speedChoice()->setCurrentIndex(0);
        QCOMPARE(failures.count(), 1);
        engine->failOn("Play", 0x80000001u);
        player.controlBar()->playPauseButton()->click();
        QCOMPARE(failures.count(), 2);
    }
};

QTEST_MAIN(TstCMediaplayer1)
#include "tst_CMediaplayer1.moc"
