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
#include <numeric>

namespace {
const std::string kFixture = QUILLORA_FIXTURES_DIR "/testsrc.mpg";

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

    void barIconsComeOnceItIsPaintedAndFollowPlayAndPause()
    {
        CMediaplayer1 player(std::make_unique<FakePlayerEngine>(), MakeDefaultMediaReaders());
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
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()), MakeDefaultMediaReaders());
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
        QTRY_VERIFY(engine.RequestsAnswered());  // the engine does not wait for mpv itself
        QCOMPARE(mpvFlag(engine, mpvprop::kPause), 1);
        const double stoppedAt = player.GetPosition();
        QTest::qWait(200);
        QCOMPARE(player.GetPosition(), stoppedAt);
    }

    void sliderSpeedAndVolumeDriveTheEngine()
    {
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()), MakeDefaultMediaReaders());
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
        QTRY_VERIFY(engine.RequestsAnswered());
        QCOMPARE(mpvDouble(engine, mpvprop::kSpeed), 1.5);
        QCOMPARE(mpvFlag(engine, mpvprop::kAudioPitchCorrection), 1);

        bar.volumeSlider()->setValue(30);
        QTRY_VERIFY(engine.RequestsAnswered());
        QCOMPARE(mpvDouble(engine, mpvprop::kVolume), 30.0);
        bar.muteButton()->click();
        QTRY_VERIFY(engine.RequestsAnswered());
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
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()), MakeDefaultMediaReaders());
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
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()), MakeDefaultMediaReaders());
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
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()), MakeDefaultMediaReaders());
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
            QTRY_VERIFY(engine.RequestsAnswered());
            QVERIFY2(std::abs(mpvDouble(engine, mpvprop::kSpeed) - step.speed) < 1e-9, qPrintable(what));
            QCOMPARE(mpvFlag(engine, mpvprop::kMute), step.muted ? 1 : 0);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(!engine.Status().paused);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(engine.Status().paused);
    }

    // Played to its end, the button offers play (mpv may still call itself
    // playing); a press plays from the start, a move plays on from there.
    // An end armed within the file (B) holds playback without being one.
    void atTheEndAPressPlaysFromTheStartAndAMovePlaysOn_data()
    {
        QTest::addColumn<double>("position");  // of 8 s, the end reached
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("move");  // to 3 s, on the waveform
        QTest::newRow("end of the media") << 8.0 << "SetPosition 0, Play" << "SetPosition 3, Play";
        QTest::newRow("a frame short of it") << 7.96 << "SetPosition 0, Play" << "SetPosition 3, Play";
        QTest::newRow("held at B") << 4.0 << "Pause" << "SetPosition 3";
    }

    void atTheEndAPressPlaysFromTheStartAndAMovePlaysOn()
    {
        QFETCH(double, position);
        QFETCH(QString, press);
        QFETCH(QString, move);
        auto made = std::make_unique<FakePlayerEngine>();
        FakePlayerEngine& fake = *made;
        CMediaplayer1 player(std::move(made), MakeDefaultMediaReaders());
        PlayerControlBar& bar = *player.controlBar();
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QTRY_VERIFY(!bar.playPauseButton()->icon().isNull());
        const auto atTheEnd = [&] {
            fake.mediaFile = "lesson.mp3";
            fake.duration = 8.0;
            fake.position = position;
            fake.ended = true;
            fake.playing = true;
            fake.calls.clear();
            bar.showStatus(fake.Status());
        };
        const auto calls = [&] { return QString::fromStdString(std::accumulate(fake.calls.begin(), fake.calls.end(),
            std::string(), [](const std::string& a, const std::string& b) { return a.empty() ? b : a + ", " + b; })); };
        atTheEnd();
        const bool offersPlay = press.endsWith("Play");
        const QStyle::StandardPixmap icon = offersPlay ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause;
        QCOMPARE(bar.playPauseButton()->icon().pixmap(16).toImage(), bar.style()->standardIcon(icon).pixmap(16).toImage());
        QCOMPARE(bar.playPauseButton()->accessibleName(), QString(offersPlay ? "播放" : "暂停"));
        bar.playPauseButton()->click();
        QCOMPARE(calls(), press);
        atTheEnd();
        emit player.waveformView()->seekRequested(3.0);
        QCOMPARE(calls(), move);
    }

    // The same on the real player, from outside: played to its end, the
    // button, a click on the slider or on the waveform is heard again.
    void playedToItsEndItPlaysAgain_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("button") << "button";
        QTest::newRow("slider") << "slider";
        QTest::newRow("waveform") << "waveform";
    }

    void playedToItsEndItPlaysAgain()
    {
        QFETCH(QString, how);
        const std::string shortMp3 = m_dir.filePath("one.mp3").toStdString();
        WriteToneMp3(shortMp3, 1.0);
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(MpvOptions::NullOutputs()), MakeDefaultMediaReaders());
        player.resize(401, 374);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        PlayerControlBar& bar = *player.controlBar();
        player.SetMediaFile(shortMp3);
        QTRY_VERIFY(player.waveformView()->isVisible() && bar.positionSlider()->maximum() > 900);
        player.Play();
        QTRY_VERIFY(player.engine().Status().eofReached);
        QTRY_COMPARE(bar.playPauseButton()->accessibleName(), QString("播放"));
        QWidget* target = how == "slider" ? static_cast<QWidget*>(bar.positionSlider()) : player.waveformView();
        if (how == "button")
            bar.playPauseButton()->click();
        else
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(target->width() / 4, target->height() / 2));
        const double from = how == "button" ? 0.0 : 0.2;
        QVERIFY2(player.GetPosition() < from + 0.15, qPrintable(QString::number(player.GetPosition())));
        QTRY_VERIFY(!player.engine().Status().paused && !player.engine().Status().eofReached
                    && player.engine().Status().position > from + 0.1);
        QCOMPARE(bar.playPauseButton()->accessibleName(), QString("暂停"));
    }

    void barReportsWhatTheEngineCannotDo()
    {
        auto fake = std::make_unique<FakePlayerEngine>();
        FakePlayerEngine* engine = fake.get();
        CMediaplayer1 player(std::move(fake), MakeDefaultMediaReaders());
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

    // A load that fails after SetMediaFile has returned is told once, to
    // the player's late failure handler, and not by the bar as a failure of
    // its own; one that SetMediaFile raised is not told again.
    void loadThatFailedLateIsToldOnce_data()
    {
        QTest::addColumn<bool>("late");
        QTest::newRow("after the return") << true;
        QTest::newRow("raised") << false;
    }

    void loadThatFailedLateIsToldOnce()
    {
        QFETCH(bool, late);
        const std::string text = m_dir.filePath("notes.mp3").toStdString();
        WriteBytes(text, "Plain text, not audio.\n");
        MpvOptions options = MpvOptions::NullOutputs();
        if (late)
            options.loadWaitMs = 0;
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(options), MakeDefaultMediaReaders());
        QSignalSpy barFailures(player.controlBar(), &PlayerControlBar::failed);
        std::vector<std::string> told;
        player.OnLateFailure([&told](const MediaError& e) { told.push_back(e.what()); });
        bool raised = false;
        try {
            player.SetMediaFile(text);
        } catch (const MediaError&) {
            raised = true;
        }
        QCOMPARE(raised, !late);
        if (late) {
            QTRY_COMPARE_WITH_TIMEOUT(told.size(), std::size_t(1), 5000);
            QVERIFY2(told[0].find("cannot play") != std::string::npos && told[0].find("notes.mp3") != std::string::npos,
                     told[0].c_str());
        }
        player.SetMediaFile(m_mp3);
        QTRY_VERIFY_WITH_TIMEOUT(player.engine().Status().loaded, 5000);
        QCOMPARE(told.size(), std::size_t(late ? 1 : 0));
        QCOMPARE(barFailures.count(), 0);
    }
};

QTEST_MAIN(TstCMediaplayer1)
#include "tst_CMediaplayer1Controls.moc"
