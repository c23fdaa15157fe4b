#include "mpvengine/MpvLogPrinter.h"

#include <mpv/client.h>

void MpvLogPrinter::Print(const mpv_event_log_message& message)
{
    std::string line = std::string("[") + message.prefix + "] " + message.text;
    // mpv's texts end with their own line break.
    if (line.empty() || line.back() != '\n')
        line += '\n';
    if (line != m_last) {
        endRun();
        m_last = line;
    }
    if (++m_run <= kRepeatsShown)
        std::fprintf(m_out, "quillora: player: %s", line.c_str());
}

void MpvLogPrinter::endRun()
{
    if (m_run > kRepeatsShown)
        std::fprintf(m_out, "quillora: player: (the message above came %ld times more)\n", m_run - kRepeatsShown);
    m_run = 0;
}
