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
#include "player/VideoFrames.h"
#include "pane/SubtitleTrack.h"
#include "practice/SentenceFinder.h"

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
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(withVideo()), MakeDefaultMediaReaders());
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
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(withVideo()), MakeDefaultMediaReaders());
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

    // Full screen, the bar lies over the bottom of the picture: the three
    // rows of a cue stand above it, as mpv draws them into the frames.
    void fullScreenLinesStandAboveTheBar()
    {
        const std::string film = m_dir.filePath("rows.mp4").toStdString();
        QVERIFY(QFile::copy(QUILLORA_FIXTURES_DIR "/black-1080p.mp4", QString::fromStdString(film)));
        WriteBytes(m_dir.filePath("rows.srt").toStdString(),
                   "1\n00:00:00,000 --> 00:00:10,000\nthe first row\nthe second row\nthe third row\n\n");
        QWidget dialog;
        auto* player = new CMediaplayer1(std::make_unique<MpvPlayerEngine>(withVideo()), MakeDefaultMediaReaders(),
                                         &dialog);
        player->setGeometry(0, 0, 401, 374);
        dialog.resize(600, 400);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        player->SetMediaFile(film);
        VideoFrames& frames = player->engine().Video();
        const auto lowestLitRow = [&] {
            const QImage frame = frames.Latest();
            for (int y = frame.height() - 1; y >= 0; --y)
                for (int x = 0; x < frame.width(); ++x)
                    if (qGray(frame.pixel(x, y)) > 160)
                        return y;
            return -1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(lowestLitRow() >= 0, 5000);
        QTest::keyClick(player, Qt::Key_F);
        QVERIFY(player->isShownFullScreen());
        const qreal ratio = player->devicePixelRatioF();
        const int frameHeight = qRound(player->height() * ratio);
        const int barTop = frameHeight - qRound(player->controlBar()->height() * ratio);
        QTRY_VERIFY_WITH_TIMEOUT(frames.Latest().height() == frameHeight && lowestLitRow() >= 0
                                     && lowestLitRow() < barTop, 5000);
        QVERIFY2(lowestLitRow() > barTop - frameHeight / 8, qPrintable(QString::number(lowestLitRow())));
    }

    void seekShowsItsFrame()
    {
        CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(withVideo()), MakeDefaultMediaReaders());
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
        CMediaplayer1 player(std::make_unique<FakePlayerEngine>(), MakeDefaultMediaReaders());
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
        CMediaplayer1 player(std::make_unique<FakePlayerEngine>(), MakeDefaultMediaReaders());
        WaveformView& view = *player.waveformView();
        player.SetMediaFile(file);
        QTRY_VERIFY(view.overview() && view.overview()->state() == IWaveformOverview::State::Done);
        const IWaveformOverview* first = view.overview();
        player.SetMediaFile(file);
        QCOMPARE(view.overview(), first);
        QCOMPARE(first->state(), IWaveformOverview::State::Done);

        QTest::qWait(20);  // a later modification time
        WriteToneWav(file, 3.0);
        player.SetMediaFile(file);
        QTRY_VERIFY(view.overview() && view.overview()->state() == IWaveformOverview::State::Done);
        QVERIFY(std::abs(view.overview()->decodedSeconds() - 3.0) < 0.1);
    }

    void engineSetUpStartsOnceThePaneIsOnScreen()
    {
        auto fake = std::make_unique<FakePlayerEngine>();
        FakePlayerEngine& engine = *fake;
        CMediaplayer1 player(std::move(fake), MakeDefaultMediaReaders());
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


    // A lesson without a text file shows the sentences found from its
    // pauses as ticks; beside a text file, the file's own lines win.
    void fileWithoutTextFileGetsItsSentences()
    {
        const std::vector<ToneSpan> spans{{0.5, 0}, {1.5, 220, 0.3, true}, {0.6, 0}, {2.0, 180, 0.3, true},
                                          {0.6, 0}, {1.2, 250, 0.3, true}, {0.5, 0}};
        MediaReaders readers = MakeDefaultMediaReaders();
        readers.findSentences = [](const LevelTrack& track) { return FindSentences(track); };
        CMediaplayer1 player(std::make_unique<FakePlayerEngine>(), readers);
        WaveformView& view = *player.waveformView();

        const std::string plain = m_dir.filePath("plain.wav").toStdString();
        WriteSpansWav(plain, spans, 16000);
        player.SetMediaFile(plain);
        QTRY_COMPARE(view.lineStarts().size(), std::size_t(3));
        const double pausesEnd[] = {0.5, 2.6, 5.2};
        for (std::size_t i = 0; i < 3; ++i) {
            QVERIFY2(view.lineStarts()[i] < pausesEnd[i] && view.lineStarts()[i] > pausesEnd[i] - 0.6,
                     qPrintable(QString::number(view.lineStarts()[i])));
        }
        QCOMPARE(player.subtitles().lines().lines().back().text, std::string());
        QVERIFY(player.lineLabel()->isHidden());  // no text to show under the waveform

        const std::string lined = m_dir.filePath("lined.wav").toStdString();
        WriteSpansWav(lined, spans, 16000);
        WriteBytes(m_dir.filePath("lined.srt").toStdString(), "1\n00:00:00,400 --> 00:00:04,000\nall\n\n");
        player.SetMediaFile(lined);
        QTRY_VERIFY(view.overview() && view.overview()->state() == IWaveformOverview::State::Done);
        QTRY_VERIFY(!player.subtitles().loading());
        QCoreApplication::processEvents();
        QCOMPARE(view.lineStarts(), std::vector<double>{0.4});

        // A damaged lyric file is told of, and the sentences stand in for it.
        const std::string damaged = m_dir.filePath("damaged.wav").toStdString();
        WriteSpansWav(damaged, spans, 16000);
        WriteBytes(m_dir.filePath("damaged.lrc").toStdString(), std::string("[00:0\x01\xFF\xFE]]x[", 12));
        player.SetMediaFile(damaged);
        QTRY_COMPARE(view.lineStarts().size(), std::size_t(3));
        QCOMPARE(player.statusTip(), QString("读不出字幕文件 damaged.lrc"));
    }
};

QTEST_MAIN(TstCMediaplayer1)
#include "tst_CMediaplayer1.moc"
