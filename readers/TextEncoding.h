#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The character sets subtitle files come in, told apart by their bytes.
namespace subtitles {
enum class TextEncoding { Utf8, Gb18030 };

// UTF-8 unless most of the bytes beyond ASCII form no UTF-8 but do form
// GB18030 (which covers GBK and GB2312). A UTF-8 file with a few bad bytes
// stays UTF-8; so does one that is neither.
TextEncoding GuessEncoding(std::string_view bytes);

// Whether the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view bytes);

// The bytes as well-formed UTF-8: every byte that is no part of a
// well-formed sequence becomes U+FFFD.
std::string ValidUtf8(std::string_view bytes);

// Cuts UTF-8 text to at most maxBytes, never inside a character.
void CutAtCharacter(std::string& text, std::size_t maxBytes);
}  // namespace subtitles
