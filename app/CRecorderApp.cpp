#include "app/CRecorderApp.h"

#include "app/CRecorderDlg.h"
#include "app/QtUserPrompts.h"
#include "app/TerminationSignals.h"

#include <QApplication>

CRecorderApp theApp;

void CRecorderApp::InitInstance(QApplication& application)
{
    // Lets Wayland compositors find the menu entry, and with it the icon.
    application.setDesktopFileName(QStringLiteral("quillora"));
    // Made first and gone last: a signal while the window is being torn
    // down waits in the pipe instead of cutting the take short.
    TerminationSignals endRequests;
    QtUserPrompts prompts;
    CRecorderDlg dialog(DialogServices::ForProgram(prompts));
    endRequests.Deliver([&dialog](int signal) { dialog.EndForSignal(TerminationSignals::Name(signal)); });
    dialog.exec();  // the modal result is not used
    endRequests.Deliver({});
}
