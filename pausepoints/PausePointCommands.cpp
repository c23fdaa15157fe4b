#include "app/CRecorderDlg.h"

#include "app/NumberText.h"

#include <QListWidget>

void CRecorderDlg::ConnectPausePointCommands()
{
    ConnectButton(1008, &CRecorderDlg::OnSavePausePoints);
    ConnectButton(1013, &CRecorderDlg::OnAddPausePoint);
    ConnectButton(1014, &CRecorderDlg::OnDeletePausePoint);
    ConnectButton(1015, &CRecorderDlg::OnPausePointEarlier);
    ConnectButton(1016, &CRecorderDlg::OnPausePointLater);
    ConnectButton(1017, &CRecorderDlg::OnPlayPausePoint);
    ConnectButton(1018, &CRecorderDlg::OnNextPausePoint);
    connect(m_listPausePoints, &QListWidget::itemDoubleClicked, this,
            [this] { RunCommand([this] { OnPlayPausePoint(); }); });
}

int CRecorderDlg::SelectedPausePoint() const
{
    const QList<QListWidgetItem*> selected = m_listPausePoints->selectedItems();
    return selected.isEmpty() ? -1 : m_listPausePoints->row(selected.first());
}

void CRecorderDlg::SelectPausePoint(int row)
{
    if (row < 0) {
        m_listPausePoints->clearSelection();
        m_listPausePoints->setCurrentRow(-1);
        return;
    }
    m_listPausePoints->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void CRecorderDlg::OnAddPausePoint()
{
    DoDataExchange(true);
    // A full list takes no more points.
    if (m_lastPauseIndex + 1 >= kMaxPausePoints)
        return;
    const double position = m_player.GetPosition();
    const double value = position - m_markLag;
    m_pausePoints[++m_lastPauseIndex] = value;
    m_listPausePoints->addItem(QString::fromStdString(FormatFixed6(value)));
    m_pausePointsModified = true;
    SelectPausePoint(m_lastPauseIndex);
}

void CRecorderDlg::OnDeletePausePoint()
{
    const int s = SelectedPausePoint();
    if (s < 0)
        return;
    for (int j = s; j < m_lastPauseIndex; ++j)
        m_pausePoints[j] = m_pausePoints[j + 1];
    --m_lastPauseIndex;
    delete m_listPausePoints->takeItem(s);
    SelectPausePoint(s <= m_lastPauseIndex ? s : m_lastPauseIndex);
    m_pausePointsModified = true;
}

void CRecorderDlg::MovePausePoint(int direction)
{
    DoDataExchange(true);  // takes the step before the selection is looked at
    const int s = SelectedPausePoint();
    if (s < 0)
        return;
    m_pausePoints[s] += direction * m_pauseNudge;
    delete m_listPausePoints->takeItem(s);
    m_listPausePoints->insertItem(s, QString::fromStdString(FormatFixed6(m_pausePoints[s])));
    SelectPausePoint(s);
    m_pausePointsModified = true;
}

void CRecorderDlg::OnPausePointEarlier() { MovePausePoint(-1); }

void CRecorderDlg::OnPausePointLater() { MovePausePoint(+1); }

void CRecorderDlg::OnPlayPausePoint()
{
    const int s = SelectedPausePoint();
    if (s < 0)
        return;
    m_player.SetPosition(m_pausePoints[s]);
    KillTimer(kSegmentTimer);
    SetTimer(kPausePointTimer, kTimerPeriodMs);
    m_player.Play();
}

void CRecorderDlg::OnNextPausePoint()
{
    const int s = SelectedPausePoint();
    if (s == m_lastPauseIndex)
        return;
    SelectPausePoint(s + 1);
    m_player.SetPosition(m_pausePoints[s + 1]);
    SetTimer(kPausePointTimer, kTimerPeriodMs);
    m_player.Play();
}
