#include "app/TextFile.h"

TextLineReader::TextLineReader(std::string_view bytes)
{
    m_text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        m_text.push_back(bytes[i]);
    }
}

std::optional<std::string> TextLineReader::ReadLine(std::size_t limit)
{
    if (m_pos >= m_text.size() || limit < 2)
        return std::nullopt;
    const std::size_t maxChars = limit - 1;
    std::size_t end = m_pos;
    while (end < m_text.size() && end - m_pos < maxChars) {
        if (m_text[end++] == '\n')
            break;
    }
    std::string line = m_text.substr(m_pos, end - m_pos);
    m_pos = end;
    return line;
}

std::string ToWindowsText(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n')
            bytes.push_back('\r');
        bytes.push_back(c);
    }
    return bytes;
}
