// The open command, the A-B commands and the media guard, on the fake player.
#include "DialogHarness.h"
#include "player/MediaError.h"
#include "player/MediaExceptionReport.h"
#include "app/TextFile.h"
#include "pane/PlayerControlBar.h"

#include <QApplication>

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {
QString text(CRecorderDlg& d, int id) { return static_cast<QLineEdit*>(d.GetDlgItem(id))->text(); }
void click(CRecorderDlg& d, int id) { static_cast<QPushButton*>(d.GetDlgItem(id))->click(); }
const int kPlaybackControls[] = {1008, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018};

void setSegment(CRecorderDlg& d, double a, double b, double step)
{
    d.m_segStart = a;
    d.m_segEnd = b;
    d.m_segNudge = step;
    d.DoDataExchange(false);
}
}

class PlaybackCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void openAsksWithTheFixedDialogAndPlaysFromTheStart()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        const std::string media = h.path("lesson1.mp3");
        QVERIFY(WriteFileBytes(h.path("lesson1.txt"), "1.5\r\n3.0\r\n"));
        d.m_segStart = 5.0;
        d.m_segEnd = 9.0;
        h.prompts.openAnswers.push_back(media);
        click(d, 1009);

        QCOMPARE(h.prompts.openRequests.size(), std::size_t(1));
        const OpenFileRequest& request = h.prompts.openRequests[0];
        QCOMPARE(request.initialFileName, QDir::currentPath().toStdString() + "/MP3File");
        QCOMPARE(request.defaultExtension, std::string());
        QCOMPARE(request.filters.size(), std::size_t(5));
        QCOMPARE(request.filters[0].shown, std::string("All Files "));
        QCOMPARE(request.filters[0].pattern, std::string("*.*"));
        QCOMPARE(request.filters[1].shown, std::string("Video CD (*.dat)"));
        QCOMPARE(request.filters[4].pattern, std::string("*.mpg"));

        QCOMPARE(h.player().calls, (std::vector<std::string>{"Stop", "SetMediaFile " + media, "Play"}));
        QCOMPARE(text(d, 1001), QString::fromStdString(media));
        QCOMPARE(d.m_mediaPath, media);
        QCOMPARE(text(d, 1002), QStringLiteral("0"));
        QCOMPARE(text(d, 1003), QStringLiteral("0"));
        QCOMPARE(d.m_segStart, 0.0);
        QCOMPARE(d.m_segEnd, 0.0);
        QCOMPARE(d.m_listPausePoints->count(), 2);
        QCOMPARE(d.m_listPausePoints->currentRow(), 0);
        for (int id : kPlaybackControls)
            QVERIFY(d.GetDlgItem(id)->isEnabled());
    }

    void openWithoutPausePointFileStillEnablesTheControls()
    {
        DialogHarness h;
        h.prompts.openAnswers.push_back(h.path("alone.wav"));
        h.dialog->OnOpenMedia();
        QCOMPARE(h.dialog->m_lastPauseIndex, -1);
        QCOMPARE(h.dialog->m_listPausePoints->count(), 0);
        QCOMPARE(std::string(h.dialog->m_pauseFilePath), h.path("alone.txt"));
        QVERIFY(h.dialog->GetDlgItem(1018)->isEnabled());
    }

    void cancelledOpenLeavesTheMediaStoppedAndAbUnchanged()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_segStart = 1.0;
        d.m_segEnd = 2.0;
        d.OnOpenMedia();
        QCOMPARE(h.player().calls, std::vector<std::string>{"Stop"});
        QCOMPARE(d.m_segStart, 1.0);
        QCOMPARE(d.m_segEnd, 2.0);
        QCOMPARE(text(d, 1001), QStringLiteral("D:\\AllMediaFile.mp3"));
    }

    void overlongPathIsRefusedWholeAndChangesNothing()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        // One character more than the settings' line 6 gives back.
        const std::string longPath = "/" + std::string(245, 'a') + ".mp3";
        h.prompts.openAnswers.push_back(longPath);
        d.OnOpenMedia();
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QVERIFY(h.prompts.messages[0].text.find("too long") != std::string::npos);
        QCOMPARE(h.player().calls, std::vector<std::string>{"Stop"});
        QCOMPARE(std::string(d.m_pauseFilePath), std::string("D:\\AllMediaFile1.txt"));
        QCOMPARE(d.m_mediaPath, std::string("D:\\AllMediaFile.mp3"));
        // The longest path that fits is taken whole.
        const std::string fits = "/" + std::string(244, 'b') + ".mp3";
        QCOMPARE(fits.size(), std::size_t(249));
        h.prompts.openAnswers.push_back(fits);
        d.OnOpenMedia();
        QCOMPARE(std::string(d.m_pauseFilePath), "/" + std::string(244, 'b') + ".txt");
        // Nor can the settings keep a line break.
        h.prompts.openAnswers.push_back("/m/a\nb.mp3");
        d.OnOpenMedia();
        QCOMPARE(d.m_mediaPath, fits);
    }

    void pauseAndStopTakeB()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.EnablePlaybackControls(true);
        d.m_segStart = 1.0;
        h.player().position = 3.5;
        click(d, 1011);
        QCOMPARE(d.m_segEnd, 3.5);
        QCOMPARE(text(d, 1002), QStringLiteral("1"));
        QCOMPARE(text(d, 1003), QStringLiteral("3.5"));
        QCOMPARE(h.player().calls, (std::vector<std::string>{"Pause", "GetPosition"}));
        h.player().position = 4.25;
        click(d, 1038);
        QCOMPARE(d.m_segEnd, 4.25);
        QCOMPARE(h.player().calls.at(2), std::string("Stop"));
        QVERIFY(!d.IsTimerRunning(kSegmentTimer));
    }

    void playPlaysOnFromBWhichBecomesA()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.EnablePlaybackControls(true);
        d.m_mediaPath = "/m/x.mp3";
        d.m_segStart = 1.0;
        d.m_segEnd = 6.5;
        d.SetTimer(kSegmentTimer, kTimerPeriodMs);
        d.SetTimer(kPausePointTimer, kTimerPeriodMs);
        d.SetTimer(kRecordTimer, kTimerPeriodMs);
        for (int press = 0; press < 2; ++press) {
            h.player().calls.clear();
            click(d, press == 0 ? 1010 : 1026);
            QCOMPARE(h.player().calls, (std::vector<std::string>{"SetMediaFile /m/x.mp3", "SetPosition 6.5", "Play"}));
            QCOMPARE(d.m_segStart, 6.5);
            QCOMPARE(text(d, 1002), QStringLiteral("6.5"));
        }
        QVERIFY(!d.IsTimerRunning(kSegmentTimer));
        QVERIFY(!d.IsTimerRunning(kPausePointTimer));
        QVERIFY(d.IsTimerRunning(kRecordTimer));
    }

    void repeatRestartsTheSegmentWatchFromA()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.EnablePlaybackControls(true);
        d.m_segStart = 10.0;
        d.m_segEnd = 12.5;
        d.SetTimer(kPausePointTimer, kTimerPeriodMs);
        click(d, 1012);
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QCOMPARE(d.m_segmentTimerId, kSegmentTimer);
        QVERIFY(!d.IsTimerRunning(kPausePointTimer));
        QCOMPARE(h.player().calls, (std::vector<std::string>{"SetPosition 10", "Play"}));
    }

    void setAAndBTakeThePositionUnadjusted()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_segEnd = 2.0;
        h.player().position = 5.0;
        click(d, 1023);  // A after B is accepted
        QCOMPARE(d.m_segStart, 5.0);
        QCOMPARE(text(d, 1002), QStringLiteral("5"));
        QCOMPARE(text(d, 1003), QStringLiteral("2"));
        h.player().position = 0.1 + 0.2;
        click(d, 1024);
        QCOMPARE(d.m_segEnd, 0.1 + 0.2);
        QCOMPARE(text(d, 1003), QStringLiteral("0.3"));
        QCOMPARE(d.m_segStart, 5.0);
    }

    void nudgesPushTheOtherEndByOneStep()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        setSegment(d, 1.0, 1.2, 0.5);
        click(d, 1020);  // A later
        QCOMPARE(d.m_segStart, 1.5);
        QCOMPARE(d.m_segEnd, 1.7);
        QCOMPARE(text(d, 1003), QStringLiteral("1.7"));

        setSegment(d, 1.0, 1.2, 0.5);
        click(d, 1021);  // B earlier
        QCOMPARE(d.m_segEnd, 0.7);
        QCOMPARE(d.m_segStart, 0.5);

        setSegment(d, 1.0, 1.5, 0.5);
        click(d, 1020);  // reaching B exactly is no push
        QCOMPARE(d.m_segStart, 1.5);
        QCOMPARE(d.m_segEnd, 1.5);

        setSegment(d, 0.2, 3.0, 0.5);
        click(d, 1019);  // no clamping at zero
        QCOMPARE(d.m_segStart, 0.2 - 0.5);
        QCOMPARE(text(d, 1002), QStringLiteral("-0.3"));

        setSegment(d, 1.0, 2.0, 0.5);
        click(d, 1022);
        QCOMPARE(d.m_segEnd, 2.5);
        // The step is taken from its (hidden) edit first.
        static_cast<QLineEdit*>(d.GetDlgItem(1004))->setText("2");
        click(d, 1022);
        QCOMPARE(d.m_segEnd, 4.5);
        QVERIFY(h.player().calls.empty());
    }

    void focusLossCopiesTheShownValueBack()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_segStart = 1.0 / 3.0;
        d.m_editStart = d.m_segStart;
        d.m_segEnd = 2.0 / 3.0;
        d.m_editEnd = d.m_segEnd;
        d.DoDataExchange(false);
        d.OnKillFocusStart();
        QCOMPARE(d.m_segStart, 0.333333333333333);
        d.OnKillFocusEnd();
        QCOMPARE(d.m_segEnd, 0.666666666666667);
        // Through real focus changes on the window.
        d.m_segStart = 0.1234567890123456789;
        d.m_editStart = d.m_segStart;
        d.DoDataExchange(false);
        d.show();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        d.GetDlgItem(1002)->setFocus();
        d.GetDlgItem(1009)->setFocus();
        QCOMPARE(d.m_segStart, 0.123456789012346);
    }

    void reportingGuardShowsTheReportAndTheNoticeThenDisables_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("icon");
        QTest::newRow("play") << 1010 << "SetMediaFile" << int(BoxIcon::Error);
        QTest::newRow("pause") << 1011 << "GetPosition" << int(BoxIcon::Information);
        QTest::newRow("stop") << 1038 << "Stop" << int(BoxIcon::Information);
    }
    void reportingGuardShowsTheReportAndTheNoticeThenDisables()
    {
        QFETCH(int, button);
        QFETCH(QString, failing);
        QFETCH(int, icon);
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.EnablePlaybackControls(true);
        d.m_segEnd = 1.0;
        h.player().failOn(failing.toStdString(), 0xFFFFFFEFu);
        click(d, button);
        QCOMPARE(h.prompts.messages.size(), std::size_t(2));
        const MessageBoxRequest& report = h.prompts.messages[0];
        QCOMPARE(report.caption, std::string("Exception"));
        QCOMPARE(report.icon, BoxIcon::Exclamation);
        QVERIFY(report.text.starts_with("Code = ffffffef, Address = "));
        const MessageBoxRequest& notice = h.prompts.messages[1];
        QCOMPARE(notice.text, std::string("Error Media Types"));
        QCOMPARE(notice.caption, std::string("Ravelle"));
        QCOMPARE(int(notice.icon), icon);
        QCOMPARE(d.m_segEnd, 1.0);  // the rest of the steps skipped
        for (int id : kPlaybackControls)
            QVERIFY(!d.GetDlgItem(id)->isEnabled());
        // Play's twin in the play area still runs the command.
        h.player().failOn(failing.toStdString(), 0);
        h.player().calls.clear();
        click(d, 1026);
        QCOMPARE(h.player().count("Play"), 1);
    }

    void quietGuardStopsTheSegmentWatch()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.player().failOn("Play", 0xFFFFFFF3u);
        d.OnRepeat();
        QVERIFY(!d.IsTimerRunning(kSegmentTimer));
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QCOMPARE(h.prompts.messages[0].text, std::string("Error Media Types"));
        QCOMPARE(h.prompts.messages[0].caption, std::string("Ravelle"));
        QCOMPARE(h.prompts.messages[0].icon, BoxIcon::Question);
        QVERIFY(!d.GetDlgItem(1012)->isEnabled());
    }

    void silentGuardShowsNothingAndChangesNothing()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.EnablePlaybackControls(true);
        d.m_segStart = 2.0;
        h.player().failOn("GetPosition", 0xFFFFFFF3u);
        d.OnSetStart();
        d.OnSetEnd();
        QVERIFY(h.prompts.messages.empty());
        QCOMPARE(d.m_segStart, 2.0);
        QVERIFY(d.GetDlgItem(1010)->isEnabled());
    }

    void faultReportFormatsCodeAndAddresses()
    {
        const void* at = reinterpret_cast<const void*>(std::uintptr_t(0xABCDEF));
        const std::string pad(sizeof(void*) * 2 - 6, '0');
        QCOMPARE(FormatMediaException(MediaError(0x11, "x", at)), "Code = 11, Address = " + pad + "ABCDEF");
        const void* accessed = reinterpret_cast<const void*>(std::uintptr_t(0x10));
        const std::string zeros(sizeof(void*) * 2 - 2, '0');
        QCOMPARE(FormatMediaException(MediaError(MediaError::kAccessViolation, "x", at, false, accessed)),
                 "Code = c0000005, Address = " + pad + "ABCDEFAttempt to write data at address " + zeros + "10");
        QVERIFY(FormatMediaException(MediaError(MediaError::kAccessViolation, "x", at, true, accessed)).find("read data") != std::string::npos);
    }

    // A file found unplayable after SetMediaFile has returned is told once,
    // by the command that loaded it: 打开's plain message, 播放's reporting
    // guard; also when a command, a watch tick or the player's own button
    // meets the failure before the event loop has told it.
    void lateLoadFailureIsToldOnceByTheCommandThatLoaded_data()
    {
        QTest::addColumn<int>("loader");  // 1009 open, 1026 play
        QTest::addColumn<int>("meets");   // a button clicked at once, -1 a watch tick, -2 the player's ▶, 0 none
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<bool>("disabled");
        const QStringList open{"quillora"}, play{"Exception", "Ravelle"};
        QTest::newRow("open") << 1009 << 0 << open << false;
        QTest::newRow("open, then pause meets it") << 1009 << 1011 << open << false;
        QTest::newRow("open, then set A meets it") << 1009 << 1023 << open << false;
        QTest::newRow("open, then a tick meets it") << 1009 << -1 << open << false;
        QTest::newRow("open, then the player's play") << 1009 << -2 << open << false;
        QTest::newRow("play") << 1026 << 0 << play << true;
        QTest::newRow("play, then repeat meets it") << 1026 << 1012 << play << true;
        QTest::newRow("play, then stop meets it") << 1026 << 1038 << play << true;
    }

    void lateLoadFailureIsToldOnceByTheCommandThatLoaded()
    {
        QFETCH(int, loader);
        QFETCH(int, meets);
        QFETCH(QStringList, captions);
        QFETCH(bool, disabled);
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_mediaPath = h.path("bad.mp3");
        d.EnablePlaybackControls(true);
        d.SetTimer(kSegmentTimer, kTimerPeriodMs);  // a watch that 播放 stops and 打开 leaves running
        h.prompts.openAnswers.push_back(d.m_mediaPath);
        click(d, loader);
        QVERIFY(h.prompts.messages.empty());
        h.player().failLate(0xFFFFFFEFu);
        if (meets > 0)
            click(d, meets);
        else if (meets == -1)
            d.DeliverTimer(kSegmentTimer);
        else if (meets == -2) {
            h.player().playing = false;  // so that ▶ plays
            d.m_player.controlBar()->playPauseButton()->click();
        }
        QTRY_COMPARE(int(h.prompts.messages.size()), int(captions.size()));
        for (int i = 0; i < captions.size(); ++i)
            QCOMPARE(QString::fromStdString(h.prompts.messages[i].caption), captions[i]);
        if (loader == 1026) {
            QVERIFY(h.prompts.messages[0].text.starts_with("Code = ffffffef, Address = "));
            QCOMPARE(h.prompts.messages[1].text, std::string("Error Media Types"));
            QCOMPARE(h.prompts.messages[1].icon, BoxIcon::Error);
        } else {
            QVERIFY2(h.prompts.messages[0].text.find("cannot play " + d.m_mediaPath) != std::string::npos,
                     h.prompts.messages[0].text.c_str());
        }
        for (int id : kPlaybackControls)
            QCOMPARE(d.GetDlgItem(id)->isEnabled(), !disabled);
        // Never twice: not by the event loop, nor by the watch's next ticks.
        QCoreApplication::processEvents();
        d.DeliverTimer(kSegmentTimer);
        d.DeliverTimer(kSegmentTimer);
        QCOMPARE(int(h.prompts.messages.size()), int(captions.size()));
        // The next command that fails tells its own failure again.
        click(d, 1038);
        QCOMPARE(int(h.prompts.messages.size()), int(captions.size()) + 2);
        QCOMPARE(h.prompts.messages.back().icon, BoxIcon::Information);
    }

    void unguardedFailureStopsAtTheCommandsBoundary()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.player().failOn("Stop", 0xFFFFFFF3u);
        click(d, 1009);  // open's first step fails: nothing after it runs
        QVERIFY(h.prompts.openRequests.empty());
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QCOMPARE(h.prompts.messages[0].caption, std::string("quillora"));
    }
};

QTEST_MAIN(PlaybackCommandsTest)
#include "test_playback_commands.moc"
