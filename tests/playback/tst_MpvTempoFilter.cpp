// The sound chain told to mpv for a speed and the passage's cut.
#include "mpvengine/MpvTempoFilter.h"

#include <QTest>
#include <optional>

class TstMpvTempoFilter : public QObject {
    Q_OBJECT
private slots:
    void chainCutsAheadOfTheTempoFilter_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("from");  // negative: none
        QTest::addColumn<double>("to");
        QTest::addColumn<QString>("cut");  // the lavfi part, "" for none
        QTest::newRow("at 1 mpv cuts exactly itself") << 1.0 << 2.0 << 4.0 << "-";
        QTest::newRow("faster, a passage") << 1.5 << 2.0 << 4.0 << "atrim=start=2.000000:end=4.000000";
        QTest::newRow("slower, played on freely") << 0.5 << 3.25 << -1.0 << "atrim=start=3.250000";
        QTest::newRow("from the start of the media") << 1.5 << 0.0 << 4.0 << "atrim=end=4.000000";
        QTest::newRow("no cut at all") << 0.5 << -1.0 << -1.0 << "";
        // An end at or before the start would cut away all the sound.
        QTest::newRow("sought past the end") << 1.5 << 5.0 << 4.0 << "atrim=start=5.000000";
    }

    void chainCutsAheadOfTheTempoFilter()
    {
        QFETCH(double, speed);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(QString, cut);
        const auto given = [](double v) { return v < 0.0 ? std::nullopt : std::optional<double>(v); };
        const std::string chain = MpvTempoFilter::Chain(speed, given(from), given(to));
        const std::string tempo = MpvTempoFilter::For(speed);
        if (cut == "-")
            QCOMPARE(chain, std::string());
        else if (cut.isEmpty())
            QCOMPARE(chain, tempo);
        else
            QVERIFY2(chain.starts_with("lavfi=[asetpts=") && chain.ends_with("," + cut.toStdString() + "]," + tempo),
                     chain.c_str());
        QCOMPARE(tempo.empty(), speed == 1.0);
        QCOMPARE(MpvTempoFilter::Beyond(speed) > 0.0, speed != 1.0);
    }
};

QTEST_GUILESS_MAIN(TstMpvTempoFilter)
#include "tst_MpvTempoFilter.moc"
