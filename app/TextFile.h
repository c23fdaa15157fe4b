#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The program's files are Windows text files: CR LF on disk, read back with
// CR LF (or a bare LF) as one line feed, whatever the platform.
class TextLineReader {
public:
    explicit TextLineReader(std::string_view bytes);

    // Like a C line read with a buffer of `limit` bytes: at most limit - 1
    // characters, ending after the line feed when it fits; nothing at the
    // end of the data.
    std::optional<std::string> ReadLine(std::size_t limit);

private:
    std::string m_text;
    std::size_t m_pos = 0;
};

// The bytes to store for `text`: every line feed written as CR LF.
std::string ToWindowsText(std::string_view text);

// Bytes that hold the first `chars` characters as the line reader sees
// them: a CR LF pair is one character, and one byte more keeps the last
// pair from being cut.
constexpr std::size_t BytesForChars(std::size_t chars) { return 2 * chars + 2; }

// At most `limit` bytes from the start of a regular file; nothing when it
// cannot be opened or read, or is not a regular file (a folder, a FIFO, a
// device), which is never waited for.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit = SIZE_MAX);
// Replaces the file with one holding `bytes`, made beside it and renamed
// over it once it is on disk. False, with nothing written, when its folder
// takes no new file, the disk takes not all of it, or what is in its place is
// not a regular file we may write: a symbolic link (never followed), a
// read-only file, a folder, a FIFO or a device keep what they are.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
