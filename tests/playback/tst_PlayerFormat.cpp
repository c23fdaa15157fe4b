// The control bar's clock text and speed steps, and the position clock
// that carries the position line between the player's reports.
#include "common/FormatClock.h"
#include "pane/PlayerFormat.h"
#include "pane/PositionClock.h"

#include <QtTest>
#include <cmath>
#include <limits>

class TstPlayerFormat : public QObject {
    Q_OBJECT
private slots:
    void clockShowsTenths_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("total");
        QTest::addColumn<QString>("shown");
        QTest::newRow("start") << 0.0 << false << "0:00.0";
        QTest::newRow("position cut down") << 12.39 << false << "0:12.3";
        QTest::newRow("exact tenth") << 12.3 << false << "0:12.3";
        QTest::newRow("total exact") << 245.0 << true << "4:05.0";
        QTest::newRow("total rounded up") << 2.96 << true << "0:03.0";
        QTest::newRow("total a hair over") << 245.0000001 << true << "4:05.0";
        QTest::newRow("hours") << 3723.45 << false << "1:02:03.4";
        QTest::newRow("negative") << -1.0 << false << "0:00.0";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << true << "0:00.0";
    }

    void clockShowsTenths()
    {
        QFETCH(double, seconds);
        QFETCH(bool, total);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(FormatClock(seconds, total ? ClockRounding::Up : ClockRounding::Down)), shown);
    }

    void speedStepsOnTheGridWithinRange_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("to");
        QTest::newRow("faster") << 1.0 << 1 << "1.05x";
        QTest::newRow("slower") << 1.0 << -1 << "0.95x";
        QTest::newRow("top") << 2.0 << 1 << "2.00x";
        QTest::newRow("bottom") << 0.5 << -1 << "0.50x";
        QTest::newRow("far below") << 1.0 << -30 << "0.50x";
        QTest::newRow("off the grid") << 1.23 << 0 << "1.25x";
    }

    void speedStepsOnTheGridWithinRange()
    {
        QFETCH(double, from);
        QFETCH(int, steps);
        QFETCH(QString, to);
        QCOMPARE(QString::fromStdString(FormatSpeed(SteppedSpeed(from, steps))), to);
    }

    void positionClockCarriesTheLastReportForward()
    {
        using namespace std::chrono_literals;
        const auto t0 = PositionClock::Clock::time_point{} + 100s;
        PositionClock clock;
        clock.report(10.0, true, 1.5, 20.0, t0);
        QCOMPARE(clock.at(t0 + 1s), 11.5);
        // A report for another change, with the same position, does not restart it.
        clock.report(10.0, true, 1.5, 20.0, t0 + 1s);
        QCOMPARE(clock.at(t0 + 2s), 13.0);
        // A slightly late report does not pull the line back; a real move does.
        clock.report(12.95, true, 1.5, 20.0, t0 + 2s);
        QCOMPARE(clock.at(t0 + 2s), 13.0);
        clock.report(5.0, true, 1.5, 20.0, t0 + 2s);
        QCOMPARE(clock.at(t0 + 2s), 5.0);
        // Never past the end; still while paused.
        QCOMPARE(clock.at(t0 + 60s), 20.0);
        clock.report(7.0, false, 1.5, 20.0, t0 + 60s);
        QCOMPARE(clock.at(t0 + 70s), 7.0);
        clock.jumpTo(3.0, t0 + 70s);
        QCOMPARE(clock.at(t0 + 80s), 3.0);
    }
};

QTEST_APPLESS_MAIN(TstPlayerFormat)
#include "tst_PlayerFormat.moc"
