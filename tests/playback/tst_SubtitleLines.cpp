// Which line plays where, and where the line keys go, over overlapping,
// nested, simultaneous and out-of-order lines with gaps between them.
#include "player/SubtitleLines.h"

#include <QTest>
#include <cmath>
#include <limits>

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// In file order, not in time order.
SubtitleLines sample()
{
    return SubtitleLines({
        {6.0, 7.0, "d"},
        {2.0, 5.0, "b"},  // overlaps a, holds c
        {1.0, 3.0, "a"},
        {4.0, 4.5, "c"},
        {6.0, 6.5, "e"},  // starts with d, later in the file
        {8.0, 8.0, "no span"},
        {9.0, 8.5, "ends before it starts"},
        {kNaN, 9.5, "no start"},
    });
}

QString textOf(const SubtitleLine* line) { return line ? QString::fromStdString(line->text) : QString("-"); }
double orMinus(std::optional<double> value) { return value ? *value : -1.0; }
}  // namespace

class TstSubtitleLines : public QObject {
    Q_OBJECT
private slots:
    void dropsLinesWithoutASpanAndSortsTheRest()
    {
        const SubtitleLines lines = sample();
        QString order;
        for (const SubtitleLine& line : lines.lines())
            order += QString::fromStdString(line.text);
        QCOMPARE(order, QString("abcde"));
    }

    void lineAtPosition_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<QString>("playing");
        QTest::addColumn<QString>("playingOrNext");
        QTest::newRow("before the first") << 0.5 << "-" << "a";
        QTest::newRow("first start") << 1.0 << "a" << "a";
        QTest::newRow("overlap: latest start") << 2.0 << "b" << "b";
        QTest::newRow("a's end is b's") << 3.0 << "b" << "b";
        QTest::newRow("nested inside b") << 4.2 << "c" << "c";
        QTest::newRow("nested one's end") << 4.5 << "b" << "b";
        QTest::newRow("gap") << 5.5 << "-" << "e";
        QTest::newRow("same start: later in file") << 6.0 << "e" << "e";
        QTest::newRow("e ended, d goes on") << 6.7 << "d" << "d";
        QTest::newRow("end is not inside") << 7.0 << "-" << "-";
        QTest::newRow("not a number") << kNaN << "-" << "-";
    }
    void lineAtPosition()
    {
        QFETCH(double, position);
        const SubtitleLines lines = sample();
        QFETCH(QString, playing);
        QCOMPARE(textOf(lines.playingAt(position)), playing);
        QFETCH(QString, playingOrNext);
        QCOMPARE(textOf(lines.playingOrNext(position)), playingOrNext);
    }

    void lineStartsAround_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("previous");
        QTest::addColumn<double>("next");
        QTest::newRow("before the first") << 0.0 << -1.0 << 1.0;
        QTest::newRow("inside the first") << 1.5 << -1.0 << 2.0;
        QTest::newRow("at a start goes on") << 2.0 << 1.0 << 4.0;
        QTest::newRow("inside nested c") << 4.2 << 2.0 << 6.0;
        QTest::newRow("gap: the line just heard") << 5.5 << 4.0 << 6.0;
        QTest::newRow("simultaneous starts are one") << 6.2 << 4.0 << -1.0;
        QTest::newRow("after the last") << 20.0 << 6.0 << -1.0;
    }
    void lineStartsAround()
    {
        QFETCH(double, position);
        const SubtitleLines lines = sample();
        QFETCH(double, previous);
        QCOMPARE(orMinus(lines.previousStart(position)), previous);
        QFETCH(double, next);
        QCOMPARE(orMinus(lines.nextStart(position)), next);
    }

    void noLinesGiveNothing()
    {
        const SubtitleLines none;
        QVERIFY(none.empty());
        QVERIFY(!none.playingAt(1.0) && !none.playingOrNext(0.0));
        QVERIFY(!none.previousStart(5.0) && !none.nextStart(0.0));
    }

    // One long line under many short ones: the lookup stays right where the
    // short ones end and the long one shows through.
    void longLineUnderManyShortOnes()
    {
        std::vector<SubtitleLine> input{{0.0, 1000.0, "long"}};
        for (int i = 0; i < 500; ++i)
            input.push_back({1.0 + 2.0 * i, 2.0 + 2.0 * i, "short"});
        const SubtitleLines lines(std::move(input));
        QCOMPARE(textOf(lines.playingAt(1.5)), QString("short"));
        QCOMPARE(textOf(lines.playingAt(2.5)), QString("long"));
        QCOMPARE(textOf(lines.playingAt(998.5)), QString("long"));
        QCOMPARE(textOf(lines.playingAt(1000.0)), QString("-"));
    }
};

QTEST_APPLESS_MAIN(TstSubtitleLines)
#include "tst_SubtitleLines.moc"
