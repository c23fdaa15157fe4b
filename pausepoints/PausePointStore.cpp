#include "app/CRecorderDlg.h"

#include "app/TextFile.h"
#include "pausepoints/PausePointFile.h"

#include <QListWidget>
#include <QTimer>
#include <filesystem>
#include <system_error>

void CRecorderDlg::LoadPausePoints(const std::string& mediaPath)
{
    m_listPausePoints->clear();
    m_lastPauseIndex = -1;
    SetPauseFilePath(PausePointPathFor(mediaPath));
    m_pauseFileHoldsMore = false;
    if (const std::optional<std::string> bytes = ReadFileBytes(m_pauseFilePath, PausePointReadLimit(kMaxPausePoints))) {
        for (const PausePointPiece& piece : ParsePausePoints(*bytes, kMaxPausePoints)) {
            m_listPausePoints->addItem(QString::fromStdString(piece.text));
            m_pausePoints[++m_lastPauseIndex] = piece.value;
        }
        if (m_lastPauseIndex >= 0)
            SelectPausePoint(0);
        m_pauseFileHoldsMore = HoldsMorePausePoints(*bytes, kMaxPausePoints);
    }
    m_pausePointsModified = false;
    if (m_pauseFileHoldsMore) {
        // Told once the window runs: at start-up the list is loaded before
        // the window shows.
        const std::string text = std::string(m_pauseFilePath) + " holds more pause points than the list takes: only its first "
                                 + std::to_string(kMaxPausePoints) + " are used.";
        QTimer::singleShot(0, this, [this, text] { Ask(text, m_appTitle, BoxButtons::Ok, BoxIcon::Information); });
    }
}

bool CRecorderDlg::MayShortenPauseFile()
{
    return !m_pauseFileHoldsMore
           || Ask(std::string(m_pauseFilePath) + " holds more than the " + std::to_string(kMaxPausePoints)
                      + " pause points of the list.\nSaving keeps only these and loses the rest of the file. Save over it all the same?",
                  m_appTitle, BoxButtons::YesNo, BoxIcon::Exclamation)
                  == BoxAnswer::Yes;
}

bool CRecorderDlg::WritePausePointFile(const char* afterFailure)
{
    const std::string where = m_pauseFilePath[0] ? std::string(m_pauseFilePath) : std::string("(no file for this media)");
    if (!MayShortenPauseFile()) {
        Ask("Nothing was written to " + where + "; your changes are still here." + afterFailure, m_appTitle,
            BoxButtons::Ok, BoxIcon::Information);
        return false;
    }
    if (WriteFileBytes(m_pauseFilePath, FormatPausePoints(m_pausePoints.data(), m_lastPauseIndex + 1))) {
        m_pauseFileHoldsMore = false;
        return true;
    }
    Ask("The pause points could not be saved to " + where + ".\nNothing was written; your changes are still here." + afterFailure,
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

bool CRecorderDlg::SavePausePointsIfModified(const char* afterFailure)
{
    if (!m_pausePointsModified)
        return true;
    if (Ask("暂停点已经被修改过了，并且尚未保存(如果选择保存，将可能会覆盖原来的暂停点文件)，是否要保存？", "Ravelle",
            BoxButtons::YesNo, BoxIcon::None) != BoxAnswer::Yes)
        return true;
    if (!WritePausePointFile(afterFailure))
        return false;
    m_pausePointsModified = false;
    return true;
}
