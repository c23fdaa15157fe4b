// The subtitle file beside a lesson as the window meets it, on the fake
// player with the real readers: what is left of the last file's line, and
// a file too large to read.
#include "DialogHarness.h"
#include "support/TestMedia.h"
#include "pane/SubtitleTrack.h"
#include "readers/SubtitleReader.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTest>

namespace {
// Counts the texts the player tells (status tips, sent with its tooltip).
struct ToldTexts : QObject {
    QStringList texts;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::StatusTip)
            texts << static_cast<QStatusTipEvent*>(event)->tip();
        return false;
    }
};

// Opens `name`.mp3, with `srt` beside it unless empty, and waits until
// the player has read its lines.
void open(DialogHarness& h, const std::string& name, const std::string& srt)
{
    const std::string media = h.path(name + ".mp3");
    WriteBytes(media, std::string(3000, '\x33'));
    if (!srt.empty())
        WriteBytes(h.path(name + ".srt"), srt);
    h.prompts.openAnswers.push_back(media);
    static_cast<QPushButton*>(h.dialog->GetDlgItem(1009))->click();
    QTRY_VERIFY(!h.dialog->m_player.subtitles().loading());
}

const char kTwoLines[] = "1\n00:00:01,000 --> 00:00:03,000\nfirst\n\n"
                         "2\n00:00:05,000 --> 00:00:06,500\nsecond\n\n";
}  // namespace

class SubtitleFilesTest : public QObject {
    Q_OBJECT
private slots:
    // Whatever the next file brings, nothing of the last one's line stays,
    // for the eye or for a screen reader.
    void anotherFileLeavesNothingOfTheLastLine_data()
    {
        QTest::addColumn<QString>("nextSrt");
        QTest::newRow("next without lines") << "";
        QTest::newRow("next with lines later on") << "1\n00:01:00,000 --> 00:01:02,000\nlater\n\n";
    }
    void anotherFileLeavesNothingOfTheLastLine()
    {
        QFETCH(QString, nextSrt);
        DialogHarness h;
        CMediaplayer1& player = h.dialog->m_player;
        open(h, "lesson", kTwoLines);
        h.player().position = 3.5;
        QTest::keyClick(&player, Qt::Key_Right, Qt::ControlModifier);  // to the second line
        QCOMPARE(player.lineLabel()->accessibleName(), QString("字幕：second"));

        h.player().position = 0.0;
        open(h, "other", nextSrt.toStdString());
        QCOMPARE(player.lineLabel()->text(), QString());
        QCOMPARE(player.lineLabel()->accessibleName(), QString("字幕"));
    }

    void aFileTooLargeToReadIsToldOnce()
    {
        DialogHarness h;
        CMediaplayer1& player = h.dialog->m_player;
        ToldTexts told;
        player.installEventFilter(&told);
        std::string huge(kTwoLines);
        huge.resize(subtitles::kMaxBytes + 1, '\n');
        open(h, "lesson", huge);
        QVERIFY(player.subtitles().lines().empty());
        const QString tooLarge = "字幕文件太大，没有读取：lesson.srt（17 MiB，最多 16 MiB）";
        QCOMPARE(told.texts, QStringList{tooLarge});
        QCOMPARE(player.statusTip(), tooLarge);
        QVERIFY(h.prompts.messages.empty());

        // A file of lines afterwards says nothing, and keeps no old problem.
        open(h, "small", kTwoLines);
        QCOMPARE(told.texts, QStringList{tooLarge});
        QVERIFY(player.subtitles().problem().empty());
        QCOMPARE(player.subtitles().lines().lines().size(), std::size_t(2));
    }
};

QTEST_MAIN(SubtitleFilesTest)
#include "test_subtitle_files.moc"
