#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

struct mpv_handle;
struct mpv_render_context;
class VideoFrames;

// Renders an mpv handle's video into VideoFrames with libmpv's software
// renderer, on a thread of its own: the GUI thread never renders, and mpv's
// video output never waits for the GUI thread. The thread calls nothing of
// mpv but the render functions, as libmpv requires of a render thread.
class MpvVideoRenderer {
public:
    // Made right after the handle, before any file is loaded, so that mpv's
    // video output finds the context. Without one mpv only disables video.
    MpvVideoRenderer(mpv_handle* handle, VideoFrames& frames);
    // Must run before the handle is destroyed.
    ~MpvVideoRenderer();

    MpvVideoRenderer(const MpvVideoRenderer&) = delete;
    MpvVideoRenderer& operator=(const MpvVideoRenderer&) = delete;

    bool HasContext() const { return m_context != nullptr; }

private:
    static void onUpdate(void* self);
    void wake(bool redraw);
    void run();
    bool render(void* pixels, int width, int height, std::size_t stride);

    VideoFrames& m_frames;
    mpv_render_context* m_context = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_updatePending = false;
    bool m_redrawPending = false;
    bool m_stopping = false;
    std::thread m_thread;
};
