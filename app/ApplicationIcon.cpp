#include "app/ApplicationIcon.h"

#include <QString>

QIcon ApplicationIcon()
{
    QIcon icon(QStringLiteral(":/res/quillora.xpm"));
    // No 32 x 32 rendering: at that size the classic image is the icon.
    for (int size : {16, 22, 24, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/res/icons/hicolor/%1x%1/apps/quillora.png").arg(size), QSize(size, size));
    return icon;
}
