#include "mpvengine/MpvVideoRenderer.h"

#include "mpvengine/MpvLibrary.h"
#include "player/VideoFrames.h"

#include <QImage>
#include <algorithm>
#include <iterator>
#include <utility>

MpvVideoRenderer::MpvVideoRenderer(mpv_handle* handle, VideoFrames& frames) : m_frames(frames)
{
    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, apiType},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (Mpv().render_context_create(&m_context, handle, params) < 0) {
        m_context = nullptr;
        return;
    }
    m_thread = std::thread([this] { run(); });
    Mpv().render_context_set_update_callback(m_context, &MpvVideoRenderer::onUpdate, this);
    m_frames.SetRedrawRequest([this] { wake(true); });
}

MpvVideoRenderer::~MpvVideoRenderer()
{
    if (!m_context)
        return;
    m_frames.SetRedrawRequest(nullptr);
    // After this no update callback runs or will run.
    Mpv().render_context_set_update_callback(m_context, nullptr, nullptr);
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
    Mpv().render_context_free(m_context);
}

// Runs on one of mpv's threads.
void MpvVideoRenderer::onUpdate(void* self) { static_cast<MpvVideoRenderer*>(self)->wake(false); }

void MpvVideoRenderer::wake(bool redraw)
{
    {
        std::lock_guard lock(m_mutex);
        (redraw ? m_redrawPending : m_updatePending) = true;
    }
    m_wake.notify_one();
}

void MpvVideoRenderer::run()
{
    for (;;) {
        bool update = false, redraw = false;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || m_updatePending || m_redrawPending; });
            if (m_stopping)
                return;
            update = std::exchange(m_updatePending, false);
            redraw = std::exchange(m_redrawPending, false);
        }
        const bool newFrame = update && (Mpv().render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME);
        if (!newFrame && !redraw)
            continue;
        m_frames.Draw([this](QImage& image) {
            return render(image.bits(), image.width(), image.height(), static_cast<std::size_t>(image.bytesPerLine()));
        });
    }
}

bool MpvVideoRenderer::render(void* pixels, int width, int height, std::size_t stride)
{
    int size[2] = {width, height};
    char format[sizeof VideoFrames::kMpvFormat];
    std::copy(std::begin(VideoFrames::kMpvFormat), std::end(VideoFrames::kMpvFormat), format);
    // Drawn at once: the frame is drawn under the lock the view reads it
    // with, and mpv's video output already paces the frames.
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, format},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, pixels},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return Mpv().render_context_render(m_context, params) >= 0;
}
