// LRC lyric files from their bytes: time tags, offsets, metadata, character
// sets, and damaged input; and an .lrc beside a media file, through the loader.
#include "support/DescribeLines.h"
#include "support/TestMedia.h"
#include "readers/LrcReader.h"
#include "readers/SubtitleLoader.h"

#include <QTemporaryDir>
#include <QTest>

class TstLrcReader : public QObject {
    Q_OBJECT
private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("soundSeconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("hundredths, the last ends with the sound")
            << QByteArray("[00:01.00]One\n[00:03.50]Two\n") << 9.0 << "1-3.5 One | 3.5-9 Two";
        QTest::newRow("thousandths and none, CRLF")
            << QByteArray("[00:01.250]One\r\n[00:02]Two\r\n[01:02.5]Three\r\n") << 70.0
            << "1.25-2 One | 2-62.5 Two | 62.5-70 Three";
        QTest::newRow("sound length not known")
            << QByteArray("[00:01.00]One\n") << 0.0 << "1-6 One";
        QTest::newRow("sound shorter than the last tag")
            << QByteArray("[00:10.00]One\n") << 4.0 << "10-15 One";
        QTest::newRow("several tags on one line, out of order")
            << QByteArray("[00:05.00][00:01.00]Chorus\n[00:03.00]Verse\n") << 8.0
            << "1-3 Chorus | 3-5 Verse | 5-8 Chorus";
        QTest::newRow("metadata is no line")
            << QByteArray("[ti:Lesson 1]\n[ar:Teacher]\n[al:Book]\n[by:me]\n[length:03:00]\n[00:01.00]One\n") << 3.0
            << "1-3 One";
        QTest::newRow("positive offset shows the lines sooner")
            << QByteArray("[offset:+500]\n[00:01.00]One\n[00:02.00]Two\n") << 4.0 << "0.5-1.5 One | 1.5-4 Two";
        QTest::newRow("negative offset shows them later, wherever it stands")
            << QByteArray("[00:00.20]One\n[00:02.00]Two\n[offset:-250]\n") << 4.0 << "0.45-2.25 One | 2.25-4 Two";
        QTest::newRow("a tag without text ends the line before")
            << QByteArray("[00:01.00]One\n[00:02.00]\n[00:04.00]Two\n") << 5.0 << "1-2 One | 4-5 Two";
        QTest::newRow("the same time twice: a text and its translation")
            << QByteArray("[00:01.00]Hello\n[00:01.00]你好\n[00:02.00]Bye\n") << 3.0 << "1-2 Hello\n你好 | 2-3 Bye";
        QTest::newRow("word times of the enhanced format dropped")
            << QByteArray("[00:01.00]<00:01.00>One <00:01.50>two\n") << 3.0 << "1-3 One two";
        QTest::newRow("UTF-8 with its mark")
            << QByteArray("\xEF\xBB\xBF[00:01.00]你好\n") << 2.0 << "1-2 你好";
        QTest::newRow("UTF-8 with its mark, a broken byte dropped")
            << QByteArray("\xEF\xBB\xBF[00:01.00]A\xFF\xC3" "B\n") << 2.0 << "1-2 AB";
        QTest::newRow("GBK")
            << QByteArray("[ti:\xB5\xDA\xD2\xBB\xBF\xCE]\n[00:01.00]\xC4\xE3\xBA\xC3\n") << 2.0 << "1-2 你好";
        QTest::newRow("UTF-16 with its mark")
            << QByteArray("\xFF\xFE[\x00" "0\x00" "0\x00" ":\x00" "0\x00" "1\x00" "]\x00" "A\x00", 18) << 2.0
            << "1-2 A";
        QTest::newRow("damaged: bad tags, no closing bracket, binary")
            << QByteArray("[00:61.00]Bad seconds\n[0a:01.00]Bad\n[00:01.00\n\x01\x02\xFF[\n[00:02.00]Good\n") << 3.0
            << "2-3 Good";
        QTest::newRow("empty") << QByteArray() << 3.0 << "";
    }
    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(double, soundSeconds);
        QFETCH(QString, expected);
        QCOMPARE(describe(subtitles::ParseLrc(bytes.toStdString(), soundSeconds)), expected);
    }

    // An .lrc file beside an audio file gives its lines; its last ends where the sound does.
    void loaderReadsTheLrcBesideTheMedia()
    {
        QTemporaryDir dir;
        const std::string media = dir.filePath("lesson.wav").toStdString();
        WriteToneWav(media, 3.0, 8000);
        WriteBytes(dir.filePath("lesson.lrc").toStdString(), "[00:00.50]One\n[00:01.50]Two\n");
        std::atomic<bool> done{false};
        SubtitleLoader loader(media, [&done] { done = true; });
        QTRY_VERIFY(done.load());
        const SubtitleLines lines = loader.takeLines();
        const auto& read = lines.lines();
        QCOMPARE(read.size(), std::size_t(2));
        QCOMPARE(read[1].start, 1.5);
        QVERIFY2(std::abs(read[1].end - 3.0) < 0.05, qPrintable(QString::number(read[1].end)));
    }
};

QTEST_GUILESS_MAIN(TstLrcReader)
#include "tst_LrcReader.moc"
