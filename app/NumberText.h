#pragma once

#include <optional>
#include <string>
#include <string_view>

// Locale-free number text: always "." as the decimal separator.

// The shortest "%.15g" text of a value, as the edits show it.
std::string FormatShown(double value);
// "%f": six decimals, as the files and the pause-point rows use.
std::string FormatFixed6(double value);
// A number line of the files: "%f", unless that is longer than a line read
// takes with its line feed (from 1e71 on, only ever from a hand-made file),
// which would split the line in two and shift every line after it; then the
// shortest exponent form, which reads back the same.
std::string FormatFileNumber(double value);
// The whole text as a decimal number (surrounding blanks allowed), or as
// one of the words FormatShown uses for infinity and NaN; nothing when
// any of it is not part of the number.
std::optional<double> ParseWholeNumber(std::string_view text);
// The longest decimal prefix after leading white space (sign, digits,
// fraction, exponent), 0.0 when there is none. No hex, infinity or NaN.
// Correctly rounded; out of the range of doubles it gives infinity or zero.
double ReadLeadingNumber(std::string_view text);
