// mpv's messages on the terminal: repeats of a message are cut short, also
// when two come by turns, and counted once the file is over.
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
        QTest::newRow("a long run, then another") << "aaaaaab" << "aaab+";
        QTest::newRow("a long run at the end") << "baaaaa" << "baaa+";
        QTest::newRow("the same again after another") << "aaaabaaaa" << "aaab+";
        QTest::newRow("two by turns") << "abababababab" << "ababab++";
        QTest::newRow("a new file counts anew") << "aaaa|aaaa" << "aaa+aaa+";
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
                if (c == '|') {
                    printer.EndFile();
                    continue;
                }
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

    // Messages that differ every time are never held back, and the counts
    // of the ones before are told when there is no more room for them.
    void messagesThatDifferEveryTimeAreAllPrinted()
    {
        std::FILE* out = std::tmpfile();
        QVERIFY(out);
        const int different = int(MpvLogPrinter::kMessagesCounted) * 3;
        {
            MpvLogPrinter printer(out);
            const mpv_event_log_message repeated{"ad", "error", "again\n", MPV_LOG_LEVEL_ERROR};
            for (int i = 0; i < 5; ++i)
                printer.Print(repeated);
            for (int i = 0; i < different; ++i) {
                const std::string text = "seek to " + std::to_string(i) + "\n";
                printer.Print(mpv_event_log_message{"demuxer", "error", text.c_str(), MPV_LOG_LEVEL_ERROR});
            }
        }
        std::rewind(out);
        int seeks = 0, counts = 0;
        char line[200];
        while (std::fgets(line, sizeof line, out)) {
            const std::string s = line;
            seeks += s.find("seek to ") != std::string::npos;
            counts += s.find("[ad] again (came 2 times more)") != std::string::npos;
        }
        std::fclose(out);
        QCOMPARE(seeks, different);
        QCOMPARE(counts, 1);
    }
};

QTEST_APPLESS_MAIN(TstMpvLogPrinter)
#include "tst_MpvLogPrinter.moc"
