#include "player/VideoFrames.h"

#include <utility>

QImage VideoFrames::Latest() const
{
    std::lock_guard lock(m_mutex);
    return m_hasVideo ? m_frame : QImage();
}

void VideoFrames::SetTargetSize(const QSize& pixels, qreal ratio)
{
    {
        std::lock_guard lock(m_mutex);
        if (pixels == m_pixels && ratio == m_ratio)
            return;
        m_pixels = pixels;
        m_ratio = ratio;
    }
    requestRedraw();
}

void VideoFrames::Clear()
{
    std::lock_guard lock(m_mutex);
    m_frame = QImage();
}

void VideoFrames::SetHasVideo(bool hasVideo)
{
    {
        std::lock_guard lock(m_mutex);
        if (hasVideo == m_hasVideo)
            return;
        m_hasVideo = hasVideo;
    }
    requestRedraw();
    emit FrameReady();
}

void VideoFrames::SetRedrawRequest(std::function<void()> request)
{
    std::lock_guard lock(m_mutex);
    m_redrawRequest = std::move(request);
}

void VideoFrames::requestRedraw()
{
    std::function<void()> request;
    {
        std::lock_guard lock(m_mutex);
        request = m_redrawRequest;
    }
    if (request)
        request();
}

void VideoFrames::Draw(const std::function<bool(QImage&)>& paint)
{
    QImage back;
    QSize pixels;
    qreal ratio = 1.0;
    {
        std::lock_guard lock(m_mutex);
        back = std::move(m_spare);
        pixels = m_pixels.isEmpty() ? QSize(16, 16) : m_pixels;
        ratio = m_ratio;
    }
    // Drawn outside the lock, so that the view never waits for a frame.
    // Every frame mpv offers is rendered, shown or not: mpv's video output
    // waits until it has been.
    if (back.size() != pixels)
        back = QImage(pixels, VideoFrames::kFormat);
    back.setDevicePixelRatio(ratio);
    const bool drawn = paint(back);
    {
        std::lock_guard lock(m_mutex);
        m_spare = std::exchange(m_frame, drawn ? std::move(back) : QImage());
    }
    emit FrameReady();
}
