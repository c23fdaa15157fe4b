#include "app/CRecorderDlg.h"

#include "app/CommandKeys.h"
#include "pane/SubtitleTrack.h"
#include "practice/PassageMarks.h"

#include <QAbstractButton>

namespace {
constexpr int kSetStartId = 1023;
constexpr int kSetEndId = 1024;
// 打开, 播放 (both), 暂停, 停止, 复读, the marks and the nudges: each ends a
// running drill first and then does what it always does.
constexpr int kDrillEndingButtons[] = {1009, 1010, 1026, 1011, 1038, 1012, 1023, 1024, 1019, 1020, 1021, 1022};
}  // namespace

void CRecorderDlg::ConnectDrillCommands()
{
    for (const int id : kDrillEndingButtons)
        connect(static_cast<QAbstractButton*>(GetDlgItem(id)), &QAbstractButton::clicked, &m_player,
                &CMediaplayer1::EndDrill);
    // The drill replays as 复读 does, but on its own: the watches step aside.
    connect(&m_player, &CMediaplayer1::drillStarting, this, [this] {
        KillTimer(kSegmentTimer);
        KillTimer(kPausePointTimer);
    });
    m_commandKeys->add({QKeyCombination(Qt::Key_D), [this] { m_player.handleOwnKey(Qt::Key_D, Qt::NoModifier); },
                        [this] { return m_player.isEnabled() && m_player.drill(); }});
    // T records a take of the passage (T again ends it), Y plays the newest.
    for (const Qt::Key key : {Qt::Key_T, Qt::Key_Y})
        m_commandKeys->add({QKeyCombination(key), [this, key] { m_player.handleOwnKey(key, Qt::NoModifier); },
                            [this] { return m_player.isEnabled() && m_player.drill(); }});

    const auto enabled = [this](int id) { return [this, id] { return GetDlgItem(id)->isEnabled(); }; };
    // Shift+A and Shift+B: A or B in the pause next to the position, which
    // a press a little late or early would otherwise cut into the word.
    const auto mark = [this](bool start) {
        RunCommand([this, start] {
            m_player.EndDrill();
            RunGuarded(MediaGuard::Silent, BoxIcon::None, [this, start] {
                const double p = m_player.GetPosition();
                const SubtitleLines& sentences = m_player.subtitles().lines();
                if (start)
                    m_segStart = StartInPause(sentences, p);
                else
                    m_segEnd = EndInPause(sentences, p);
                m_editStart = m_segStart;
                m_editEnd = m_segEnd;
                DoDataExchange(false);
            });
        });
    };
    m_commandKeys->add({QKeyCombination(Qt::ShiftModifier, Qt::Key_A), [mark] { mark(true); }, enabled(kSetStartId)});
    m_commandKeys->add({QKeyCombination(Qt::ShiftModifier, Qt::Key_B), [mark] { mark(false); }, enabled(kSetEndId)});

    // Alt+Left/Right move A, Alt+Shift+Left/Right move B, by a twentieth
    // of a second; the half-second buttons stay as they are.
    const auto nudge = [this](bool start, double step) {
        RunCommand([this, start, step] {
            m_player.EndDrill();
            NudgePassage(m_segStart, m_segEnd, start, step);
            m_editStart = m_segStart;
            m_editEnd = m_segEnd;
            DoDataExchange(false);
        });
    };
    const struct {
        Qt::KeyboardModifiers modifiers;
        Qt::Key key;
        bool start;
        double step;
    } nudges[] = {
        {Qt::AltModifier, Qt::Key_Left, true, -kFineNudge},
        {Qt::AltModifier, Qt::Key_Right, true, kFineNudge},
        {Qt::AltModifier | Qt::ShiftModifier, Qt::Key_Left, false, -kFineNudge},
        {Qt::AltModifier | Qt::ShiftModifier, Qt::Key_Right, false, kFineNudge},
    };
    for (const auto& n : nudges)
        m_commandKeys->add({QKeyCombination(n.modifiers, n.key), [nudge, n] { nudge(n.start, n.step); }, {}});
}
