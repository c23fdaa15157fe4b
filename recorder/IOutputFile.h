#pragma once

#include <cstdint>
#include <span>
#include <string>

// Where a take's MP3 bytes go. Every call but size() comes from the
// engine's worker thread; size() is read by the GUI thread at any time.
class IOutputFile {
public:
    virtual ~IOutputFile() = default;

    // Creates or truncates the file, or with append adds to its end.
    virtual bool open(const std::string& path, bool append) = 0;
    // Writes every byte or reports failure (disk full, file size limit...).
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Makes what was written survive a power cut; false when the system
    // could not (lastError() says why).
    virtual bool sync() = 0;
    virtual void close() = 0;
    // Closed, and the length forgotten: nothing of a take is shown.
    virtual void reset() = 0;
    // errno of the last open, write or sync that failed.
    virtual int lastError() const = 0;
    // The file's length: what it had when opened plus what was written
    // since; kept after close.
    virtual std::uint64_t size() const = 0;
};
