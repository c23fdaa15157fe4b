#include "practice/TakeFiles.h"

#include <QFileInfo>
#include <QStandardPaths>

TakeFolders TakeFoldersFor(const QString& mediaPath)
{
    const QFileInfo media(mediaPath);
    const QString name = media.completeBaseName() + ".takes";
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return {media.absolutePath() + "/" + name, data + "/quillora/takes/" + name};
}

QString TakeFileName(double sentenceStart, const QString& stamp)
{
    // Zero-padded, so that a plain sort of the names is by sentence.
    return QString::asprintf("%09.3f", sentenceStart < 0.0 ? 0.0 : sentenceStart) + "-" + stamp + ".mp3";
}
