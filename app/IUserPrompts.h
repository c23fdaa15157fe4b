#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

// Every message box and file dialog of the program goes through this seam,
// so tests can read what would be shown and answer it.
enum class BoxIcon { None, Exclamation, Information, Question, Error };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    BoxButtons buttons = BoxButtons::Ok;
    BoxIcon icon = BoxIcon::None;
};

struct FileFilter {
    std::string shown;
    std::string pattern;
};

struct OpenFileRequest {
    std::string initialFileName;
    std::string defaultExtension;
    std::vector<FileFilter> filters;
};

struct SaveFileRequest {
    bool hideReadOnly = true;
    bool confirmOverwrite = true;
};

class IUserPrompts {
public:
    virtual ~IUserPrompts() = default;
    virtual BoxAnswer ShowMessage(QWidget* owner, const MessageBoxRequest& request) = 0;
    // The chosen path, or nothing when the dialog was cancelled or failed.
    virtual std::optional<std::string> AskOpenFile(QWidget* owner, const OpenFileRequest& request) = 0;
    virtual std::optional<std::string> AskSaveFile(QWidget* owner, const SaveFileRequest& request) = 0;
};
