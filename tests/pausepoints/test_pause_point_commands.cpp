// The pause-point commands and their saves, on the fake player.
#include "DialogHarness.h"
#include "app/TextFile.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <algorithm>

namespace {
QStringList rows(CRecorderDlg& d)
{
    QStringList out;
    for (int i = 0; i < d.m_listPausePoints->count(); ++i)
        out << d.m_listPausePoints->item(i)->text();
    return out;
}
int selected(CRecorderDlg& d)
{
    const auto items = d.m_listPausePoints->selectedItems();
    return items.isEmpty() ? -1 : d.m_listPausePoints->row(items.first());
}
void addAt(DialogHarness& h, double position)
{
    h.player().position = position;
    h.dialog->OnAddPausePoint();
}
const char* kSaveQuestion = "暂停点已经被修改过了，并且尚未保存(如果选择保存，将可能会覆盖原来的暂停点文件)，是否要保存？";
}

class PausePointCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void addSubtractsTheLagAndSelectsTheNewRow()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        addAt(h, 10.0);
        QCOMPARE(rows(d), QStringList{"9.670000"});
        QCOMPARE(d.m_pausePoints[0], 10.0 - 0.33);
        QCOMPARE(selected(d), 0);
        QVERIFY(d.m_pausePointsModified);
        addAt(h, 0.2);  // earlier than the first: appended all the same
        QCOMPARE(rows(d), (QStringList{"9.670000", "-0.130000"}));
        QCOMPARE(selected(d), 1);
        QCOMPARE(d.m_lastPauseIndex, 1);
    }

    void addToAFullListChangesNothing()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        for (int i = 0; i < kMaxPausePoints; ++i)
            addAt(h, i);
        QCOMPARE(d.m_lastPauseIndex, 299);
        d.m_pausePointsModified = false;
        addAt(h, 1000.0);
        QCOMPARE(d.m_lastPauseIndex, 299);
        QCOMPARE(d.m_listPausePoints->count(), 300);
        QVERIFY(!d.m_pausePointsModified);
    }

    void deleteSelectsTheRowAfterTheGap()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        static_cast<QLineEdit*>(d.GetDlgItem(1006))->setText("0");  // the lag the add command takes
        for (double p : {1.0, 2.0, 3.0})
            addAt(h, p);
        d.m_listPausePoints->setCurrentRow(1);
        d.OnDeletePausePoint();
        QCOMPARE(rows(d), (QStringList{"1.000000", "3.000000"}));
        QCOMPARE(d.m_pausePoints[1], 3.0);
        QCOMPARE(selected(d), 1);

        addAt(h, 4.0);  // 1, 3, 4 with the last selected
        d.OnDeletePausePoint();
        QCOMPARE(rows(d), (QStringList{"1.000000", "3.000000"}));
        QCOMPARE(selected(d), 1);

        d.OnDeletePausePoint();
        d.OnDeletePausePoint();
        QCOMPARE(d.m_listPausePoints->count(), 0);
        QCOMPARE(d.m_lastPauseIndex, -1);
        QCOMPARE(selected(d), -1);
        d.m_pausePointsModified = false;
        d.OnDeletePausePoint();  // nothing selected: nothing happens
        QVERIFY(!d.m_pausePointsModified);
    }

    void nudgesMoveInPlaceWithoutReordering()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        static_cast<QLineEdit*>(d.GetDlgItem(1006))->setText("0");  // the lag the add command takes
        addAt(h, 1.0);
        addAt(h, 1.8);
        d.m_listPausePoints->setCurrentRow(0);
        d.OnPausePointLater();
        d.OnPausePointLater();
        QCOMPARE(rows(d), (QStringList{"2.000000", "1.800000"}));
        QCOMPARE(selected(d), 0);
        static_cast<QLineEdit*>(d.GetDlgItem(1005))->setText("0.25");  // taken first
        d.OnPausePointEarlier();
        QCOMPARE(d.m_pausePoints[0], 1.75);
        QCOMPARE(rows(d).first(), QStringLiteral("1.750000"));
    }

    void repeatPlaysTheSectionAndStopsTheSegmentWatch()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        static_cast<QLineEdit*>(d.GetDlgItem(1006))->setText("0");  // the lag the add command takes
        addAt(h, 3.0);
        addAt(h, 6.0);
        d.m_listPausePoints->setCurrentRow(0);
        d.OnRepeat();
        h.player().calls.clear();
        d.OnPlayPausePoint();
        QCOMPARE(h.player().calls, (std::vector<std::string>{"SetPosition 3", "Play"}));
        QVERIFY(!d.IsTimerRunning(kSegmentTimer));
        QVERIFY(d.IsTimerRunning(kPausePointTimer));

        // A double-click on a row does the same.
        d.KillTimer(kPausePointTimer);
        h.player().calls.clear();
        d.m_listPausePoints->setCurrentRow(1);
        emit d.m_listPausePoints->itemDoubleClicked(d.m_listPausePoints->item(1));
        QCOMPARE(h.player().calls, (std::vector<std::string>{"SetPosition 6", "Play"}));
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
    }

    void nextStepsOnAndLeavesTheSegmentWatchRunning()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        static_cast<QLineEdit*>(d.GetDlgItem(1006))->setText("0");  // the lag the add command takes
        addAt(h, 3.0);
        addAt(h, 6.0);
        d.OnRepeat();
        h.player().calls.clear();
        d.OnNextPausePoint();  // the last row is selected: nothing
        QVERIFY(h.player().calls.empty());
        QVERIFY(!d.IsTimerRunning(kPausePointTimer));
        d.m_listPausePoints->clearSelection();
        d.OnNextPausePoint();  // no selection: row 0
        QCOMPARE(selected(d), 0);
        QCOMPARE(h.player().calls, (std::vector<std::string>{"SetPosition 3", "Play"}));
        d.OnNextPausePoint();
        QCOMPARE(selected(d), 1);
        QVERIFY(d.IsTimerRunning(kSegmentTimer));
        QVERIFY(d.IsTimerRunning(kPausePointTimer));
    }

    void saveFileAsksBeforeCoveringAndConfirms()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.prompts.openAnswers.push_back(h.path("a.mp3"));
        d.OnOpenMedia();
        static_cast<QLineEdit*>(d.GetDlgItem(1006))->setText("0");  // the lag the add command takes
        addAt(h, 3.5);
        d.OnSavePausePoints();  // no file yet: no question
        QCOMPARE(ReadFileBytes(h.path("a.txt")).value_or(""), std::string("3.500000\r\n"));
        QCOMPARE(h.prompts.messages.back().text, std::string("Audio has been saved."));
        QCOMPARE(h.prompts.messages.back().caption, std::string("quillora"));
        QCOMPARE(h.prompts.messages.back().icon, BoxIcon::None);
        QVERIFY(!d.m_pausePointsModified);

        addAt(h, 7.0);
        h.prompts.messages.clear();
        h.prompts.answers.push_back(BoxAnswer::No);
        d.OnSavePausePoints();
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QCOMPARE(h.prompts.messages[0].text, std::string("File has been，Cover It？"));
        QCOMPARE(h.prompts.messages[0].caption, std::string("Ravelle"));
        QCOMPARE(ReadFileBytes(h.path("a.txt")).value_or(""), std::string("3.500000\r\n"));
        QVERIFY(d.m_pausePointsModified);

        h.prompts.answers.push_back(BoxAnswer::Yes);
        d.OnSavePausePoints();
        QCOMPARE(ReadFileBytes(h.path("a.txt")).value_or(""), std::string("3.500000\r\n7.000000\r\n"));

        // An empty list gives an empty file, and loads back as no rows.
        d.m_listPausePoints->setCurrentRow(0);
        d.OnDeletePausePoint();
        d.OnDeletePausePoint();
        h.prompts.answers.push_back(BoxAnswer::Yes);
        d.OnSavePausePoints();
        QCOMPARE(QFile(QString::fromStdString(h.path("a.txt"))).size(), qint64(0));
        d.LoadPausePoints(h.path("a.mp3"));
        QCOMPARE(d.m_lastPauseIndex, -1);
        QCOMPARE(selected(d), -1);
    }

    void openingAsksAboutUnsavedPointsBeforeTheDialog()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.prompts.openAnswers.push_back(h.path("b.mp3"));
        d.OnOpenMedia();
        addAt(h, 5.0);
        d.OnOpenMedia();  // No, then cancel: still modified
        QCOMPARE(h.prompts.messages.back().text, std::string(kSaveQuestion));
        QCOMPARE(h.prompts.messages.back().caption, std::string("Ravelle"));
        QVERIFY(d.m_pausePointsModified);
        QVERIFY(!QFile::exists(QString::fromStdString(h.path("b.txt"))));

        h.prompts.answers.push_back(BoxAnswer::Yes);
        const std::size_t shown = h.prompts.messages.size();
        d.OnOpenMedia();
        QCOMPARE(h.prompts.messages.size(), shown + 1);  // the question, no confirmation
        QCOMPARE(ReadFileBytes(h.path("b.txt")).value_or(""), std::string("4.670000\r\n"));
        QVERIFY(!d.m_pausePointsModified);
    }

    void closeAsksAfterSavingTheSettings()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.prompts.openAnswers.push_back(h.path("c.mp3"));
        d.OnOpenMedia();
        addAt(h, 2.0);
        bool settingsWrittenFirst = false;
        h.prompts.whileOpen = [&] { settingsWrittenFirst = QFile::exists(QString::fromStdString(h.path("quillini"))); };
        h.prompts.answers.push_back(BoxAnswer::Yes);
        d.show();
        QVERIFY(d.close());
        QVERIFY(settingsWrittenFirst);
        QCOMPARE(h.prompts.messages.back().text, std::string(kSaveQuestion));
        QVERIFY(QFile::exists(QString::fromStdString(h.path("c.txt"))));
    }

    void unwritableFolderKeepsTheChangesAndSaysSo()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.prompts.openAnswers.push_back(h.path("missing/dir/d.mp3"));
        d.OnOpenMedia();
        addAt(h, 2.0);
        d.OnSavePausePoints();
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QVERIFY(h.prompts.messages[0].text.find("could not be saved") != std::string::npos);
        QVERIFY(d.m_pausePointsModified);
        h.prompts.answers.push_back(BoxAnswer::Yes);
        d.SavePausePointsIfModified();
        QVERIFY(d.m_pausePointsModified);
        QVERIFY(!QFile::exists(QString::fromStdString(h.path("missing"))));
    }

    void aCloseWhoseSaveFailsKeepsTheWindowOpen()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.prompts.openAnswers.push_back(h.path("missing/e.mp3"));
        d.OnOpenMedia();
        addAt(h, 2.0);
        d.show();
        h.prompts.answers.push_back(BoxAnswer::Yes);
        QVERIFY(!d.close());
        QVERIFY(d.isVisible());
        QVERIFY(h.prompts.messages.back().text.find("your changes are still here.\nThe window stays open") != std::string::npos);
        QCOMPARE(d.m_lastPauseIndex, 0);
        // Opening another file would replace them just as well: it stops there.
        h.prompts.answers.push_back(BoxAnswer::Yes);
        h.prompts.openAnswers.push_back(h.path("f.mp3"));
        d.OnOpenMedia();
        QCOMPARE(h.prompts.openRequests.size(), std::size_t(1));
        QCOMPARE(d.m_lastPauseIndex, 0);
        // Answering No leaves without them.
        QVERIFY(d.close());
    }

    void aFileLongerThanTheListIsToldAndNotShortenedUnasked()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        std::string many;
        for (int i = 0; i < 400; ++i)
            many += std::to_string(i) + "\r\n";
        QVERIFY(WriteFileBytes(h.path("a.txt"), many));
        d.LoadPausePoints(h.path("a.mp3"));
        QCOMPARE(d.m_lastPauseIndex, 299);
        QTRY_COMPARE(h.prompts.messages.size(), std::size_t(1));
        QVERIFY(h.prompts.messages[0].text.find("only its first 300 are used") != std::string::npos);
        QTest::qWait(20);
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));  // once

        d.OnDeletePausePoint();  // row 0
        const auto refuse = [&] { h.prompts.answers.assign({BoxAnswer::Yes, BoxAnswer::No}); };
        refuse();  // cover it, then do not shorten it
        d.OnSavePausePoints();
        QVERIFY(h.prompts.messages.rbegin()[1].text.find("loses the rest of the file") != std::string::npos);
        QVERIFY(h.prompts.messages.back().text.starts_with("Nothing was written"));
        d.show();
        refuse();  // save at close, then do not shorten it: the window stays
        QVERIFY(!d.close());
        QVERIFY(h.prompts.messages.back().text.find("The window stays open") != std::string::npos);
        QCOMPARE(ReadFileBytes(h.path("a.txt")).value_or(""), many);
        QVERIFY(d.m_pausePointsModified);

        h.prompts.answers.assign({BoxAnswer::Yes, BoxAnswer::Yes});
        d.OnSavePausePoints();
        const std::string saved = ReadFileBytes(h.path("a.txt")).value_or("");
        QCOMPARE(std::count(saved.begin(), saved.end(), '\n'), 299);
        QVERIFY(saved.starts_with("1.000000\r\n") && saved.ends_with("299.000000\r\n"));
        QVERIFY(!d.m_pausePointsModified);
        // The file is now the list: no more asking.
        const std::size_t shown = h.prompts.messages.size();
        h.prompts.answers.assign({BoxAnswer::Yes});
        d.OnSavePausePoints();
        QCOMPARE(h.prompts.messages.size(), shown + 2);  // cover it, saved
    }
};

QTEST_MAIN(PausePointCommandsTest)
#include "test_pause_point_commands.moc"
