#include "app/NumberText.h"

#include <array>
#include <cctype>
#include <algorithm>
#include <charconv>
#include <limits>

namespace {
bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string toChars(double value, std::chars_format format, int precision)
{
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
    return std::string(buffer.data(), result.ptr);
}

// Length of the decimal number at the start of `text` ("" -> 0).
std::size_t decimalPrefixLength(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) { ++i; ++digits; }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) { ++i; ++digits; }
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

// Out of range, the decimal number is either beyond the largest double or
// below half the smallest: its order of magnitude tells which. The order
// is that of the first non-zero digit, plus the exponent (saturated).
bool isOverflow(std::string_view number)
{
    long long order = 0;
    std::size_t i = 0;
    bool seenNonZero = false;
    for (; i < number.size() && isDigit(number[i]); ++i) {
        if (number[i] != '0') seenNonZero = true;
        if (seenNonZero) ++order;
    }
    if (i < number.size() && number[i] == '.') {
        for (++i; !seenNonZero && i < number.size() && isDigit(number[i]); ++i) {
            if (number[i] != '0') seenNonZero = true;
            else --order;
        }
    }
    const auto e = number.find_first_of("eE");
    if (e != std::string_view::npos) {
        std::size_t j = e + 1;
        const bool negative = j < number.size() && number[j] == '-';
        if (j < number.size() && (number[j] == '+' || number[j] == '-'))
            ++j;
        long long exponent = 0;
        for (; j < number.size() && isDigit(number[j]); ++j)
            exponent = std::min(exponent * 10 + (number[j] - '0'), 1'000'000'000'000LL);
        order += negative ? -exponent : exponent;
    }
    return order > 0;
}

// `number` is a whole decimal number as decimalPrefixLength measures it.
// The nearest double, correctly rounded; beyond the range of doubles
// infinity, below it zero, as strtod gives.
double convertDecimal(std::string_view number)
{
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    const bool negative = !number.empty() && number.front() == '-';
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = isOverflow(number.substr(negative ? 1 : 0)) ? std::numeric_limits<double>::infinity() : 0.0;
        if (negative) value = -value;
    }
    return value;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lower)
{
    if (text.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i])
            return false;
    return true;
}

// The words the shown text uses for the values that are no decimal number:
// "inf", "-inf", "nan" (also "infinity", any case, either sign).
std::optional<double> readSpecialValue(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    double value;
    if (equalsIgnoringCase(text, "inf") || equalsIgnoringCase(text, "infinity"))
        value = std::numeric_limits<double>::infinity();
    else if (equalsIgnoringCase(text, "nan"))
        value = std::numeric_limits<double>::quiet_NaN();
    else
        return std::nullopt;
    return negative ? -value : value;
}
}

std::string FormatShown(double value) { return toChars(value, std::chars_format::general, 15); }

std::string FormatFixed6(double value) { return toChars(value, std::chars_format::fixed, 6); }

std::string FormatFileNumber(double value)
{
    constexpr std::size_t kLongestLine = 78;  // a line read takes 79 characters, the line feed included
    std::string text = FormatFixed6(value);
    if (text.size() <= kLongestLine)
        return text;
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific);
    return std::string(buffer.data(), result.ptr);
}

std::optional<double> ParseWholeNumber(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    const std::size_t length = decimalPrefixLength(text);
    if (length == 0 || length != text.size())
        return readSpecialValue(text);
    return convertDecimal(text);
}

double ReadLeadingNumber(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    const std::size_t length = decimalPrefixLength(text);
    return length == 0 ? 0.0 : convertDecimal(text.substr(0, length));
}
