// A file the player finds unplayable only after SetMediaFile has returned
// (it fails to load, or holds nothing to play) is told once, by the command
// that loaded it: the play command's guard for 播放, the plain message of a
// player failure for 打开 and the start-up, which run unguarded.
#include "app/CRecorderDlg.h"

#include <QTimer>
#include <utility>

void CRecorderDlg::LoadIntoPlayer(const std::string& path)
{
    m_loadGuard = m_runningGuard;
    // What the player tells meanwhile is of the file before, which is of no
    // interest any more: a failure of this one in the call itself is raised.
    try {
        m_player.SetMediaFile(path);
    } catch (const MediaError&) {
        m_lateLoadFailure.reset();
        throw;
    }
    m_lateLoadFailure.reset();
}

void CRecorderDlg::OnLateLoadFailure(const MediaError& error)
{
    // The player may be in the middle of a call: the telling waits for the
    // event loop, unless the command under way meets the failure first.
    m_lateLoadFailure = error;
    QTimer::singleShot(0, this, [this] {
        if (TellLateLoadFailure())
            SyncPlayer();
    });
}

bool CRecorderDlg::TellLateLoadFailure()
{
    if (!m_lateLoadFailure)
        return false;
    const MediaError error = *std::exchange(m_lateLoadFailure, std::nullopt);
    // The watches tell their own failures, once per run of failing ticks;
    // the ticks that fail for want of this file have been told now.
    m_tickFailureShown.fill(true);
    if (m_loadGuard)
        TellGuardedFailure(*m_loadGuard, error);
    else
        ReportUnguardedFailure(error.what());
    return true;
}
