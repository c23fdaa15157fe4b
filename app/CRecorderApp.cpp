#include "app/CRecorderApp.h"

#include "app/CRecorderDlg.h"
#include "app/QtUserPrompts.h"

#include <QApplication>

CRecorderApp theApp;

void CRecorderApp::InitInstance(QApplication& application)
{
    application.setWindowIcon(QIcon(QStringLiteral(":/res/quillora.xpm")));
    QtUserPrompts prompts;
    CRecorderDlg dialog(DialogServices::ForProgram(prompts));
    dialog.exec();  // the modal result is not used
}
