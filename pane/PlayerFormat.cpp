#include "pane/PlayerFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string FormatClock(double seconds, ClockRounding rounding)
{
    if (!std::isfinite(seconds) || seconds < 0.0)
        seconds = 0.0;
    // A hair's tolerance keeps 245.0000001 at 4:05.0 and 12.2999999 at 12.3.
    const double tenthsExact = std::min(seconds * 10.0, 1e12);
    const auto tenths = static_cast<long long>(rounding == ClockRounding::Up ? std::ceil(tenthsExact - 1e-6)
                                                                             : std::floor(tenthsExact + 1e-6));
    const long long whole = tenths / 10;
    const int tenth = static_cast<int>(tenths % 10);
    const long long h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
    char text[48];
    if (h > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%d", h, m, s, tenth);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld.%d", m, s, tenth);
    return text;
}

double SteppedSpeed(double speed, int steps)
{
    const double onGrid = std::round(speed / kSpeedStep) + steps;
    return std::clamp(onGrid * kSpeedStep, kSlowestSpeed, kFastestSpeed);
}

const std::vector<double>& CommonSpeeds()
{
    static const std::vector<double> speeds = {0.5, 0.6, 0.75, 0.9, 1.0, 1.25, 1.5, 2.0};
    return speeds;
}

std::string FormatSpeed(double speed)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.2fx", speed);
    return text;
}
