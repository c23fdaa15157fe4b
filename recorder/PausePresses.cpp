#include "recorder/PausePresses.h"

void PausePresses::press(const Press& press)
{
    std::lock_guard lock(m_mutex);
    m_presses.push_back(press);
}

std::optional<PausePresses::Press> PausePresses::next(std::uint64_t take)
{
    std::lock_guard lock(m_mutex);
    while (!m_presses.empty() && m_presses.front().take < take) m_presses.pop_front();
    if (m_presses.empty() || m_presses.front().take != take) return std::nullopt;
    return m_presses.front();
}

void PausePresses::dropNext()
{
    std::lock_guard lock(m_mutex);
    if (!m_presses.empty()) m_presses.pop_front();
}
