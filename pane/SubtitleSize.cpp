#include "pane/SubtitleSize.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace {
constexpr char kKey[] = "subtitles/scale";
}

SubtitleSize::SubtitleSize()
{
    const QSettings settings(filePath(), QSettings::IniFormat);
    bool ok = false;
    // Written as "1.2" whatever the locale; read back the same way.
    const double kept = settings.value(kKey).toString().toDouble(&ok);
    if (ok && std::isfinite(kept))
        m_tenths = std::clamp(static_cast<int>(std::lround(kept * 10.0)), kSmallestTenths, kLargestTenths);
}

QString SubtitleSize::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/quillora/player.conf";
}

bool SubtitleSize::step(int steps) { return setTenths(std::clamp(m_tenths + steps, kSmallestTenths, kLargestTenths)); }

bool SubtitleSize::reset() { return setTenths(10); }

// A file that cannot be written leaves the size for this session only.
bool SubtitleSize::setTenths(int tenths)
{
    if (tenths == m_tenths)
        return false;
    m_tenths = tenths;
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(kKey, QString::number(scale(), 'f', 1));
    return true;
}
