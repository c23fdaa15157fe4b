#pragma once

#include "mpvengine/MpvLibrary.h"

#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>

// Requests handed to mpv without waiting for them: mpv's core can be held
// for seconds by a sound server that does not answer, and a synchronous
// call from the GUI thread would hold the window as long. mpv carries the
// requests out in the order they were handed over; each outcome comes back
// as a reply event with the id returned here. An id of 0 means that mpv
// refused the request at once.
class MpvRequests {
public:
    std::uint64_t SetFlag(mpv_handle* handle, const char* name, bool value);
    std::uint64_t SetInt(mpv_handle* handle, const char* name, std::int64_t value);
    std::uint64_t SetDouble(mpv_handle* handle, const char* name, double value);
    std::uint64_t SetString(mpv_handle* handle, const char* name, const std::string& value);
    std::uint64_t Get(mpv_handle* handle, const char* name, mpv_format format);
    // A command given as nodes; the strings stay the caller's.
    std::uint64_t Command(mpv_handle* handle, std::initializer_list<mpv_node> args);

    // Takes a reply event: true when it answers one of these requests.
    bool Answer(const mpv_event& event);
    bool Unanswered(std::uint64_t id) const { return m_waiting.count(id) != 0; }
    // Nothing handed over is still waiting for mpv.
    bool AllAnswered() const { return m_waiting.empty(); }
    // The handle is gone: nothing will be answered.
    void Forget() { m_waiting.clear(); }

    // Where the ids start, clear of the fixed ids the engine's other
    // requests (hooks, observations) use.
    static constexpr std::uint64_t kFirstId = 1000;

private:
    std::uint64_t handedOver(int code);

    std::uint64_t m_next = kFirstId;
    std::set<std::uint64_t> m_waiting;
};
