// The marks that land in the pause, the fine nudges, the drill's own
// settings file, and the drill in the window: its key, and the window's
// commands that end it before they do what they always do.
#include "DialogHarness.h"
#include "TestMedia.h"
#include "app/TextFile.h"
#include "pane/PlayerControlBar.h"
#include "pane/SubtitleTrack.h"
#include "practice/DrillBar.h"
#include "practice/PassageMarks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTest>

namespace {
const SubtitleLines kSentences({{1.0, 2.0, "one"}, {2.4, 3.0, "two"}});

// A window on the fake player with a lesson whose subtitle file holds the
// two sentences above, and its drill's settings in the harness's folder.
struct DrillWindow {
    DialogHarness h{std::string(), false};
    CRecorderDlg* d = nullptr;

    explicit DrillWindow(bool withLesson = true)
    {
        const QString settings = h.dir.filePath("practice.conf");
        h.services.makeDrill = [settings](IMediaEngine& engine, PlayerDrillHooks hooks) {
            return std::make_unique<DrillBar>(engine, std::move(hooks), settings);
        };
        h.dialog = std::make_unique<CRecorderDlg>(h.services);
        d = h.dialog.get();
        d->OnInitDialog();
        if (!withLesson)
            return;
        const std::string media = h.path("lesson.wav");
        WriteToneWav(media, 4.0);
        WriteFileBytes(h.path("lesson.srt"), "1\n00:00:01,000 --> 00:00:02,000\none\n\n"
                                             "2\n00:00:02,400 --> 00:00:03,000\ntwo\n\n");
        h.prompts.openAnswers.push_back(media);
        click(1009);
    }
    void click(int id) { static_cast<QAbstractButton*>(d->GetDlgItem(id))->click(); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(d, Qt::Key(key), modifiers);
    }
    Drill& drill() { return static_cast<DrillBar*>(d->m_player.drill())->drill(); }
};
}  // namespace

class DrillChoicesTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_config;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8()); }

    void marksLandInThePause_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::newRow("a little late into a sentence") << 1.2 << 1.0 << 1.2;
        QTest::newRow("a little early before its end") << 1.9 << 1.9 << 2.0;
        QTest::newRow("in the pause: its start and its end") << 2.1 << 2.0 << 2.4;
        QTest::newRow("half a second is still near") << 1.5 << 1.0 << 2.0;
        QTest::newRow("nothing near: the position") << 0.3 << 0.3 << 0.3;
        QTest::newRow("not a number stays so") << qQNaN() << qQNaN() << qQNaN();
    }

    void marksLandInThePause()
    {
        QFETCH(double, position);
        QFETCH(double, a);
        QFETCH(double, b);
        const auto same = [](double x, double y) { return (std::isnan(x) && std::isnan(y)) || qFuzzyCompare(x, y); };
        QVERIFY2(same(StartInPause(kSentences, position), a), qPrintable(QString::number(StartInPause(kSentences, position))));
        QVERIFY2(same(EndInPause(kSentences, position), b), qPrintable(QString::number(EndInPause(kSentences, position))));
        QCOMPARE(StartInPause(SubtitleLines(), 1.2), 1.2);
    }

    // The nudges push the other end along as the half-second buttons do.
    void fineNudges()
    {
        const struct {
            double a, b;
            bool start;
            double step, wantA, wantB;
        } rows[] = {
            {1.0, 1.02, true, kFineNudge, 1.05, 1.07},
            {1.0, 1.5, true, kFineNudge, 1.05, 1.5},
            {1.0, 1.5, false, -kFineNudge, 1.0, 1.45},
            {1.0, 1.03, false, -kFineNudge, 0.95, 0.98},
            {0.02, 1.0, true, -kFineNudge, -0.03, 1.0},  // nothing clamps, as with the buttons
        };
        for (const auto& r : rows) {
            double a = r.a, b = r.b;
            NudgePassage(a, b, r.start, r.step);
            QVERIFY2(qFuzzyCompare(a, r.wantA) && qFuzzyCompare(b, r.wantB), qPrintable(QString("%1 %2").arg(a).arg(b)));
        }
    }

    void settingsKeptInTheirOwnFile()
    {
        const QString path = DrillSettingsPath();
        QCOMPARE(path, m_config.filePath("quillora/practice.conf"));
        QCOMPARE(LoadDrillSettings(path), DrillSettings());  // none yet: the defaults
        DrillSettings s;
        s.repeats = 0;
        s.gap = {0.0, 7.0};
        s.firstSpeed = 0.75;
        s.goOn = false;
        s.recordTakes = true;
        s.playTake = true;
        QVERIFY(SaveDrillSettings(path, s));
        QCOMPARE(LoadDrillSettings(path), s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("gap=7s") && text.contains("firstSpeed=0.75") && text.contains("playTake=true"),
                 text.constData());
        // Values no choice offers are not taken.
        QVERIFY(WriteFileBytes(path.toStdString(), "[General]\nrepeats=4\ngap=11s\nfirstSpeed=0,75\ngoOn=maybe\nrecordTakes=1\n"));
        QCOMPARE(LoadDrillSettings(path), DrillSettings());
        // An unwritable place is told, not taken for saved.
        QVERIFY(WriteFileBytes(m_config.filePath("blocker").toStdString(), "a file, not a folder"));
        QVERIFY(!SaveDrillSettings(m_config.filePath("blocker/practice.conf"), s));
    }

    // D starts it from anywhere in the window; the sentence is the passage
    // and the window's watches step aside; Ctrl+Right moves it; the
    // player's Space holds it.
    void keysOfTheDrill()
    {
        DrillWindow w;
        QTRY_VERIFY(!w.d->m_player.subtitles().lines().empty());
        w.h.player().position = 1.5;
        w.click(1012);  // 复读: the segment watch runs
        w.h.player().position = 1.5;
        w.key(Qt::Key_D);
        QVERIFY(w.drill().running());
        QVERIFY(!w.d->IsTimerRunning(kSegmentTimer));
        QCOMPARE(w.d->m_segStart, 1.0);
        QCOMPARE(w.d->m_editEnd, 2.0);
        QCOMPARE(w.h.player().armedEnd, std::optional<double>(2.0));
        const QLabel* round = static_cast<DrillBar*>(w.d->m_player.drill())->roundLabel();
        QCOMPARE(round->text(), QString("1/3"));
        QCOMPARE(round->accessibleName(), QString("逐句复读 1/3"));
        w.key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(w.drill().sentence(), 1);
        QCOMPARE(w.d->m_segStart, 2.4);
        QCOMPARE(w.h.player().armedEnd, std::optional<double>(3.0));
        QTest::keyClick(&w.d->m_player, Qt::Key_Space);
        QCOMPARE(w.drill().state(), Drill::State::Held);
        QVERIFY(!w.h.player().playing);
        QTest::keyClick(&w.d->m_player, Qt::Key_Space);
        QCOMPARE(w.drill().state(), Drill::State::Playing);
        QVERIFY(w.h.player().playing);
        w.key(Qt::Key_D);
        QVERIFY(!w.drill().running());
        QVERIFY(!w.h.player().playing);
    }

    // The bar shows whole above the player's own, in the window and over a
    // full-screen picture.
    void barFitsInTheWindowAndFullScreen()
    {
        DrillWindow w(false);
        w.d->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.d));
        CMediaplayer1& player = w.d->m_player;
        QWidget* bar = player.drill()->Bar();
        const auto fits = [&] {
            const QRect r = bar->geometry();
            return bar->isVisible() && player.rect().contains(r) && r.bottom() < player.controlBar()->geometry().top()
                   && bar->sizeHint().width() <= r.width();
        };
        QTRY_VERIFY(fits());
        QTest::keyClick(&player, Qt::Key_F);
        QVERIFY(player.isShownFullScreen());
        QTRY_VERIFY(fits());
        QTest::keyClick(&player, Qt::Key_Escape);
        QVERIFY(!player.isShownFullScreen());
        QTRY_VERIFY(fits());
    }

    // Each command ends the drill and then does its own work, with the
    // watch's end armed again by the window.
    void windowCommandsEndTheDrill()
    {
        const struct {
            const char* name;
            int button;
            int key;
            Qt::KeyboardModifiers modifiers;
            double a, b;  // A and B after it, at a position of 2.5
            bool watch;
        } rows[] = {
            {"复读", 1012, 0, {}, 2.4, 3.0, true},
            {"暂停 by P", 0, Qt::Key_P, {}, 2.4, 2.5, false},
            {"停止", 1038, 0, {}, 2.4, 2.5, false},
            {"播放 by N", 0, Qt::Key_N, {}, 3.0, 3.0, false},
            {"开始复读计时 by A", 0, Qt::Key_A, {}, 2.5, 3.0, false},
            {"A in the pause by Shift+A", 0, Qt::Key_A, Qt::ShiftModifier, 2.4, 3.0, false},
            {"B in the pause by Shift+B", 0, Qt::Key_B, Qt::ShiftModifier, 2.4, 3.0, false},
            {"A later by Alt+Right", 0, Qt::Key_Right, Qt::AltModifier, 2.45, 3.0, false},
            {"B earlier by Alt+Shift+Left", 0, Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier, 2.4, 2.95, false},
            {"<", 1019, 0, {}, 1.9, 3.0, false},
        };
        DrillWindow w;
        QTRY_VERIFY(!w.d->m_player.subtitles().lines().empty());
        for (const auto& r : rows) {
            w.h.player().position = 2.5;
            w.key(Qt::Key_D);
            QVERIFY2(w.drill().running() && w.d->m_segStart == 2.4, r.name);
            w.h.player().position = 2.5;
            if (r.button)
                w.click(r.button);
            else
                w.key(r.key, r.modifiers);
            QVERIFY2(!w.drill().running(), r.name);
            QVERIFY2(qFuzzyCompare(w.d->m_segStart, r.a) && qFuzzyCompare(w.d->m_segEnd, r.b),
                     qPrintable(QString("%1: A=%2 B=%3").arg(r.name).arg(w.d->m_segStart).arg(w.d->m_segEnd)));
            QVERIFY2(qFuzzyCompare(w.d->m_editStart, r.a) && qFuzzyCompare(w.d->m_editEnd, r.b), r.name);
            QCOMPARE(w.d->IsTimerRunning(kSegmentTimer), r.watch);
            QCOMPARE(w.h.player().armedEnd, r.watch ? std::optional<double>(r.b) : std::nullopt);
            w.click(1038);  // the next row starts from a stopped player
        }
    }
};

QTEST_MAIN(DrillChoicesTest)
#include "test_drill_choices.moc"
