// The loader behind every library opened at run time: it takes the first
// soname that loads, binds what it can and names the first thing missing.
#include "common/RuntimeLibrary.h"

#include <QtTest>
#include <vector>

namespace {
constexpr char kAbsent[] = "libquillora-absent.so.0";
constexpr char kAlsoAbsent[] = "libquillora-absent.so.1";
constexpr char kMath[] = "libm.so.6";  // present everywhere

struct MathApi {
    double (*cos)(double) = nullptr;
    double (*sqrt)(double) = nullptr;
    double (*missing)(double) = nullptr;
};
}  // namespace

class TestRuntimeLibrary : public QObject {
    Q_OBJECT
private slots:
    void loadsOrSaysWhy_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("withMissing");  // also asks for two functions libm lacks
        QTest::addColumn<QString>("error");      // what it starts with; empty: none
        const QString absent = QString("cannot load %1: ").arg(kAbsent);
        QTest::newRow("all there") << QStringList{kMath} << false << QString();
        QTest::newRow("second soname") << QStringList{kAbsent, kMath} << false << QString();
        QTest::newRow("absent") << QStringList{kAbsent} << false << absent;
        QTest::newRow("every soname absent") << QStringList{kAbsent, kAlsoAbsent} << false << absent;
        QTest::newRow("lacks functions") << QStringList{kMath} << true << QString("the library lacks quillora_absent_one");
    }
    void loadsOrSaysWhy()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, withMissing);
        QFETCH(QString, error);
        std::vector<QByteArray> bytes;
        for (const QString& name : names)
            bytes.push_back(name.toUtf8());
        const char* first = bytes[0].constData();
        const char* second = bytes.size() > 1 ? bytes[1].constData() : first;  // one name: tried twice

        RuntimeApi<MathApi> math;
        MathApi& a = math.api;
        const bool complete =
            withMissing ? LoadRuntimeLibrary({first, second},
                                             {{"cos", a.cos}, {"quillora_absent_one", a.missing},
                                              {"sqrt", a.sqrt}, {"quillora_absent_two", a.missing}},
                                             math.error)
                        : LoadRuntimeLibrary({first, second}, {{"cos", a.cos}, {"sqrt", a.sqrt}}, math.error);

        QCOMPARE(complete, error.isEmpty());
        const QString said = QString::fromStdString(math.error);
        QVERIFY2(error.isEmpty() ? said.isEmpty() : said.startsWith(error), qPrintable(said));
        if (names.size() > 1 && !error.isEmpty())
            QVERIFY2(said.contains(names[1]), qPrintable(said));  // every soname tried is named
        QVERIFY(!a.missing);
        // What the library has is bound even when something else is missing.
        const bool opened = !error.startsWith("cannot load");
        QCOMPARE(a.cos != nullptr && a.sqrt != nullptr, opened);
        if (opened)
            QCOMPARE(a.cos(0.0) + a.sqrt(9.0), 4.0);
    }

    void anEarlierFailureIsKept()
    {
        std::string error;
        QVERIFY(!OpenRuntimeLibrary({kAbsent}, error));
        const std::string first = error;
        double (*cos)(double) = nullptr;
        QVERIFY(!BindRuntimeSymbols(nullptr, {{"cos", cos}}, error));
        QVERIFY(!OpenRuntimeLibrary({kAlsoAbsent}, error));
        QCOMPARE(error, first);
        QVERIFY(!cos);
    }
};

QTEST_GUILESS_MAIN(TestRuntimeLibrary)
#include "test_runtime_library.moc"
