// Temporary: the commands of the later subsystems land in their own folders.
#include "app/CRecorderDlg.h"
void CRecorderDlg::ConnectPlaybackCommands() {}
void CRecorderDlg::ConnectPausePointCommands() {}
void CRecorderDlg::ConnectRecordingCommands() {}
bool CRecorderDlg::LoadSettings() { return false; }
bool CRecorderDlg::SaveSettings() { return true; }
void CRecorderDlg::SavePausePointsIfModified() {}
void CRecorderDlg::OnTimer(unsigned) {}
void CRecorderDlg::OnKillFocusStart() {}
void CRecorderDlg::OnKillFocusEnd() {}
void CRecorderDlg::EnablePlaybackControls(bool enable)
{
    for (int id : {1008, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018})
        GetDlgItem(id)->setEnabled(enable);
}
