#include "app/NumberText.h"

#include <array>
#include <cctype>
#include <charconv>

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

double convertDecimal(std::string_view number)
{
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Out of range: overflow saturates, underflow goes to zero, as strtod does.
        const bool negative = !number.empty() && number.front() == '-';
        const auto e = number.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && number.size() > e + 1 && number[e + 1] == '-';
        value = tiny ? 0.0 : 1.0e308 * 10.0;
        if (negative) value = -value;
    }
    return value;
}
}

std::string FormatShown(double value) { return toChars(value, std::chars_format::general, 15); }

std::string FormatFixed6(double value) { return toChars(value, std::chars_format::fixed, 6); }

std::optional<double> ParseWholeNumber(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    const std::size_t length = decimalPrefixLength(text);
    if (length == 0 || length != text.size())
        return std::nullopt;
    return convertDecimal(text);
}

double ReadLeadingNumber(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    const std::size_t length = decimalPrefixLength(text);
    return length == 0 ? 0.0 : convertDecimal(text.substr(0, length));
}
