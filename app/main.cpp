#include "app/CRecorderApp.h"
#include "app/QtTranslations.h"
#include "app/QuietLibraries.h"

#include <QApplication>
#include <clocale>

int main(int argc, char* argv[])
{
    QuietSoundLibraries();
    QApplication application(argc, argv);
    // QApplication sets the process locale from the environment; numbers in
    // files and edits use ".", and libmpv refuses to start otherwise.
    std::setlocale(LC_NUMERIC, "C");
    // Qt's own dialogs and buttons speak the desktop's language.
    InstallQtTranslations(application);
    theApp.InitInstance(application);
    return theApp.ExitInstance();
}
