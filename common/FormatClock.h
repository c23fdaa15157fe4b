#pragma once

#include <cstdint>
#include <string>

// Clock texts: minutes and seconds, with hours when there are any.

// Whole seconds: "0:42", "12:05", "1:02:03".
std::string FormatClock(std::uint64_t seconds);

// With tenths, as the player's control bar shows them: "0:12.3",
// "1:02:03.4". A position is cut down to its tenth; a total is rounded up,
// so a 2.96 s file shows "0:03.0", never less than it lasts. Negative and
// not-a-number times show as 0.
enum class ClockRounding { Down, Up };
std::string FormatClock(double seconds, ClockRounding rounding);
