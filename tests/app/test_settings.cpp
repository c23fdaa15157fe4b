// The six-line settings file: its bytes, its path, and a restart.
#include "DialogHarness.h"
#include "app/SettingsFile.h"
#include "app/SettingsLocation.h"
#include "app/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <limits>

namespace {
void writeFile(const std::string& path, const std::string& bytes) { QVERIFY(WriteFileBytes(path, bytes)); }
std::string readFile(const std::string& path) { return ReadFileBytes(path).value_or("<missing>"); }
QString text(CRecorderDlg& d, int id) { return static_cast<QLineEdit*>(d.GetDlgItem(id))->text(); }
}

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void pathReplacesTheLastThreeCharacters()
    {
        QCOMPARE(SettingsPathFor("C:\\Tools\\rec.exe"), std::string("C:\\Tools\\rec.ini"));
        QCOMPARE(SettingsPathFor("/opt/q/quillora"), std::string("/opt/q/quillini"));
        QCOMPARE(SettingsPathFor("ab"), std::string());
        // Never the executable itself, never a cut path.
        QCOMPARE(SettingsPathFor("/usr/bin/mini"), std::string());
        QCOMPARE(SettingsPathFor("/" + std::string(249, 'x')), std::string());
        QCOMPARE(SettingsPathFor(std::string(249, 'x')).size(), std::size_t(249));
    }

    void fileIsSixWindowsLinesWithTheLastUnterminated()
    {
        const Settings s{0.0, 0.0, 0.5, 0.5, 0.33, "C:\\Music\\l1.mp3"};
        QCOMPARE(FormatSettings(s), std::string("0.000000\r\n0.000000\r\n0.500000\r\n0.500000\r\n0.330000\r\nC:\\Music\\l1.mp3"));
        const std::optional<Settings> back = ParseSettings(FormatSettings({12.5, -3.25, 1.0, 2.0, 0.123456, "/m/a b.mp3"}));
        QVERIFY(back);
        QCOMPARE(back->segStart, 12.5);
        QCOMPARE(back->segEnd, -3.25);
        QCOMPARE(back->markLag, 0.123456);
        QCOMPARE(back->mediaPath, std::string("/m/a b.mp3"));
        // Bare line feeds read the same.
        QCOMPARE(ParseSettings("1\n2\n3\n4\n5\n/x.mp3")->segNudge, 3.0);
    }

    void shortOrOddFilesAreReadAsTheClassicReaderWould()
    {
        QVERIFY(!ParseSettings("1\r\n2\r\n3\r\n4\r\n5\r\n"));
        QVERIFY(!ParseSettings(""));
        const std::optional<Settings> junk = ParseSettings("abc\r\ninf\r\n0x10\r\n-1\r\n12abc\r\np");
        QVERIFY(junk);
        QCOMPARE(junk->segStart, 0.0);
        QCOMPARE(junk->segEnd, 0.0);
        QCOMPARE(junk->segNudge, 0.0);
        QCOMPARE(junk->pauseNudge, -1.0);
        QCOMPARE(junk->markLag, 12.0);
        const std::optional<Settings> longPath = ParseSettings("1\n2\n3\n4\n5\n" + std::string(300, 'p'));
        QCOMPARE(longPath->mediaPath, std::string(249, 'p'));
    }

    void thePathLineGivesBackTheWholePathOrNone()
    {
        const std::string numbers = "1\r\n2\r\n3\r\n4\r\n5\r\n";
        const std::string p249(249, 'p');
        const struct {
            std::string line6;
            std::string path;
            bool cut;
        } cases[] = {
            {p249, p249, false},
            {p249 + "\r\n", p249, false},
            {"/m/a.mp3\n", "/m/a.mp3", false},
            {"/m/a.mp3\r\n\r\n", "/m/a.mp3", false},  // one break only; the next is line 7
            {"/m/a.mp3 \t", "/m/a.mp3 \t", false},
            {std::string("/m/a\0b.mp3", 10), "/m/a", false},
            {std::string(250, 'p'), p249, true},
            {std::string(250, 'p') + "\n", p249, true},
        };
        for (const auto& c : cases) {
            const std::optional<Settings> s = ParseSettings(numbers + c.line6);
            QVERIFY(s);
            QCOMPARE(s->mediaPath, c.path);
            QCOMPARE(s->mediaPathCut, c.cut);
        }
    }

    void aHandMadePathLineRestoresWithoutItsLineBreak()
    {
        DialogHarness h(std::string(), false);
        // The longest path the line gives back.
        std::string media = h.path("x");
        media.pop_back();  // the folder with its slash
        media += std::string(249 - media.size() - 4, 'm') + ".mp3";
        writeFile(h.path("quillini"), "1\n2\n0.5\n0.5\n0.33\n" + media + "\n");
        writeFile(media.substr(0, media.size() - 3) + "txt", "4.5\n");
        h.dialog->show();
        QTRY_COMPARE(h.player().calls, (std::vector<std::string>{"SetMediaFile " + media, "Stop"}));
        QCOMPARE(h.dialog->m_lastPauseIndex, 0);
        QVERIFY(h.dialog->close());
        QCOMPARE(readFile(h.path("quillini")), "1.000000\r\n2.000000\r\n0.500000\r\n0.500000\r\n0.330000\r\n" + media);
    }

    void aCutPathLineIsNeitherLoadedNorSavedBack()
    {
        DialogHarness h(std::string(), false);
        const std::string media = h.path(std::string(250, 'm'));  // longer than the line holds
        writeFile(h.path("quillini"), "1\n2\n0.25\n0.5\n0.33\n" + media);
        writeFile(media.substr(0, 249 - 3) + "txt", "4.5\n");  // the file the cut path would name
        h.dialog->show();
        QTest::qWait(50);
        QVERIFY(h.player().calls.empty());
        CRecorderDlg& d = *h.dialog;
        QCOMPARE(text(d, 1001), QStringLiteral("D:\\AllMediaFile.mp3"));
        QCOMPARE(text(d, 1003), QStringLiteral("2"));
        QCOMPARE(d.m_segNudge, 0.25);
        QCOMPARE(std::string(d.m_pauseFilePath), std::string("D:\\AllMediaFile1.txt"));
        QCOMPARE(d.m_lastPauseIndex, -1);
        QVERIFY(!d.GetDlgItem(1010)->isEnabled());
        QVERIFY(d.close());
        QCOMPARE(readFile(h.path("quillini")),
                 std::string("1.000000\r\n2.000000\r\n0.250000\r\n0.500000\r\n0.330000\r\nD:\\AllMediaFile.mp3"));
    }

    void anInfiniteStartIsShownAndTakenBack()
    {
        DialogHarness h(std::string(), false);
        writeFile(h.path("quillini"), "1e400\n-1e400\n0.5\n0.5\n0.33\n" + h.path("a.mp3"));
        CRecorderDlg& d = *h.dialog;
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QCOMPARE(text(d, 1002), QStringLiteral("inf"));
        QCOMPARE(text(d, 1003), QStringLiteral("-inf"));
        d.GetDlgItem(1002)->setFocus();
        d.GetDlgItem(1003)->setFocus();
        d.GetDlgItem(1009)->setFocus();
        QVERIFY(h.prompts.messages.empty());
        QCOMPARE(d.m_segStart, std::numeric_limits<double>::infinity());
        QCOMPARE(d.m_segEnd, -std::numeric_limits<double>::infinity());
    }

    void closeWritesAndTheNextStartRestores()
    {
        DialogHarness first;
        const std::string media = first.path("lesson.mp3");
        writeFile(first.path("lesson.txt"), "1.500000\r\n4.000000\r\n");
        {
            CRecorderDlg& d = *first.dialog;
            d.m_mediaPath = media;
            d.m_segStart = 2.25;
            d.m_segEnd = 4.5;
            static_cast<QLineEdit*>(d.GetDlgItem(1004))->setText("0.75");  // the exchange takes it
            d.show();
            QVERIFY(d.close());
        }
        const std::string settingsPath = first.path("quillini");
        QCOMPARE(readFile(settingsPath),
                 "2.250000\r\n4.500000\r\n0.750000\r\n0.500000\r\n0.330000\r\n" + media);

        // The same folder, a second run.
        DialogServices services = first.services;
        ScriptedPrompts prompts;
        services.prompts = &prompts;
        CRecorderDlg second(services);
        second.OnInitDialog();
        auto& player = static_cast<FakePlayerEngine&>(second.m_player.engine());
        QVERIFY(player.calls.empty());  // the media follows the first paint
        second.show();
        QTRY_COMPARE(player.calls, (std::vector<std::string>{"SetMediaFile " + media, "Stop"}));
        QCOMPARE(text(second, 1001), QString::fromStdString(media));
        QCOMPARE(text(second, 1002), QStringLiteral("2.25"));
        QCOMPARE(text(second, 1003), QStringLiteral("4.5"));
        QCOMPARE(second.m_segNudge, 0.75);
        QCOMPARE(second.m_listPausePoints->count(), 2);
        QCOMPARE(second.m_listPausePoints->selectedItems().value(0), second.m_listPausePoints->item(0));
        QCOMPARE(second.m_pausePoints[1], 4.0);
        QVERIFY(second.GetDlgItem(1010)->isEnabled());
    }

    void fiveLineFileCountsAsNone()
    {
        DialogHarness h(std::string(), false);
        writeFile(h.path("quillini"), "1\r\n2\r\n3\r\n4\r\n5\r\n");
        h.dialog->OnInitDialog();
        QCOMPARE(text(*h.dialog, 1001), QStringLiteral("D:\\AllMediaFile.mp3"));
        QCOMPARE(h.dialog->m_segStart, 0.0);
        QCOMPARE(h.dialog->m_segNudge, 0.5);
        QVERIFY(!h.dialog->GetDlgItem(1010)->isEnabled());
    }

    void missingMediaFileStillRestoresTheRest()
    {
        DialogHarness h(std::string(), false);
        const std::string media = h.path("gone.mp3");
        writeFile(h.path("quillini"), "1\n2\n0.5\n0.5\n0.33\n" + media);
        writeFile(h.path("gone.txt"), "1.0\n");
        h.player().failOn("SetMediaFile", 0xFFFFFFEDu);
        h.dialog->show();
        QTRY_COMPARE(h.prompts.messages.size(), std::size_t(1));
        QCOMPARE(h.dialog->m_segEnd, 2.0);
        QCOMPARE(h.dialog->m_lastPauseIndex, 0);
        QCOMPARE(std::string(h.dialog->m_pauseFilePath), h.path("gone.txt"));
    }

    // Where the executable's folder cannot take the file, it lives in the
    // user's configuration folder; a file beside the executable always wins.
    void settingsStayBesideTheExecutableUnlessItsFolderIsClosed_data()
    {
        QTest::addColumn<QString>("exeName");
        QTest::addColumn<bool>("besideFileExists");
        QTest::addColumn<bool>("expectBeside");
        QTest::newRow("writable folder") << "quillora" << false << true;
        QTest::newRow("folder that cannot be made") << "no/such/dir/quillora" << false << false;
        QTest::newRow("existing file beside") << "quillora" << true << true;
    }

    void settingsStayBesideTheExecutableUnlessItsFolderIsClosed()
    {
        QFETCH(QString, exeName);
        QFETCH(bool, besideFileExists);
        QFETCH(bool, expectBeside);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const std::string userFile = config.filePath("quillora/quillini").toStdString();
        QVERIFY(CreateParentFolders(userFile));
        writeFile(userFile, "7\r\n8\r\n0.5\r\n0.5\r\n0.33\r\n/m/user.mp3");

        DialogHarness h(exeName.toStdString(), false);
        const std::string beside = SettingsPathFor(h.services.executablePath);
        if (besideFileExists)
            writeFile(beside, "1\r\n2\r\n0.5\r\n0.5\r\n0.33\r\n/m/beside.mp3");
        QCOMPARE(SettingsFileLocation(h.services.executablePath), expectBeside ? beside : userFile);
        h.dialog->show();
        QCOMPARE(h.dialog->m_segStart, besideFileExists ? 1.0 : expectBeside ? 0.0 : 7.0);
        h.dialog->m_segStart = 3.5;
        QVERIFY(h.dialog->close());
        QVERIFY(h.prompts.messages.empty());
        QVERIFY(readFile(expectBeside ? beside : userFile).starts_with("3.500000\r\n"));
        QCOMPARE(readFile(expectBeside ? userFile : beside), expectBeside ? std::string("7\r\n8\r\n0.5\r\n0.5\r\n0.33\r\n/m/user.mp3") : std::string("<missing>"));
        qunsetenv("XDG_CONFIG_HOME");
    }

    void configurationFolderIsMadeWhenTheFileIsFirstWritten()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        for (const char* xdg : {"", "relative/ignored"}) {
            qputenv("XDG_CONFIG_HOME", xdg);
            QCOMPARE(UserSettingsPath(), home.filePath(".config/quillora/quillini").toStdString());
        }
        qunsetenv("XDG_CONFIG_HOME");
        DialogHarness h("no/such/dir/quillora");
        h.dialog->show();
        QVERIFY(h.dialog->close());
        QVERIFY(QFile::exists(home.filePath(".config/quillora/quillini")));
        QCOMPARE(QFileInfo(home.filePath(".config/quillora")).permissions() & QFileDevice::ReadOther, QFileDevice::Permissions());
        QVERIFY(!QFile::exists(QString::fromStdString(h.path("no"))));
        qputenv("HOME", oldHome);
    }
};

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
