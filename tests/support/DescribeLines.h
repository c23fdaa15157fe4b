#pragma once

#include "player/SubtitleLines.h"

#include <QString>
#include <QStringList>
#include <vector>

// Lines as one text ("0.5-1.5 One | 1.5-3 Two"), so that a failed
// comparison shows every line at once.
inline QString describe(const std::vector<SubtitleLine>& lines)
{
    QStringList out;
    for (const SubtitleLine& l : lines)
        out << QString("%1-%2 %3").arg(l.start).arg(l.end).arg(QString::fromStdString(l.text));
    return out.join(" | ");
}
