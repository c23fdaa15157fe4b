// The player widget: software-rendered video, and the control bar driving
// the engine. Runs against real libmpv with null audio output.
#include "support/FakePlayerEngine.h"
#include "support/TestMedia.h"
#include "pane/CMediaplayer1.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "player/MediaError.h"
#include "mpvengine/MpvLibrary.h"
#include "mpvengine/MpvProperties.h"
#include "pane/PlayerControlBar.h"
#include "pane/VideoView.h"
#include "readers/WaveformOverview.h"
#include "pane/WaveformView.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
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

// Rows of the video area that hold bright (subtitle) pixels: from the first to the last.
int brightRows(CMediaplayer1& player)
{
    const QImage shot = player.grab(player.videoView()->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    int first = -1, last = -1;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) > 160) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
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

        // Audio-only media shows its waveform instead.
        player.SetMediaFile(m_mp3);
        QTRY_VERIFY(player.waveformView()->isVisible());
        QVERIFY(!player.videoView()->isVisible());
        player.SetMediaFile(kFixture);
        QTRY_VERIFY(player.videoView()->isVisible());
        QVERIFY(!player.waveformView()->isVisible());
    }

    // A black picture with a two-row cue beside it: the cue fits a fifth of
    // the picture in the small pane, and V takes it away and brings it back.
    void subtitlesFitThePaneAndVHidesThem()
    {
        const std::string film = m_dir.filePath("black.mp4").toStdString();
        QVERIFY(QFile::copy(QUILLORA_FIXTURES_DIR "/black-1080p.mp4", QString::fromStdString(film)));
        WriteBytes(m_dir.filePath("black.srt").toStdString(),
                   "1\n00:00:00,000 --> 00:00:10,000\nA first row of a cue, long enough\nand its second row\n\n");
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(withVideo()));
        player.resize(401, 374);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        player.SetMediaFile(film);
        QTRY_VERIFY_WITH_TIMEOUT(brightRows(player) > 0, 5000);
        QTest::qWait(100);
        const QSize view = player.videoView()->size();
        const int picture = std::min(view.height(), view.width() * 9 / 16);
        const int rows = brightRows(player);
        QVERIFY2(rows <= picture / 5, qPrintable(QString("%1 of %2 rows").arg(rows).arg(picture)));
        QVERIFY2(rows >= picture / 15, qPrintable(QString("%1 of %2 rows").arg(rows).arg(picture)));

        QTest::keyClick(&player, Qt::Key_V);
        QTRY_COMPARE(brightRows(player), 0);
        QTest::keyClick(&player, Qt::Key_V);
        QTRY_VERIFY(brightRows(player) > 0);
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

    void sameFileAgainKeepsItsOverviewAndAChangedOneIsReadAnew()
    {
        const std::string file = m_dir.filePath("again.wav").toStdString();
        WriteToneWav(file, 2.0);
        CMediaplayer1 player(std::make_unique<FakePlayerEngine>());
        WaveformView& view = *player.waveformView();
        player.SetMediaFile(file);
        QTRY_VERIFY(view.overview() && view.overview()->state() == WaveformOverview::State::Done);
        const WaveformOverview* first = view.overview();
        player.SetMediaFile(file);
        QCOMPARE(view.overview(), first);
        QCOMPARE(first->state(), WaveformOverview::State::Done);

        QTest::qWait(20);  // a later modification time
        WriteToneWav(file, 3.0);
        player.SetMediaFile(file);
        QTRY_VERIFY(view.overview() && view.overview()->state() == WaveformOverview::State::Done);
        QVERIFY(std::abs(view.overview()->decodedSeconds() - 3.0) < 0.1);
    }

    void engineSetUpStartsOnceThePaneIsOnScreen()
    {
        auto fake = std::make_unique<FakePlayerEngine>();
        FakePlayerEngine& engine = *fake;
        CMediaplayer1 player(std::move(fake));
        player.resize(401, 374);
        QTest::qWait(20);
        QCOMPARE(engine.preparations, 0);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QTRY_COMPARE(engine.preparations, 1);
        player.controlBar()->repaint();
        player.repaint();
        QTest::qWait(20);
        QCOMPARE(engine.preparations, 1);
    }

    void barIconsComeOnceItIsPaintedAndFollowPlayAndPause()
    {
        CMediaplayer1 player(std::make_unique<FakePlayerEngine>());
        PlayerControlBar& bar = *player.controlBar();
        auto image = [&](QStyle::StandardPixmap which) { return bar.style()->standardIcon(which).pixmap(16).toImage(); };
        auto shown = [](QToolButton* button) { return button->icon().pixmap(16).toImage(); };
        QVERIFY(bar.playPauseButton()->icon().isNull());
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QTRY_VERIFY(!bar.playPauseButton()->icon().isNull());
        QCOMPARE(shown(bar.playPauseButton()), image(QStyle::SP_MediaPlay));
        QCOMPARE(shown(bar.stopButton()), image(QStyle::SP_MediaStop));
        QCOMPARE(shown(bar.muteButton()), image(QStyle::SP_MediaVolume));
        PlayerStatus playing;
        playing.paused = false;
        playing.muted = true;
        bar.showStatus(playing);
        QCOMPARE(shown(bar.playPauseButton()), image(QStyle::SP_MediaPause));
        QCOMPARE(shown(bar.muteButton()), image(QStyle::SP_MediaVolumeMuted));
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
        QTRY_COMPARE(bar.timeLabel()->text(), QString("0:02.5 / 0:08.1"));

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

    // A click at three quarters of the slider or of the waveform goes to
    // three quarters of the file; the waveform's wheel zooms around the position.
    void clicksSeekWhereTheyLand_data()
    {
        QTest::addColumn<bool>("onWaveform");
        QTest::newRow("slider") << false;
        QTest::newRow("waveform") << true;
    }

    void clicksSeekWhereTheyLand()
    {
        QFETCH(bool, onWaveform);
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()));
        player.resize(401, 374);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        player.SetMediaFile(m_mp3);
        QTRY_VERIFY(player.waveformView()->isVisible() && player.controlBar()->positionSlider()->maximum() > 7900);
        const double duration = player.engine().Status().duration;
        QWidget* target = onWaveform ? static_cast<QWidget*>(player.waveformView()) : player.controlBar()->positionSlider();
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(target->width() * 3 / 4, target->height() / 2));
        // The slider's handle centre travels a little less than its width.
        QVERIFY2(std::abs(player.GetPosition() - 0.75 * duration) < 0.03 * duration,
                 qPrintable(QString::number(player.GetPosition())));
    }

    void wheelZoomsAroundThePositionAndBackOut()
    {
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()));
        player.resize(401, 374);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        player.SetMediaFile(m_mp3);
        WaveformView& view = *player.waveformView();
        QTRY_VERIFY(view.isVisible() && player.engine().Status().duration > 7.9);
        player.SetPosition(6.0);
        const double whole = view.viewSpan();
        auto wheel = [&](int angle) {
            QWheelEvent event(QPointF(10, 10), view.mapToGlobal(QPointF(10, 10)), {}, QPoint(0, angle), Qt::NoButton,
                              {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&view, &event);
        };
        wheel(240);  // two notches: a quarter of the file
        QVERIFY(std::abs(view.viewSpan() - whole / 4) < 1e-6);
        // The position keeps its place across the pane.
        QVERIFY(std::abs((6.0 - view.viewStart()) / view.viewSpan() - 6.0 / whole) < 0.01);
        wheel(-120);
        wheel(-120);
        wheel(-120);  // not further out than the whole file
        QCOMPARE(view.viewSpan(), whole);
        QCOMPARE(view.viewStart(), 0.0);
    }

    void keysDriveThePlayerWhileItHasTheFocus()
    {
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()));
        auto& engine = static_cast<MpvPlayerEngine&>(player.engine());
        player.resize(401, 374);
        player.show();
        QApplication::setActiveWindow(&player);
        if (!QTest::qWaitForWindowActive(&player))
            QSKIP("no window manager here to make the window active");
        player.SetMediaFile(m_mp3);
        QTRY_VERIFY(engine.Status().duration > 7.9);
        // A click on any part of the player gives it the focus.
        QTest::mouseClick(player.controlBar()->timeLabel(), Qt::LeftButton);
        QTRY_VERIFY(player.hasFocus());
        player.SetPosition(4.0);

        struct Step {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            double position;  // < 0: not checked
            double speed;
            bool muted;
        };
        const Step steps[] = {
            {Qt::Key_Right, {}, 6.0, 1.0, false},          {Qt::Key_Left, {}, 4.0, 1.0, false},
            {Qt::Key_Right, Qt::ShiftModifier, 4.1, 1.0, false}, {Qt::Key_Left, Qt::ShiftModifier, 4.0, 1.0, false},
            {Qt::Key_Home, {}, 0.0, 1.0, false},           {Qt::Key_BracketRight, {}, 0.0, 1.05, false},
            {Qt::Key_BracketLeft, {}, 0.0, 1.0, false},    {Qt::Key_BracketLeft, {}, 0.0, 0.95, false},
            {Qt::Key_Backspace, {}, 0.0, 1.0, false},      {Qt::Key_M, {}, 0.0, 1.0, true},
            {Qt::Key_M, {}, 0.0, 1.0, false},
        };
        for (const Step& step : steps) {
            QTest::keyClick(QApplication::focusWidget(), step.key, step.modifiers);
            const QString what = QKeySequence(step.key | step.modifiers).toString();
            QVERIFY2(std::abs(player.GetPosition() - step.position) < 0.001, qPrintable(what));
            QVERIFY2(std::abs(mpvDouble(engine, mpvprop::kSpeed) - step.speed) < 1e-9, qPrintable(what));
            QCOMPARE(mpvFlag(engine, mpvprop::kMute), step.muted ? 1 : 0);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(!engine.Status().paused);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(engine.Status().paused);
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

    // A load that fails after SetMediaFile has returned is reported once,
    // as the bar's own failures are; one that SetMediaFile raised is not
    // reported again.
    void barReportsALoadThatFailedLate_data()
    {
        QTest::addColumn<bool>("late");
        QTest::newRow("after the return") << true;
        QTest::newRow("raised") << false;
    }

    void barReportsALoadThatFailedLate()
    {
        QFETCH(bool, late);
        const std::string text = m_dir.filePath("notes.mp3").toStdString();
        WriteBytes(text, "Plain text, not audio.\n");
        MpvOptions options = MpvOptions::NullOutputs();
        if (late)
            options.loadWaitMs = 0;
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(options));
        QSignalSpy failures(player.controlBar(), &PlayerControlBar::failed);
        bool raised = false;
        try {
            player.SetMediaFile(text);
        } catch (const MediaError&) {
            raised = true;
        }
        QCOMPARE(raised, !late);
        if (late) {
            QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, 5000);
            const QString what = failures.at(0).at(0).toString();
            QVERIFY2(what.contains("cannot play") && what.contains("notes.mp3"), qPrintable(what));
        }
        player.SetMediaFile(m_mp3);
        QTest::qWait(300);
        QCOMPARE(failures.count(), late ? 1 : 0);
    }
};

QTEST_MAIN(TstCMediaplayer1)
#include "tst_CMediaplayer1.moc"
