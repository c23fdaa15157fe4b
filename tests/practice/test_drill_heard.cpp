// What a learner hears of a drill on the real player through a private
// sound server: every round of every sentence from its start to its end,
// and the gaps between them as long as chosen. Started with D, on the
// lines of a subtitle file beside the tone-coded media.
#include "DialogHarness.h"
#include "MonitorCapture.h"
#include "PulseTestServer.h"
#include "TestMedia.h"
#include "ToneCode.h"
#include "app/TextFile.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "pane/SubtitleTrack.h"
#include "pane/WaveformView.h"
#include "practice/DrillBar.h"
#include "support/Mp3Decode.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

namespace {
constexpr double kEndTolerance = 0.020, kGapTolerance = 0.050;
// Two sentences (file seconds), and what is heard: each twice, a gap of
// the sentence's length after each round but the last.
constexpr double kSentences[2][2] = {{1.513, 2.237}, {2.862, 3.588}};

QString ms(double seconds) { return QString::number(seconds * 1000.0, 'f', 1) + " ms"; }
}  // namespace

class DrillHeardTest : public QObject {
    Q_OBJECT
    PulseTestServer m_pulse;
    ToneCode m_code;

private slots:
    void initTestCase() { QVERIFY2(m_pulse.start(), qPrintable(m_pulse.log())); }

    void roundsAndGapsAreHeardAsChosen()
    {
        DialogHarness h(std::string(), false);
        const QString settings = h.dir.filePath("practice.conf");
        h.services.makePlayerEngine = [] {
            MpvOptions options = MpvOptions::NullOutputs();
            options.audioOutput = "pulse";
            return std::make_unique<MpvPlayerEngine>(options);
        };
        h.services.makeDrill = [settings](IMediaEngine& engine, PlayerDrillHooks hooks) {
            return std::make_unique<DrillBar>(engine, std::move(hooks), settings);
        };
        h.dialog = std::make_unique<CRecorderDlg>(h.services);
        CRecorderDlg& d = *h.dialog;
        d.OnInitDialog();
        const std::string media = h.path("tones.wav");
        WriteSamplesWav(media, m_code.Render(m_code.End() + 1.0, false), m_code.rate);
        QVERIFY(WriteFileBytes(h.path("tones.srt"), "1\n00:00:01,513 --> 00:00:02,237\none\n\n"
                                                    "2\n00:00:02,862 --> 00:00:03,588\ntwo\n\n"));
        h.prompts.openAnswers.push_back(media);
        static_cast<QAbstractButton*>(d.GetDlgItem(1009))->click();
        static_cast<QAbstractButton*>(d.GetDlgItem(1011))->click();
        QTRY_VERIFY_WITH_TIMEOUT(!d.m_player.subtitles().lines().empty(), 10000);
        Drill& drill = static_cast<DrillBar*>(d.m_player.drill())->drill();
        DrillSettings chosen;
        chosen.repeats = 2;
        chosen.gap = {1.0, 0.0};
        chosen.goOn = true;
        drill.setSettings(chosen);
        d.m_player.SetPosition(1.0);

        MonitorCapture capture(m_code.rate);
        QVERIFY(capture.Start());
        QTest::keyClick(&d, Qt::Key_D);
        QVERIFY(drill.running());
        QTRY_COMPARE_WITH_TIMEOUT(drill.state(), Drill::State::Done, 20000);
        QTest::qWait(300);  // the tail of the last round reaches the monitor
        const auto pieces = ReadHeardPieces(capture.Stop(), m_code, 1.0);
        QVERIFY(h.prompts.messages.empty());
        // The last sentence is the passage, as L would have made it.
        QCOMPARE(d.m_segStart, kSentences[1][0]);
        QCOMPARE(d.m_segEnd, kSentences[1][1]);

        QString heard;
        for (const HeardPiece& p : pieces)
            heard += QString(" %1-%2 after %3").arg(p.start, 0, 'f', 3).arg(p.end, 0, 'f', 3).arg(ms(p.silenceBefore));
        qInfo("heard:%s", qPrintable(heard));
        QVERIFY2(pieces.size() == 4, qPrintable("heard" + heard));
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const double* sentence = kSentences[i / 2];
            const double start = pieces[i].start - sentence[0], end = pieces[i].end - sentence[1];
            QVERIFY2(std::abs(start) <= kEndTolerance, qPrintable(QString("round %1: start %2").arg(i).arg(ms(start))));
            QVERIFY2(std::abs(end) <= kEndTolerance, qPrintable(QString("round %1: end %2").arg(i).arg(ms(end))));
            qInfo("round %d: start %s, end %s", int(i), qPrintable(ms(start)), qPrintable(ms(end)));
            if (i == 0)
                continue;
            const double* before = kSentences[(i - 1) / 2];
            const double gap = pieces[i].silenceBefore - (before[1] - before[0]);
            qInfo("gap before round %d: %s", int(i), qPrintable(ms(gap)));
            QVERIFY2(std::abs(gap) <= kGapTolerance, qPrintable(QString("gap before round %1: %2").arg(i).arg(ms(gap))));
        }

        // T records a take of the passage, by itself to 1.5 times its
        // length; Y plays it, on a stream of its own.
        auto* bar = static_cast<DrillBar*>(d.m_player.drill());
        QSignalSpy taken(&bar->takes(), &TakeRecorder::finished);
        QSignalSpy played(&bar->takePlayer(), &TakePlayer::ended);
        QTest::keyClick(&d, Qt::Key_T);
        QVERIFY(bar->takes().recording());
        QTRY_VERIFY_WITH_TIMEOUT(!taken.isEmpty(), 20000);
        QCOMPARE(taken.first().at(1).toBool(), true);
        const QString file = bar->takes().latestTake(d.m_segStart);
        QVERIFY2(file.contains("/tones.takes/"), qPrintable(file));
        const auto take = decodeMp3(file.toStdString());
        QVERIFY(take);
        QVERIFY2(std::abs(take->seconds() - 1.5 * (d.m_segEnd - d.m_segStart)) < 0.06, qPrintable(QString::number(take->seconds())));
        QTest::keyClick(&d, Qt::Key_Y);
        QVERIFY(bar->takePlayer().playing());
        QTRY_VERIFY_WITH_TIMEOUT(!played.isEmpty(), 10000);
        QCOMPARE(played.first().at(0).toString(), QString());
        QVERIFY(d.m_player.waveformView()->takeShown());
    }
};

QTEST_MAIN(DrillHeardTest)
#include "test_drill_heard.moc"
