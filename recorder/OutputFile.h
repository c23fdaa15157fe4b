#pragma once

#include "recorder/IOutputFile.h"
#include "recorder/RecordingTarget.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

// The MP3 file of a take, written straight to its descriptor so a crash
// loses only what the encoder still holds. Only a regular file is ever
// opened, without following a symbolic link and without waiting for a
// reader: a FIFO, a device or a folder put in its place is refused.
class OutputFile : public IOutputFile {
public:
    OutputFile() = default;
    ~OutputFile() override;

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool open(const std::string& path, OpenMode mode) override;
    bool write(std::span<const std::uint8_t> bytes) override;
    bool sync() override;
    void close() override;
    void reset() override;
    int lastError() const override { return m_error; }
    std::string openFailure() const override { return m_openFailure; }
    bool isOpen() const { return m_fd >= 0; }
    std::uint64_t size() const override { return m_size.load(std::memory_order_relaxed); }

private:
    // A descriptor for what is at path, or -1 with errno set.
    int openAs(const std::string& path, RecordingTarget::Kind kind, OpenMode mode);
    bool fail(int error);
    bool refuse(const std::string& why);

    int m_fd = -1;
    int m_error = 0;
    std::string m_openFailure;
    std::atomic<std::uint64_t> m_size{0};
};
