// What a screen reader meets in the window, and what the A and B edits
// show of a long value. Nothing here may change what is seen.
#include "DialogHarness.h"
#include "pane/PlayerControlBar.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

namespace {
QString nameOf(QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); }
}

class ScreenReaderTest : public QObject {
    Q_OBJECT
private slots:
    void controlsAreNamedAndHiddenOnesLeftOut()
    {
        DialogHarness h;
        CRecorderDlg& d = *h.dialog;
        QCOMPARE(nameOf(d.GetDlgItem(1002)), QStringLiteral("A 开始 (秒)"));
        QCOMPARE(nameOf(d.GetDlgItem(1003)), QStringLiteral("B 结束 (秒)"));
        QVERIFY(!nameOf(d.GetDlgItem(1001)).isEmpty());
        QVERIFY(!nameOf(d.GetDlgItem(1031)).isEmpty());
        // The nudges name their end, their way and the step in force.
        QCOMPARE(nameOf(d.GetDlgItem(1019)), QStringLiteral("A 提前 0.5 秒"));
        d.m_segNudge = 0.25;
        d.DoDataExchange(false);
        QCOMPARE(nameOf(d.GetDlgItem(1022)), QStringLiteral("B 推后 0.25 秒"));
        QCOMPARE(nameOf(d.GetDlgItem(1021)), QStringLiteral("B 提前 0.25 秒"));

        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&d);
        QList<QObject*> children;
        for (int i = 0; i < window->childCount(); ++i) {
            QCOMPARE(window->indexOfChild(window->child(i)), i);
            children << window->child(i)->object();
        }
        QCOMPARE(children.size(), 42 - 12);
        for (int id : {1004, 1005, 1006, 1007, 1008, 1013, 1017, 1025})
            QVERIFY(!children.contains(d.GetDlgItem(id)));
        QVERIFY(children.contains(d.GetDlgItem(1002)) && children.contains(&d.m_player));
    }

    void playerReadsTimeInSecondsAndText()
    {
        DialogHarness h;
        PlayerControlBar& bar = *h.dialog->m_player.controlBar();
        PlayerStatus status;
        status.loaded = true;
        status.position = 65.3;
        status.duration = 180.0;
        bar.showStatus(status);
        QAccessibleValueInterface* value = QAccessible::queryAccessibleInterface(bar.positionSlider())->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->currentValue().toDouble(), 65.3);
        QCOMPARE(value->maximumValue().toDouble(), 180.0);
        QCOMPARE(QAccessible::queryAccessibleInterface(bar.positionSlider())->text(QAccessible::Value), QStringLiteral("65.3 秒"));
        const QString clock = QAccessible::queryAccessibleInterface(bar.timeLabel())->text(QAccessible::Description);
        QVERIFY2(clock.contains("1:05.3") && clock.contains("3:00.0"), qPrintable(clock));
        QCOMPARE(nameOf(bar.speedChoice()), QStringLiteral("播放速度"));
        QCOMPARE(QAccessible::queryAccessibleInterface(bar.speedChoice())->text(QAccessible::Value), QStringLiteral("1.00x"));
    }

    void editsShowTheBeginningOfALongValue()
    {
        DialogHarness h;
        h.dialog->show();
        auto* a = static_cast<QLineEdit*>(h.dialog->GetDlgItem(1002));
        h.dialog->m_editStart = 1234.56789012345;
        h.dialog->DoDataExchange(false);
        QCOMPARE(a->text(), QStringLiteral("1234.56789012345"));
        QVERIFY(a->fontMetrics().horizontalAdvance(a->text()) > a->width());  // too long to show whole
        QCOMPARE(a->cursorPosition(), 0);
    }
};

QTEST_MAIN(ScreenReaderTest)
#include "test_screen_reader.moc"
