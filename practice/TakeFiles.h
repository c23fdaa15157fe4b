#pragma once

#include <QString>
#include <QStringList>

// Where a lesson's takes are kept: a folder beside the media
// (lesson1.mp3 -> lesson1.takes/), or where that cannot be written, one of
// the same name under $XDG_DATA_HOME/quillora/takes/.
struct TakeFolders {
    QString beside;
    QString fallback;
};
TakeFolders TakeFoldersFor(const QString& mediaPath);

// A take's file name: the sentence's start (seconds, "." as separator) and
// the moment it was taken, so that names sort by sentence, then by time.
QString TakeFileName(double sentenceStart, const QString& stamp);
