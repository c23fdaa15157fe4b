#pragma once

#include "app/IUserPrompts.h"

// The seam as the program shows it: QMessageBox and QFileDialog, run modally
// so the owner's timers keep ticking while they are open.
class QtUserPrompts : public IUserPrompts {
public:
    BoxAnswer ShowMessage(QWidget* owner, const MessageBoxRequest& request) override;
    std::optional<std::string> AskOpenFile(QWidget* owner, const OpenFileRequest& request) override;
    std::optional<std::string> AskSaveFile(QWidget* owner, const SaveFileRequest& request) override;
};
