// The engine's one state of mpv's media, fed with events as mpv sends them.
#include "mpvengine/MpvEventState.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
mpv_event mpvEvent(mpv_event_id id, void* data = nullptr, std::uint64_t userdata = 0)
{
    mpv_event e{};
    e.event_id = id;
    e.data = data;
    e.reply_userdata = userdata;
    return e;
}

// Loads entry 7 of path into a fresh state.
MpvEventState loaded(const std::string& path)
{
    MpvEventState state;
    state.BeginLoad(7, path);
    mpv_event_start_file start{7};
    state.Apply(mpvEvent(MPV_EVENT_START_FILE, &start));
    state.Apply(mpvEvent(MPV_EVENT_FILE_LOADED));
    return state;
}

constexpr std::uint64_t kTimePosId = 1, kEofId = 4;  // as MpvEventState observes time-pos and eof-reached

// Runs steps such as "load play seek:1.5 loaded settle" on state, as the
// engine does; returns the load last taken by "settle".
MpvEventState::Waiting runSteps(MpvEventState& state, const QString& steps)
{
    MpvEventState::Waiting taken;
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
        const QString name = step.section(':', 0, 0);
        mpv_event_start_file start{7};
        mpv_event_end_file end{};
        end.reason = MPV_END_FILE_REASON_ERROR;
        end.error = MPV_ERROR_UNKNOWN_FORMAT;
        end.playlist_entry_id = 7;
        if (name == "load") {
            state.ForgetRequests();
            state.BeginLoad(7, "/nowhere.mp3");
            state.WaitForLoad("/nowhere.mp3", "stamp", std::chrono::steady_clock::now());
        } else if (name == "play") {
            state.AskPlay();
        } else if (name == "pause") {
            state.AskPause();
        } else if (name == "seek") {
            state.SeekWhileLoading(step.section(':', 1).toDouble());
        } else if (name == "loaded") {
            state.Apply(mpvEvent(MPV_EVENT_START_FILE, &start));
            state.Apply(mpvEvent(MPV_EVENT_FILE_LOADED));
        } else if (name == "fails") {
            state.Apply(mpvEvent(MPV_EVENT_START_FILE, &start));
            state.Apply(mpvEvent(MPV_EVENT_END_FILE, &end));
        } else if (name == "settle") {
            taken = state.TakeWaitingLoad();
        } else {
            qFatal("unknown step %s", qPrintable(step));
        }
    }
    return taken;
}
}  // namespace

