// Number text as the edits and the files read and write it.
#include "app/NumberText.h"

#include <QTest>
#include <clocale>
#include <cmath>
#include <limits>

class NumberTextTest : public QObject {
    Q_OBJECT
private slots:
    void leadingNumberIsReadLikeTheClassicReader_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "12.5\n" << 12.5;
        QTest::newRow("trailing text") << "12abc" << 12.0;
        QTest::newRow("blanks and sign") << "  \t-3.25" << -3.25;
        QTest::newRow("exponent") << "1.5e2x" << 150.0;
        QTest::newRow("bare exponent mark") << "7e" << 7.0;
        QTest::newRow("exponent sign only") << "7e+" << 7.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("plus") << "+4" << 4.0;
        QTest::newRow("no digits") << "." << 0.0;
        QTest::newRow("words") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("infinity is no number here") << "inf" << 0.0;
        QTest::newRow("nan is no number here") << "nan" << 0.0;
        QTest::newRow("hex is no number here") << "0x10" << 0.0;
        QTest::newRow("comma ends the number") << "1,5" << 1.0;
        QTest::newRow("line feed only") << "\n" << 0.0;
        // Correctly rounded, and out of range as strtod is.
        QTest::newRow("long tiny decimal") << "0." + QString(330, '0') + "1" << 0.0;
        QTest::newRow("long subnormal") << "0." + QString(322, '0') + "5" << 5e-323;
        QTest::newRow("long integer") << "1" + QString(400, '0') << std::numeric_limits<double>::infinity();
        QTest::newRow("overflow") << "-1e400" << -std::numeric_limits<double>::infinity();
        QTest::newRow("huge exponent underflow") << "1e-99999999999999999999" << 0.0;
        QTest::newRow("tie to even") << "9007199254740993" << 9007199254740992.0;
        QTest::newRow("halfway above the smallest") << "2.4703282292062328e-324" << 4.9406564584124654e-324;
    }
    void leadingNumberIsReadLikeTheClassicReader()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(ReadLeadingNumber(text.toStdString()), value);
    }

    void wholeNumberTakesTheWordsTheEditsShow()
    {
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(ParseWholeNumber(" inf "), std::optional<double>(inf));
        QCOMPARE(ParseWholeNumber("-inf"), std::optional<double>(-inf));
        QCOMPARE(ParseWholeNumber("Infinity"), std::optional<double>(inf));
        QVERIFY(std::isnan(ParseWholeNumber("nan").value_or(0.0)));
        QVERIFY(std::isnan(ParseWholeNumber("-nan").value_or(0.0)));
        for (const char* bad : {"in", "infin", "nan1", "--inf", "inf inf"})
            QVERIFY2(!ParseWholeNumber(bad), bad);
    }

    void formattingIgnoresTheUsersLocale()
    {
        // A locale with a decimal comma, where the machine has one.
        const char* previous = std::setlocale(LC_NUMERIC, nullptr);
        const std::string saved = previous ? previous : "C";
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        QCOMPARE(FormatFixed6(3.5), std::string("3.500000"));
        QCOMPARE(FormatFixed6(-0.13), std::string("-0.130000"));
        QCOMPARE(FormatShown(0.1 + 0.2), std::string("0.3"));
        QCOMPARE(ReadLeadingNumber("2.75"), 2.75);
        QCOMPARE(ParseWholeNumber("2.75"), std::optional<double>(2.75));
        std::setlocale(LC_NUMERIC, saved.c_str());
    }

    void fixedFormatRoundsToSixDecimals()
    {
        QCOMPARE(FormatFixed6(20), std::string("20.000000"));
        QCOMPARE(FormatFixed6(12.17), std::string("12.170000"));
        QCOMPARE(FormatFixed6(1.0000004), std::string("1.000000"));
        QCOMPARE(FormatFixed6(-0.0000004), std::string("-0.000000"));
    }

    void fileNumbersFitALineRead()
    {
        QCOMPARE(FormatFileNumber(12.5), std::string("12.500000"));
        QCOMPARE(FormatFileNumber(1e70).size(), std::size_t(71 + 7));  // the longest "%f" that fits
        QCOMPARE(FormatFileNumber(1e71), std::string("1e+71"));
        QCOMPARE(FormatFileNumber(-1e300), std::string("-1e+300"));
        QCOMPARE(ReadLeadingNumber(FormatFileNumber(1.7976931348623157e308)), 1.7976931348623157e308);
    }
};

QTEST_MAIN(NumberTextTest)
#include "test_number_text.moc"
