#include "SineCaptureSource.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>

bool SineCaptureSource::open(CaptureFormat& format)
{
    std::lock_guard lock(m_mutex);
    if (m_options.failOpen) return false;
    format.channels = m_options.channels;
    m_rate = format.sampleRate;
    m_open = true;
    ++m_opens;
    m_openedAt = m_delivered;
    m_start = std::chrono::steady_clock::now();
    return true;
}

std::ptrdiff_t SineCaptureSource::read(std::span<std::int16_t> buffer)
{
    std::unique_lock lock(m_mutex);
    if (!m_open) return -1;
    const auto failAt = static_cast<std::int64_t>(m_options.failAfterSeconds * m_rate);
    if (failAt > 0 && m_delivered >= failAt) return -1;

    auto frames = static_cast<std::int64_t>(buffer.size() / static_cast<std::size_t>(m_options.channels));
    if (m_options.gated) frames = std::min(frames, m_granted - m_delivered);
    if (failAt > 0) frames = std::min(frames, failAt - m_delivered);
    if (frames <= 0) {
        m_idleAfter = m_delivered;
        m_changed.notify_all();
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0;
    }
    const double step = 2.0 * std::numbers::pi * m_options.frequency / m_rate;
    for (std::int64_t i = 0; i < frames; ++i) {
        const auto value = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(step * double(m_delivered + i))));
        for (int c = 0; c < m_options.channels; ++c) buffer[std::size_t(i * m_options.channels + c)] = value;
    }
    m_delivered += frames;
    if (m_options.realTime) {
        const auto due = m_start + std::chrono::microseconds((m_delivered - m_openedAt) * 1000000 / m_rate);
        lock.unlock();
        std::this_thread::sleep_until(due);
    }
    return static_cast<std::ptrdiff_t>(frames);
}

void SineCaptureSource::close()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
}

void SineCaptureSource::grant(double seconds)
{
    std::lock_guard lock(m_mutex);
    m_granted += static_cast<std::int64_t>(std::llround(seconds * m_rate));
}

bool SineCaptureSource::waitDrained(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_delivered == m_granted && m_idleAfter == m_granted; });
}

int SineCaptureSource::opens() const
{
    std::lock_guard lock(m_mutex);
    return m_opens;
}

bool SineCaptureSource::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

std::int64_t SineCaptureSource::capturedLocked() const
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_start);
    return elapsed.count() * m_rate / 1000000;
}

std::size_t SineCaptureSource::queuedFrames() const
{
    std::lock_guard lock(m_mutex);
    if (!m_options.realTime || !m_open) return 0;
    return static_cast<std::size_t>(std::max<std::int64_t>(0, capturedLocked() - (m_delivered - m_openedAt)));
}

std::optional<std::uint64_t> SineCaptureSource::capturedFrames() const
{
    std::lock_guard lock(m_mutex);
    if (!m_options.realTime || !m_open) return std::nullopt;
    return static_cast<std::uint64_t>(capturedLocked());
}
