#include "recording/DisplayFormat.h"

namespace {
// Appends "<count><unit>" and keeps the remainder when s reaches the unit.
void appendPiece(std::string& text, std::int32_t& s, std::int32_t unit, const char* label)
{
    if (s >= unit) {
        text += std::to_string(s / unit) + label;
        s %= unit;
    }
}
}

std::string FormatDuration(std::int32_t seconds)
{
    std::string text;
    std::int32_t s = seconds;
    appendPiece(text, s, 604800, " W");
    appendPiece(text, s, 86400, " D");
    appendPiece(text, s, 3600, " : ");
    appendPiece(text, s, 60, " : ");
    return text + std::to_string(s) + " s";
}

std::string FormatFileSize(std::int32_t bytes)
{
    std::string text;
    std::int32_t b = bytes;
    appendPiece(text, b, 1048576, " M ");
    if (b < 1024)
        return text + std::to_string(b) + " Byte";
    return text + std::to_string(b / 1024) + " KB";
}
