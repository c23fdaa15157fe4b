// A file the real player cannot play, opened through the open command as
// the user does, with the player's loads ending after SetMediaFile has
// returned as they do in the program: it is told once by the command that
// loaded it, and the play command's guard speaks for a load it started.
#include "DialogHarness.h"
#include "TestMedia.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QAbstractButton>
#include <QTest>

namespace {
const int kPlaybackControls[] = {1008, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018};

std::unique_ptr<IMediaEngine> lateLoadingEngine()
{
    MpvOptions options = MpvOptions::NullOutputs();
    options.loadWaitMs = 0;
    return std::make_unique<MpvPlayerEngine>(options);
}

struct Opened {
    DialogHarness h{std::string(), true, lateLoadingEngine};
    CRecorderDlg& d = *h.dialog;

    void open(const std::string& path)
    {
        h.prompts.openAnswers.push_back(path);
        d.OnOpenMedia();
    }
    // A good file afterwards: once it has loaded, nothing of the bad one
    // is still on its way.
    void openGoodFile()
    {
        const std::string good = h.path("good.wav");
        WriteToneWav(good, 2.0);
        open(good);
        QTRY_VERIFY_WITH_TIMEOUT(d.m_player.engine().Status().loaded, 5000);
    }
};
}  // namespace

class UnplayableFilesTest : public QObject {
    Q_OBJECT
private slots:
    // After the open command has told it, 播放 loads the file again, and
    // its guard tells the failure: the fault report, then the notice with
    // the stop sign, and the playback controls are disabled.
    void playTellsItsOwnLoadThroughItsGuard()
    {
        Opened o;
        const std::string bad = o.h.path("bad.mp3");
        WriteBytes(bad, "Plain text, not audio.\n");
        o.open(bad);
        QTRY_COMPARE_WITH_TIMEOUT(o.h.prompts.messages.size(), std::size_t(1), 5000);
        static_cast<QAbstractButton*>(o.d.GetDlgItem(1026))->click();
        QTRY_COMPARE_WITH_TIMEOUT(o.h.prompts.messages.size(), std::size_t(3), 5000);
        const std::vector<MessageBoxRequest>& m = o.h.prompts.messages;
        QCOMPARE(m[1].caption, std::string("Exception"));
        QVERIFY2(m[1].text.starts_with("Code = ffff"), m[1].text.c_str());
        QCOMPARE(m[2].caption, std::string("Ravelle"));
        QCOMPARE(m[2].text, std::string("Error Media Types"));
        QCOMPARE(m[2].icon, BoxIcon::Error);
        for (int id : kPlaybackControls)
            QVERIFY(!o.d.GetDlgItem(id)->isEnabled());
        o.openGoodFile();
        QCOMPARE(o.h.prompts.messages.size(), std::size_t(3));
        QVERIFY(o.d.GetDlgItem(1010)->isEnabled());
    }
};

QTEST_MAIN(UnplayableFilesTest)
#include "test_unplayable_files.moc"
