#pragma once

#include <cstdio>
#include <string>

struct mpv_event_log_message;

// Puts mpv's error messages on the terminal. mpv repeats one for every
// packet of a file it cannot decode, thousands in a second: of a run of the
// same message only the first few are printed, then how many more came.
class MpvLogPrinter {
public:
    static constexpr int kRepeatsShown = 3;

    explicit MpvLogPrinter(std::FILE* out = stderr) : m_out(out) {}
    ~MpvLogPrinter() { endRun(); }
    MpvLogPrinter(const MpvLogPrinter&) = delete;
    MpvLogPrinter& operator=(const MpvLogPrinter&) = delete;

    void Print(const mpv_event_log_message& message);

private:
    void endRun();

    std::FILE* m_out;
    std::string m_last;  // prefix and text of the run's message
    long m_run = 0;      // how often it came in a row
};
