// The passage commands by key: which command each key runs, where the
// focus may be, and which keys stay with the controls.
#include "DialogHarness.h"
#include "app/CommandKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace {
constexpr int kPlayer = 1000;
constexpr int kRecordPath = 1031;

// A state in which every passage command leaves a different trace: A = 1,
// B = 2, playing at 7.
void prepare(DialogHarness& h, bool playbackEnabled, int focusId)
{
    h.dialog->show();
    QApplication::setActiveWindow(h.dialog.get());
    QVERIFY(QTest::qWaitForWindowActive(h.dialog.get()));
    h.dialog->EnablePlaybackControls(playbackEnabled);
    h.dialog->m_mediaPath = "lesson.mp3";
    h.dialog->m_segStart = h.dialog->m_editStart = 1.0;
    h.dialog->m_segEnd = h.dialog->m_editEnd = 2.0;
    h.dialog->DoDataExchange(false);
    h.dialog->GetDlgItem(focusId)->setFocus();
    h.player().position = 7.0;
    h.player().playing = true;
    h.player().calls.clear();
}

QString outcome(DialogHarness& h)
{
    QStringList calls;
    for (const std::string& call : h.player().calls)
        calls << QString::fromStdString(call);
    return QStringLiteral("%1 | A=%2 B=%3 | watch %4 | boxes %5 | %6")
        .arg(calls.join(", "))
        .arg(h.dialog->m_segStart)
        .arg(h.dialog->m_segEnd)
        .arg(h.dialog->IsTimerRunning(kSegmentTimer))
        .arg(h.prompts.messages.size())
        .arg(h.dialog->isVisible() ? "open" : "closed");
}
}

class CommandKeysTest : public QObject {
    Q_OBJECT
private slots:
    void keysRunTheirButtonsCommand_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("focusId");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("sameAsButton");  // 0: the outcome below instead
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, int key, int focusId, int button, const QString& calls = QString(),
                            bool enabled = true, int modifiers = Qt::NoModifier) {
            QTest::newRow(name) << key << modifiers << focusId << enabled << button
                                << (button ? QString() : calls + " | A=1 B=2 | watch 0 | boxes 0 | open");
        };
        // From the read-only A edit (where the window starts), a button, the player.
        row("a marks A", Qt::Key_A, 1002, 1023);
        row("b marks B", Qt::Key_B, 1002, 1024);
        row("r repeats", Qt::Key_R, 1003, 1012);
        row("n plays on", Qt::Key_N, 1009, 1010);
        row("p pauses", Qt::Key_P, kPlayer, 1011);
        // A disabled button's key does what a click on it does: nothing.
        row("r disabled", Qt::Key_R, 1002, 0, "", false);
        row("n disabled", Qt::Key_N, 1002, 0, "", false);
        row("p disabled", Qt::Key_P, kPlayer, 0, "", false);
        row("a stays enabled", Qt::Key_A, 1002, 1023, "", false);
        for (int key : {Qt::Key_A, Qt::Key_B, Qt::Key_R, Qt::Key_N, Qt::Key_P})
            row(qPrintable("path field " + QKeySequence(key).toString()), key, kRecordPath, 0);
        row("Shift+R", Qt::Key_R, 1002, 0, "", true, Qt::ShiftModifier);
        // Shift+A marks A in the pause near the position: without lines, at it.
        QTest::newRow("Shift+A") << int(Qt::Key_A) << int(Qt::ShiftModifier) << 1002 << true << 0
                                 << "GetPosition | A=7 B=2 | watch 0 | boxes 0 | open";
        row("Ctrl+R", Qt::Key_R, kPlayer, 0, "", true, Qt::ControlModifier);
        // The player's keys stay the player's.
        row("Space", Qt::Key_Space, kPlayer, 0, "Pause");
        row("Home", Qt::Key_Home, kPlayer, 0, "SetPosition 0");
        row("Left", Qt::Key_Left, kPlayer, 0, "GetPosition, SetPosition 5");
        row("]", Qt::Key_BracketRight, kPlayer, 0, "SetSpeed 1.05");
        row("Backspace", Qt::Key_Backspace, kPlayer, 0, "SetSpeed 1");
        row("m", Qt::Key_M, kPlayer, 0, "SetMuted 1");
        // Esc still ends the window at once.
        QTest::newRow("Esc") << int(Qt::Key_Escape) << int(Qt::NoModifier) << 1002 << true << 0
                             << "| A=1 B=2 | watch 0 | boxes 0 | closed";
    }

    void keysRunTheirButtonsCommand()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, focusId);
        QFETCH(bool, enabled);
        QFETCH(int, sameAsButton);
        QFETCH(QString, expected);

        if (sameAsButton != 0) {
            DialogHarness clicked;
            prepare(clicked, enabled, focusId);
            static_cast<QAbstractButton*>(clicked.dialog->GetDlgItem(sameAsButton))->click();
            expected = outcome(clicked);
            QVERIFY2(!expected.endsWith(QStringLiteral("A=1 B=2 | watch 0 | boxes 0 | open")), qPrintable(expected));
        }
        DialogHarness h;
        prepare(h, enabled, focusId);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(outcome(h).trimmed(), expected.trimmed());
    }

    void heldKeyRunsOnceAndTooltipsNameTheKeys()
    {
        DialogHarness h;
        prepare(h, true, 1002);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus, Qt::Key_R);
        QTest::keyClick(focus, Qt::Key_R);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier, QStringLiteral("r"), true);
        QApplication::sendEvent(focus, &held);
        QCOMPARE(h.player().count("Play"), 2);
        for (const auto& [id, key] : {std::pair{1023, "(A)"}, {1024, "(B)"}, {1012, "(R)"}, {1010, "(N)"}, {1011, "(P)"}})
            QVERIFY2(h.dialog->GetDlgItem(id)->toolTip().endsWith(QLatin1String(key)), qPrintable(h.dialog->GetDlgItem(id)->toolTip()));
    }

    void keysApplyInAWatchedWindow()
    {
        QWidget window, picture;  // e.g. a part of the window shown full screen
        auto* button = new QPushButton(&picture);
        int ran = 0;
        CommandKeys keys(&window);
        keys.add({Qt::Key_L, [&ran] { ++ran; }, {}});
        QTest::keyClick(button, Qt::Key_L);
        keys.watch(&picture);
        QTest::keyClick(button, Qt::Key_L);
        QCOMPARE(ran, 1);
    }
};

QTEST_MAIN(CommandKeysTest)
#include "test_command_keys.moc"
