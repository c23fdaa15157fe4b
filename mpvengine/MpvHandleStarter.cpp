#include "mpvengine/MpvHandleStarter.h"

#include "mpvengine/MpvDecoderThreads.h"
#include "mpvengine/MpvEventState.h"
#include "player/MediaError.h"

#include <QMetaObject>
#include <chrono>
#include <utility>

namespace {
MpvHandle createObservedHandle(const MpvOptions& options)
{
    MpvHandle created = CreateMpvHandle(options);
    MpvEventState::ObserveAll(created.get());
    decoderthreads::AskBeforeDecoders(created.get());
    return created;
}
}  // namespace

MpvHandleStarter::MpvHandleStarter(MpvOptions options, std::function<void(mpv_handle*)> started)
    : m_options(std::move(options)), m_started(std::move(started))
{
}

void MpvHandleStarter::Reset()
{
    if (m_preparing.valid())
        m_preparing.wait();  // its handle goes with the future
    m_handle.reset();        // the deleter clears the wakeup callback first
}

// The first call waits for the preparation.
void MpvHandleStarter::PrepareInBackground(std::function<void()> ready)
{
    if (ready)
        m_whenReady.push_back(std::move(ready));
    const bool done = m_handle || (m_preparing.valid() && m_preparing.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    if (done) {
        postWhenReady();
    } else if (!m_preparing.valid()) {
        m_preparing = std::async(std::launch::async, [this, options = m_options] {
            // Told however the set-up ends; Reset waits for this thread.
            struct TellWhenDone {
                MpvHandleStarter* starter;
                ~TellWhenDone() { starter->postWhenReady(); }
            } tell{this};
            return createObservedHandle(options);
        });
    }
}

// From any thread.
void MpvHandleStarter::postWhenReady()
{
    QMetaObject::invokeMethod(&m_context, [this] { runWhenReady(); }, Qt::QueuedConnection);
}

void MpvHandleStarter::runWhenReady()
{
    try {
        Get();
    } catch (const MediaError&) {
        // The first operation the callers make says what is wrong.
    }
    for (const auto& ready : std::exchange(m_whenReady, {}))
        ready();
}

mpv_handle* MpvHandleStarter::Get()
{
    if (m_handle)
        return m_handle.get();
    if (m_preparing.valid())
        m_handle = m_preparing.get();  // throws what the preparation threw
    else
        m_handle = createObservedHandle(m_options);
    m_started(m_handle.get());
    return m_handle.get();
}
