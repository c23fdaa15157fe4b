#include "app/QtUserPrompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

namespace {
QMessageBox::Icon toQtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Exclamation: return QMessageBox::Warning;
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// As with the system file dialogs the program was designed for, a file
// chosen with OK makes its folder the current directory, where the next
// Open starts.
std::optional<std::string> runFileDialog(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().first();
    QDir::setCurrent(QFileInfo(chosen).absolutePath());
    return chosen.toStdString();
}
}

BoxAnswer QtUserPrompts::ShowMessage(QWidget* owner, const MessageBoxRequest& request)
{
    QMessageBox box(toQtIcon(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text),
                    request.buttons == BoxButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                         : QMessageBox::Ok,
                    owner);
    const int result = box.exec();
    if (request.buttons == BoxButtons::Ok)
        return BoxAnswer::Ok;
    return result == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

std::optional<std::string> QtUserPrompts::AskOpenFile(QWidget* owner, const OpenFileRequest& request)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList filters;
    for (const FileFilter& f : request.filters)
        // Qt reads the pattern from the last parenthesised group; an entry
        // whose text already shows it is passed as it is.
        filters << QString::fromStdString(f.shown.ends_with(")") ? f.shown
                                                                 : f.shown + "(" + f.pattern + ")");
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    const QString initial = QString::fromStdString(request.initialFileName);
    dialog.selectFile(initial);
    return runFileDialog(dialog);
}

std::optional<std::string> QtUserPrompts::AskSaveFile(QWidget* owner, const SaveFileRequest& request)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    return runFileDialog(dialog);
}
