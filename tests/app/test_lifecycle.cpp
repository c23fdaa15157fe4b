// Start-up without settings, the data exchange, and the three endings.
#include "DialogHarness.h"
#include "app/NumberText.h"
#include "pane/PlayerControlBar.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <limits>

namespace {
QString text(CRecorderDlg& d, int id) { return static_cast<QLineEdit*>(d.GetDlgItem(id))->text(); }
void setText(CRecorderDlg& d, int id, const char* t) { static_cast<QLineEdit*>(d.GetDlgItem(id))->setText(t); }
QString FormatShownBack(double v) { return QString::fromStdString(FormatShown(v)); }
const int kPlaybackControls[] = {1008, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018};
}

class LifecycleTest : public QObject {
    Q_OBJECT
private slots:
    void startupWithoutSettingsShowsTheDefaults()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        QCOMPARE(text(d, 1001), QStringLiteral("D:\\AllMediaFile.mp3"));
        QCOMPARE(text(d, 1002), QStringLiteral("0"));
        QCOMPARE(text(d, 1003), QStringLiteral("0"));
        QCOMPARE(text(d, 1004), QStringLiteral("0.5"));
        QCOMPARE(text(d, 1006), QStringLiteral("0.33"));
        QCOMPARE(std::string(d.m_pauseFilePath), std::string("D:\\AllMediaFile1.txt"));
        QCOMPARE(d.m_lastPauseIndex, -1);
        QCOMPARE(d.m_listPausePoints->count(), 0);
        for (int id : kPlaybackControls)
            QVERIFY(!d.GetDlgItem(id)->isEnabled());
        for (int id : {1009, 1026, 1038, 1019, 1023, 1032, 1033})
            QVERIFY(d.GetDlgItem(id)->isEnabled());
        QVERIFY(h.player().calls.empty());  // nothing loaded into the player
        QVERIFY(static_cast<QLabel*>(d.GetDlgItem(1029))->text().isEmpty());
    }

    void dataExchangeShowsFifteenDigitsAndReadsBackStrictly()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_editStart = 0.1 + 0.2;
        d.m_editEnd = 1.0 / 3.0;
        d.m_segNudge = -0.25;
        d.DoDataExchange(false);
        QCOMPARE(text(d, 1002), QStringLiteral("0.3"));
        QCOMPARE(text(d, 1003), QStringLiteral("0.333333333333333"));
        QCOMPARE(text(d, 1004), QStringLiteral("-0.25"));

        setText(d, 1002, " 12.5 ");
        setText(d, 1003, "1e2");
        QVERIFY(d.DoDataExchange(true));
        QCOMPARE(d.m_editStart, 12.5);
        QCOMPARE(d.m_editEnd, 100.0);
        QVERIFY(h.prompts.messages.empty());

        for (const char* bad : {"abc", "1.5x", "", "0x10", "infx", "1,5"}) {
            h.prompts.messages.clear();
            d.m_editEnd = 7.0;
            d.m_markLag = 0.33;
            setText(d, 1002, "3");
            setText(d, 1003, bad);
            setText(d, 1006, "9");
            QVERIFY2(!d.DoDataExchange(true), bad);
            QCOMPARE(d.m_editStart, 3.0);     // before the bad edit: taken
            QCOMPARE(d.m_editEnd, 7.0);       // the bad edit: kept
            QCOMPARE(d.m_markLag, 0.33);      // after it: the exchange stopped
            QCOMPARE(h.prompts.messages.size(), std::size_t(1));
            QCOMPARE(h.prompts.messages[0].text, std::string("Please enter a number."));
            QCOMPARE(h.prompts.messages[0].caption, std::string("quillora"));
        }
    }

    void everythingShownReadsBack()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        const double inf = std::numeric_limits<double>::infinity();
        for (double value : {inf, -inf, 1.0 / 3.0, 123456789012345.0, 1.23456789012345e-300, 4.9e-324, -0.0}) {
            d.m_editStart = value;
            d.DoDataExchange(false);
            d.m_editStart = 7.0;
            QVERIFY2(d.DoDataExchange(true), qPrintable(text(d, 1002)));
            QCOMPARE(FormatShownBack(d.m_editStart), text(d, 1002));
        }
        d.m_editEnd = std::numeric_limits<double>::quiet_NaN();
        d.DoDataExchange(false);
        QCOMPARE(text(d, 1003), QStringLiteral("nan"));
        QVERIFY(d.DoDataExchange(true));
        QVERIFY(std::isnan(d.m_editEnd));
        QVERIFY(h.prompts.messages.empty());
    }

    void aRefusedEditShowsOneBoxAndGetsTheFocusBack()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        // The box takes the focus as a real one does; after a few boxes it
        // stops, so that a loop of boxes ends the test instead of hanging it.
        QWidget box;
        h.prompts.whileOpen = [&] {
            if (h.prompts.messages.size() > 3)
                return;
            box.show();
            box.activateWindow();
            QCoreApplication::processEvents();
            box.hide();
            d.activateWindow();
            QCoreApplication::processEvents();
        };
        d.GetDlgItem(1002)->setFocus();
        setText(d, 1002, "abc");
        d.GetDlgItem(1003)->setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QCOMPARE(h.prompts.messages[0].text, std::string("Please enter a number."));
        QTRY_COMPARE(QApplication::focusWidget(), d.GetDlgItem(1002));
        QCOMPARE(static_cast<QLineEdit*>(d.GetDlgItem(1002))->selectedText(), QStringLiteral("abc"));
    }

    void exitStopsTheTimersAndEndsWithCodeZeroSavingNothing()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        for (unsigned id : {kRecordTimer, kSegmentTimer, kPausePointTimer})
            d.SetTimer(id, kTimerPeriodMs);
        static_cast<QPushButton*>(d.GetDlgItem(1028))->click();
        for (unsigned id : {kRecordTimer, kSegmentTimer, kPausePointTimer})
            QVERIFY(!d.IsTimerRunning(id));
        QCOMPARE(h.quitCodes, std::vector<int>{0});
        QVERIFY(!QFile::exists(QString::fromStdString(h.path("quillini"))));
        QVERIFY(h.player().calls.empty());
    }

    void escEndsTheDialogAtOnceWithoutTheCloseSteps()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QSignalSpy rejected(&d, &QDialog::rejected);
        QTest::keyClick(&d, Qt::Key_Escape);
        QCOMPARE(rejected.count(), 1);
        QVERIFY(!d.isVisible());
        QVERIFY(h.player().calls.empty());  // no Stop: OnClose did not run
        QVERIFY(!QFile::exists(QString::fromStdString(h.path("quillini"))));
    }

    void closeBoxStopsThePlayerWritesSettingsAndEnds()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.close());
        QVERIFY(!d.isVisible());
        QCOMPARE(h.player().calls, std::vector<std::string>{"Stop"});
        QVERIFY(QFile::exists(QString::fromStdString(h.path("quillini"))));
    }

    void failuresOfThePlayersOwnBarAreTold()
    {
        DialogHarness h;
        emit h.dialog->m_player.controlBar()->failed("Play: no media loaded");
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QVERIFY(h.prompts.messages[0].text.find("no media loaded") != std::string::npos);
        QCOMPARE(h.prompts.messages[0].caption, std::string("quillora"));
    }

    void closeStillSavesWhenThePlayerFailsToStop()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_pausePointsModified = true;
        h.player().failOn("Stop", 0xFFFFFFF3u);
        d.show();
        QVERIFY(d.close());
        QVERIFY(QFile::exists(QString::fromStdString(h.path("quillini"))));
        QCOMPARE(h.prompts.messages.size(), std::size_t(2));  // the failure, then the save question
        QCOMPARE(h.prompts.messages[1].caption, std::string("Ravelle"));
    }

    void timersRestartWhenStartedAgain()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        QCOMPARE(d.SetTimer(kSegmentTimer, kTimerPeriodMs), kSegmentTimer);
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QCOMPARE(d.SetTimer(kSegmentTimer, kTimerPeriodMs), kSegmentTimer);
        d.KillTimer(kSegmentTimer);
        QVERIFY(!d.IsTimerRunning(kSegmentTimer));
        // Ticks reach OnTimer: the recording display fills.
        d.SetTimer(kRecordTimer, 10);
        QTRY_VERIFY(!static_cast<QLabel*>(d.GetDlgItem(1029))->text().isEmpty());
    }
};

QTEST_MAIN(LifecycleTest)
#include "test_lifecycle.moc"
