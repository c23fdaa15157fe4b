#include "recorder/BackgroundTakes.h"

#include "recorder/TakeWorker.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace {
// A disk that does not answer for this long at exit is given up on: the
// file keeps what reached it, and the process ends.
constexpr auto kExitWait = std::chrono::seconds(60);

struct Pending {
    std::thread thread;
    std::shared_ptr<TakeWorker> worker;
};

struct Registry {
    std::mutex mutex;
    std::vector<Pending> pending;
};

// Never destroyed: a thread still running when the process ends must not
// be destroyed joinable.
Registry& registry()
{
    static auto* instance = new Registry;
    return *instance;
}

void waitAtExit()
{
    if (WaitForBackgroundTakes(std::chrono::milliseconds(500))) return;
    std::fputs("quillora: finishing the recording's file before exiting\n", stderr);
    if (!WaitForBackgroundTakes(kExitWait))
        std::fputs("quillora: the recording's file could not be finished; it keeps what was written\n", stderr);
}
}

void FinishInBackground(std::thread thread, std::shared_ptr<TakeWorker> worker)
{
    // Registered after the sound libraries were loaded, so it runs before
    // they are torn down at exit.
    static const bool hooked = std::atexit(waitAtExit) == 0;
    (void)hooked;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.pending, [](Pending& p) {
        if (!p.worker->waitThreadDone(std::chrono::steady_clock::now())) return false;
        p.thread.join();
        return true;
    });
    r.pending.push_back(Pending{std::move(thread), std::move(worker)});
}

bool WaitForBackgroundTakes(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Registry& r = registry();
    std::vector<Pending> taken;
    {
        std::lock_guard lock(r.mutex);
        taken.swap(r.pending);
    }
    std::vector<Pending> running;
    for (Pending& p : taken) {
        if (p.worker->waitThreadDone(deadline))
            p.thread.join();
        else
            running.push_back(std::move(p));
    }
    std::lock_guard lock(r.mutex);
    const bool allDone = running.empty();
    for (Pending& p : running) r.pending.push_back(std::move(p));
    return allDone;
}
