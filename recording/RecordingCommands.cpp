#include "app/CRecorderDlg.h"

#include "recorder/RecordingTarget.h"
#include "recording/DisplayFormat.h"

#include <QLabel>
#include <vector>

namespace {
constexpr int kTimeStaticId = 1029;
constexpr int kSizeStaticId = 1030;
constexpr int kChooseButtonId = 1032;
// The chosen name's limit, as the classic save dialog's 260-byte buffer.
constexpr std::size_t kChosenPathLimit = 259;
}

void CRecorderDlg::ConnectRecordingCommands()
{
    ConnectButton(kChooseButtonId, &CRecorderDlg::OnChooseOutputFile);
    ConnectButton(1033, &CRecorderDlg::OnRecord);
    ConnectButton(1034, &CRecorderDlg::OnPauseRecord);
    ConnectButton(1035, &CRecorderDlg::OnStopRecord);
}

void CRecorderDlg::OnChooseOutputFile()
{
    const std::optional<std::string> chosen = m_services.prompts->AskSaveFile(this, SaveFileRequest{true, true});
    if (!chosen || chosen->empty())
        return;
    if (chosen->size() > kChosenPathLimit) {
        Ask("The path of this file is too long (at most " + std::to_string(kChosenPathLimit)
                + " characters):\n" + *chosen,
            m_appTitle, BoxButtons::Ok, BoxIcon::Exclamation);
        return;
    }
    const std::string path = *chosen + ".mp3";
    // The dialog asked about the name as chosen, not about the name with
    // ".mp3": an existing recording under the final name is not replaced
    // without asking. A link is looked at, not followed: replacing it
    // replaces the link, and one that leads nowhere is asked about too.
    const RecordingTarget target = InspectRecordingTarget(path);
    if (target.kind == RecordingTarget::Kind::Other) {
        Ask(path + " is " + target.detail + ", not a file: a recording cannot be written there.\n"
                "Please choose another name.",
            m_appTitle, BoxButtons::Ok, BoxIcon::Exclamation);
        return;
    }
    if (target.kind == RecordingTarget::Kind::File || target.kind == RecordingTarget::Kind::Link) {
        const std::string what = target.kind == RecordingTarget::Kind::File
            ? " already exists.\nDo you want to replace it?"
            : " already exists as a symbolic link to " + target.detail
                + ".\nDo you want to replace the link? What it points to is left as it is.";
        if (Ask(path + what, m_appTitle, BoxButtons::YesNo, BoxIcon::Exclamation) != BoxAnswer::Yes)
            return;
        // Yes means the next take starts the file anew, even if this run
        // recorded there before.
        m_recorder.ReplaceFile(path.c_str());
    }
    m_recordPath = path;
    DoDataExchange(false);
}

void CRecorderDlg::OnRecord()
{
    DoDataExchange(true);
    if (m_recordPath.empty()) {
        Ask("Please Input Save File Name!", m_appTitle, BoxButtons::Ok, BoxIcon::Exclamation);
        return;
    }
    std::vector<char> buffer(m_recordPath.begin(), m_recordPath.end());
    buffer.push_back('\0');
    m_recorder.SetFileName(buffer.data());
    m_recordPath = buffer.data();
    m_recorder.StartRec();
    SetTimer(kRecordTimer, kTimerPeriodMs);
    GetDlgItem(kChooseButtonId)->setEnabled(false);
    // The buttons do not depend on the start, but the user learns at once
    // when nothing is being recorded.
    TellRecorderFailure();
}

void CRecorderDlg::OnPauseRecord() { m_recorder.PauseRec(); }

void CRecorderDlg::OnStopRecord()
{
    m_recorder.StopRec();
    GetDlgItem(kChooseButtonId)->setEnabled(true);
}

void CRecorderDlg::RefreshRecordingDisplay()
{
    const int size = m_recorder.GetFileSize();
    static_cast<QLabel*>(GetDlgItem(kSizeStaticId))->setText(QString::fromStdString(FormatFileSize(size)));
    const int seconds = m_recorder.GetRSec();
    static_cast<QLabel*>(GetDlgItem(kTimeStaticId))->setText(QString::fromStdString(FormatDuration(seconds)));
    // A take that ended by itself (disk full, sound input lost) is told on
    // the first tick after.
    TellRecorderFailure();
}

void CRecorderDlg::TellRecorderFailure()
{
    const std::string failure = m_recorder.TakeFailureMessage();
    if (!failure.empty())
        Ask(failure, m_appTitle, BoxButtons::Ok, BoxIcon::Exclamation);
}
