#include "mpvengine/MpvLogPrinter.h"

#include <algorithm>
#include <mpv/client.h>

void MpvLogPrinter::Print(const mpv_event_log_message& message)
{
    std::string line = std::string("[") + message.prefix + "] " + message.text;
    // mpv's texts end with their own line break.
    if (line.back() != '\n')
        line += '\n';
    auto seen = std::find_if(m_counts.begin(), m_counts.end(), [&](const auto& c) { return c.first == line; });
    if (seen == m_counts.end()) {
        if (m_counts.size() == kMessagesCounted)
            EndFile();
        m_counts.emplace_back(line, 0);
        seen = m_counts.end() - 1;
    }
    if (++seen->second <= kRepeatsShown)
        std::fprintf(m_out, "quillora: player: %s", line.c_str());
}

void MpvLogPrinter::EndFile()
{
    for (const auto& [line, count] : m_counts)
        if (count > kRepeatsShown)
            std::fprintf(m_out, "quillora: player: %s (came %ld times more)\n",
                         line.substr(0, line.size() - 1).c_str(), count - kRepeatsShown);
    m_counts.clear();
}
