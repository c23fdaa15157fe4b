#pragma once

#include <cstdint>
#include <string>

// Recording time as weeks, days, hours, minutes and seconds, leaving out
// every piece whose count is 0 but the seconds: 3725 gives "1 : 2 : 5 s".
std::string FormatDuration(std::int32_t seconds);
// Output size as megabytes and then bytes or kilobytes: "1 M 512 KB".
std::string FormatFileSize(std::int32_t bytes);
