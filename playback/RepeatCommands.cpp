#include "app/CRecorderDlg.h"

#include "app/CommandKeys.h"
#include "player/MediaError.h"
#include "player/MediaExceptionReport.h"

#include <QAbstractButton>
#include <utility>

namespace {
struct PassageKey {
    Qt::Key key;
    int buttonId;
    const char* tip;
};

// The passage walk by key, for a learner whose eyes are on the text.
constexpr PassageKey kPassageKeys[] = {
    {Qt::Key_A, 1023, "在播放位置标记 A"},
    {Qt::Key_B, 1024, "在播放位置标记 B"},
    {Qt::Key_R, 1012, "从 A 重放到 B"},
    {Qt::Key_N, 1010, "从 B 接着播放，B 成为新的 A"},
    {Qt::Key_P, 1011, "暂停，暂停处成为新的 B"},
};
}

void CRecorderDlg::ConnectPlaybackCommands()
{
    for (const PassageKey& k : kPassageKeys)
        m_commandKeys->addButton(k.key, static_cast<QAbstractButton*>(GetDlgItem(k.buttonId)),
                                 QString::fromUtf8(k.tip));
    // The subtitle-line keys are the player's own; from anywhere else in the
    // window they are handed to it, and the passage keys also work while the
    // picture fills the screen as a window of its own. A button would take
    // Ctrl+Left and Ctrl+Right to move the focus: the window takes them first.
    const auto toPlayer = [this](QKeyCombination key, CommandKeys::Reach reach, bool repeats) {
        m_commandKeys->add({key, [this, key] { m_player.handleOwnKey(key.key(), key.keyboardModifiers()); },
                            [this] { return m_player.isEnabled(); }, reach, repeats});
    };
    toPlayer(QKeyCombination(Qt::Key_L), CommandKeys::Reach::AfterControl, false);
    for (const Qt::Key arrow : {Qt::Key_Left, Qt::Key_Right})
        toPlayer(QKeyCombination(Qt::ControlModifier, arrow), CommandKeys::Reach::BeforeControl, true);
    // The size of the subtitle lines; Ctrl+Plus is typed with Shift on most keyboards.
    for (const QKeyCombination key : {QKeyCombination(Qt::ControlModifier, Qt::Key_Plus),
                                      QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Plus),
                                      QKeyCombination(Qt::ControlModifier, Qt::Key_Equal),
                                      QKeyCombination(Qt::ControlModifier, Qt::Key_Minus),
                                      QKeyCombination(Qt::ControlModifier, Qt::Key_0)})
        toPlayer(key, CommandKeys::Reach::AfterControl, false);
    // F6, the usual key for the next pane, puts the focus on the player.
    m_commandKeys->add({QKeyCombination(Qt::Key_F6), [this] { m_player.setFocus(Qt::ShortcutFocusReason); },
                        [this] { return m_player.isEnabled(); }, CommandKeys::Reach::Everywhere, false});
    m_commandKeys->watch(&m_player);
    ConnectButton(1009, &CRecorderDlg::OnOpenMedia);
    ConnectButton(1010, &CRecorderDlg::OnPlay);
    ConnectButton(1026, &CRecorderDlg::OnPlay);
    ConnectButton(1011, &CRecorderDlg::OnPause);
    ConnectButton(1038, &CRecorderDlg::OnStop);
    ConnectButton(1012, &CRecorderDlg::OnRepeat);
    ConnectButton(1023, &CRecorderDlg::OnSetStart);
    ConnectButton(1024, &CRecorderDlg::OnSetEnd);
    ConnectButton(1019, &CRecorderDlg::OnStartEarlier);
    ConnectButton(1020, &CRecorderDlg::OnStartLater);
    ConnectButton(1021, &CRecorderDlg::OnEndEarlier);
    ConnectButton(1022, &CRecorderDlg::OnEndLater);
}

void CRecorderDlg::RunGuarded(MediaGuard variant, BoxIcon icon, const std::function<void()>& steps)
{
    const Guard guard{variant, icon};
    const std::optional<Guard> outer = std::exchange(m_runningGuard, guard);
    try {
        steps();
    } catch (const MediaError& error) {
        m_runningGuard = outer;
        // A file that turned out unplayable after its load had returned is
        // why the step failed: it is told once, as its load's command tells it.
        if (!TellLateLoadFailure())
            TellGuardedFailure(guard, error);
        return;
    }
    m_runningGuard = outer;
}

