#pragma once

#include <mpv/client.h>
#include <string>

// The sound filter mpv is told to use for the speed: its own choice plays
// the sound away from the times it reports.
class MpvTempoFilter {
public:
    // The filter for factor; "" (none) at 1.
    static const char* For(double factor);
    // Tells mpv filter unless it has it already; does not wait for mpv to
    // rebuild its sound chain.
    void Tell(mpv_handle* handle, const char* filter);
    const std::string& Told() const { return m_told; }

private:
    std::string m_told;  // what mpv has been told
};
