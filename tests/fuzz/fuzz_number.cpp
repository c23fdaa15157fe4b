// The number reader on any text; on plain decimals, against strtod.
#include "FuzzInput.h"
#include "app/NumberText.h"

#include <cmath>
#include <cstring>

namespace {
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool isPlainDecimal(std::string_view text)
{
    return text.find_first_not_of("0123456789.eE+-") == std::string_view::npos;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(AsText(data, size));
    const double leading = ReadLeadingNumber(text);
    FUZZ_CHECK(!std::isnan(leading));
    const std::optional<double> whole = ParseWholeNumber(text);

    // What the edits show reads back as the same value.
    for (double value : {leading, whole.value_or(0.0)}) {
        const std::optional<double> back = ParseWholeNumber(FormatShown(value));
        FUZZ_CHECK(back);
        FUZZ_CHECK(FormatShown(*back) == FormatShown(value));
        // The files keep it to six decimals, and infinity and NaN as 0.
        const double kept = ReadLeadingNumber(FormatFileNumber(value));
        FUZZ_CHECK(!std::isfinite(value) ? kept == 0.0 : std::fabs(kept - value) <= 5e-7 + std::fabs(value) * 0x1p-52);
    }

    if (isPlainDecimal(text)) {
        // Both are correctly rounded and read the same longest prefix.
        char* end = nullptr;
        const double expected = std::strtod(text.c_str(), &end);
        FUZZ_CHECK(sameBits(leading, expected));
        const bool consumedAll = end == text.c_str() + text.size() && end != text.c_str();
        FUZZ_CHECK(whole.has_value() == consumedAll);
        if (whole)
            FUZZ_CHECK(sameBits(*whole, expected));
    }
    return 0;
}
