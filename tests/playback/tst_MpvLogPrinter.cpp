// mpv's messages on the terminal: runs of one message are cut short.
#include "mpvengine/MpvLogPrinter.h"

#include <mpv/client.h>

#include <QtTest>
#include <cstdio>
#include <string>

class TstMpvLogPrinter : public QObject {
    Q_OBJECT
private slots:
    void runsOfOneMessageAreCutShort_data()
    {
        QTest::addColumn<QString>("messages");  // one letter a message, "ad: text"
        QTest::addColumn<QString>("printed");   // one letter a line; + for a count of the rest
        QTest::newRow("different ones") << "abab" << "abab";
        QTest::newRow("a short run") << "aaab" << "aaab";
        QTest::newRow("a long run, then another") << "aaaaaab" << "aaa+b";
        QTest::newRow("a long run at the end") << "baaaaa" << "baaa+";
        QTest::newRow("the same again after another") << "aaaabaaaa" << "aaa+baaa+";
    }

    void runsOfOneMessageAreCutShort()
    {
        QFETCH(QString, messages);
        QFETCH(QString, printed);
        std::FILE* out = std::tmpfile();
        QVERIFY(out);
        {
            MpvLogPrinter printer(out);
            for (QChar c : messages) {
                const std::string text = std::string("text ") + c.toLatin1() + "\n";
                mpv_event_log_message message{"ad", "error", text.c_str(), MPV_LOG_LEVEL_ERROR};
                printer.Print(message);
            }
        }
        std::rewind(out);
        QString seen;
        char line[200];
        while (std::fgets(line, sizeof line, out)) {
            const std::string s = line;
            if (s.find("came ") != std::string::npos)
                seen += '+';
            else if (s.rfind("quillora: player: [ad] text ", 0) == 0)
                seen += s[28];
        }
        std::fclose(out);
        QCOMPARE(seen, printed);
    }
};

QTEST_APPLESS_MAIN(TstMpvLogPrinter)
#include "tst_MpvLogPrinter.moc"
