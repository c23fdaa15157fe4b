#include "app/QtTranslations.h"

#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool InstallQtTranslations(QGuiApplication& application, const QLocale& locale)
{
    // The layout is fixed for left to right; a right-to-left translation
    // would otherwise mirror the window.
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    auto* translator = new QTranslator(&application);
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
