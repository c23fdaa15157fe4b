#include "pane/VideoView.h"

#include "player/VideoFrames.h"

#include <QPainter>
#include <algorithm>

VideoView::VideoView(VideoFrames& frames, QWidget* parent) : QWidget(parent), m_frames(frames)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(16, 16);
    // Emitted on the renderer's thread: queued to this one.
    connect(&m_frames, &VideoFrames::FrameReady, this, [this] { showNewFrame(); });
    askForSize();
}

void VideoView::askForSize()
{
    const qreal ratio = devicePixelRatioF();
    m_frames.SetTargetSize((QSizeF(size()) * ratio).toSize(), ratio);
}

void VideoView::resizeEvent(QResizeEvent* event)
{
    askForSize();
    QWidget::resizeEvent(event);
}

void VideoView::setCoveredBottom(int pixels)
{
    m_coveredBottom = std::max(0, pixels);
    update();
}

void VideoView::showNewFrame()
{
    if (m_coveredBottom == 0)
        update();
    else
        update(QRect(0, 0, width(), std::max(0, height() - m_coveredBottom)));
}

void VideoView::clear()
{
    m_frames.Clear();
    update();
}

void VideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage frame = m_frames.Latest();
    // A frame drawn for this size covers the view (mpv paints its own black
    // bands): filling first would cost a second pass over every pixel.
    const bool covers = !frame.isNull() && frame.deviceIndependentSize().toSize() == size();
    if (!covers)
        painter.fillRect(rect(), Qt::black);
    if (!frame.isNull())
        painter.drawImage(QRectF(rect()), frame);
}
