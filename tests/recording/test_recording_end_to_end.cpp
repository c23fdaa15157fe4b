// Recording through the commands with the real engine on a synthetic
// voice: choose a file, record, watch the display grow, stop.
#include "DialogHarness.h"
#include "Mp3Decode.h"
#include "SineCaptureSource.h"
#include "recorder/Mp3RecorderBackend.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

#include <unistd.h>

namespace {
// A harness whose recorder is the real engine on a gated tone, which the
// test steers through `source`.
struct GatedHarness {
    SineCaptureSource* source = nullptr;
    Mp3RecorderBackend* backend = nullptr;
    DialogHarness h;
    explicit GatedHarness(SineOptions options)
        : h(std::string(), true, {}, [this, options] {
              auto sine = std::make_unique<SineCaptureSource>(options);
              source = sine.get();
              auto recorder = std::make_unique<Mp3RecorderBackend>(std::move(sine));
              backend = recorder.get();
              return recorder;
          })
    {
    }
    // Records a take and waits until its file is finished.
    bool recordTake(double seconds)
    {
        h.dialog->OnRecord();
        source->grant(seconds);
        const bool drained = source->waitDrained();
        h.dialog->OnStopRecord();
        return drained && backend->WaitSettled();
    }
};

SineOptions gated(bool failOpen = false)
{
    SineOptions options;
    options.gated = true;
    options.failOpen = failOpen;
    return options;
}

double decodedSeconds(const std::string& path)
{
    const auto audio = decodeMp3(path);
    return audio ? audio->seconds() : -1;
}
}

class RecordingEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    // Yes to the replace question starts the file anew; recording again to
    // the same path without that question adds to it.
    void yesReplacesWhileRecordingAgainAppends()
    {
        GatedHarness g(gated());
        CRecorderDlg& d = *g.h.dialog;
        const std::string chosen = g.h.path("voice");
        g.h.prompts.saveAnswers.push_back(chosen);
        d.OnChooseOutputFile();
        QVERIFY(g.recordTake(1.2));
        g.h.prompts.saveAnswers.push_back(chosen);
        g.h.prompts.answers.push_back(BoxAnswer::Yes);
        d.OnChooseOutputFile();
        QCOMPARE(g.h.prompts.messages.size(), std::size_t(1));  // the question
        QVERIFY(g.recordTake(1.2));
        QVERIFY2(std::abs(decodedSeconds(chosen + ".mp3") - 1.2) < 0.1, qPrintable(QString::number(decodedSeconds(chosen + ".mp3"))));
        QVERIFY(g.recordTake(1.2));
        QVERIFY2(std::abs(decodedSeconds(chosen + ".mp3") - 2.4) < 0.1, qPrintable(QString::number(decodedSeconds(chosen + ".mp3"))));
    }

    // Yes to replacing a symbolic link records into a file of its own in
    // the link's place; what the link pointed to keeps its bytes.
    void replacingALinkNeverWritesThroughIt()
    {
        GatedHarness g(gated());
        CRecorderDlg& d = *g.h.dialog;
        const std::string chosen = g.h.path("link"), victim = g.h.path("victim");
        {
            QFile file(QString::fromStdString(victim));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("someone else's file");
        }
        QCOMPARE(::symlink(victim.c_str(), (chosen + ".mp3").c_str()), 0);
        g.h.prompts.saveAnswers.push_back(chosen);
        g.h.prompts.answers.push_back(BoxAnswer::Yes);
        d.OnChooseOutputFile();
        QVERIFY(g.recordTake(1.2));
        QVERIFY(g.h.prompts.messages.size() == 1);  // the question, and no failure
        QVERIFY(!QFileInfo(QString::fromStdString(chosen + ".mp3")).isSymLink());
        QVERIFY2(std::abs(decodedSeconds(chosen + ".mp3") - 1.2) < 0.1, qPrintable(QString::number(decodedSeconds(chosen + ".mp3"))));
        QFile file(QString::fromStdString(victim));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("someone else's file"));
    }

    void recordWithoutSoundInputTellsAndShowsNothing()
    {
        GatedHarness g(gated(true));
        CRecorderDlg& d = *g.h.dialog;
        const std::string chosen = g.h.path("silence");
        g.h.prompts.saveAnswers.push_back(chosen);
        d.OnChooseOutputFile();
        d.OnRecord();
        // The start fails on the worker; the next tick tells it.
        QVERIFY(g.backend->WaitSettled());
        d.OnTimer(kRecordTimer);
        QCOMPARE(g.h.prompts.messages.size(), std::size_t(1));
        const std::string& told = g.h.prompts.messages[0].text;
        QVERIFY2(told.starts_with("No sound input could be opened: ") && told.ends_with(". Nothing was recorded."), told.c_str());
        QCOMPARE(g.h.prompts.messages[0].icon, BoxIcon::Exclamation);
        d.OnTimer(kRecordTimer);
        QCOMPARE(static_cast<QLabel*>(d.GetDlgItem(1029))->text(), QStringLiteral("0 s"));
        QCOMPARE(static_cast<QLabel*>(d.GetDlgItem(1030))->text(), QStringLiteral("0 Byte"));
        QVERIFY(!QFile::exists(QString::fromStdString(chosen + ".mp3")));
        QCOMPARE(g.h.prompts.messages.size(), std::size_t(1));
    }

    void recordThreeSecondsThroughTheCommands()
    {
        Mp3RecorderBackend* backend = nullptr;
        DialogHarness h(std::string(), true, {}, [&backend] {
            SineOptions options;
            options.realTime = true;
            auto recorder = std::make_unique<Mp3RecorderBackend>(std::make_unique<SineCaptureSource>(options));
            backend = recorder.get();
            return recorder;
        });
        CRecorderDlg& d = *h.dialog;
        const std::string chosen = h.path("voice");
        h.prompts.saveAnswers.push_back(chosen);
        d.OnChooseOutputFile();
        d.OnRecord();
        QVERIFY(d.IsTimerRunning(kRecordTimer));

        auto* size = static_cast<QLabel*>(d.GetDlgItem(1030));
        auto* time = static_cast<QLabel*>(d.GetDlgItem(1029));
        QStringList sizes;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 3000) {
            QTest::qWait(250);
            if (sizes.isEmpty() || sizes.last() != size->text())
                sizes << size->text();
        }
        d.OnStopRecord();
        QVERIFY(d.GetDlgItem(1032)->isEnabled());
        QVERIFY(backend->WaitSettled());
        QTest::qWait(150);  // a tick after the stop shows the final figures
        QVERIFY2(sizes.size() >= 4, qPrintable(sizes.join(" | ")));  // it grew while recording
        QVERIFY2(time->text() == "3 s" || time->text() == "2 s", qPrintable(time->text()));

        const auto audio = decodeMp3(chosen + ".mp3");
        QVERIFY(audio);
        QVERIFY2(std::abs(audio->seconds() - 3.0) < 0.35, qPrintable(QString::number(audio->seconds())));
        QVERIFY(std::abs(toneFrequency(*audio, 0.5, 2.5) - 440.0) < 5.0);
    }
};

QTEST_MAIN(RecordingEndToEndTest)
#include "test_recording_end_to_end.moc"
