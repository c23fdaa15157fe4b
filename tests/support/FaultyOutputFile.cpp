#include "FaultyOutputFile.h"

#include <algorithm>
#include <cerrno>
#include <thread>

void DiskFaults::release()
{
    std::lock_guard lock(mutex);
    holdWrites = holdSync = false;
    changed.notify_all();
}

bool DiskFaults::waitHeld(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, timeout, [this] { return held > 0; });
}

void FaultyOutputFile::waitWhileHeld(bool DiskFaults::*hold)
{
    std::unique_lock lock(m_faults->mutex);
    if (!(*m_faults.*hold)) return;
    ++m_faults->held;
    m_faults->changed.notify_all();
    m_faults->changed.wait(lock, [&] { return !(*m_faults.*hold); });
    --m_faults->held;
}

bool FaultyOutputFile::write(std::span<const std::uint8_t> bytes)
{
    waitWhileHeld(&DiskFaults::holdWrites);
    std::chrono::milliseconds delay;
    std::uint64_t capacity;
    {
        std::lock_guard lock(m_faults->mutex);
        delay = m_faults->writeDelay;
        capacity = m_faults->capacity;
    }
    std::this_thread::sleep_for(delay);
    // A full disk takes what fits, as a real one does.
    const std::uint64_t room = capacity - std::min(capacity, m_written);
    const auto fits = static_cast<std::size_t>(std::min<std::uint64_t>(room, bytes.size()));
    if (!m_file.write(bytes.first(fits))) return false;
    m_written += fits;
    if (fits < bytes.size()) {
        m_error = ENOSPC;
        return false;
    }
    return true;
}

bool FaultyOutputFile::sync()
{
    waitWhileHeld(&DiskFaults::holdSync);
    return m_file.sync();
}
