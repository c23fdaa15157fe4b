#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

// The Pause presses of the takes, each at the capture position where it
// was made, so the worker applies them to the audio they belong to however
// far behind it is. Pressed on the GUI thread, taken by the worker.
class PausePresses {
public:
    struct Press {
        std::uint64_t take = 0;          // the request generation it belongs to
        std::optional<std::uint64_t> at;  // none: at whatever the worker reads next
        bool paused = false;             // the state it leads to
    };

    void press(const Press& press);
    // The oldest press of this take; those of earlier takes are dropped.
    std::optional<Press> next(std::uint64_t take);
    void dropNext();

private:
    std::mutex m_mutex;
    std::deque<Press> m_presses;
};
