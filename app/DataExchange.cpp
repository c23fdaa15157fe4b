#include "app/CRecorderDlg.h"
#include "app/AccessibleNames.h"
#include "app/NumberText.h"

#include <QLineEdit>
#include <utility>

namespace {
struct NumberBinding {
    int id;
    double CRecorderDlg::*member;
};

// In the order the exchange runs them.
constexpr NumberBinding kNumberBindings[] = {
    {1002, &CRecorderDlg::m_editStart},
    {1003, &CRecorderDlg::m_editEnd},
    {1006, &CRecorderDlg::m_markLag},
    {1005, &CRecorderDlg::m_pauseNudge},
    {1004, &CRecorderDlg::m_segNudge},
};
constexpr int kRecordPathId = 1031;
}

bool CRecorderDlg::DoDataExchange(bool save)
{
    for (const NumberBinding& binding : kNumberBindings) {
        auto* edit = static_cast<QLineEdit*>(GetDlgItem(binding.id));
        if (!save) {
            edit->setText(QString::fromStdString(FormatShown(this->*binding.member)));
            // A long value shows its first digits, not its last.
            edit->setCursorPosition(0);
            continue;
        }
        const std::optional<double> value = ParseWholeNumber(edit->text().toStdString());
        if (!value) {
            RefuseNumber(edit);
            return false;
        }
        this->*binding.member = *value;
    }
    auto* recordPath = static_cast<QLineEdit*>(GetDlgItem(kRecordPathId));
    if (save)
        m_recordPath = recordPath->text().toStdString();
    else
        recordPath->setText(QString::fromStdString(m_recordPath));
    NameNudges(m_controls, m_segNudge);
    return true;
}

void CRecorderDlg::RefuseNumber(QLineEdit* edit)
{
    // Neither the box taking the focus nor the focus coming back is the user
    // leaving an edit: neither may run an edit's focus-lost command, or each
    // box would bring the next.
    const bool wasRefusing = std::exchange(m_refusingNumber, true);
    Ask("Please enter a number.", m_appTitle, BoxButtons::Ok, BoxIcon::Exclamation);
    if (edit->isVisible()) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
    m_refusingNumber = wasRefusing;
}
