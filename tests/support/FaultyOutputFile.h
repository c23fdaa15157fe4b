#pragma once

#include "recorder/OutputFile.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>

// What the disk does, set by the test while the recorder writes.
struct DiskFaults {
    bool holdWrites = false;                // write() waits until released: a stalled disk
    bool holdSync = false;                  // sync() waits likewise
    std::chrono::milliseconds writeDelay{0};  // every write() takes this long: a slow disk
    std::uint64_t capacity = std::numeric_limits<std::uint64_t>::max();  // bytes written before ENOSPC

    // Lifts both holds.
    void release();
    // Until a write or sync waits in a hold.
    bool waitHeld(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    std::mutex mutex;
    std::condition_variable changed;
    int held = 0;  // calls waiting in a hold now
};

// A real OutputFile behind a disk that misbehaves as DiskFaults says.
class FaultyOutputFile : public IOutputFile {
public:
    explicit FaultyOutputFile(std::shared_ptr<DiskFaults> faults) : m_faults(std::move(faults)) {}

    bool open(const std::string& path, OpenMode mode) override
    {
        m_error = 0;
        return m_file.open(path, mode);
    }
    bool write(std::span<const std::uint8_t> bytes) override;
    bool sync() override;
    void close() override { m_file.close(); }
    void reset() override { m_file.reset(); }
    int lastError() const override { return m_error ? m_error : m_file.lastError(); }
    std::string openFailure() const override { return m_file.openFailure(); }
    std::uint64_t size() const override { return m_file.size(); }

private:
    void waitWhileHeld(bool DiskFaults::*hold);

    std::shared_ptr<DiskFaults> m_faults;
    OutputFile m_file;
    std::uint64_t m_written = 0;
    int m_error = 0;
};
