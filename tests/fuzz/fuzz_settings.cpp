// The settings reader and writer on any bytes.
#include "FuzzInput.h"
#include "app/SettingsFile.h"

#include <cstring>

namespace {
bool same(const Settings& a, const Settings& b)
{
    const auto bits = [](double v) { std::uint64_t u; std::memcpy(&u, &v, sizeof u); return u; };
    return bits(a.segStart) == bits(b.segStart) && bits(a.segEnd) == bits(b.segEnd) && bits(a.segNudge) == bits(b.segNudge)
           && bits(a.pauseNudge) == bits(b.pauseNudge) && bits(a.markLag) == bits(b.markLag)
           && a.mediaPath == b.mediaPath && a.mediaPathCut == b.mediaPathCut;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes = AsText(data, size);
    const std::optional<Settings> read = ParseSettings(bytes);
    // Reading no more than the bound changes nothing.
    const std::optional<Settings> bounded = ParseSettings(bytes.substr(0, kSettingsReadLimit));
    FUZZ_CHECK(read.has_value() == bounded.has_value());
    if (!read)
        return 0;
    FUZZ_CHECK(same(*read, *bounded));
    FUZZ_CHECK(read->mediaPath.size() <= kMaxMediaPathLength);
    FUZZ_CHECK(read->mediaPath.find('\0') == std::string::npos && read->mediaPath.find('\n') == std::string::npos);
    if (read->mediaPathCut || read->mediaPath.empty())
        return 0;

    // Saved and loaded, the path comes back whole; saved again, the same bytes.
    const std::string saved = FormatSettings(*read);
    const std::optional<Settings> loaded = ParseSettings(saved);
    FUZZ_CHECK(loaded && loaded->mediaPath == read->mediaPath && !loaded->mediaPathCut);
    const std::string savedAgain = FormatSettings(*loaded);
    const std::optional<Settings> loadedAgain = ParseSettings(savedAgain);
    FUZZ_CHECK(loadedAgain && FormatSettings(*loadedAgain) == savedAgain);
    return 0;
}
