#include "playback/VideoView.h"

#include "playback/VideoFrames.h"

#include <QPainter>

VideoView::VideoView(VideoFrames& frames, QWidget* parent) : QWidget(parent), m_frames(frames)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(16, 16);
    // Emitted on the renderer's thread: queued to this one.
    connect(&m_frames, &VideoFrames::FrameReady, this, qOverload<>(&QWidget::update));
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

void VideoView::clear()
{
    m_frames.Clear();
    update();
}

void VideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QImage frame = m_frames.Latest();
    if (!frame.isNull())
        painter.drawImage(QRectF(rect()), frame);
}
