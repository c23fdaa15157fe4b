#pragma once

#include "mpvengine/MpvHandle.h"
#include "mpvengine/MpvOptions.h"

#include <QObject>
#include <functional>
#include <future>
#include <vector>

// Owns the engine's mpv handle and starts it: loading libmpv and starting
// mpv take longer than showing the window, so they may happen ahead of the
// first use, on a thread of their own.
class MpvHandleStarter {
public:
    // started runs on the GUI thread once the handle exists, before it is
    // first handed out.
    MpvHandleStarter(MpvOptions options, std::function<void(mpv_handle*)> started);
    ~MpvHandleStarter() { Reset(); }
    MpvHandleStarter(const MpvHandleStarter&) = delete;
    MpvHandleStarter& operator=(const MpvHandleStarter&) = delete;

    // Starts the handle off the GUI thread; ready runs on the GUI thread
    // once it has started or failed to.
    void PrepareInBackground(std::function<void()> ready);
    // The handle, created on first call or taken from PrepareInBackground.
    // Throws MediaError when mpv cannot start.
    mpv_handle* Get();
    // The handle once it has been handed out, else nullptr.
    mpv_handle* Existing() const { return m_handle.get(); }
    // Destroys the handle, after whatever was made on it.
    void Reset();

private:
    void postWhenReady();
    void runWhenReady();

    MpvOptions m_options;
    std::function<void(mpv_handle*)> m_started;
    QObject m_context;                   // queues the ready calls to the GUI thread
    std::future<MpvHandle> m_preparing;  // a handle being made off the GUI thread
    std::vector<std::function<void()>> m_whenReady;
    MpvHandle m_handle;
};
