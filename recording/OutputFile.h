#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

// The MP3 file of a take, written straight to its descriptor so a crash
// loses only what the encoder still holds.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or truncates the file, or with append adds to its end.
    bool open(const std::string& path, bool append);
    // Writes every byte or reports failure (disk full, file size limit...).
    bool write(std::span<const std::uint8_t> bytes);
    // Makes what was written survive a power cut.
    void sync();
    void close();
    // Closed, and the length forgotten: nothing of a take is shown.
    void reset();
    // errno of the last open or write that failed.
    int lastError() const { return m_error; }
    bool isOpen() const { return m_fd >= 0; }
    // The file's length: what it had when opened plus what was written
    // since. Safe to read from any thread; kept after close.
    std::uint64_t size() const { return m_size.load(std::memory_order_relaxed); }

private:
    int m_fd = -1;
    int m_error = 0;
    std::atomic<std::uint64_t> m_size{0};
};
