#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

// Prints min, median and max of a set of figures on one line.
inline void PrintStats(const char* what, std::vector<double> values, const char* unit)
{
    if (values.empty()) {
        std::printf("%-40s no samples\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
    std::printf("%-40s n=%zu  min %.1f  median %.1f  max %.1f %s\n", what, n, values.front(), median,
                values.back(), unit);
}
