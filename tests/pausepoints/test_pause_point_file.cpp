// The pause-point file on bytes: path rule, format and the classic reader.
#include "pausepoints/PausePointFile.h"

#include <QTest>
#include <array>

class PausePointFileTest : public QObject {
    Q_OBJECT
private slots:
    void pathIsPositional()
    {
        QCOMPARE(PausePointPathFor("C:\\Music\\lesson1.mp3"), std::string("C:\\Music\\lesson1.txt"));
        QCOMPARE(PausePointPathFor("C:\\v\\clip.mpeg"), std::string("C:\\v\\clip.mtxt"));
        QCOMPARE(PausePointPathFor("/m/track.wav"), std::string("/m/track.txt"));
        QCOMPARE(PausePointPathFor("abc"), std::string("txt"));
        // Too short to replace anything: no file at all rather than a guess.
        QCOMPARE(PausePointPathFor("ab"), std::string());
        QCOMPARE(PausePointPathFor(""), std::string());
    }

    void formatIsFixedSixWithCrLf()
    {
        const std::array<double, 3> entries{3.5, 12.17, 20};
        const std::string bytes = FormatPausePoints(entries.data(), 3);
        QCOMPARE(bytes, std::string("3.500000\r\n12.170000\r\n20.000000\r\n"));
        QCOMPARE(bytes.size(), std::size_t(32));
        QCOMPARE(FormatPausePoints(entries.data(), 0), std::string());
        const std::array<double, 1> negative{-0.13};
        QCOMPARE(FormatPausePoints(negative.data(), 1), std::string("-0.130000\r\n"));
    }

    void roundTripKeepsOrderAndSixDecimals()
    {
        const std::array<double, 4> entries{9.670001, 1.25, -3.0, 1234.5678914};
        const auto pieces = ParsePausePoints(FormatPausePoints(entries.data(), 4), 300);
        QCOMPARE(pieces.size(), std::size_t(4));
        QCOMPARE(pieces[0].value, 9.670001);
        QCOMPARE(pieces[0].text, std::string("9.670001\n"));
        QCOMPARE(pieces[2].value, -3.0);
        QCOMPARE(pieces[3].value, 1234.567891);
    }

    void linesAreReadInPiecesOfAtMost79()
    {
        const auto hundred = ParsePausePoints(std::string(100, '7') + "\r\n", 300);
        QCOMPARE(hundred.size(), std::size_t(2));
        QCOMPARE(hundred[0].text, std::string(79, '7'));
        QCOMPARE(hundred[1].text, std::string(21, '7') + "\n");

        const auto exact = ParsePausePoints(std::string(79, '1') + "\n2\n", 300);
        QCOMPARE(exact.size(), std::size_t(3));
        QCOMPARE(exact[1].text, std::string("\n"));
        QCOMPARE(exact[1].value, 0.0);
        QCOMPARE(exact[2].value, 2.0);

        const auto lastUnterminated = ParsePausePoints("1.5\r\n2.5", 300);
        QCOMPARE(lastUnterminated.size(), std::size_t(2));
        QCOMPARE(lastUnterminated[1].text, std::string("2.5"));
        QCOMPARE(lastUnterminated[1].value, 2.5);
    }

    void anyTextReadsAsTheClassicReaderWould()
    {
        const auto pieces = ParsePausePoints("12abc\n\ninf\nnan\n0x10\n  4.5\n", 300);
        QCOMPARE(pieces.size(), std::size_t(6));
        QCOMPARE(pieces[0].text, std::string("12abc\n"));
        QCOMPARE(pieces[0].value, 12.0);
        QCOMPARE(pieces[1].value, 0.0);
        for (int i : {2, 3, 4})
            QCOMPARE(pieces[i].value, 0.0);
        QCOMPARE(pieces[5].value, 4.5);
        QVERIFY(ParsePausePoints("", 300).empty());
    }

    void readingStopsAtCapacity()
    {
        std::string many;
        for (int i = 0; i < 400; ++i)
            many += std::to_string(i) + "\r\n";
        const auto pieces = ParsePausePoints(many, 300);
        QCOMPARE(pieces.size(), std::size_t(300));
        QCOMPARE(pieces.back().value, 299.0);
    }

    void moreThanTheCapacityIsNoticed()
    {
        std::string full;
        for (int i = 0; i < 300; ++i)
            full += std::to_string(i) + "\r\n";
        QVERIFY(!HoldsMorePausePoints(full, 300));
        QVERIFY(!HoldsMorePausePoints("", 300));
        QVERIFY(HoldsMorePausePoints(full + "x", 300));
        QVERIFY(HoldsMorePausePoints(full + "\n", 300));  // a blank line is a piece too
        // A long line is two pieces: 299 lines and one of 100 characters are 301.
        QVERIFY(HoldsMorePausePoints(full.substr(0, full.rfind("299")) + std::string(100, '7'), 300));
    }
};

QTEST_MAIN(PausePointFileTest)
#include "test_pause_point_file.moc"
