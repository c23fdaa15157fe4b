#pragma once

#include "app/IUserPrompts.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Answers the program's boxes and file dialogs from queues and keeps what
// each one would have shown. With an empty queue a question is answered
// No and a file dialog is cancelled.
class ScriptedPrompts : public IUserPrompts {
public:
    BoxAnswer ShowMessage(QWidget* owner, const MessageBoxRequest& request) override;
    std::optional<std::string> AskOpenFile(QWidget* owner, const OpenFileRequest& request) override;
    std::optional<std::string> AskSaveFile(QWidget* owner, const SaveFileRequest& request) override;

    std::deque<BoxAnswer> answers;
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    // Runs while a box is "open", e.g. to let timers tick meanwhile.
    std::function<void()> whileOpen;

    std::vector<MessageBoxRequest> messages;
    std::vector<OpenFileRequest> openRequests;
    std::vector<SaveFileRequest> saveRequests;
};
