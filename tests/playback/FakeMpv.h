#pragma once

// A stand-in for libmpv behind the engine's seam (ReplaceMpv): it answers
// the engine's asynchronous requests as mpv would, or, stalled, not at all
// (mpv's core held by a sound server that does not answer), and counts
// every synchronous request made once the handle exists.
#include "mpvengine/MpvLibrary.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FakeMpv {
public:
    FakeMpv();
    ~FakeMpv();

    bool stalled = false;    // requests are taken but never answered
    double position = 0.0;   // where playback stands, as time-pos and audio-pts
    double duration = 10.0;  // of any file loaded
    bool failLoads = false;  // every load ends in an error

    // What the engine asked for: "set pause=yes", "cmd seek 2.5", "get audio-pts".
    std::vector<std::string> asked;
    // Synchronous requests made after the handle was created.
    std::vector<std::string> waitedFor;

    // Answers everything taken while stalled, in order.
    void Thaw();
    // mpv's own doing: the armed end reached, or the time reported.
    void ReachEnd();
    void Report(double seconds);

    static FakeMpv* current;

    struct Request;
    std::deque<std::shared_ptr<Request>> heldBack;
    struct Event;
    std::deque<std::shared_ptr<Event>> events;
    std::shared_ptr<Event> handedOut;  // alive until the next wait_event, as mpv keeps it
    std::map<std::string, std::uint64_t> observed;
    void (*wakeup)(void*) = nullptr;
    void* wakeupContext = nullptr;
    bool initialised = false;
    long long nextEntry = 1;

    void take(std::shared_ptr<Request> request);
    void answer(const Request& request);
    void push(std::shared_ptr<Event> event);
    void changed(const char* name, double value);
    void changedFlag(const char* name, bool value);

private:
    MpvApi m_api{};
};
