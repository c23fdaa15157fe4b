#include "readers/TextEncoding.h"

#include <cstdint>

namespace subtitles {
namespace {
using Byte = unsigned char;

// The length of the well-formed UTF-8 sequence at p (1 for ASCII), or 0
// when the bytes there form none.
int utf8SequenceAt(const Byte* p, const Byte* end)
{
    const unsigned c = *p;
    int follow = 0;
    unsigned lowest = 0;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        follow = 1, lowest = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
        follow = 2, lowest = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
        follow = 3, lowest = 0x10000;
    else
        return 0;
    if (end - p <= follow)
        return 0;
    unsigned code = c & (0x3F >> follow);
    for (int k = 1; k <= follow; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[k] & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return follow + 1;
}

// The same for GB18030's structure: one byte of ASCII, two bytes (lead
// 81-FE, trail 40-7E or 80-FE) or four (81-FE, 30-39, 81-FE, 30-39).
int gb18030SequenceAt(const Byte* p, const Byte* end)
{
    const auto lead = [](Byte b) { return b >= 0x81 && b <= 0xFE; };
    const auto digit = [](Byte b) { return b >= 0x30 && b <= 0x39; };
    if (p[0] < 0x80)
        return 1;
    if (!lead(p[0]) || end - p < 2)
        return 0;
    if ((p[1] >= 0x40 && p[1] <= 0x7E) || (p[1] >= 0x80 && p[1] <= 0xFE))
        return 2;
    if (end - p >= 4 && digit(p[1]) && lead(p[2]) && digit(p[3]))
        return 4;
    return 0;
}

// How many of the bytes beyond ASCII form sequences of the encoding.
template <typename SequenceAt>
std::uint64_t bytesInSequences(std::string_view bytes, SequenceAt sequenceAt)
{
    const auto* p = reinterpret_cast<const Byte*>(bytes.data());
    const auto* end = p + bytes.size();
    std::uint64_t good = 0;
    while (p < end) {
        const int length = sequenceAt(p, end);
        for (int k = 0; length > 1 && k < length; ++k)
            good += p[k] >= 0x80;
        p += length > 0 ? length : 1;
    }
    return good;
}
}  // namespace

TextEncoding GuessEncoding(std::string_view bytes)
{
    std::uint64_t beyondAscii = 0;
    for (char c : bytes)
        beyondAscii += static_cast<Byte>(c) >= 0x80;
    if (beyondAscii == 0)
        return TextEncoding::Utf8;
    // Nine in ten: a few damaged cues do not change a file's encoding.
    const auto most = [beyondAscii](std::uint64_t good) { return good * 10 >= beyondAscii * 9; };
    if (most(bytesInSequences(bytes, utf8SequenceAt)))
        return TextEncoding::Utf8;
    return most(bytesInSequences(bytes, gb18030SequenceAt)) ? TextEncoding::Gb18030 : TextEncoding::Utf8;
}

bool IsUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const Byte*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const int length = utf8SequenceAt(p, end);
        if (length == 0)
            return false;
        p += length;
    }
    return true;
}

std::string ValidUtf8(std::string_view bytes)
{
    if (IsUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 16);
    const auto* p = reinterpret_cast<const Byte*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const int length = utf8SequenceAt(p, end);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++p;
        } else {
            out.append(reinterpret_cast<const char*>(p), std::size_t(length));
            p += length;
        }
    }
    return out;
}
void CutAtCharacter(std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return;
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
}
}  // namespace subtitles
