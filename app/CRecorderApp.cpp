#include "app/CRecorderApp.h"

#include "app/CRecorderDlg.h"
#include "app/QtUserPrompts.h"

#include <QApplication>

CRecorderApp theApp;

void CRecorderApp::InitInstance(QApplication& application)
{
    // Lets Wayland compositors find the menu entry, and with it the icon.
    application.setDesktopFileName(QStringLiteral("quillora"));
    QtUserPrompts prompts;
    CRecorderDlg dialog(DialogServices::ForProgram(prompts));
    dialog.exec();  // the modal result is not used
}
