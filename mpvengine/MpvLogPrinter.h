#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

struct mpv_event_log_message;

// Puts mpv's error messages on the terminal. mpv repeats one for every
// packet of a file it cannot decode, thousands in a second, often two or
// three of them by turns: each message is printed a few times only, and
// how many more of it came once the file is over.
class MpvLogPrinter {
public:
    static constexpr int kRepeatsShown = 3;
    // Different messages counted at a time; past that the counts are told
    // and begun again, so that messages that differ every time (a position
    // in each) cost no more memory.
    static constexpr std::size_t kMessagesCounted = 32;

    explicit MpvLogPrinter(std::FILE* out = stderr) : m_out(out) {}
    ~MpvLogPrinter() { EndFile(); }
    MpvLogPrinter(const MpvLogPrinter&) = delete;
    MpvLogPrinter& operator=(const MpvLogPrinter&) = delete;

    void Print(const mpv_event_log_message& message);
    // The file the messages were about is over: says what was left out.
    void EndFile();

private:
    std::FILE* m_out;
    // Each message (prefix and text) in the order first seen, and how often it came.
    std::vector<std::pair<std::string, long>> m_counts;
};