void CRecorderDlg::TellGuardedFailure(const Guard& guard, const MediaError& error)
{
    switch (guard.variant) {
    case MediaGuard::Reporting:
        ReportMediaException(error);
        Ask("Error Media Types", "Ravelle", BoxButtons::Ok, guard.icon);
        EnablePlaybackControls(false);
        break;
    case MediaGuard::Quiet:
        KillTimer(m_segmentTimerId);
        Ask("Error Media Types", "Ravelle", BoxButtons::Ok, guard.icon);
        EnablePlaybackControls(false);
        break;
    case MediaGuard::Silent:
        break;
    }
}

void CRecorderDlg::ReportMediaException(const MediaError& error)
{
    Ask(FormatMediaException(error), "Exception", BoxButtons::Ok, BoxIcon::Exclamation);
}

void CRecorderDlg::OnPlay()
{
    RunGuarded(MediaGuard::Reporting, BoxIcon::Error, [this] {
        KillTimer(kSegmentTimer);
        KillTimer(kPausePointTimer);
        LoadIntoPlayer(m_mediaPath);
        m_segStart = m_segEnd;
        m_player.SetPosition(m_segStart);
        m_player.Play();
        m_editStart = m_segStart;
        DoDataExchange(false);
    });
}

void CRecorderDlg::TakePositionAsEnd()
{
    const double p = m_player.GetPosition();
    m_segEnd = p;
    m_editStart = m_segStart;
    m_editEnd = p;
    DoDataExchange(false);
}

void CRecorderDlg::OnPause()
{
    RunGuarded(MediaGuard::Reporting, BoxIcon::Information, [this] {
        m_player.Pause();
        TakePositionAsEnd();
    });
}

void CRecorderDlg::OnStop()
{
    RunGuarded(MediaGuard::Reporting, BoxIcon::Information, [this] {
        m_player.Stop();
        TakePositionAsEnd();
    });
}

void CRecorderDlg::OnRepeat()
{
    RunGuarded(MediaGuard::Quiet, BoxIcon::Question, [this] {
        KillTimer(kPausePointTimer);
        m_segmentTimerId = SetTimer(kSegmentTimer, kTimerPeriodMs);
        m_player.SetPosition(m_segStart);
        m_player.Play();
    });
}

void CRecorderDlg::OnSetStart()
{
    RunGuarded(MediaGuard::Silent, BoxIcon::None, [this] {
        const double p = m_player.GetPosition();
        m_segStart = p;
        m_editStart = p;
        m_editEnd = m_segEnd;
        DoDataExchange(false);
    });
}

void CRecorderDlg::OnSetEnd()
{
    RunGuarded(MediaGuard::Silent, BoxIcon::None, [this] { TakePositionAsEnd(); });
}

void CRecorderDlg::OnLineAsPassage(double start, double end)
{
    m_segStart = m_editStart = start;
    m_segEnd = m_editEnd = end;
    DoDataExchange(false);
}

// The nudges move A or B by the step; a push moves the other end by one
// step too, not onto the moved one.
void CRecorderDlg::OnStartEarlier()
{
    DoDataExchange(true);
    m_segStart -= m_segNudge;
    m_editStart = m_segStart;
    DoDataExchange(false);
}

void CRecorderDlg::OnStartLater()
{
    DoDataExchange(true);
    const double t = m_segStart + m_segNudge;
    if (t > m_segEnd) {
        m_segEnd += m_segNudge;
        m_editEnd = m_segEnd;
    }
    m_segStart = t;
    m_editStart = m_segStart;
    DoDataExchange(false);
}

void CRecorderDlg::OnEndEarlier()
{
    DoDataExchange(true);
    const double t = m_segEnd - m_segNudge;
    if (t < m_segStart) {
        m_segStart -= m_segNudge;
        m_editStart = m_segStart;
    }
    m_segEnd = t;
    m_editEnd = m_segEnd;
    DoDataExchange(false);
}

void CRecorderDlg::OnEndLater()
{
    DoDataExchange(true);
    m_segEnd += m_segNudge;
    m_editEnd = m_segEnd;
    DoDataExchange(false);
}

void CRecorderDlg::OnKillFocusStart()
{
    DoDataExchange(true);
    m_segStart = m_editStart;
}

void CRecorderDlg::OnKillFocusEnd()
{
    DoDataExchange(true);
    m_segEnd = m_editEnd;
}
