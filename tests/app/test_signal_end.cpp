// Ending on SIGTERM, SIGHUP or SIGINT: the signal reaches the event loop,
// and the window ends as its close box would, without asking.
#include "DialogHarness.h"
#include "app/TerminationSignals.h"
#include "app/TextFile.h"

#include <QFile>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
// What `steps` writes to stderr.
template <typename Steps>
std::string stderrOf(Steps steps)
{
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    const int saved = ::dup(2);
    ::dup2(::fileno(capture), 2);
    steps();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::string text(4096, '\0');
    std::rewind(capture);
    text.resize(std::fread(text.data(), 1, text.size(), capture));
    std::fclose(capture);
    return text;
}

bool hasDefaultAction(int signal)
{
    struct sigaction now {};
    ::sigaction(signal, nullptr, &now);
    return now.sa_handler == SIG_DFL;
}
}

class SignalEndTest : public QObject {
    Q_OBJECT
private slots:
    void signalsReachTheEventLoop()
    {
        std::signal(SIGHUP, SIG_IGN);  // as under nohup
        std::vector<int> got;
        {
            TerminationSignals signalPipe;
            signalPipe.Deliver([&got](int signal) { got.push_back(signal); });
            ::raise(SIGTERM);
            QVERIFY(got.empty());  // never inside the handler
            QTRY_COMPARE(got, std::vector<int>{SIGTERM});
            QVERIFY(hasDefaultAction(SIGTERM));  // a second one ends a stuck program
            ::raise(SIGINT);
            QTRY_COMPARE(got, (std::vector<int>{SIGTERM, SIGINT}));
            ::raise(SIGHUP);
            QTest::qWait(50);
            QCOMPARE(got.size(), std::size_t(2));
            QCOMPARE(TerminationSignals::Name(SIGHUP), "SIGHUP");
        }
        QVERIFY(hasDefaultAction(SIGINT));
        std::signal(SIGHUP, SIG_DFL);
    }

    void endingBySignalDoesTheCloseStepsWithoutAsking()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        h.prompts.openAnswers.push_back(h.path("a.mp3"));
        d.OnOpenMedia();
        h.player().position = 3.0;
        d.OnAddPausePoint();
        d.OnPlayPausePoint();
        d.m_segStart = 1.5;
        const std::size_t shown = h.prompts.messages.size();
        const std::string said = stderrOf([&] {
            d.EndForSignal("SIGTERM");
            d.EndForSignal("SIGINT");  // the first one is under way
        });
        QCOMPARE(h.prompts.messages.size(), shown);
        QCOMPARE(h.quitCodes, std::vector<int>{0});
        QCOMPARE(h.player().calls.back(), std::string("Stop"));
        QCOMPARE(h.recorder->calls, std::vector<std::string>{"StopRec"});
        QVERIFY(!d.IsTimerRunning(kPausePointTimer));
        QVERIFY(ReadFileBytes(h.path("quillini")).value_or("").starts_with("1.500000\r\n"));
        QVERIFY(!QFile::exists(QString::fromStdString(h.path("a.txt"))));
        QCOMPARE(said, "quillora: ended by SIGTERM; the changed pause points were not saved to " + h.path("a.txt") + ".\n");
    }
};

QTEST_MAIN(SignalEndTest)
#include "test_signal_end.moc"
