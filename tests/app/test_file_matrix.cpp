// Odd things where the settings file or a pause-point file should be: the
// start never waits for them, reads no more than it can use, and the files
// or folders in their place are left alone.
#include "DialogHarness.h"
#include "app/TextFile.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace {
namespace fs = std::filesystem;

std::string junk(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 37 + 11) % 256);
    return bytes;
}

std::string lines(int count, const std::string& end)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(i) + end;
    return text;
}

enum class Kind { Regular, Folder, Fifo, DevZero };

struct Case {
    const char* name;
    Kind kind;
    std::string bytes;   // for a regular file
    int pausePoints;     // entries loaded from a pause-point file of this kind; -1: some
    const char* lineEnd = "\r\n";
};

void make(const std::string& path, const Case& c)
{
    switch (c.kind) {
    case Kind::Regular: QVERIFY(WriteFileBytes(path, c.bytes)); break;
    case Kind::Folder: QVERIFY(fs::create_directory(path)); break;
    case Kind::Fifo: QCOMPARE(::mkfifo(path.c_str(), 0600), 0); break;
    case Kind::DevZero: fs::create_symlink("/dev/zero", path); break;
    }
}

// Shows the window; a start that waits for a file fails here, not by hanging
// the suite.
void showWithinBound(CRecorderDlg& d)
{
    QElapsedTimer clock;
    clock.start();
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QVERIFY2(clock.elapsed() < 1000, "the start waited for a file");
}

// Five number lines and the media path.
std::string sixLines(const std::string& media, const std::string& end)
{
    return "1.5" + end + "2.5" + end + "0.5" + end + "0.5" + end + "0.33" + end + media;
}
}

class FileMatrixTest : public QObject {
    Q_OBJECT
private:
    std::vector<Case> cases() const
    {
        return {
            {"binary junk", Kind::Regular, junk(4000), -1},
            {"10 MB", Kind::Regular, std::string(10 << 20, '7'), 300},
            {"400 lines, CR LF", Kind::Regular, lines(400, "\r\n"), 300},
            {"LF", Kind::Regular, lines(3, "\n"), 3, "\n"},
            {"folder", Kind::Folder, "", 0},
            {"FIFO", Kind::Fifo, "", 0},
            {"/dev/zero", Kind::DevZero, "", 0},
        };
    }

private slots:
    void settingsFile()
    {
        for (const Case& c : cases()) {
            DialogHarness h(std::string(), false);
            const std::string settings = h.path("quillini");
            const std::string media = h.path("lesson.mp3");
            Case file = c;
            if (c.kind == Kind::Regular && c.pausePoints >= 0)  // a good start, then the rest
                file.bytes = sixLines(media, c.lineEnd) + c.lineEnd + c.bytes;
            make(settings, file);
            showWithinBound(*h.dialog);
            CRecorderDlg& d = *h.dialog;
            QVERIFY2(d.m_mediaPath.size() <= 249 && d.m_mediaPath.find('\0') == std::string::npos, c.name);
            if (c.kind == Kind::Regular && c.pausePoints >= 0) {
                QVERIFY2(d.m_mediaPath == media && d.m_segEnd == 2.5, c.name);
                QVERIFY2(std::string(d.m_pauseFilePath) == h.path("lesson.txt"), c.name);
            } else if (c.kind != Kind::Regular) {
                QVERIFY2(d.m_mediaPath == "D:\\AllMediaFile.mp3" && d.m_segNudge == 0.5, c.name);
            }
            if (c.kind == Kind::DevZero)
                continue;  // nothing is ever written to a device in a test
            QVERIFY(d.close());
            QVERIFY2(h.prompts.messages.empty(), c.name);
            const auto type = fs::symlink_status(settings).type();
            QVERIFY2(c.kind == Kind::Regular ? type == fs::file_type::regular
                                             : type == (c.kind == Kind::Folder ? fs::file_type::directory
                                                                               : fs::file_type::fifo),
                     c.name);
        }
    }

    void pausePointFile()
    {
        for (const Case& c : cases()) {
            DialogHarness h(std::string(), false);
            const std::string media = h.path("lesson.mp3");
            QVERIFY(WriteFileBytes(h.path("quillini"), sixLines(media, "\r\n")));
            make(h.path("lesson.txt"), c);
            showWithinBound(*h.dialog);
            CRecorderDlg& d = *h.dialog;
            if (c.pausePoints >= 0)
                QVERIFY2(d.m_lastPauseIndex + 1 == c.pausePoints, c.name);
            else
                QVERIFY2(d.m_lastPauseIndex >= 0 && d.m_lastPauseIndex < kMaxPausePoints, c.name);
            QCOMPARE(d.m_listPausePoints->count(), d.m_lastPauseIndex + 1);
            if (c.kind == Kind::Regular || c.kind == Kind::DevZero)
                continue;
            // Saving over something that is no file tells so and keeps it.
            h.prompts.answers.push_back(BoxAnswer::Yes);  // overwrite it
            d.OnSavePausePoints();
            QVERIFY2(h.prompts.messages.back().text.find("could not be saved") != std::string::npos, c.name);
            QVERIFY2(fs::symlink_status(h.path("lesson.txt")).type() != fs::file_type::regular, c.name);
        }
    }

    void readsStopAtTheirBound()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("big").toStdString();
        QVERIFY(WriteFileBytes(path, std::string(100000, 'x')));
        QCOMPARE(ReadFileBytes(path, 1292).value_or("").size(), std::size_t(1292));
        QCOMPARE(ReadFileBytes(path).value_or("").size(), std::size_t(100000));
        QVERIFY(!ReadFileBytes("/dev/zero", 10));
        QVERIFY(!ReadFileBytes(dir.path().toStdString()));
        QVERIFY(!WriteFileBytes(dir.path().toStdString(), "x"));
    }
};

QTEST_MAIN(FileMatrixTest)
#include "test_file_matrix.moc"
