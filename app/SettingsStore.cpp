#include "app/CRecorderDlg.h"

#include "app/SettingsFile.h"
#include "app/SettingsLocation.h"
#include "app/TextFile.h"

#include <QLineEdit>

bool CRecorderDlg::LoadSettings()
{
    const std::optional<std::string> bytes = ReadFileBytes(SettingsFileLocation(m_services.executablePath), kSettingsReadLimit);
    const std::optional<Settings> settings = bytes ? ParseSettings(*bytes) : std::nullopt;
    if (!settings)
        return false;
    m_segStart = settings->segStart;
    m_segEnd = settings->segEnd;
    m_segNudge = settings->segNudge;
    m_pauseNudge = settings->pauseNudge;
    m_markLag = settings->markLag;
    if (settings->mediaPathCut) {
        // Only the start of a longer path (a hand-made file): it names some
        // other file, so it is neither loaded, nor used for the pause
        // points, nor saved back. The rest is restored.
        UseDefaultMedia();
        m_editStart = m_segStart;
        m_editEnd = m_segEnd;
        return true;
    }
    m_mediaPath = settings->mediaPath;

    m_editMediaPath->setText(QString::fromStdString(m_mediaPath));
    // Loaded into the player (SetMediaFile, then Stop) right after the
    // window is first painted: start-up does not wait for the media.
    m_startupMediaPending = true;
    m_editStart = m_segStart;
    m_editEnd = m_segEnd;
    EnablePlaybackControls(true);
    DoDataExchange(false);
    LoadPausePoints(m_mediaPath);
    return true;
}

bool CRecorderDlg::SaveSettings()
{
    const std::string path = SettingsFileLocation(m_services.executablePath);
    if (path.empty())
        return true;
    DoDataExchange(true);
    CreateParentFolders(path);
    // A settings file that cannot be written is passed over in silence.
    WriteFileBytes(path, FormatSettings(Settings{m_segStart, m_segEnd, m_segNudge, m_pauseNudge, m_markLag, m_mediaPath}));
    return true;
}

void CRecorderDlg::LoadStartupMedia()
{
    // The last media file may have moved since; a failure is told and the
    // rest of the state was restored all the same, so nothing is lost.
    RunCommand([this] {
        LoadIntoPlayer(m_mediaPath);
        m_player.Stop();
    });
}

void CRecorderDlg::UseDefaultMedia()
{
    m_mediaPath = "D:\\AllMediaFile.mp3";
    EnablePlaybackControls(false);
    SetPauseFilePath("D:\\AllMediaFile1.txt");
    m_lastPauseIndex = -1;
    m_pausePointsModified = false;
}
