#include "pane/PlayerFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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
