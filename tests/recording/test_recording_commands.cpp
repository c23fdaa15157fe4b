// The recording commands and the two display formatters.
#include "DialogHarness.h"
#include "app/TextFile.h"
#include "recording/DisplayFormat.h"
#include "recorder/TakeFailure.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
void click(CRecorderDlg& d, int id) { static_cast<QPushButton*>(d.GetDlgItem(id))->click(); }
QString label(CRecorderDlg& d, int id) { return static_cast<QLabel*>(d.GetDlgItem(id))->text(); }
}

class RecordingCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void durationTable_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        const std::pair<int, const char*> rows[] = {
            {0, "0 s"}, {59, "59 s"}, {60, "1 : 0 s"}, {3600, "1 : 0 s"}, {3605, "1 : 5 s"},
            {3725, "1 : 2 : 5 s"}, {86399, "23 : 59 : 59 s"}, {86400, "1 D0 s"}, {90061, "1 D1 : 1 : 1 s"},
            {604800, "1 W0 s"}, {694861, "1 W1 D1 : 1 : 1 s"}, {-5, "-5 s"}, {2147483647, "3550 W5 D3 : 14 : 7 s"}};
        for (const auto& [s, t] : rows)
            QTest::newRow(std::to_string(s).c_str()) << s << QString(t);
    }
    void durationTable()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(FormatDuration(seconds)), text);
    }

    void fileSizeTable_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("text");
        const std::pair<int, const char*> rows[] = {
            {0, "0 Byte"}, {1023, "1023 Byte"}, {1024, "1 KB"}, {1536, "1 KB"}, {1048575, "1023 KB"},
            {1048576, "1 M 0 Byte"}, {1049000, "1 M 424 Byte"}, {1572864, "1 M 512 KB"},
            {2098152, "2 M 1000 Byte"}, {2147483647, "2047 M 1023 KB"}, {-1, "-1 Byte"}};
        for (const auto& [b, t] : rows)
            QTest::newRow(std::to_string(b).c_str()) << b << QString(t);
    }
    void fileSizeTable()
    {
        QFETCH(int, bytes);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(FormatFileSize(bytes)), text);
    }

    void recordWithoutAPathOnlyAsks()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        click(d, 1033);
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QCOMPARE(h.prompts.messages[0].text, std::string("Please Input Save File Name!"));
        QCOMPARE(h.prompts.messages[0].caption, std::string("quillora"));
        QCOMPARE(h.prompts.messages[0].icon, BoxIcon::Exclamation);
        QVERIFY(h.recorder->calls.empty());
        QVERIFY(!d.IsTimerRunning(kRecordTimer));
        QVERIFY(d.GetDlgItem(1032)->isEnabled());
        QVERIFY(label(d, 1029).isEmpty());
    }

    void choosingAppendsMp3AndRecordHandsItToTheEngine()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        const std::string chosen = h.path("talk");
        h.prompts.saveAnswers.push_back(chosen);
        click(d, 1032);
        QCOMPARE(h.prompts.saveRequests.size(), std::size_t(1));
        QVERIFY(h.prompts.saveRequests[0].confirmOverwrite);
        QVERIFY(h.prompts.saveRequests[0].hideReadOnly);
        QCOMPARE(d.m_recordPath, chosen + ".mp3");
        QCOMPARE(static_cast<QLineEdit*>(d.GetDlgItem(1031))->text(), QString::fromStdString(chosen + ".mp3"));
        QVERIFY(h.prompts.messages.empty());  // talk.mp3 does not exist: no question

        for (int press = 0; press < 2; ++press)
            click(d, 1033);
        QCOMPARE(h.recorder->calls, (std::vector<std::string>{"SetFileName " + chosen + ".mp3", "StartRec",
                                                              "SetFileName " + chosen + ".mp3", "StartRec"}));
        QVERIFY(d.IsTimerRunning(kRecordTimer));
        QVERIFY(!d.GetDlgItem(1032)->isEnabled());

        // A name that already ends in .mp3 gets it once more.
        h.prompts.saveAnswers.push_back(chosen + ".mp3");
        d.OnChooseOutputFile();
        QCOMPARE(d.m_recordPath, chosen + ".mp3.mp3");
    }

    // The buttons and the timer do not depend on the start; what went wrong
    // is told once, at the press or on the next tick.
    void recorderFailureIsToldOnceAndButtonsStayAsSpecified()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.recorder->startResult = false;
        h.recorder->failure = "No sound input could be opened: none. Nothing was recorded.";
        d.m_recordPath = "/nowhere/x.mp3";
        d.DoDataExchange(false);
        d.OnRecord();
        QVERIFY(d.IsTimerRunning(kRecordTimer));
        QVERIFY(!d.GetDlgItem(1032)->isEnabled());
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QCOMPARE(h.prompts.messages[0].text, std::string("No sound input could be opened: none. Nothing was recorded."));
        QCOMPARE(h.prompts.messages[0].caption, std::string("quillora"));
        QCOMPARE(h.prompts.messages[0].icon, BoxIcon::Exclamation);

        d.OnTimer(kRecordTimer);
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        const std::string ended = "Recording stopped: the disk is full. The first 0:42 are kept in /x.mp3.";
        h.recorder->failure = ended;
        h.recorder->seconds = 42;
        d.OnTimer(kRecordTimer);
        QCOMPARE(h.prompts.messages.size(), std::size_t(2));
        QCOMPARE(h.prompts.messages[1].text, ended);
        QCOMPARE(label(d, 1029), QStringLiteral("42 s"));
        QVERIFY(!d.GetDlgItem(1032)->isEnabled());
    }

    void takeFailureTexts_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << 0.0 << "Recording stopped: x. Nothing was recorded.";
        QTest::newRow("under a second") << 0.5 << "Recording stopped: x. Less than a second is kept in /a.mp3.";
        QTest::newRow("seconds") << 42.9 << "Recording stopped: x. The first 0:42 are kept in /a.mp3.";
        QTest::newRow("hours") << 3723.0 << "Recording stopped: x. The first 1:02:03 are kept in /a.mp3.";
    }
    void takeFailureTexts()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        const TakeFailure failure{"Recording stopped: x", "/a.mp3", std::uint64_t(seconds * 44100), 44100};
        QCOMPARE(QString::fromStdString(DescribeTakeFailure(failure)), text);
    }

    void pauseTwiceAndStopWithoutRecord()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.GetDlgItem(1032)->setEnabled(false);
        click(d, 1034);
        click(d, 1034);
        click(d, 1035);
        QCOMPARE(h.recorder->calls, (std::vector<std::string>{"PauseRec", "PauseRec", "StopRec"}));
        QVERIFY(d.GetDlgItem(1032)->isEnabled());
    }

    void stopLeavesTheRecordTimerRunning()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        d.m_recordPath = "/tmp/x.mp3";
        d.DoDataExchange(false);
        d.OnRecord();
        d.OnStopRecord();
        QVERIFY(d.IsTimerRunning(kRecordTimer));
        h.recorder->seconds = 3;
        h.recorder->fileSize = 48000;
        d.OnTimer(kRecordTimer);
        QCOMPARE(label(d, 1029), QStringLiteral("3 s"));
        QCOMPARE(label(d, 1030), QStringLiteral("46 KB"));
    }

    void cancellingKeepsTheOldPath()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.prompts.saveAnswers.push_back(h.path("first"));
        d.OnChooseOutputFile();
        d.OnChooseOutputFile();  // cancelled
        QCOMPARE(d.m_recordPath, h.path("first") + ".mp3");
    }

    void anExistingFileUnderTheAppendedNameIsNotReplacedUnasked()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        const std::string song = h.path("song");
        QVERIFY(WriteFileBytes(song + ".mp3", "an earlier recording"));
        h.prompts.saveAnswers.push_back(song);
        h.prompts.answers.push_back(BoxAnswer::No);
        d.OnChooseOutputFile();
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
        QCOMPARE(h.prompts.messages[0].buttons, BoxButtons::YesNo);
        QVERIFY(h.prompts.messages[0].text.find(song + ".mp3") != std::string::npos);
        QVERIFY(d.m_recordPath.empty());
        QVERIFY(h.recorder->calls.empty());

        h.prompts.saveAnswers.push_back(song);
        h.prompts.answers.push_back(BoxAnswer::Yes);
        d.OnChooseOutputFile();
        QCOMPARE(d.m_recordPath, song + ".mp3");
        // Yes means the next take replaces the file instead of adding to it.
        QCOMPARE(h.recorder->calls, std::vector<std::string>{"ReplaceFile " + song + ".mp3"});
        QCOMPARE(ReadFileBytes(song + ".mp3").value_or(""), std::string("an earlier recording"));
    }

    // What lies under the final name is looked at, never followed: a link
    // (also one that leads nowhere) is asked about, and anything but a
    // file is refused at once, the path left as it was.
    void specialTargetsAreAskedAboutOrRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("told");
        QTest::newRow("link") << "link" << true << "already exists as a symbolic link to ";
        QTest::newRow("dangling link") << "dangling" << true << "already exists as a symbolic link to ";
        QTest::newRow("FIFO") << "fifo" << false << " is a FIFO (named pipe), not a file: a recording cannot be written there.";
        QTest::newRow("folder") << "folder" << false << " is a folder, not a file: a recording cannot be written there.";
    }
    void specialTargetsAreAskedAboutOrRefused()
    {
        QFETCH(QString, kind);
        QFETCH(bool, asked);
        QFETCH(QString, told);
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        const std::string chosen = h.path("voice"), target = chosen + ".mp3", victim = h.path("victim");
        if (kind == "link") QVERIFY(WriteFileBytes(victim, "someone else's"));
        if (kind == "link" || kind == "dangling") QCOMPARE(::symlink(victim.c_str(), target.c_str()), 0);
        if (kind == "fifo") QCOMPARE(::mkfifo(target.c_str(), 0644), 0);
        if (kind == "folder") QVERIFY(QDir().mkdir(QString::fromStdString(target)));
        for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
            h.prompts.saveAnswers.push_back(chosen);
            h.prompts.answers.push_back(answer);
            d.OnChooseOutputFile();
            QVERIFY(!h.prompts.messages.empty());
            const auto& message = h.prompts.messages.back();
            QVERIFY2(message.text.find(told.toStdString()) != std::string::npos, message.text.c_str());
            QCOMPARE(message.buttons, asked ? BoxButtons::YesNo : BoxButtons::Ok);
            const bool taken = asked && answer == BoxAnswer::Yes;
            QCOMPARE(d.m_recordPath, taken ? target : std::string());
            QCOMPARE(h.recorder->calls, taken ? std::vector<std::string>{"ReplaceFile " + target} : std::vector<std::string>{});
        }
        if (kind == "link") QCOMPARE(ReadFileBytes(victim).value_or(""), std::string("someone else's"));
        if (kind == "dangling") QVERIFY(!QFileInfo::exists(QString::fromStdString(victim)));
    }

    void overlongChosenPathChangesNothing()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.prompts.saveAnswers.push_back("/" + std::string(259, 'x'));
        d.OnChooseOutputFile();
        QVERIFY(d.m_recordPath.empty());
        QCOMPARE(h.prompts.messages.size(), std::size_t(1));
    }
};

QTEST_MAIN(RecordingCommandsTest)
#include "test_recording_commands.moc"
