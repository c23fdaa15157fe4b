// Qt's own strings follow the desktop's language; this runs under a
// Chinese locale (see CMakeLists.txt).
#include "app/QtTranslations.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {
bool haveQtTranslation(const QString& language)
{
    return QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_" + language + ".qm");
}
}

class QtTranslationsTest : public QObject {
    Q_OBJECT
private slots:
    void chineseDesktopGetsChineseButtons()
    {
        if (!haveQtTranslation("zh_CN"))
            QSKIP("Qt's translations are not installed (qt6-translations-l10n)");
        QCOMPARE(QLocale::system().name(), QStringLiteral("zh_CN"));
        QMessageBox before(QMessageBox::Question, "t", "x", QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(before.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));

        QVERIFY(!InstallQtTranslations(*qApp, QLocale::c()));
        QVERIFY(InstallQtTranslations(*qApp));
        QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Yes | QMessageBox::No);
        const QString yes = box.button(QMessageBox::Yes)->text();
        QVERIFY2(yes.contains(QChar(0x662F)), qPrintable(yes));  // 是
    }

    void rightToLeftLanguageKeepsTheLayout()
    {
        if (!haveQtTranslation("ar"))
            QSKIP("no right-to-left Qt translation installed");
        QVERIFY(InstallQtTranslations(*qApp, QLocale(QLocale::Arabic)));
        QCoreApplication::processEvents();
        QCOMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
        QWidget window;
        QCOMPARE(window.layoutDirection(), Qt::LeftToRight);
    }
};

QTEST_MAIN(QtTranslationsTest)
#include "test_qt_translations.moc"
