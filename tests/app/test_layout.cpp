// The main window and the about box as built from their templates.
#include "DialogHarness.h"
#include "app/CAboutDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class LayoutTest : public QObject {
    Q_OBJECT

    static QString captionOf(QWidget* w)
    {
        if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
        if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
        if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
        return QString();
    }

private slots:
    void mainWindowHasEveryControlInTableOrder()
    {
        DialogHarness h(std::string(), false);
        const auto& controls = MainDialogTemplate().controls;
        const auto& built = h.dialog->ControlsInCreationOrder();
        QCOMPARE(built.size(), std::size_t(42));
        QCOMPARE(controls.size(), std::size_t(42));
        const QList<int> hiddenIds = {1004, 1005, 1006, 1007, 1013, 1014, 1015, 1016, 1017, 1018, 1025, 1008};
        int hidden = 0;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            QWidget* w = built[i];
            const ControlTemplate& c = controls[i];
            QCOMPARE(w->geometry(), DialogUnitsToPixels(c.x, c.y, c.w, c.h));
            if (c.cls != ControlClass::MediaPlayer && c.cls != ControlClass::ListBox)
                QCOMPARE(captionOf(w), QString::fromUtf8(c.caption));
            const bool shouldHide = hiddenIds.contains(c.id);
            QCOMPARE(w->isVisibleTo(h.dialog.get()), !shouldHide);
            hidden += shouldHide ? 1 : 0;
        }
        QCOMPARE(hidden, 12);
        // A few captions checked against the text a user sees, not the table.
        QCOMPARE(captionOf(h.dialog->GetDlgItem(1023)), QStringLiteral("开始复读计时"));
        QCOMPARE(captionOf(h.dialog->GetDlgItem(1032)), QStringLiteral("保存到..."));
        QCOMPARE(h.dialog->GetDlgItem(1000), static_cast<QWidget*>(&h.dialog->m_player));
    }

    void rectanglesFollowTheBaseUnits()
    {
        // 6 x 13 base units: 1.5 px across, 1.625 px down.
        QCOMPARE(DialogUnitsToPixels(0, 0, 267, 230), QRect(0, 0, 401, 374));
        QCOMPARE(DialogUnitsToPixels(290, 195, 59, 16), QRect(435, 317, 89, 26));
        DialogHarness h(std::string(), false);
        QCOMPARE(h.dialog->size(), QSize(686, 395));
        QCOMPARE(h.dialog->minimumSize(), h.dialog->maximumSize());
        QCOMPARE(h.dialog->windowTitle(), QStringLiteral("Quillora"));
        QVERIFY(h.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(h.dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!h.dialog->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        // A window of its own, not a dialog owned by a hidden leader window.
        QCOMPARE(h.dialog->windowType(), Qt::Window);
        QCOMPARE(CAboutDlg(h.dialog.get()).windowType(), Qt::Dialog);
    }

    void bothWindowsShowThePennant()
    {
        DialogHarness h;
        h.dialog->show();  // the icon comes once the window is painted
        QTRY_VERIFY(!h.dialog->windowIcon().isNull());
        QVERIFY(h.dialog->windowIcon().availableSizes().contains(QSize(256, 256)));
        CAboutDlg about(h.dialog.get());
        const QLabel* iconControl = qobject_cast<const QLabel*>(about.controls().inOrder.front());
        QVERIFY(iconControl);
        const QImage image = iconControl->pixmap().toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        // The pennant's red, from the 16-colour image.
        QCOMPARE(image.pixelColor(12, 8), QColor(Qt::red));
    }

    void controlStylesBecomeWidgetProperties()
    {
        DialogHarness h(std::string(), false);
        for (int id : {1001, 1002, 1003, 1031})
            QVERIFY(static_cast<QLineEdit*>(h.dialog->GetDlgItem(id))->isReadOnly());
        QVERIFY(!static_cast<QLineEdit*>(h.dialog->GetDlgItem(1004))->isReadOnly());
        for (int id : {1019, 1020, 1021, 1022})
            QVERIFY(static_cast<QPushButton*>(h.dialog->GetDlgItem(id))->isFlat());
        auto* list = h.dialog->m_listPausePoints;
        QVERIFY(!list->isSortingEnabled());
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        auto* infinitely = qobject_cast<QCheckBox*>(h.dialog->GetDlgItem(1025));
        QVERIFY(infinitely && !infinitely->isChecked());
        for (int id : {1029, 1030})
            QCOMPARE(static_cast<QLabel*>(h.dialog->GetDlgItem(id))->frameShadow(), QFrame::Sunken);
        QVERIFY(static_cast<QPushButton*>(h.dialog->GetDlgItem(1036))->isDefault());
        QVERIFY(!static_cast<QPushButton*>(h.dialog->GetDlgItem(1028))->isDefault());
    }

    void tabVisitsVisibleEnabledControlsInTableOrder()
    {
        DialogHarness h;
        h.dialog->EnablePlaybackControls(true);
        h.dialog->show();
        QApplication::setActiveWindow(h.dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(h.dialog.get()));
        const QList<int> expected = {1002, 1003, 1010, 1011, 1012, 1019, 1020, 1021, 1022, 1000, 1023, 1024,
                                     1001, 1009, 1026, 1028, 1031, 1032, 1033, 1034, 1035, 1038, 1036, 1002};
        h.dialog->GetDlgItem(1002)->setFocus();
        QList<int> visited = {1002};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            // The player's own bar takes part as far as it takes the focus.
            while (focus && focus != &h.dialog->m_player && h.dialog->m_player.isAncestorOf(focus)) {
                QTest::keyClick(focus, Qt::Key_Tab);
                focus = QApplication::focusWidget();
            }
            QVERIFY(focus);
            visited << focus->property("controlId").toInt();
        }
        QCOMPARE(visited, expected);

        // Disabled controls are skipped.
        h.dialog->EnablePlaybackControls(false);
        h.dialog->GetDlgItem(1003)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->property("controlId").toInt(), 1019);
    }

    void captionsHaveGlyphsInTheDialogFont()
    {
        DialogHarness h(std::string(), false);
        const QFontMetrics metrics(h.dialog->GetDlgItem(1023)->font());
        for (const char* caption : {"播放区", "复读区", "录音区", "开始复读计时", "结束复读计时", "录音时间:", "文件大小:",
                                    "保存到...", "关于", "退出", "打开", "暂停", "停止"}) {
            for (QChar ch : QString::fromUtf8(caption))
                QVERIFY2(metrics.inFont(ch), qPrintable(QString("no glyph for ") + ch));
        }
    }

    void aboutBoxOpensFromTheButtonAndClosesOnItsButtonAndOnEnter()
    {
        DialogHarness h;
        h.dialog->show();
        for (bool useEnter : {false, true}) {
            bool sawAbout = false;
            QTimer::singleShot(0, [&] {
                auto* about = dynamic_cast<CAboutDlg*>(QApplication::activeModalWidget());
                QVERIFY(about);
                sawAbout = true;
                QCOMPARE(about->windowTitle(), QStringLiteral("关于 Quillora"));
                QCOMPARE(about->size(), DialogUnitsToPixels(0, 0, 255, 187).size());
                auto* ok = static_cast<QPushButton*>(about->GetDlgItem(1));
                QCOMPARE(ok->text(), QStringLiteral("退出"));
                if (useEnter)
                    QTest::keyClick(about, Qt::Key_Return);
                else
                    ok->click();
            });
            static_cast<QPushButton*>(h.dialog->GetDlgItem(1036))->click();
            QVERIFY(sawAbout);
            QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == h.dialog.get());
        }
    }
};

QTEST_MAIN(LayoutTest)
#include "test_layout.moc"
