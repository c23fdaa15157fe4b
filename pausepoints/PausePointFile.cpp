#include "pausepoints/PausePointFile.h"

#include "app/NumberText.h"
#include "app/TextFile.h"

std::string PausePointPathFor(const std::string& mediaPath)
{
    if (mediaPath.size() < 3)
        return std::string();
    return mediaPath.substr(0, mediaPath.size() - 3) + "txt";
}

namespace {
// Reads up to `capacity` pieces; `reader` is left after the last of them.
std::vector<PausePointPiece> readPieces(TextLineReader& reader, std::size_t capacity)
{
    std::vector<PausePointPiece> pieces;
    while (pieces.size() < capacity) {
        std::optional<std::string> piece = reader.ReadLine(kPausePieceLimit);
        if (!piece)
            break;
        const double value = ReadLeadingNumber(*piece);
        pieces.push_back({std::move(*piece), value});
    }
    return pieces;
}
}  // namespace

std::vector<PausePointPiece> ParsePausePoints(std::string_view bytes, std::size_t capacity)
{
    TextLineReader reader(bytes);
    return readPieces(reader, capacity);
}

bool HoldsMorePausePoints(std::string_view bytes, std::size_t capacity)
{
    TextLineReader reader(bytes);
    readPieces(reader, capacity);
    return reader.ReadLine(kPausePieceLimit).has_value();
}

std::string FormatPausePoints(const double* entries, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += FormatFileNumber(entries[i]) + "\n";
    return ToWindowsText(text);
}
