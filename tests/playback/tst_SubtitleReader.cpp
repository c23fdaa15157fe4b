// Subtitle files read through the real FFmpeg: the formats, the character
// sets, the sidecar beside a media file, and damaged input.
#include "support/DescribeLines.h"
#include "support/TestMedia.h"
#include "readers/SubtitleReader.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
struct Expected {
    double start, end;
    const char* text;
};
}  // namespace

class TstSubtitleReader : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::atomic<bool> m_going{false};

    std::string write(const std::string& name, const std::string& bytes)
    {
        const std::string path = m_dir.filePath(QString::fromStdString(name)).toStdString();
        WriteBytes(path, bytes);
        return path;
    }
    std::vector<SubtitleLine> read(const std::string& name, const std::string& bytes)
    {
        return subtitles::ReadSubtitleFile(write(name, bytes), m_going);
    }

private slots:
    void formats_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("lines");
        QTest::newRow("srt, tags and two rows") << "a.srt"
            << QByteArray("1\r\n00:00:01,000 --> 00:00:02,500\r\n<i>Hello</i> there\r\nsecond row\r\n\r\n"
                          "2\r\n00:00:03,000 --> 00:00:04,000\r\n{\\an8}Top\r\n\r\n")
            << "1-2.5 Hello there\nsecond row | 3-4 Top";
        QTest::newRow("vtt with cue settings") << "a.vtt"
            << QByteArray("WEBVTT\n\n00:00.500 --> 00:01.250 align:start\nfirst\n\n"
                          "intro\n00:00:02.000 --> 00:00:03.000\nsecond <b>bold</b>\n\n")
            << "0.5-1.25 first | 2-3 second bold";
        QTest::newRow("ass: comments out, overrides and drawings dropped") << "a.ass"
            << QByteArray("[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\n"
                          "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
                          "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
                          "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
                          "Style: Default,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,"
                          "0,0,1,2,0,2,10,10,10,1\n\n[Events]\n"
                          "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
                          "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\pos(10,10)}One,\\Nand\\htwo\n"
                          "Comment: 0,0:00:02.00,0:00:03.00,Default,,0,0,0,,not shown\n"
                          "Dialogue: 0,0:00:03.00,0:00:04.50,Default,,0,0,0,,{\\p1}m 0 0 l 10 10{\\p0}Three\n")
            << "1-2 One,\nand two | 3-4.5 Three";
        QTest::newRow("utf-8 with its mark, Chinese") << "zh.srt"
            << QByteArray("\xEF\xBB\xBF" "1\n00:00:01,000 --> 00:00:02,000\n\xE4\xBD\xA0\xE5\xA5\xBD\n\n")
            << "1-2 你好";
        QTest::newRow("gbk bytes") << "gbk.srt"
            << QByteArray("1\n00:00:01,000 --> 00:00:02,000\n\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\n\n")
            << "1-2 你好，世界";
        // Bad bytes in a few cues of a UTF-8 file cost only those bytes.
        QTest::newRow("utf-8 with two bad cues") << "bad.srt"
            << QByteArray("1\n00:00:01,000 --> 00:00:02,000\n\xE4\xBD\xA0\xE5\xA5\xBD\n\n"
                          "2\n00:00:03,000 --> 00:00:04,000\nbad \xFF\xFE here\n\n"
                          "3\n00:00:05,000 --> 00:00:06,000\ncaf\xE9 au lait\n\n"
                          "4\n00:00:07,000 --> 00:00:08,000\n\xE4\xB8\x96\xE7\x95\x8C\n\n")
            << "1-2 你好 | 3-4 bad \uFFFD\uFFFD here | 5-6 caf\uFFFD au lait | 7-8 世界";
        QTest::newRow("ascii with two bad cues") << "latin.srt"
            << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nhello\n\n"
                          "2\n00:00:03,000 --> 00:00:04,000\nbad \xFF\xFE here\n\n"
                          "3\n00:00:05,000 --> 00:00:06,000\ncaf\xE9\n\n"
                          "4\n00:00:07,000 --> 00:00:08,000\nworld\n\n")
            << "1-2 hello | 3-4 bad \uFFFD\uFFFD here | 5-6 caf\uFFFD | 7-8 world";
        QTest::newRow("out of order: read as written") << "order.srt"
            << QByteArray("2\n00:00:05,000 --> 00:00:06,000\nlater\n\n1\n00:00:01,000 --> 00:00:02,000\nearlier\n\n")
            << "1-2 earlier | 5-6 later";
    }
    void formats()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QVERIFY(m_dir.isValid());
        QFETCH(QString, lines);
        // The reader keeps FFmpeg's order; the lookup sorts.
        const SubtitleLines read = SubtitleLines(this->read(name.toStdString(), bytes.toStdString()));
        QCOMPARE(describe(read.lines()), lines);
    }

    void damagedInputGivesWhatCanBeRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("lines");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("binary noise") << QByteArray(5000, '\x9C') << 0;
        QTest::newRow("cut in a time") << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nfine\n\n2\n00:00:0") << 1;
        QTest::newRow("times out of range") << QByteArray("1\n99:99:99,999 --> 00:00:01,000\nbad\n\n") << 0;
        QTest::newRow("only numbers") << QByteArray("1\n2\n3\n4\n") << 0;
    }
    void damagedInputGivesWhatCanBeRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, lines);
        const SubtitleLines read = SubtitleLines(this->read("damaged.srt", bytes.toStdString()));
        QCOMPARE(int(read.lines().size()), lines);
    }

    void notAFileOrTooLargeIsNotRead()
    {
        QVERIFY(subtitles::ReadSubtitleFile(m_dir.path().toStdString(), m_going).empty());
        QVERIFY(subtitles::ReadSubtitleFile(m_dir.filePath("missing.srt").toStdString(), m_going).empty());
        std::string huge = "1\n00:00:01,000 --> 00:00:02,000\nfirst\n\n";
        huge.resize(subtitles::kMaxBytes + 1, '\n');
        QVERIFY(subtitles::ReadSubtitleFile(write("huge.srt", huge), m_going).empty());
        huge.resize(subtitles::kMaxBytes);  // at the limit it is read
        QCOMPARE(subtitles::ReadSubtitleFile(write("huge.srt", huge), m_going).size(), std::size_t(1));
    }

    void stopCutsTheReadingShort()
    {
        std::string srt;
        for (int i = 0; i < 2000; ++i)
            srt += std::to_string(i + 1) + "\n00:00:01,000 --> 00:00:02,000\nline " + std::to_string(i) + "\n\n";
        const std::string path = write("long.srt", srt);
        const std::atomic<bool> stopped{true};
        QVERIFY(subtitles::ReadSubtitleFile(path, stopped).empty());
        QCOMPARE(subtitles::ReadSubtitleFile(path, m_going).size(), std::size_t(2000));
    }

    // A container's own text track, made here with the ffmpeg tool; a
    // media file without one has no lines, and is not read through.
    void mediaFilesOwnTextTrack()
    {
        const std::string srt = write("track.srt", "1\n00:00:00,500 --> 00:00:01,500\ninside\n\n");
        const std::string film = m_dir.filePath("film.mkv").toStdString();
        const std::string make = "timeout 30 ffmpeg -v error -y -f lavfi -t 2 -i anullsrc=r=8000:cl=mono -i '" + srt
                               + "' -c:a pcm_s16le -c:s srt '" + film + "'";
        QCOMPARE(std::system(make.c_str()), 0);
        QCOMPARE(describe(subtitles::ReadTrackOfMedia(film, m_going)), QString("0.5-1.5 inside"));
        const std::string tone = m_dir.filePath("tone.wav").toStdString();
        WriteToneWav(tone, 1.0);
        QVERIFY(subtitles::ReadTrackOfMedia(tone, m_going).empty());
    }

    void sidecarHasTheMediaFilesBaseName()
    {
        QTemporaryDir dir;
        const auto at = [&](const char* name) { return dir.filePath(name).toStdString(); };
        WriteBytes(at("lesson.mp3"), "x");
        QCOMPARE(subtitles::FindSidecar(at("lesson.mp3")), std::string());
        WriteBytes(at("lesson.ASS"), "x");
        QCOMPARE(subtitles::FindSidecar(at("lesson.mp3")), at("lesson.ASS"));
        WriteBytes(at("lesson.srt"), "x");
        QCOMPARE(subtitles::FindSidecar(at("lesson.mp3")), at("lesson.srt"));
        QVERIFY(QDir().mkdir(dir.filePath("film.vtt")));  // a folder is no file
        WriteBytes(at("film.mkv"), "x");
        QCOMPARE(subtitles::FindSidecar(at("film.mkv")), std::string());
        // A subtitle file played itself has no sidecar of its own.
        QCOMPARE(subtitles::FindSidecar(at("lesson.srt")), at("lesson.ASS"));
    }

    void plainTextOfEvents_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("text");
        QTest::newRow("too few fields") << "0,0,Default" << "";
        QTest::newRow("unclosed block") << "0,0,Default,,0,0,0,,ok{\\i1 rest" << "ok";
        QTest::newRow("blank rows go") << "0,0,Default,,0,0,0,,  \\N\\N  x  \\N " << "x";
        QTest::newRow("commas in the text stay") << "0,0,Default,,0,0,0,,a, b, c" << "a, b, c";
    }
    void plainTextOfEvents()
    {
        QFETCH(QString, event);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(subtitles::PlainTextOfEvent(event.toStdString())), text);
    }

    void encodingGuess_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("gb18030");
        const QByteArray hello = "\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xE4\xB8\x96\xE7\x95\x8C";  // 你好，世界
        const QByteArray gbkHello = "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7";
        QTest::newRow("ascii") << QByteArray("plain text") << false;
        QTest::newRow("utf-8") << hello << false;
        QTest::newRow("gbk") << gbkHello << true;
        QTest::newRow("gbk, four-byte gb18030") << gbkHello + "\x81\x30\x81\x30" << true;
        QTest::newRow("utf-8 with a bad byte") << hello + "\xFF" << false;
        QTest::newRow("gbk with a bad byte") << gbkHello + "\xFF" << true;
        QTest::newRow("neither: latin-1") << QByteArray("caf\xE9 cr\xE8me\n") << false;
    }
    void encodingGuess()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, gb18030);
        QCOMPARE(subtitles::GuessEncoding(bytes.toStdString()) == subtitles::TextEncoding::Gb18030, gb18030);
    }

    void badBytesAreReplaced_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("well-formed") << QByteArray("\xE4\xBD\xA0 ok") << QString("你 ok");
        QTest::newRow("a bad byte") << QByteArray("a\xFF" "b") << QString("a\uFFFDb");
        QTest::newRow("cut at the end") << QByteArray("x\xE4\xBD") << QString("x\uFFFD\uFFFD");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QString("\uFFFD\uFFFD\uFFFD");
    }
    void badBytesAreReplaced()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const std::string mended = subtitles::ValidUtf8(bytes.toStdString());
        QVERIFY(subtitles::IsUtf8(mended));
        QCOMPARE(QString::fromStdString(mended), text);
    }

    void utf8Check_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("ascii") << QByteArray("abc") << true;
        QTest::newRow("chinese") << QByteArray("\xE4\xBD\xA0") << true;
        QTest::newRow("gbk") << QByteArray("\xC4\xE3\xBA\xC3") << false;
        QTest::newRow("cut sequence") << QByteArray("\xE4\xBD") << false;
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    }
    void utf8Check()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        QCOMPARE(subtitles::IsUtf8(bytes.toStdString()), utf8);
    }
};

QTEST_APPLESS_MAIN(TstSubtitleReader)
#include "tst_SubtitleReader.moc"
