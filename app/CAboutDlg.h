#pragma once

#include "app/DialogBuilder.h"

#include <QDialog>

// The about box: icon, product title and an exit button.
class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QWidget* GetDlgItem(int id) const { return m_controls.item(id); }
    const BuiltControls& controls() const { return m_controls; }

private:
    BuiltControls m_controls;
};
