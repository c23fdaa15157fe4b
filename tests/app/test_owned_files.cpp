// The settings and pause-point files are replaced only where a file of
// ours may be: never through a link, never over a read-only file, never in
// a folder that takes no new file. Run as root and as an ordinary user.
#include "DialogHarness.h"
#include "app/TextFile.h"
#include "pausepoints/PausePointFile.h"

#include <QTest>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

enum class Place { Absent, Regular, LinkToOther, DanglingLink, ReadOnly, ClosedFolder };

struct Case {
    const char* name;
    Place place;
    bool written;
};

const Case kCases[] = {
    {"no file yet", Place::Absent, true},
    {"own file, 0640", Place::Regular, true},
    {"link to another file", Place::LinkToOther, false},
    {"link to nothing", Place::DanglingLink, false},
    {"read-only file", Place::ReadOnly, false},
    {"folder closed to us", Place::ClosedFolder, false},
};

const std::string kBefore = "before\n";

void put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string contentOf(const std::string& path) { return ReadFileBytes(path).value_or("<missing>"); }

mode_t modeOf(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// Root writes into any folder: the closed folder only means something to
// an ordinary user.
bool applies(const Case& c) { return c.place != Place::ClosedFolder || ::geteuid() != 0; }

// Puts what the case names at `path` in `folder`; links point at `other`.
void prepare(const Case& c, const std::string& folder, const std::string& path, const std::string& other)
{
    fs::create_directories(folder);
    switch (c.place) {
    case Place::Absent: break;
    case Place::Regular: put(path, kBefore); ::chmod(path.c_str(), 0640); break;
    case Place::LinkToOther: put(other, kBefore); fs::create_symlink(other, path); break;
    case Place::DanglingLink: fs::create_symlink(other, path); break;
    case Place::ReadOnly: put(path, kBefore); ::chmod(path.c_str(), 0444); break;
    case Place::ClosedFolder: put(path, kBefore); ::chmod(folder.c_str(), 0555); break;
    }
}

// What is at `path` and `other` afterwards, and nothing left over beside.
void verify(const Case& c, const std::string& folder, const std::string& path, const std::string& other,
            const std::string& expected)
{
    ::chmod(folder.c_str(), 0755);
    const std::string name = c.name;
    if (c.written) {
        QVERIFY2(contentOf(path) == expected, c.name);
        QVERIFY2(fs::symlink_status(path).type() == fs::file_type::regular, c.name);
        if (c.place == Place::Regular)
            QVERIFY2(modeOf(path) == 0640, c.name);
    } else if (c.place == Place::LinkToOther || c.place == Place::DanglingLink) {
        QVERIFY2(fs::is_symlink(path), c.name);
        QVERIFY2(contentOf(other) == (c.place == Place::LinkToOther ? kBefore : "<missing>"), c.name);
    } else {
        QVERIFY2(contentOf(path) == kBefore, c.name);
        QVERIFY2(modeOf(path) == (c.place == Place::ReadOnly ? 0444 : 0644), c.name);
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        QVERIFY2(entry.path().extension() != ".tmp", (name + ": a temporary file was left").c_str());
}
}

class OwnedFilesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        ::umask(0022);
        if (qEnvironmentVariableIsSet("QUILLORA_EXPECT_UNPRIVILEGED"))
            QVERIFY2(::geteuid() != 0, "meant to run as an ordinary user");
    }

    void settingsAreWrittenOnlyWhereAFileOfOursMayBe()
    {
        for (const Case& c : kCases) {
            if (!applies(c))
                continue;
            QTemporaryDir config;
            qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
            DialogHarness h("f/quillora", false);
            const std::string folder = h.path("f"), path = h.path("f/quillini"), other = h.path("other");
            prepare(c, folder, path, other);
            CRecorderDlg& d = *h.dialog;
            d.OnInitDialog();
            d.m_segStart = 1.25;
            d.SaveSettings();
            QVERIFY2(h.prompts.messages.empty(), c.name);
            verify(c, folder, path, other, "1.250000\r\n0.000000\r\n0.500000\r\n0.500000\r\n0.330000\r\nD:\\AllMediaFile.mp3");
            QVERIFY2(fs::is_empty(config.path().toStdString()), c.name);
        }
        qunsetenv("XDG_CONFIG_HOME");
    }

    void pausePointsAreWrittenOnlyWhereAFileOfOursMayBe()
    {
        for (const Case& c : kCases) {
            if (!applies(c))
                continue;
            DialogHarness h;
            const std::string folder = h.path("f"), path = h.path("f/a.txt"), other = h.path("other");
            prepare(c, folder, path, other);
            CRecorderDlg& d = *h.dialog;
            d.LoadPausePoints(h.path("f/a.mp3"));
            h.player().position = 2.0;
            d.OnAddPausePoint();
            const std::string expected = FormatPausePoints(d.m_pausePoints.data(), d.m_lastPauseIndex + 1);
            h.prompts.answers.push_back(BoxAnswer::Yes);  // cover the file, where it asks
            d.OnSavePausePoints();
            QVERIFY2(h.prompts.messages.back().text.find(c.written ? "Audio has been saved." : "could not be saved")
                         != std::string::npos,
                     c.name);
            QCOMPARE(d.m_pausePointsModified, !c.written);
            verify(c, folder, path, other, expected);
        }
    }
};

QTEST_MAIN(OwnedFilesTest)
#include "test_owned_files.moc"
