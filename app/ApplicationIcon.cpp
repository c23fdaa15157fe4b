#include "app/ApplicationIcon.h"

#include <QString>

namespace {
QIcon makeIcon()
{
    QIcon icon(QStringLiteral(":/res/quillora.xpm"));
    // No 32 x 32 rendering: at that size the classic image is the icon.
    for (int size : {16, 22, 24, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/res/icons/hicolor/%1x%1/apps/quillora.png").arg(size), QSize(size, size));
    return icon;
}
}  // namespace

// Read once: the application and the window both ask for it at start-up.
// Never destroyed, so that no image outlives the application object.
QIcon ApplicationIcon()
{
    static const QIcon* const icon = new QIcon(makeIcon());
    return *icon;
}
