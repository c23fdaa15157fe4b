// The file dialogs as the program shows them: a file chosen with OK makes
// its folder the current directory, a cancelled dialog leaves it alone.
#include "app/QtUserPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class UserPromptsTest : public QObject {
    Q_OBJECT
private slots:
    void okMovesTheCurrentDirectoryToTheChosenFile_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("accept");
        QTest::newRow("open, OK") << false << true;
        QTest::newRow("open, cancel") << false << false;
        QTest::newRow("save, OK") << true << true;
        QTest::newRow("save, cancel") << true << false;
    }

    void okMovesTheCurrentDirectoryToTheChosenFile()
    {
        QFETCH(bool, save);
        QFETCH(bool, accept);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("start") && QDir(root.path()).mkpath("lessons"));
        const QString start = QDir(root.filePath("start")).canonicalPath();
        const QString lessons = QDir(root.filePath("lessons")).canonicalPath();
        const QString chosen = lessons + (save ? "/talk" : "/a.mp3");
        if (!save) {
            QFile media(chosen);
            QVERIFY(media.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir::setCurrent(start));

        bool sawDialog = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            sawDialog = true;
            if (!accept)
                return dialog->reject();
            dialog->selectFile(chosen);
            static_cast<QDialog*>(dialog)->accept();  // as the OK button does
        });
        QtUserPrompts prompts;
        const std::optional<std::string> answer =
            save ? prompts.AskSaveFile(nullptr, SaveFileRequest{})
                 : prompts.AskOpenFile(nullptr, OpenFileRequest{start.toStdString() + "/MP3File", "", {{"All Files ", "*.*"}}});
        QVERIFY(sawDialog);
        QCOMPARE(answer.has_value(), accept);
        if (accept)
            QCOMPARE(QString::fromStdString(*answer), chosen);
        QCOMPARE(QDir::currentPath(), accept ? lessons : start);
        QDir::setCurrent(QDir::tempPath());  // before the folders go
    }
};

QTEST_MAIN(UserPromptsTest)
#include "test_user_prompts.moc"
