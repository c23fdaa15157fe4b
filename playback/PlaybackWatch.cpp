#include "app/CRecorderDlg.h"

#include "player/MediaError.h"

#include <cmath>
#include <optional>

void CRecorderDlg::DeliverTimer(unsigned id)
{
    try {
        OnTimer(id);
        m_tickFailureShown[id] = false;
    } catch (const MediaError& error) {
        // The next tick tries again; the user hears of it once per run of
        // failing ticks, not ten times a second.
        if (!TellLateLoadFailure() && !m_tickFailureShown[id]) {
            m_tickFailureShown[id] = true;
            ReportUnguardedFailure(error.what());
        }
    }
    SyncPlayer();
}

void CRecorderDlg::OnTimer(unsigned id)
{
    RefreshRecordingDisplay();
    if (id == kSegmentTimer)
        SegmentWatch();
    else if (id == kPausePointTimer)
        PausePointWatch();
}

void CRecorderDlg::SegmentWatch()
{
    const double p = m_player.GetPosition();
    if (!(p >= m_segEnd))  // not a number counts as below
        return;
    if (IsChecked(1025)) {
        m_player.SetPosition(m_segStart);
        return;
    }
    KillTimer(m_segmentTimerId);
    m_player.Stop();
}

void CRecorderDlg::PausePointWatch()
{
    const int k = SelectedPausePoint();
    // With rows but none selected there is no section to watch.
    if (k == m_lastPauseIndex || k < 0)
        return;
    const double p = m_player.GetPosition();
    if (!(p >= m_pausePoints[k + 1]))
        return;
    if (IsChecked(1025)) {
        m_player.SetPosition(m_pausePoints[k]);
        return;
    }
    KillTimer(kPausePointTimer);
    m_player.Stop();
}

// The player stops the sound exactly where a watch would stop it, at the end
// of its next tick at the latest; the watch then finds that end reached and
// does the rest. With both watches running the earlier end counts.
void CRecorderDlg::SyncPlayer()
{
    const bool loop = IsChecked(1025);
    std::optional<double> end, loopFrom;
    const auto consider = [&](double at, double from) {
        if (std::isfinite(at) && (!end || at < *end)) {
            end = at;
            loopFrom = loop && std::isfinite(from) ? std::optional<double>(from) : std::nullopt;
        }
    };
    if (IsTimerRunning(kSegmentTimer))
        consider(m_segEnd, m_segStart);
    const int k = SelectedPausePoint();
    if (IsTimerRunning(kPausePointTimer) && k >= 0 && k < m_lastPauseIndex)
        consider(m_pausePoints[k + 1], m_pausePoints[k]);
    m_player.ArmEnd(end, loopFrom);
    m_player.ShowPassage(m_segStart, m_segEnd);
}
