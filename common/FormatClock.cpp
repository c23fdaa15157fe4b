#include "common/FormatClock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// tenth < 0: none shown.
std::string clockText(std::uint64_t seconds, int tenth)
{
    const unsigned long long h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    char text[48];
    if (h > 0)
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", h, m, s);
    else
        std::snprintf(text, sizeof text, "%llu:%02llu", m, s);
    std::string clock = text;
    if (tenth >= 0)
        clock += "." + std::to_string(tenth);
    return clock;
}
}  // namespace

std::string FormatClock(std::uint64_t seconds) { return clockText(seconds, -1); }

std::string FormatClock(double seconds, ClockRounding rounding)
{
    if (!std::isfinite(seconds) || seconds < 0.0)
        seconds = 0.0;
    // A hair's tolerance keeps 245.0000001 at 4:05.0 and 12.2999999 at 12.3.
    const double tenthsExact = std::min(seconds * 10.0, 1e12);
    const auto tenths = static_cast<std::uint64_t>(rounding == ClockRounding::Up ? std::ceil(tenthsExact - 1e-6)
                                                                                 : std::floor(tenthsExact + 1e-6));
    return clockText(tenths / 10, static_cast<int>(tenths % 10));
}
