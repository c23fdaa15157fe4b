// The passage commands by key: which command each key runs, where the
// focus may be, and which keys stay with the controls.
#include "DialogHarness.h"
#include "app/CommandKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
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
        const int none = Qt::NoModifier;
        const QString nothing = "| A=1 B=2 | watch 0 | boxes 0 | open";
        // The focus in the read-only A edit, where the window starts.
        QTest::newRow("a marks A") << int(Qt::Key_A) << none << 1002 << true << 1023 << QString();
        QTest::newRow("b marks B") << int(Qt::Key_B) << none << 1002 << true << 1024 << QString();
        QTest::newRow("r repeats") << int(Qt::Key_R) << none << 1003 << true << 1012 << QString();
        QTest::newRow("n plays on") << int(Qt::Key_N) << none << 1009 << true << 1010 << QString();
        QTest::newRow("p pauses") << int(Qt::Key_P) << none << 1033 << true << 1011 << QString();
        QTest::newRow("a on the player") << int(Qt::Key_A) << none << kPlayer << true << 1023 << QString();
        QTest::newRow("p on the player") << int(Qt::Key_P) << none << kPlayer << true << 1011 << QString();
        // A disabled button's key does what a click on it does: nothing.
        QTest::newRow("r disabled") << int(Qt::Key_R) << none << 1002 << false << 0 << nothing;
        QTest::newRow("n disabled") << int(Qt::Key_N) << none << 1002 << false << 0 << nothing;
        QTest::newRow("p disabled") << int(Qt::Key_P) << none << kPlayer << false << 0 << nothing;
        QTest::newRow("a stays enabled") << int(Qt::Key_A) << none << 1002 << false << 1023 << QString();
        // The recording path field keeps every key.
        for (int key : {Qt::Key_A, Qt::Key_B, Qt::Key_R, Qt::Key_N, Qt::Key_P})
            QTest::newRow(qPrintable("path field " + QKeySequence(key).toString()))
                << key << none << kRecordPath << true << 0 << nothing;
        // Other modifiers are other keys.
        QTest::newRow("Shift+A") << int(Qt::Key_A) << int(Qt::ShiftModifier) << 1002 << true << 0 << nothing;
        QTest::newRow("Ctrl+R") << int(Qt::Key_R) << int(Qt::ControlModifier) << kPlayer << true << 0 << nothing;
        // The player's keys stay the player's.
        QTest::newRow("Space") << int(Qt::Key_Space) << none << kPlayer << true << 0
                               << "Pause | A=1 B=2 | watch 0 | boxes 0 | open";
        QTest::newRow("Home") << int(Qt::Key_Home) << none << kPlayer << true << 0
                              << "SetPosition 0 | A=1 B=2 | watch 0 | boxes 0 | open";
        QTest::newRow("Left") << int(Qt::Key_Left) << none << kPlayer << true << 0
                              << "GetPosition, SetPosition 5 | A=1 B=2 | watch 0 | boxes 0 | open";
        QTest::newRow("]") << int(Qt::Key_BracketRight) << none << kPlayer << true << 0
                           << "SetSpeed 1.05 | A=1 B=2 | watch 0 | boxes 0 | open";
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << kPlayer << true << 0
                                   << "SetSpeed 1 | A=1 B=2 | watch 0 | boxes 0 | open";
        QTest::newRow("m") << int(Qt::Key_M) << none << kPlayer << true << 0
                           << "SetMuted 1 | A=1 B=2 | watch 0 | boxes 0 | open";
        // Esc still ends the window at once.
        QTest::newRow("Esc") << int(Qt::Key_Escape) << none << 1002 << true << 0
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

    void watchedWindowAndTypingFields()
    {
        QWidget window, picture;
        auto* button = new QPushButton(&picture);
        auto* typing = new QLineEdit(&picture);
        int ran = 0;
        CommandKeys keys(&window);
        keys.add({Qt::Key_L, [&ran] { ++ran; }, {}});
        keys.add({Qt::Key_L, [&ran] { ran += 100; }, {}});  // the first entry stays
        QTest::keyClick(button, Qt::Key_L);
        QCOMPARE(ran, 0);  // not a window of the table yet
        keys.watch(&picture);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_L);
        QCOMPARE(ran, 1);
        typing->setFocus();
        QTest::keyClick(typing, Qt::Key_L);
        QCOMPARE(ran, 1);
        QCOMPARE(typing->text(), QStringLiteral("l"));
    }
};

QTEST_MAIN(CommandKeysTest)
#include "test_command_keys.moc"
