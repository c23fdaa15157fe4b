#include "ScriptedPrompts.h"

BoxAnswer ScriptedPrompts::ShowMessage(QWidget*, const MessageBoxRequest& request)
{
    messages.push_back(request);
    if (whileOpen)
        whileOpen();
    if (request.buttons == BoxButtons::Ok)
        return BoxAnswer::Ok;
    if (answers.empty())
        return BoxAnswer::No;
    const BoxAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::AskOpenFile(QWidget*, const OpenFileRequest& request)
{
    openRequests.push_back(request);
    if (openAnswers.empty())
        return std::nullopt;
    auto answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::AskSaveFile(QWidget*, const SaveFileRequest& request)
{
    saveRequests.push_back(request);
    if (saveAnswers.empty())
        return std::nullopt;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}
