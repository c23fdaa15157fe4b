#pragma once

#include <cstdint>
#include <span>
#include <string>

// How a take's file is opened. Symbolic links are never followed.
enum class OpenMode {
    // The first take of this run to the path: a file is made, or an
    // existing one emptied; a symbolic link is refused, as nobody agreed
    // to replace it.
    Create,
    // The user agreed to replace what is there: a file is emptied, a
    // symbolic link is itself replaced by a new file (what it points to is
    // left alone).
    Replace,
    // Adds to a file this run recorded into, made anew if it has gone.
    Append,
};

// Where a take's MP3 bytes go. Every call but size() comes from the
// engine's worker thread; size() is read by the GUI thread at any time.
class IOutputFile {
public:
    virtual ~IOutputFile() = default;

    // Never waits for a reader (a FIFO) and opens nothing but a regular file.
    virtual bool open(const std::string& path, OpenMode mode) = 0;
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
    // Why the last open failed, for the user: "it is a FIFO, not a file".
    virtual std::string openFailure() const = 0;
    // The file's length: what it had when opened plus what was written
    // since; kept after close.
    virtual std::uint64_t size() const = 0;
};
