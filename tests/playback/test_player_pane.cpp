// The player pane inside the main window, on the fake player.
#include "DialogHarness.h"
#include "support/TestMedia.h"
#include "playback/WaveformOverview.h"
#include "playback/WaveformView.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace {
void click(CRecorderDlg& d, int id) { static_cast<QPushButton*>(d.GetDlgItem(id))->click(); }
}

class PlayerPaneTest : public QObject {
    Q_OBJECT
private slots:
    void undecodableAudioPlaysWithAnEmptyPaneAndNoBox()
    {
        DialogHarness h;
        const std::string media = h.path("broken.mp3");
        WriteBytes(media, std::string(3000, '\x33'));
        h.prompts.openAnswers.push_back(media);
        click(*h.dialog, 1009);
        QVERIFY(h.player().playing);
        WaveformView& view = *h.dialog->m_player.waveformView();
        QTRY_VERIFY(view.overview() && view.overview()->state() == WaveformOverview::State::Failed);
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
};

QTEST_MAIN(PlayerPaneTest)
#include "test_player_pane.moc"
