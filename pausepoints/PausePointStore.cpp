#include "app/CRecorderDlg.h"

#include "app/TextFile.h"
#include "pausepoints/PausePointFile.h"

#include <QListWidget>
#include <filesystem>
#include <system_error>

void CRecorderDlg::LoadPausePoints(const std::string& mediaPath)
{
    m_listPausePoints->clear();
    m_lastPauseIndex = -1;
    SetPauseFilePath(PausePointPathFor(mediaPath));
    if (const std::optional<std::string> bytes = ReadFileBytes(m_pauseFilePath, PausePointReadLimit(kMaxPausePoints))) {
        for (const PausePointPiece& piece : ParsePausePoints(*bytes, kMaxPausePoints)) {
            m_listPausePoints->addItem(QString::fromStdString(piece.text));
            m_pausePoints[++m_lastPauseIndex] = piece.value;
        }
        if (m_lastPauseIndex >= 0)
            SelectPausePoint(0);
    }
    m_pausePointsModified = false;
}

bool CRecorderDlg::WritePausePointFile()
{
    if (WriteFileBytes(m_pauseFilePath, FormatPausePoints(m_pausePoints.data(), m_lastPauseIndex + 1)))
        return true;
    const std::string where = m_pauseFilePath[0] ? std::string(m_pauseFilePath) : std::string("(no file for this media)");
    Ask("The pause points could not be saved to " + where + ".\nNothing was written; your changes are still here.",
        m_appTitle, BoxButtons::Ok, BoxIcon::Exclamation);
    return false;
}

void CRecorderDlg::OnSavePausePoints()
{
    std::error_code error;
    if (m_pauseFilePath[0] && std::filesystem::exists(m_pauseFilePath, error)
        && Ask("File has been，Cover It？", "Ravelle", BoxButtons::YesNo, BoxIcon::None) == BoxAnswer::No)
        return;
    if (!WritePausePointFile())
        return;
    Ask("Audio has been saved.", m_appTitle, BoxButtons::Ok, BoxIcon::None);
    m_pausePointsModified = false;
}

void CRecorderDlg::SavePausePointsIfModified()
{
    if (!m_pausePointsModified)
        return;
    if (Ask("暂停点已经被修改过了，并且尚未保存(如果选择保存，将可能会覆盖原来的暂停点文件)，是否要保存？", "Ravelle",
            BoxButtons::YesNo, BoxIcon::None) != BoxAnswer::Yes)
        return;
    if (WritePausePointFile())
        m_pausePointsModified = false;
}
