// The pause-point reader and writer on any bytes.
#include "FuzzInput.h"
#include "pausepoints/PausePointFile.h"

#include <cstring>
#include <vector>

namespace {
constexpr std::size_t kCapacity = 300;

std::vector<double> valuesOf(const std::vector<PausePointPiece>& pieces)
{
    std::vector<double> values;
    for (const PausePointPiece& piece : pieces)
        values.push_back(piece.value);
    return values;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes = AsText(data, size);
    const std::vector<PausePointPiece> pieces = ParsePausePoints(bytes, kCapacity);
    FUZZ_CHECK(pieces.size() <= kCapacity);
    // Reading no more than the bound changes nothing.
    const std::vector<PausePointPiece> bounded = ParsePausePoints(bytes.substr(0, PausePointReadLimit(kCapacity)), kCapacity);
    FUZZ_CHECK(bounded.size() == pieces.size());
    FUZZ_CHECK(HoldsMorePausePoints(bytes, kCapacity)
               == HoldsMorePausePoints(bytes.substr(0, PausePointReadLimit(kCapacity)), kCapacity));
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        FUZZ_CHECK(pieces[i].text == bounded[i].text);
        FUZZ_CHECK(std::memcmp(&pieces[i].value, &bounded[i].value, sizeof(double)) == 0);
        FUZZ_CHECK(!pieces[i].text.empty() && pieces[i].text.size() < kPausePieceLimit);
    }

    // Saved, every entry is one line; saved again after loading, the same bytes.
    const std::vector<double> values = valuesOf(pieces);
    const std::string saved = FormatPausePoints(values.data(), static_cast<int>(values.size()));
    const std::vector<double> loaded = valuesOf(ParsePausePoints(saved, kCapacity));
    FUZZ_CHECK(loaded.size() == values.size());
    const std::string savedAgain = FormatPausePoints(loaded.data(), static_cast<int>(loaded.size()));
    const std::vector<double> loadedAgain = valuesOf(ParsePausePoints(savedAgain, kCapacity));
    FUZZ_CHECK(FormatPausePoints(loadedAgain.data(), static_cast<int>(loadedAgain.size())) == savedAgain);
    return 0;
}