class TstMpvEventState : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void mediaEndedByMpvIsNoLongerLoaded_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<QString>("why");
        QTest::newRow("decoding error") << int(MPV_END_FILE_REASON_ERROR) << true << "the file could not be decoded";
        QTest::newRow("error, file gone") << int(MPV_END_FILE_REASON_ERROR) << false << "the file is gone";
        QTest::newRow("mpv's stop") << int(MPV_END_FILE_REASON_STOP) << true << "the player has closed the file";
    }

    void mediaEndedByMpvIsNoLongerLoaded()
    {
        QFETCH(int, reason);
        QFETCH(bool, fileThere);
        QFETCH(QString, why);
        const std::string path = m_dir.filePath(fileThere ? "there.wav" : "gone.wav").toStdString();
        if (fileThere)
            QFile(QString::fromStdString(path)).open(QIODevice::WriteOnly);
        MpvEventState state = loaded(path);
        QVERIFY(state.Loaded());

        mpv_event_end_file other{};
        other.reason = MPV_END_FILE_REASON_STOP;
        other.playlist_entry_id = 6;  // the file this one replaced
        state.Apply(mpvEvent(MPV_EVENT_END_FILE, &other));
        QVERIFY(state.Loaded());

        mpv_event_end_file end{};
        end.reason = static_cast<mpv_end_file_reason>(reason);
        end.error = MPV_ERROR_LOADING_FAILED;
        end.playlist_entry_id = 7;
        state.Apply(mpvEvent(MPV_EVENT_END_FILE, &end));
        QVERIFY(!state.Loaded());
        QCOMPARE(QString::fromStdString(state.WhyNotLoaded()), why);
    }

    void failedLoadKeepsMpvsCode()
    {
        MpvEventState state;
        state.BeginLoad(3, "/nowhere.mp3");
        mpv_event_start_file start{3};
        state.Apply(mpvEvent(MPV_EVENT_START_FILE, &start));
        mpv_event_end_file end{};
        end.reason = MPV_END_FILE_REASON_ERROR;
        end.error = MPV_ERROR_UNKNOWN_FORMAT;
        end.playlist_entry_id = 3;
        state.Apply(mpvEvent(MPV_EVENT_END_FILE, &end));
        QVERIFY(state.LoadState() == MpvEventState::Load::Failed);
        QCOMPARE(state.LoadError(), int(MPV_ERROR_UNKNOWN_FORMAT));
    }

    // An end or a position reported before a seek says nothing about after it.
    void seekForgetsTheEndAndFinishesOnRestart()
    {
        const std::string path = m_dir.filePath("seek.wav").toStdString();
        QFile(QString::fromStdString(path)).open(QIODevice::WriteOnly);
        MpvEventState state = loaded(path);
        int yes = 1;
        mpv_event_property eof{"eof-reached", MPV_FORMAT_FLAG, &yes};
        state.Apply(mpvEvent(MPV_EVENT_PROPERTY_CHANGE, &eof, kEofId));
        QVERIFY(state.Status().eofReached);

        state.BeginSeek();
        state.Status().position = 1.0;  // the target, as the engine sets it
        double before = 3.5;
        mpv_event_property timePos{"time-pos", MPV_FORMAT_DOUBLE, &before};
        state.Apply(mpvEvent(MPV_EVENT_PROPERTY_CHANGE, &timePos, kTimePosId));
        QCOMPARE(state.Status().position, 1.0);
        state.Apply(mpvEvent(MPV_EVENT_PLAYBACK_RESTART));  // of something before the seek
        QVERIFY(state.SeekPending());
        state.Apply(mpvEvent(MPV_EVENT_SEEK));
        QVERIFY(!state.Status().eofReached);
        state.Apply(mpvEvent(MPV_EVENT_PLAYBACK_RESTART));
        QVERIFY(state.SeekDone());
        QVERIFY(state.Loaded());
        double after = 1.02;
        timePos.data = &after;
        state.Apply(mpvEvent(MPV_EVENT_PROPERTY_CHANGE, &timePos, kTimePosId));
        QCOMPARE(state.Status().position, 1.02);
        // A new file's start while the output still plays the file before.
        double notYetHeard = -0.17;
        timePos.data = &notYetHeard;
        state.Apply(mpvEvent(MPV_EVENT_PROPERTY_CHANGE, &timePos, kTimePosId));
        QCOMPARE(state.Status().position, 0.0);
    }
    // What the engine asked for while a load goes on, row by row: the steps
    // from a fresh state, then what the state holds. -1 stands for none; the
    // start's seek and play are the waiting load's, or once settled the
    // taken one's.
    void requestsAroundALoad_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("waiting");
        QTest::addColumn<int>("load");
        QTest::addColumn<bool>("wantsPlay");
        QTest::addColumn<bool>("startPlay");
        QTest::addColumn<double>("startSeek");
        QTest::addColumn<double>("pinned");
        const int pending = int(MpvEventState::Load::Pending), done = int(MpvEventState::Load::Done),
                  failed = int(MpvEventState::Load::Failed);
        QTest::newRow("play while loading") << "load play" << true << pending << true << true << -1.0 << -1.0;
        QTest::newRow("pause takes play back") << "load play pause" << true << pending << false << false << -1.0 << -1.0;
        QTest::newRow("seek pins its target") << "load seek:2.5" << true << pending << false << false << 2.5 << 2.5;
        QTest::newRow("seek before 0 is 0") << "load seek:-3" << true << pending << false << false << 0.0 << 0.0;
        QTest::newRow("loaded, not yet settled") << "load play seek:1 loaded" << true << done << true << true << 1.0 << 1.0;
        QTest::newRow("settled") << "load play seek:1 loaded settle" << false << done << true << true << 1.0 << 1.0;
        QTest::newRow("failed, not yet settled") << "load play fails" << true << failed << true << true << -1.0 << -1.0;
        QTest::newRow("pause after settling") << "load play loaded settle pause" << false << done << false << true << -1.0 << -1.0;
        QTest::newRow("a new load forgets all") << "load play seek:4 loaded settle load" << true << pending << false << false << -1.0 << -1.0;
        QTest::newRow("play with no load") << "play" << false << done << true << false << -1.0 << -1.0;
    }

    void requestsAroundALoad()
    {
        QFETCH(QString, steps);
        QFETCH(bool, waiting);
        QFETCH(int, load);
        QFETCH(bool, wantsPlay);
        QFETCH(bool, startPlay);
        QFETCH(double, startSeek);
        QFETCH(double, pinned);
        MpvEventState state;
        const MpvEventState::Waiting taken = runSteps(state, steps);
        const MpvEventState::Waiting& start = state.WaitingLoad() ? *state.WaitingLoad() : taken;
        QCOMPARE(bool(state.WaitingLoad()), waiting);
        QCOMPARE(int(state.LoadState()), load);
        QCOMPARE(state.WantsPlay(), wantsPlay);
        QCOMPARE(start.play, startPlay);
        QCOMPARE(start.seek.value_or(-1.0), startSeek);
        QCOMPARE(state.Pinned().value_or(-1.0), pinned);
        if (state.Pinned() && state.LoadState() == MpvEventState::Load::Pending)
            QCOMPARE(state.Status().position, *state.Pinned());  // reads where it will start
    }
};

QTEST_GUILESS_MAIN(TstMpvEventState)
#include "tst_MpvEventState.moc"
