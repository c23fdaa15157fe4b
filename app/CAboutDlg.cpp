#include "app/CAboutDlg.h"

#include "app/ApplicationIcon.h"

#include <QPushButton>

namespace {
constexpr int kOkId = 1;
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    const DialogTemplate& tmpl = AboutDialogTemplate();
    ApplyDialogFrame(this, tmpl);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowStaysOnTopHint, parent && parent->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const QIcon icon = ApplicationIcon();
    setWindowIcon(icon);
    m_controls = BuildControls(this, tmpl, nullptr, icon);
    auto* ok = static_cast<QPushButton*>(GetDlgItem(kOkId));
    ok->setDefault(true);
    ok->setFocus(Qt::OtherFocusReason);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
