// The player pane inside the main window, on the fake player.
#include "DialogHarness.h"
#include "support/TestMedia.h"
#include "pane/SubtitleSize.h"
#include "pane/SubtitleTrack.h"
#include "pane/VideoView.h"
#include "pane/WaveformView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {
void click(CRecorderDlg& d, int id) { static_cast<QPushButton*>(d.GetDlgItem(id))->click(); }
QString textOf(CRecorderDlg& d, int id) { return static_cast<QLineEdit*>(d.GetDlgItem(id))->text(); }

// Opens a media file, with these subtitle lines beside it unless empty,
// and waits until the player has read them.
void openWithLines(DialogHarness& h, const std::string& srt)
{
    const std::string media = h.path("lesson.mp3");
    WriteBytes(media, std::string(3000, '\x33'));
    if (!srt.empty())
        WriteBytes(h.path("lesson.srt"), srt);
    h.prompts.openAnswers.push_back(media);
    click(*h.dialog, 1009);
    QTRY_VERIFY(!h.dialog->m_player.subtitles().loading());
}

void showActive(CRecorderDlg& d)
{
    d.show();
    QApplication::setActiveWindow(&d);
    QVERIFY(QTest::qWaitForWindowActive(&d));
}

void keepSubtitleSize(const QString& text)
{
    QSettings settings(SubtitleSize::filePath(), QSettings::IniFormat);
    settings.setValue("subtitles/scale", text);
}

const char kThreeLines[] = "1\n00:00:01,000 --> 00:00:03,000\nfirst\n\n"
                           "2\n00:00:05,000 --> 00:00:06,500\nsecond\n\n"
                           "3\n00:00:08,000 --> 00:00:09,000\nthird\n\n";
}  // namespace

class PlayerPaneTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_config;  // the player's own settings file goes here

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    // A focused button would take Ctrl+arrows to move the focus: the line
    // keys go to the player from anywhere but the recording path field, a
    // held one steps on, and F6 brings the focus to the player from there too.
    void lineKeysAndF6WorkWhereverTheFocusIs()
    {
        DialogHarness h;
        openWithLines(h, kThreeLines);
        CRecorderDlg& d = *h.dialog;
        showActive(d);
        for (const int id : {1023, 1009, 1002, 1036}) {
            QWidget* focus = d.GetDlgItem(id);
            focus->setFocus();
            h.player().position = 3.5;
            QTest::keyClick(focus, Qt::Key_Right, Qt::ControlModifier);
            QCOMPARE(h.player().position, 5.0);
            QKeyEvent held(QEvent::KeyPress, Qt::Key_Right, Qt::ControlModifier, QString(), true);
            QApplication::sendEvent(focus, &held);
            QCOMPARE(h.player().position, 8.0);
            QTest::keyClick(focus, Qt::Key_Left, Qt::ControlModifier);
            QCOMPARE(h.player().position, 5.0);
            QCOMPARE(QApplication::focusWidget(), focus);
            QTest::keyClick(focus, Qt::Key_F6);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(&d.m_player));
        }
        QWidget* path = d.GetDlgItem(1031);
        path->setFocus();
        h.player().position = 3.5;
        QTest::keyClick(path, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(h.player().position, 3.5);
        QTest::keyClick(path, Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(&d.m_player));
        // Tab goes on from the player as before.
        QTest::keyClick(&d.m_player, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d.GetDlgItem(1023));
        QVERIFY(d.m_player.videoView()->toolTip().contains("F6"));
        QVERIFY(d.m_player.waveformView()->toolTip().contains("F6"));
    }

    // Ctrl+Plus and Ctrl+Minus step the lines' size, from the player or a
    // button; the size is kept in the player's own file for the next start.
    void subtitleSizeStepsByKeyAndIsKept()
    {
        QFile::remove(SubtitleSize::filePath());
        {
            DialogHarness h;
            CRecorderDlg& d = *h.dialog;
            showActive(d);
            QWidget* button = d.GetDlgItem(1023);
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
            QTest::keyClick(&d.m_player, Qt::Key_Equal, Qt::ControlModifier);
            QCOMPARE(h.player().subtitleLayout.scale, 1.2);
            QCOMPARE(d.m_player.statusTip(), QString("字幕大小 120%"));
            for (int i = 0; i < 40; ++i)
                QTest::keyClick(&d.m_player, Qt::Key_Plus, Qt::ControlModifier);
            QCOMPARE(h.player().subtitleLayout.scale, 3.0);
            QTest::keyClick(&d.m_player, Qt::Key_0, Qt::ControlModifier);
            QCOMPARE(h.player().subtitleLayout.scale, 1.0);
            QTest::keyClick(&d.m_player, Qt::Key_Minus, Qt::ControlModifier);
            QCOMPARE(h.player().subtitleLayout.scale, 0.9);
        }
        QCOMPARE(QSettings(SubtitleSize::filePath(), QSettings::IniFormat).value("subtitles/scale").toString(),
                 QString("0.9"));
        DialogHarness next;
        QCOMPARE(next.dialog->m_player.subtitleScale(), 0.9);
        QCOMPARE(next.player().subtitleLayout.scale, 0.9);
    }

    void keptSubtitleSizeIsReadSafely_data()
    {
        QTest::addColumn<QString>("kept");
        QTest::addColumn<double>("scale");
        QTest::newRow("a size") << "1.5" << 1.5;
        QTest::newRow("too large") << "99" << 3.0;
        QTest::newRow("too small") << "-4" << 0.5;
        QTest::newRow("not a number") << "big" << 1.0;
        QTest::newRow("nan") << "nan" << 1.0;
        QTest::newRow("comma") << "1,5" << 1.0;
    }

    void keptSubtitleSizeIsReadSafely()
    {
        QFETCH(QString, kept);
        QFETCH(double, scale);
        keepSubtitleSize(kept);
        QCOMPARE(SubtitleSize().scale(), scale);
        QFile::remove(SubtitleSize::filePath());
        QCOMPARE(SubtitleSize().scale(), 1.0);
    }

    void undecodableAudioPlaysWithAnEmptyPaneAndNoBox()
    {
        DialogHarness h;
        const std::string media = h.path("broken.mp3");
        WriteBytes(media, std::string(3000, '\x33'));
        h.prompts.openAnswers.push_back(media);
        click(*h.dialog, 1009);
        QVERIFY(h.player().playing);
        WaveformView& view = *h.dialog->m_player.waveformView();
        QTRY_VERIFY(view.overview() && view.overview()->state() == IWaveformOverview::State::Failed);
        QTRY_VERIFY(!view.isHidden());
        QVERIFY(view.overview()->columns(0.0, 1.0, 2)[0].empty());
        QVERIFY(h.prompts.messages.empty());
    }

    void commandsShowAAndBOnThePlayer()
    {
        DialogHarness h;
        h.dialog->EnablePlaybackControls(true);
        WaveformView& view = *h.dialog->m_player.waveformView();
        h.player().position = 2.0;
        click(*h.dialog, 1023);
        QCOMPARE(view.passageStart(), 2.0);
        h.player().position = 5.0;
        click(*h.dialog, 1024);
        QCOMPARE(view.passageEnd(), 5.0);
        click(*h.dialog, 1020);  // A later by the step
        QCOMPARE(view.passageStart(), h.dialog->m_segStart);
        QVERIFY(view.passageStart() > 2.0);
    }

    void spacePressesAFocusedButtonAndPlaysOnTheFocusedPlayer()
    {
        DialogHarness h;
        h.dialog->EnablePlaybackControls(true);
        h.dialog->show();
        QApplication::setActiveWindow(h.dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(h.dialog.get()));
        h.player().position = 3.0;
        QWidget* markA = h.dialog->GetDlgItem(1023);
        markA->setFocus();
        QTest::keyClick(markA, Qt::Key_Space);
        QCOMPARE(h.dialog->m_segStart, 3.0);
        QCOMPARE(h.player().count("Play"), 0);

        // Tab from the last button before the player lands on the player.
        h.dialog->GetDlgItem(1022)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(&h.dialog->m_player));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(h.player().count("Play"), 1);
    }

    void lineKeysWalkTheLinesAndLTakesOneAsThePassage()
    {
        DialogHarness h;
        openWithLines(h, kThreeLines);
        CRecorderDlg& d = *h.dialog;
        CMediaplayer1& player = d.m_player;
        QCOMPARE(player.waveformView()->lineStarts(), (std::vector<double>{1.0, 5.0, 8.0}));
        const int pausePoints = d.m_listPausePoints->count();

        h.player().position = 3.5;  // between the first and the second
        QTest::keyClick(&player, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(h.player().position, 5.0);
        QCOMPARE(player.lineLabel()->text(), QString("second"));
        QCOMPARE(player.lineLabel()->accessibleName(), QString("字幕：second"));
        QTest::keyClick(&player, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(h.player().position, 1.0);

        h.player().position = 3.5;
        QTest::keyClick(&player, Qt::Key_L);  // between lines: the next one
        QCOMPARE(d.m_segStart, 5.0);
        QCOMPARE(d.m_segEnd, 6.5);
        QCOMPARE(textOf(d, 1002), QString("5"));
        QCOMPARE(textOf(d, 1003), QString("6.5"));
        QCOMPARE(player.waveformView()->passageEnd(), 6.5);
        h.player().position = 8.2;
        QTest::keyClick(&player, Qt::Key_L);  // the line playing
        QCOMPARE(d.m_segStart, 8.0);
        QCOMPARE(d.m_segEnd, 9.0);
        h.player().position = 9.5;
        QTest::keyClick(&player, Qt::Key_L);  // after the last: nothing
        QCOMPARE(d.m_segStart, 8.0);
        QCOMPARE(d.m_listPausePoints->count(), pausePoints);
        QVERIFY(!d.m_pausePointsModified);
        QVERIFY(h.prompts.messages.empty());
    }

    void withoutLinesTheKeysOnlySaySo()
    {
        DialogHarness h;
        openWithLines(h, "");
        CMediaplayer1& player = h.dialog->m_player;
        h.player().position = 2.0;
        h.dialog->m_segStart = 1.0;
        const auto calls = h.player().calls.size();
        for (auto [key, modifiers] : {std::pair{Qt::Key_L, Qt::NoModifier}, {Qt::Key_Right, Qt::ControlModifier},
                                      {Qt::Key_Left, Qt::ControlModifier}}) {
            player.setStatusTip(QString());
            QTest::keyClick(&player, key, modifiers);
            QCOMPARE(player.statusTip(), QString("这个文件没有字幕行"));
        }
        QCOMPARE(h.player().calls.size(), calls);
        QCOMPARE(h.dialog->m_segStart, 1.0);
        QVERIFY(player.lineLabel()->isHidden());
        QVERIFY(h.prompts.messages.empty());
    }

    void vHidesTheSubtitlesAndTheLine()
    {
        DialogHarness h;
        openWithLines(h, kThreeLines);
        CMediaplayer1& player = h.dialog->m_player;
        QTRY_VERIFY(!player.waveformView()->isHidden());  // no video: the waveform and the line
        QVERIFY(!player.lineLabel()->isHidden());
        QTest::keyClick(&player, Qt::Key_V);
        QCOMPARE(h.player().count("SetSubtitlesShown 0"), 1);
        QVERIFY(player.lineLabel()->isHidden());
        QTest::keyClick(&player, Qt::Key_V);
        QCOMPARE(h.player().count("SetSubtitlesShown 1"), 1);
        QVERIFY(!player.lineLabel()->isHidden());
    }

    // Esc in full screen leaves it and nothing else; outside, it ends the dialog.
    void fullScreenComesAndGoesAndEscOnlyLeavesIt()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        CMediaplayer1& player = d.m_player;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        const QRect placed = player.geometry();
        QWidget* about = d.GetDlgItem(1036);
        QVERIFY(player.videoView()->isVisible());

        QTest::keyClick(&player, Qt::Key_F);
        QVERIFY(player.isShownFullScreen() && player.isWindow() && player.isFullScreen());
        QCOMPARE(player.parentWidget(), static_cast<QWidget*>(&d));
        QTest::keyClick(&player, Qt::Key_Escape);
        QVERIFY(!player.isShownFullScreen() && !player.isWindow());
        QVERIFY(d.isVisible());
        QCOMPARE(player.geometry(), placed);
        // The dialog's buttons that overlap the player stay above it.
        const QObjectList& order = d.children();
        QVERIFY(order.indexOf(&player) < order.indexOf(about));

        QTest::mouseDClick(player.videoView(), Qt::LeftButton);
        QVERIFY(player.isShownFullScreen());
        QTest::mouseDClick(player.videoView(), Qt::LeftButton);
        QVERIFY(!player.isShownFullScreen());
        QTest::keyClick(&player, Qt::Key_F);
        QVERIFY(!player.close());  // the window manager's close brings it back
        QVERIFY(!player.isShownFullScreen() && player.isVisible());

        QTest::keyClick(&player, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
    }
};

QTEST_MAIN(PlayerPaneTest)
#include "test_player_pane.moc"
