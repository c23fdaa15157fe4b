#pragma once

#include "recorder/IOutputFile.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

// The MP3 file of a take, written straight to its descriptor so a crash
// loses only what the encoder still holds.
class OutputFile : public IOutputFile {
public:
    OutputFile() = default;
    ~OutputFile() override;

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool open(const std::string& path, bool append) override;
    bool write(std::span<const std::uint8_t> bytes) override;
    bool sync() override;
    void close() override;
    void reset() override;
    int lastError() const override { return m_error; }
    bool isOpen() const { return m_fd >= 0; }
    std::uint64_t size() const override { return m_size.load(std::memory_order_relaxed); }

private:
    int m_fd = -1;
    int m_error = 0;
    std::atomic<std::uint64_t> m_size{0};
};
