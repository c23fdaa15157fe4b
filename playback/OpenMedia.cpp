#include "app/CRecorderDlg.h"
#include "app/SettingsFile.h"

#include <QLineEdit>
#include <filesystem>
#include <system_error>

namespace {
constexpr int kPlaybackControls[] = {1008, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018};

std::string initialOpenFileName()
{
    std::error_code error;
    std::string directory = std::filesystem::current_path(error).string();
    if (!directory.empty() && directory.back() == '/')
        return directory + "MP3File";
    return directory + "/MP3File";
}

const std::vector<FileFilter>& mediaFilters()
{
    static const std::vector<FileFilter> filters = {
        {"All Files ", "*.*"},
        {"Video CD (*.dat)", "*.dat"},
        {"mp3 (*.mp3)", "*.mp3"},
        {"wav (*.wav)", "*.wav"},
        {"mpg (*.mpg)", "*.mpg"},
    };
    return filters;
}
}

void CRecorderDlg::EnablePlaybackControls(bool enable)
{
    for (int id : kPlaybackControls)
        GetDlgItem(id)->setEnabled(enable);
}

void CRecorderDlg::OnOpenMedia()
{
    m_player.Stop();
    // Another file's list would replace the changes that could not be saved.
    if (!SavePausePointsIfModified())
        return;
    const std::optional<std::string> chosen =
        m_services.prompts->AskOpenFile(this, OpenFileRequest{initialOpenFileName(), "", mediaFilters()});
    if (!chosen)
        return;
    const std::string& path = *chosen;
    // The settings must give the path back whole at the next start, and the
    // pause-point file's path, as long, must fit its buffer: a cut path
    // would name some other file.
    if (path.size() > kMaxMediaPathLength) {
        Ask("The path of this file is too long (at most " + std::to_string(kMaxMediaPathLength)
                + " characters):\n" + path,
            m_appTitle, BoxButtons::Ok, BoxIcon::Exclamation);
        return;
    }
    // The settings keep the path as one line.
    if (path.find('\n') != std::string::npos) {
        Ask("The path of this file holds a line break, which the settings cannot keep:\n" + path, m_appTitle,
            BoxButtons::Ok, BoxIcon::Exclamation);
        return;
    }
    m_editMediaPath->setText(QString::fromStdString(path));
    m_mediaPath = path;
    LoadIntoPlayer(path);
    m_player.Play();
    m_segStart = m_segEnd = m_editStart = m_editEnd = 0.0;
    DoDataExchange(false);
    LoadPausePoints(path);
    EnablePlaybackControls(true);
}
