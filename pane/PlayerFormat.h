#pragma once

#include <string>
#include <vector>

// Playback speeds: 0.50x to 2.00x in steps of 0.05.
inline constexpr double kSlowestSpeed = 0.5;
inline constexpr double kFastestSpeed = 2.0;
inline constexpr double kSpeedStep = 0.05;
// `steps` steps of 0.05 from `speed`, on the 0.05 grid and within range.
double SteppedSpeed(double speed, int steps);
// The speeds offered directly in the speed choice.
const std::vector<double>& CommonSpeeds();
// "1.25x"
std::string FormatSpeed(double speed);
