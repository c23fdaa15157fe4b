#pragma once

#include <QLocale>

class QGuiApplication;

// Installs Qt's own translations (the file dialogs, the boxes' buttons)
// for `locale`, from where Qt keeps them; the program's own captions are
// not touched. The window keeps its left-to-right layout whatever the
// language. Returns whether a translation was found.
bool InstallQtTranslations(QGuiApplication& application, const QLocale& locale = QLocale::system());
